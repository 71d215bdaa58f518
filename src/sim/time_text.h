#pragma once
// Race times as the player reads them, from whole ticks: every time on
// screen and in the tools' lines is written here, so the same run shows the
// same text everywhere.

#include <cstdint>
#include <string>

// Stands for no time at all.
constexpr const char* noTimeText = "-:--.--";

// "M:SS.hh" of a tick count: minutes, seconds and hundredths of exactly
// ticks hundredths, no floating point. Negative counts show as 0:00.00.
std::string formatTicks(int64_t ticks);

// A difference in ticks: "-0.42" ahead, "+1.10" behind, "+0.00" level.
std::string formatDelta(int64_t ticks);

// The largest tick count that is within a target of seconds, as the medal
// rule counts it (ticks <= seconds / stepSeconds); 0 for a target that is
// not a positive finite number.
int64_t ticksWithin(double seconds, double stepSeconds);
