#include "sim/race.h"

#include <cstdint>

#include "sim/ship.h"
#include "track/track_file.h"

// The segment under the ship reaching this counter ends the race as won.
static const int32_t finishLap = 3;

void resetLaps(Track& track)
{
    for (TrackSegment& s : track.segments)
        s.lap = 0;
}

void updateRaceProgress(Track& track, const ShipState& ship, const RaceHooks& hooks)
{
    const int32_t count = static_cast<int32_t>(track.segments.size());
    if (count == 0) {
        // No road to race on.
        if (hooks.raceOn(hooks.context))
            hooks.leaveRoad(hooks.context);
        return;
    }
    // Only a step sets the segment; before the first one there is no progress.
    const int32_t cur = ship.segment;
    if (cur < 0 || cur >= count)
        return;

    int32_t lo = track.segments[0].lap;
    int32_t hi = lo;
    for (const TrackSegment& s : track.segments) {
        if (s.lap < lo)
            lo = s.lap;
        if (s.lap > hi)
            hi = s.lap;
    }
    const int32_t prev = (count + cur - 1) % count;
    const int32_t next = (count + cur + 1) % count;
    if (lo == hi)
        track.segments[size_t(next)].lap = lo + 1;
    else if (track.segments[size_t(cur)].lap < track.segments[size_t(prev)].lap)
        track.segments[size_t(cur)].lap = lo + 1;

    if (track.segments[size_t(cur)].lap >= finishLap && hooks.raceOn(hooks.context))
        hooks.finish(hooks.context);
    // Written so that a NaN also counts as off the road.
    const bool onRoad = ship.trackU >= 0.0 && ship.trackU <= 1.0;
    if (!onRoad && hooks.raceOn(hooks.context))
        hooks.leaveRoad(hooks.context);
}
