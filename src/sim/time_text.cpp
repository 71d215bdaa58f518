#include "sim/time_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string formatTicks(int64_t ticks)
{
    const long long t = ticks < 0 ? 0 : static_cast<long long>(ticks);
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", t / 6000, t / 100 % 60, t % 100);
    return text;
}

std::string formatDelta(int64_t ticks)
{
    const long long magnitude = std::llabs(static_cast<long long>(ticks));
    char text[40];
    std::snprintf(text, sizeof text, "%c%lld.%02lld", ticks < 0 ? '-' : '+', magnitude / 100, magnitude % 100);
    return text;
}

int64_t ticksWithin(double seconds, double stepSeconds)
{
    if (!(stepSeconds > 0.0))
        return 0;
    const double limit = seconds / stepSeconds;
    // Beyond a day of ticks no time is meaningful; the bound keeps the cast defined.
    if (!(limit >= 0.0) || limit > 8640000.0)
        return limit > 8640000.0 ? 8640000 : 0;
    return static_cast<int64_t>(std::floor(limit));
}
