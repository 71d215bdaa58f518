// The play menu's share of judging a folder of 500 ghost files, frame by
// frame as the game spreads it: every file a true run of the first track,
// so each one costs a read and a replay. Then the same folder on a second
// start, with the verdicts kept by the first.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench.h"
#include "save/ghost_shelf.h"
#include "shell/shelf_files.h"
#include "sim/autopilot.h"
#include "track/track_file.h"

namespace {

struct ShelfFrames {
    // The refresh's frame: the listing and its share of the work.
    double refreshMs = 0.0;
    // The later frames.
    std::vector<double> framesMs;
    double totalMs = 0.0;
};

// The refresh's frame and every later one until nothing is pending.
ShelfFrames judgeFolder(GhostShelf& shelf, const std::string& folder, const std::string& name, Track& track,
                        const Sha256Digest& hash)
{
    using Clock = std::chrono::steady_clock;
    ShelfFrames f;
    bool first = true;
    while (first || shelf.pending > 0) {
        Clock::time_point start = Clock::now();
        if (first)
            beginShelf(shelf, folder, name, hash, true);
        stepShelf(shelf, track, nullptr, menuFrameShelfBudget);
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (first)
            f.refreshMs = ms;
        else
            f.framesMs.push_back(ms);
        f.totalMs += ms;
        first = false;
    }
    return f;
}

}  // namespace

int benchGhostFolder(const BenchOptions& options)
{
    const std::string name = options.tracks.front();
    Track track;
    GhostFile ghost;
    if (!readTrackRoad(track, options.data, name) || !hashTrackFile(options.data, name, ghost.trackHash)) {
        std::fprintf(stderr, "vantor-bench: track %s cannot be read\n", name.c_str());
        return 1;
    }
    AutopilotRun run = driveWithAutopilot(track, AutopilotSettings{}, 180000);
    if (run.result.outcome != RaceOutcome::finish) {
        std::fprintf(stderr, "vantor-bench: the autopilot does not finish track %s\n", name.c_str());
        return 1;
    }
    ghost.trackName = name;
    ghost.playerName = "bench";
    ghost.ticks = static_cast<uint32_t>(run.result.raceTicks);
    ghost.records = run.controls;

    char pattern[] = "/tmp/vantor-bench-ghosts-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "vantor-bench: no temporary folder\n");
        return 1;
    }
    const std::string folder = pattern;
    const int files = 500;
    for (int i = 0; i < files; ++i) {
        ghost.date = i;
        writeGhostFile(folder + "/" + std::to_string(1000 + i) + ".vghost", ghost);
    }
    std::printf("== ghost files: %d true runs of %s (%u ticks) in the play menu, %zu reads and %zu replay a frame\n",
                files, name.c_str(), ghost.ticks, menuFrameShelfBudget.reads, menuFrameShelfBudget.replays);
    std::printf("%-14s %8s %12s %12s %12s %12s %12s\n", "start", "frames", "refresh ms", "median ms", "p99 ms",
                "longest ms", "total ms");
    auto print = [](const char* label, const ShelfFrames& f) {
        FrameStats later = frameStats(f.framesMs);
        std::printf("%-14s %8zu %12.2f %12.2f %12.2f %12.2f %12.1f\n", label, later.count + 1, f.refreshMs,
                    later.median, later.p99, later.max, f.totalMs);
    };
    GhostShelf shelf;
    ShelfFrames fresh = judgeFolder(shelf, folder, name, track, ghost.trackHash);
    print("first", fresh);
    GhostShelf again;
    again.keptChecks = checksToKeep(shelf);
    ShelfFrames kept = judgeFolder(again, folder, name, track, ghost.trackHash);
    print("with verdicts", kept);
    std::system(("rm -rf '" + folder + "'").c_str());
    return shelf.offered.size() == size_t(files) && again.offered.size() == size_t(files) ? 0 : 1;
}
