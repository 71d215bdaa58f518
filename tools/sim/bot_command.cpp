// vantor-sim bot: the autopilot drives a whole race; its records go to --out.
#include <cstdio>

#include "command.h"
#include "sim/autopilot.h"
#include "track/track_file.h"

int botCommand(const std::vector<std::string>& args)
{
    Options options;
    if (!parseOptions(args, {"--data", "--track", "--out", "--max-ticks"}, options))
        return fail(options.error);
    if (!options.has("--data") || !options.has("--track"))
        return fail("bot needs --data DIR and --track NAME");
    // Half an hour of race time: far beyond any finish.
    int64_t maxTicks = 180000;
    if (options.has("--max-ticks") && !parseCount(options.values["--max-ticks"], maxTicks))
        return fail("--max-ticks wants a count, not '" + options.values["--max-ticks"] + "'");

    Track track;
    std::string error;
    if (!readRoad(options.values["--data"], options.values["--track"], track, error))
        return fail(error);
    AutopilotRun run = driveWithAutopilot(track, AutopilotSettings{}, maxTicks);
    if (options.has("--out") && !writeControlFile(options.values["--out"], run.controls))
        return fail("cannot write control records to " + options.values["--out"]);
    std::printf("%s\n", outcomeLine(run.result).c_str());
    return 0;
}
