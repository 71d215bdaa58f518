// Simulation: ticks per second of a headless replay of the autopilot's race
// (the countdown, the rest of the start segment and two laps) on each track,
// on one core, side by side with the direct transcription of the same rules
// (sim_transcription.cpp), and the geometry evaluations one physics step costs.
// Both must end in the same state to the last bit; a track where they do not
// is marked DIFFERS and the section fails.
#include <ctime>
#include <cstdio>
#include <cstring>

#include "bench.h"
#include "sim/race_constants.h"
#include "sim/autopilot.h"
#include "sim/locator.h"
#include "sim/replay.h"
#include "sim_transcription.h"
#include "track/geometry.h"
#include "track/track_file.h"

namespace {

// Seconds of processor time this thread has used: on a machine shared with
// other work the wall clock also counts the time spent waiting for a core.
double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + 1e-9 * double(ts.tv_nsec);
}

struct SimFigures {
    uint64_t steps = 0;
    double gameSeconds = 0.0;
    double directSeconds = 0.0;
    uint64_t rails = 0;
    uint64_t sections = 0;
};

void printSimRow(const char* name, const char* outcome, const SimFigures& f)
{
    const double steps = double(f.steps);
    std::printf("%-6s %8s %10llu %12.0f %10.3f %12.0f %10.2f %10.1f %10.1f\n", name, outcome,
                static_cast<unsigned long long>(f.steps), steps / f.gameSeconds, f.gameSeconds * 1e6 / steps,
                steps / f.directSeconds, f.directSeconds / f.gameSeconds, double(f.rails) / steps,
                double(f.sections) / steps);
}

} // namespace

int benchSimulation(const BenchOptions& options)
{
    std::printf("== simulation: headless replay of the autopilot's race, one core, against the direct transcription\n");
    std::printf("%-6s %8s %10s %12s %10s %12s %10s %10s %10s\n", "track", "outcome", "steps", "ticks/s",
                "us/step", "direct/s", "ratio", "rail/step", "sect/step");
    SimFigures all;
    int status = 0;
    for (const std::string& name : options.tracks) {
        Track track;
        if (!readTrackRoad(track, options.data, name)) {
            std::printf("%-6s no road\n", name.c_str());
            continue;
        }
        ReplaySetup setup;
        setup.controls = driveWithAutopilot(track, AutopilotSettings{}, 60000).controls;
        ReplayResult result;
        TranscribedRun direct;
        const GeometryCounters before = geometryCounters;
        // The two replays take turns, so a change in the machine's load
        // touches both; the fastest of each is the least disturbed.
        double bestGame = 1e300;
        double bestDirect = 1e300;
        for (int r = 0; r < options.simRepeat; ++r) {
            double start = threadSeconds();
            result = replayRace(track, setup);
            double seconds = threadSeconds() - start;
            bestGame = seconds < bestGame ? seconds : bestGame;
            start = threadSeconds();
            direct = transcribedReplay(track, setup.controls, setup.gravity);
            seconds = threadSeconds() - start;
            bestDirect = seconds < bestDirect ? seconds : bestDirect;
        }
        SimFigures f;
        f.steps = uint64_t(countdownTicks + result.raceTicks);
        f.gameSeconds = bestGame;
        f.directSeconds = bestDirect;
        f.rails = (geometryCounters.railPoints - before.railPoints) / uint64_t(options.simRepeat);
        f.sections = (geometryCounters.sectionPoints - before.sectionPoints) / uint64_t(options.simRepeat);
        const int outcome = result.outcome == RaceOutcome::finish ? 1 : result.outcome == RaceOutcome::offroad ? 2 : 0;
        const bool same = direct.outcome == outcome && direct.raceTicks == result.raceTicks &&
                          std::memcmp(&direct.finalState, &result.finalState, sizeof(ShipState)) == 0;
        printSimRow(name.c_str(), !same ? "DIFFERS" : outcome == 1 ? "finish" : "other", f);
        if (!same)
            status = 1;
        all.steps += f.steps;
        all.gameSeconds += f.gameSeconds;
        all.directSeconds += f.directSeconds;
        all.rails += f.rails;
        all.sections += f.sections;
    }
    if (all.steps > 0)
        printSimRow("all", "", all);
    return status;
}
