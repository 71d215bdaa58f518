// vantor-sim race: one run of control records through the game's physics and
// race rules, optionally traced tick by tick.
#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "assets/atomic_file.h"
#include "command.h"
#include "sim/splits.h"
#include "track/track_file.h"

static const int64_t defaultTickLimit = hourTicks;

int raceCommand(const std::vector<std::string>& arguments)
{
    // --splits is a flag without a value; the other options come in pairs.
    std::vector<std::string> args = arguments;
    const auto flag = std::find(args.begin(), args.end(), "--splits");
    const bool printSplits = flag != args.end();
    if (printSplits)
        args.erase(flag);
    if (std::count(args.begin(), args.end(), "--splits") != 0)
        return fail("--splits given twice");
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
                    " (missing, not a regular file, over 64 MiB, or not a whole number of 12-byte records)");
    }
    if (options.has("--max-ticks") && !parseCount(options.values["--max-ticks"], setup.maxTicks))
        return fail("--max-ticks wants a count, not '" + options.values["--max-ticks"] + "'");
    // Without a limit, stop after an hour of race time: a held record never
    // runs out, and a huge control file would run for many minutes.
    if (!options.has("--max-ticks"))
        setup.maxTicks = defaultTickLimit;

    Track track;
    std::string error;
    if (!readRoad(options.values["--data"], options.values["--track"], track, error))
        return fail(error);

    std::FILE* traceFile = nullptr;
    if (options.has("--trace")) {
        const std::string& tracePath = options.values["--trace"];
        std::vector<std::string> inputs = {trackFilePath(options.values["--data"], options.values["--track"])};
        if (options.has("--controls"))
            inputs.push_back(options.values["--controls"]);
        const std::string problem = outputProblem(tracePath, inputs);
        if (!problem.empty())
            return fail(problem);
        const int fd = openOutputFile(tracePath, error);
        if (fd < 0)
            return fail(error);
        traceFile = fdopen(fd, "w");
        if (!traceFile) {
            close(fd);
            return fail("cannot write trace " + tracePath);
        }
    }
    ReplayTrace trace;
    if (traceFile) {
        trace = [traceFile](int64_t tick, bool countdown, const ShipState& state) {
            std::string line = traceLine(tick, countdown, state);
            std::fputs(line.c_str(), traceFile);
            std::fputc('\n', traceFile);
        };
    }
    RunSplits splits;
    resetSplits(splits, static_cast<int32_t>(track.segments.size()));
    if (printSplits)
        setup.onTick = [&splits](const TickReport& report) { noteSplitTick(splits, report); };
    ReplayResult result = replayRace(track, setup, trace);
    if (traceFile && std::fclose(traceFile) != 0)
        return fail("writing trace " + options.values["--trace"] + " failed");
    std::printf("%s\n", outcomeLine(result).c_str());
    for (const Split& split : splits.splits)
        std::printf("split %d %d %lld\n", split.lap, split.segment, static_cast<long long>(split.raceTick));
    return 0;
}
