// vantor-sim race: one run of control records through the game's physics and
// race rules, optionally traced tick by tick.
#include <cstdio>

#include "command.h"
#include "track/track_file.h"

// 100 ticks a second for an hour.
static const int64_t holdTickLimit = 360000;

int raceCommand(const std::vector<std::string>& args)
{
    Options options;
    if (!parseOptions(args, {"--data", "--track", "--controls", "--hold", "--max-ticks", "--trace"}, options))
        return fail(options.error);
    if (!options.has("--data") || !options.has("--track"))
        return fail("race needs --data DIR and --track NAME");
    if (options.has("--controls") == options.has("--hold"))
        return fail("race needs exactly one of --controls FILE and --hold STEER,BRAKE,THROTTLE");

    ReplaySetup setup;
    if (options.has("--hold")) {
        ControlInput held;
        if (!parseHold(options.values["--hold"], held))
            return fail("--hold wants three numbers STEER,BRAKE,THROTTLE, not '" + options.values["--hold"] + "'");
        setup.controls.push_back(held);
        setup.hold = true;
    } else if (!readControlFile(options.values["--controls"], setup.controls)) {
        return fail("cannot read control records from " + options.values["--controls"] +
                    " (missing, or not a whole number of 12-byte records)");
    }
    if (options.has("--max-ticks") && !parseCount(options.values["--max-ticks"], setup.maxTicks))
        return fail("--max-ticks wants a count, not '" + options.values["--max-ticks"] + "'");
    // A held record never runs out: without a limit, stop after an hour of race time.
    if (setup.hold && !options.has("--max-ticks"))
        setup.maxTicks = holdTickLimit;

    Track track;
    std::string error;
    if (!readRoad(options.values["--data"], options.values["--track"], track, error))
        return fail(error);

    std::FILE* traceFile = nullptr;
    if (options.has("--trace")) {
        traceFile = std::fopen(options.values["--trace"].c_str(), "w");
        if (!traceFile)
            return fail("cannot write trace " + options.values["--trace"]);
    }
    ReplayTrace trace;
    if (traceFile) {
        trace = [traceFile](int64_t tick, bool countdown, const ShipState& state) {
            std::string line = traceLine(tick, countdown, state);
            std::fputs(line.c_str(), traceFile);
            std::fputc('\n', traceFile);
        };
    }
    ReplayResult result = replayRace(track, setup, trace);
    if (traceFile && std::fclose(traceFile) != 0)
        return fail("writing trace " + options.values["--trace"] + " failed");
    std::printf("%s\n", outcomeLine(result).c_str());
    return 0;
}
