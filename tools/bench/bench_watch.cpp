// Watching a run: what a seek costs on a 3-minute run. The first pass plays
// the whole run from the start (what any seek would cost without snapshots);
// Home goes back to the start; the worst seek re-simulates from the last
// snapshot before each of a spread of ticks, from the end of the run.
#include <chrono>
#include <cstdio>

#include "bench.h"
#include "sim/watch.h"
#include "sim/autopilot.h"
#include "track/track_file.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int benchWatch(const BenchOptions& options)
{
    // Three minutes of race ticks; a slow autopilot keeps the ship on the
    // road that long on every track.
    const int64_t runTicks = 180 * ticksPerSecond;
    AutopilotSettings slow;
    slow.topSpeed = 12.0;
    std::printf("== watching: seeks in a replay of a 3-minute run, snapshots every %lld ticks\n",
                static_cast<long long>(watchSnapshotSpacing));
    std::printf("%-6s %8s %12s %16s %10s %14s\n", "track", "ticks", "end", "first pass ms", "Home ms",
                "worst seek ms");
    double worstAll = 0.0, firstAll = 0.0;
    for (const std::string& name : options.tracks) {
        Track track;
        if (!readTrackRoad(track, options.data, name)) {
            std::printf("%-6s no road\n", name.c_str());
            continue;
        }
        const std::vector<ControlInput> run = driveWithAutopilot(track, slow, runTicks).controls;
        Watch watch;
        beginWatch(watch, track, run, defaultGravity);
        Clock::time_point start = Clock::now();
        seekWatch(watch, int64_t(1) << 40);
        const double firstPass = msSince(start);
        const int64_t endTick = watch.session.ticks;
        const char* end = watch.session.outcome == RaceOutcome::finish    ? "finish"
                          : watch.session.outcome == RaceOutcome::offroad ? "offroad"
                                                                          : "records";
        start = Clock::now();
        seekWatch(watch, 0);
        const double home = msSince(start);
        double worst = 0.0;
        // Just before each snapshot is where a seek re-simulates the most.
        for (int64_t target = watchSnapshotSpacing - 1; target < endTick; target += watchSnapshotSpacing) {
            seekWatch(watch, endTick);
            start = Clock::now();
            seekWatch(watch, target);
            const double ms = msSince(start);
            worst = ms > worst ? ms : worst;
        }
        std::printf("%-6s %8lld %12s %16.2f %10.3f %14.2f\n", name.c_str(), static_cast<long long>(endTick), end,
                    firstPass, home, worst);
        worstAll = worst > worstAll ? worst : worstAll;
        firstAll = firstPass > firstAll ? firstPass : firstAll;
    }
    std::printf("%-6s %8s %12s %16.2f %10s %14.2f   (goal: every seek under 100 ms)\n", "max", "", "", firstAll, "",
                worstAll);
    return 0;
}
