// After a finish: the analysis of the autopilot's run against a slower run
// of the same track (both replayed, sectors, gap samples), one kept run's
// sector times from its history file, writing a run into the history, and
// the practice start at the middle of the second lap, and a race start
// against an hour-long rival with one frame's share of its replay. Processor time of
// this thread, median of three; the history write in wall-clock time, since
// most of it is waiting for the disk.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench.h"
#include "save/ghost_file.h"
#include "save/history_sectors.h"
#include "save/run_history.h"
#include "sim/autopilot.h"
#include "sim/practice.h"
#include "sim/run_compare.h"
#include "sim/splits.h"
#include "track/track_file.h"

namespace {

double clockMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return 1e3 * double(ts.tv_sec) + 1e-6 * double(ts.tv_nsec);
}

template <typename F> double medianMs(F&& work, clockid_t clock = CLOCK_THREAD_CPUTIME_ID)
{
    std::vector<double> samples;
    for (int i = 0; i < 3; ++i) {
        const double start = clockMs(clock);
        work();
        samples.push_back(clockMs(clock) - start);
    }
    return medianOf(samples);
}

}  // namespace

int benchAnalysis(const BenchOptions& options)
{
    char pattern[] = "/tmp/vantor-bench-history-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "vantor-bench: no temporary folder\n");
        return 1;
    }
    const std::string saveDir = pattern;
    std::printf("== analysis: a finished run against a slower one, ms of processor time\n");
    std::printf("%-6s %8s %12s %14s %12s %12s %14s %12s\n", "track", "ticks", "analysis", "kept sectors",
                "keep (wall)", "practice", "start (1 h)", "frame share");
    int status = 0;
    for (const std::string& name : options.tracks) {
        Track track;
        Sha256Digest hash{};
        if (!readTrackRoad(track, options.data, name) || !hashTrackFile(options.data, name, hash)) {
            std::printf("%-6s no road\n", name.c_str());
            status = 1;
            continue;
        }
        Track copy = track;
        const AutopilotRun fast = driveWithAutopilot(copy, AutopilotSettings{}, 60000);
        if (fast.result.outcome != RaceOutcome::finish) {
            std::printf("%-6s no finish\n", name.c_str());
            status = 1;
            continue;
        }
        std::vector<ControlInput> slow = fast.controls;
        for (size_t i = 0; i < slow.size() / 50; ++i)
            slow[i].throttle *= 0.9f;

        const double analysis = medianMs([&] { analyseRun(track, fast.controls, slow, {}, defaultGravity); });

        GhostFile ghost;
        ghost.trackName = name;
        ghost.trackHash = hash;
        ghost.ticks = static_cast<uint32_t>(fast.result.raceTicks);
        ghost.records = fast.controls;
        int64_t date = 1700000000;
        const double keep = medianMs([&] {
            ghost.date = date++;
            if (!keepInHistory(saveDir, ghost))
                status = 1;
        }, CLOCK_MONOTONIC);
        const std::string folder = historyFolder(saveDir, name);
        const double sectors = medianMs([&] {
            HistorySectors cache;
            refreshHistorySectors(cache, folder, track, hash, defaultGravity, 1);
        });

        const int32_t segments = static_cast<int32_t>(track.segments.size());
        const double practice = medianMs([&] {
            Track road = track;
            ShipState player;
            RaceSession session;
            beginPractice(session, road, player, nullptr, fast.controls, 2, segments / 2, defaultGravity);
        });
        // A rival that brakes on the start line for an hour: the longest run
        // a race compares with, and one that never ends early.
        ControlInput braking;
        braking.brake = 1.0f;
        const std::vector<ControlInput> hourRival(static_cast<size_t>(hourTicks), braking);
        LiveSplits live;
        const double start = medianMs([&] {
            live = LiveSplits();
            beginLiveSplits(live, track, &hourRival, defaultGravity);
        });
        const double share = medianMs([&] { stepRivalSplits(live, rivalTicksPerFrame); });
        std::printf("%-6s %8lld %12.1f %14.1f %12.2f %12.1f %14.2f %12.2f\n", name.c_str(),
                    static_cast<long long>(fast.result.raceTicks), analysis, sectors, keep, practice, start, share);
    }
    std::system(("rm -rf '" + saveDir + "'").c_str());
    return status;
}
