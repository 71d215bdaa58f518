// vantor-sim bench: the cost of the physics step and the speed of a headless
// replay, for setting performance goals. Figures only; nothing is checked.
#include <chrono>
#include <cstdio>

#include "command.h"
#include "sim/autopilot.h"
#include "sim/locator.h"
#include "track/geometry.h"
#include "track/track_file.h"

int benchCommand(const std::vector<std::string>& args)
{
    Options options;
    if (!parseOptions(args, {"--data", "--track", "--controls", "--repeat"}, options))
        return fail(options.error);
    if (!options.has("--data") || !options.has("--track"))
        return fail("bench needs --data DIR and --track NAME");
    int64_t repeat = 5;
    if (options.has("--repeat") && (!parseCount(options.values["--repeat"], repeat) || repeat < 1))
        return fail("--repeat wants a count of at least 1, not '" + options.values["--repeat"] + "'");

    Track track;
    std::string error;
    if (!readRoad(options.values["--data"], options.values["--track"], track, error))
        return fail(error);
    ReplaySetup setup;
    if (options.has("--controls")) {
        if (!readControlFile(options.values["--controls"], setup.controls))
            return fail("cannot read control records from " + options.values["--controls"]);
    } else {
        // Without records, the autopilot's race: the rest of the start segment and two laps.
        setup.controls = driveWithAutopilot(track, AutopilotSettings{}, 180000).controls;
    }

    using Clock = std::chrono::steady_clock;
    GeometryCounters geometryBefore = geometryCounters;
    LocatorCounters locatorBefore = locatorCounters;
    int64_t steps = 0;
    ReplayResult result;
    Clock::time_point start = Clock::now();
    for (int64_t i = 0; i < repeat; ++i) {
        result = replayRace(track, setup);
        steps += countdownTicks + result.raceTicks;
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    double perStep = 1.0 / double(steps);
    std::printf("run: %s, %lld physics steps per replay, %lld replays\n", outcomeLine(result).c_str(),
                static_cast<long long>(steps / repeat), static_cast<long long>(repeat));
    std::printf("ticks per second: %.0f\n", double(steps) / seconds);
    std::printf("microseconds per physics step: %.3f\n", seconds * 1e6 * perStep);
    std::printf("locate calls per step: %.3f\n", double(locatorCounters.locateCalls - locatorBefore.locateCalls) * perStep);
    std::printf("segment searches per step: %.3f\n",
                double(locatorCounters.segmentSearches - locatorBefore.segmentSearches) * perStep);
    std::printf("railPoint calls per step: %.1f\n",
                double(geometryCounters.railPoints - geometryBefore.railPoints) * perStep);
    std::printf("sectionPoint calls per step: %.1f\n",
                double(geometryCounters.sectionPoints - geometryBefore.sectionPoints) * perStep);
    return 0;
}
