#include "shell/frame_pacing.h"

#include <chrono>

double frameClockMs()
{
    using Ms = std::chrono::duration<double, std::milli>;
    return Ms(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int maxFrameRate(bool inRace, int displayHz)
{
    if (!inRace)
        return kMenuFrameRate;
    return displayHz > 0 ? displayHz : kRaceFrameRateUnknownDisplay;
}

uint32_t frameWaitMs(FramePacing& pacing, double nowMs, int maxFps)
{
    if (maxFps <= 0) {
        pacing.started = false;
        return 0;
    }
    double period = 1000.0 / maxFps;
    if (!pacing.started || nowMs >= pacing.nextFrameMs + period) {
        pacing.started = true;
        pacing.nextFrameMs = nowMs + period;
        return 0;
    }
    double due = pacing.nextFrameMs;
    pacing.nextFrameMs = due + period;
    if (nowMs >= due)
        return 0;
    // Whole milliseconds, rounded down: a frame begun a fraction early is
    // made up by the schedule, which keeps its own fractions.
    return static_cast<uint32_t>(due - nowMs);
}
