// Simulation: ticks per second of a headless replay of the autopilot's race
// (the countdown, the rest of the start segment and two laps) on each track,
// on one core, and the geometry evaluations one physics step costs.
#include <chrono>
#include <cstdio>

#include "bench.h"
#include "sim/autopilot.h"
#include "sim/locator.h"
#include "sim/replay.h"
#include "track/geometry.h"
#include "track/track_file.h"

int benchSimulation(const BenchOptions& options)
{
    using Clock = std::chrono::steady_clock;
    std::printf("== simulation: headless replay of the autopilot's race, one core\n");
    std::printf("%-6s %8s %14s %12s %14s %16s %14s\n", "track", "outcome", "steps/replay", "ticks/s",
                "us/step", "railPoint/step", "section/step");
    uint64_t allSteps = 0, allRails = 0, allSections = 0;
    double allSeconds = 0.0;
    for (const std::string& name : options.tracks) {
        Track track;
        if (!readTrackRoad(track, options.data, name)) {
            std::printf("%-6s no road\n", name.c_str());
            continue;
        }
        ReplaySetup setup;
        setup.controls = driveWithAutopilot(track, AutopilotSettings{}, 60000).controls;
        ReplayResult result;
        const GeometryCounters before = geometryCounters;
        // The fastest of the repeats: the least disturbed by other work.
        double best = 1e300;
        int64_t steps = 0;
        for (int r = 0; r < options.simRepeat; ++r) {
            Clock::time_point start = Clock::now();
            result = replayRace(track, setup);
            double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            best = seconds < best ? seconds : best;
            steps = countdownTicks + result.raceTicks;
        }
        const double perStep = 1.0 / double(steps * options.simRepeat);
        const uint64_t rails = geometryCounters.railPoints - before.railPoints;
        const uint64_t sections = geometryCounters.sectionPoints - before.sectionPoints;
        std::printf("%-6s %8s %14lld %12.0f %14.3f %16.1f %14.1f\n", name.c_str(),
                    result.outcome == RaceOutcome::finish ? "finish" : "other", static_cast<long long>(steps),
                    double(steps) / best, best * 1e6 / double(steps), double(rails) * perStep,
                    double(sections) * perStep);
        allSteps += uint64_t(steps);
        allSeconds += best;
        allRails += rails / uint64_t(options.simRepeat);
        allSections += sections / uint64_t(options.simRepeat);
    }
    if (allSteps > 0)
        std::printf("%-6s %8s %14llu %12.0f %14.3f %16.1f %14.1f\n", "all", "", static_cast<unsigned long long>(allSteps),
                    double(allSteps) / allSeconds, allSeconds * 1e6 / double(allSteps),
                    double(allRails) / double(allSteps), double(allSections) / double(allSteps));
    return 0;
}
