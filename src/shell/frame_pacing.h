#pragma once
// Frame pacing: a frame that finished early waits for its turn instead of
// drawing the same picture again at once. At most 60 frames per second in the
// menus; in a race at most the display's rate, or 120 when it is unknown. Only
// the next frame is delayed: the race's ticks keep to the frame clock, so the
// next frame runs every tick that fell due meanwhile and a run comes out the
// same at any frame rate.

#include <cstdint>

constexpr int kMenuFrameRate = 60;
constexpr int kRaceFrameRateUnknownDisplay = 120;

struct FramePacing {
    bool started = false;
    // Clock milliseconds (frameClockMs) at which the next frame may begin.
    double nextFrameMs = 0.0;
};

// Milliseconds on the monotonic clock, with the clock's own fraction: the
// race's ticks, the replay's clock and the pacing all read it. SDL's whole
// milliseconds would put the picture drawn between two ticks a millisecond
// off now and then, a tenth of a frame, which shows as judder.
double frameClockMs();

// The highest frame rate of the mode; displayHz 0 or below when the display's
// rate is not known.
int maxFrameRate(bool inRace, int displayHz);

// Called when a frame is done at nowMs: milliseconds to wait before the next
// frame begins, so that frames come at most maxFps a second. A frame that ran
// late by less than one frame's time lets the next start at once, keeping the
// average; one later than that starts the schedule afresh from now, so slow
// frames are never followed by a burst. maxFps 0 or below: no wait.
uint32_t frameWaitMs(FramePacing& pacing, double nowMs, int maxFps);
