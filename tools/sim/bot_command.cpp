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

    const std::string& data = options.values["--data"];
    const std::string& trackName = options.values["--track"];
    // Refused before the race is driven: a wrong output costs no time.
    if (options.has("--out")) {
        const std::string problem = outputProblem(options.values["--out"], {trackFilePath(data, trackName)});
        if (!problem.empty())
            return fail(problem);
    }
    Track track;
    std::string error;
    if (!readRoad(data, trackName, track, error))
        return fail(error);
    AutopilotRun run = driveWithAutopilot(track, AutopilotSettings{}, maxTicks);
    if (options.has("--out") && !writeOutput(options.values["--out"], encodeControls(run.controls), error))
        return fail(error);
    std::printf("%s\n", outcomeLine(run.result).c_str());
    return 0;
}
