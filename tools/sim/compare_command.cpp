// vantor-sim compare: two runs of one track side by side, section by
// section between the joint crossings both have, in exact race ticks.
#include <cstdio>

#include "command.h"
#include "sim/run_compare.h"
#include "sim/splits.h"
#include "track/track_file.h"

namespace {

// An hour of race ticks, as race stops without --max-ticks.
const int64_t runTickLimit = 360000;

struct ComparedRun {
    ReplayResult result;
    RunSplits splits;
};

ComparedRun replayWithSplits(const Track& road, const std::vector<ControlInput>& records)
{
    ComparedRun run;
    Track track = road;
    resetSplits(run.splits, static_cast<int32_t>(track.segments.size()));
    ReplaySetup setup;
    setup.controls = records;
    setup.maxTicks = runTickLimit;
    setup.onTick = [&run](const TickReport& report) { noteSplitTick(run.splits, report); };
    run.result = replayRace(track, setup);
    return run;
}

}  // namespace

int compareCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> optionWords;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            optionWords.push_back(args[i]);
            if (i + 1 < args.size())
                optionWords.push_back(args[++i]);
        } else {
            files.push_back(args[i]);
        }
    }
    Options options;
    if (!parseOptions(optionWords, {"--data", "--track"}, options))
        return fail(options.error);
    if (!options.has("--data") || !options.has("--track") || files.size() != 2)
        return fail("compare needs --data DIR --track NAME and two runs A B");

    std::vector<ControlInput> records[2];
    for (int i = 0; i < 2; ++i) {
        std::string error;
        if (!readRunFile(files[size_t(i)], records[i], error))
            return fail(error);
    }
    Track track;
    std::string error;
    if (!readRoad(options.values["--data"], options.values["--track"], track, error))
        return fail(error);

    const ComparedRun a = replayWithSplits(track, records[0]);
    const ComparedRun b = replayWithSplits(track, records[1]);
    std::printf("A %s\n", outcomeLine(a.result).c_str());
    std::printf("B %s\n", outcomeLine(b.result).c_str());
    for (const Section& s : commonSections(a.splits, b.splits))
        std::printf("section %d %d %lld %lld\n", s.lap, s.segment, static_cast<long long>(s.ticksA),
                    static_cast<long long>(s.ticksB));
    std::printf("total %lld %lld\n", static_cast<long long>(a.result.raceTicks),
                static_cast<long long>(b.result.raceTicks));
    return 0;
}
