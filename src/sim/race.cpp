#include "sim/race.h"

#include <cmath>
#include <cstdint>

#include "sim/ship.h"
#include "track/track_file.h"

void resetLaps(Track& track)
{
    for (TrackSegment& s : track.segments)
        s.lap = 0;
}

// Whether position, velocity and the road coordinates are all numbers. A
// ship that is not can never be located again: left alone it would race on
// for ever without finishing or leaving the road.
static bool finiteState(const ShipState& ship)
{
    const double values[8] = {ship.position.x, ship.position.y, ship.position.z, ship.velocity.x,
                              ship.velocity.y, ship.velocity.z, ship.trackU,     ship.trackT};
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

static int32_t lowestLap(const TrackSegment* segments, int32_t count)
{
    int32_t lo = segments[0].lap;
    for (int32_t i = 1; i < count; ++i)
        if (segments[i].lap < lo)
            lo = segments[i].lap;
    return lo;
}

// Whether every counter equals lap; segment first is looked at before the
// rest, as the one most likely to differ.
static bool allLapsAre(const TrackSegment* segments, int32_t count, int32_t lap, int32_t first)
{
    if (segments[first].lap != lap)
        return false;
    for (int32_t i = 0; i < count; ++i)
        if (segments[i].lap != lap)
            return false;
    return true;
}

void updateRaceProgress(Track& track, const ShipState& ship, const RaceHooks& hooks)
{
    const int32_t count = static_cast<int32_t>(track.segments.size());
    if (count == 0 || !finiteState(ship)) {
        // No road to race on, or no place on it.
        if (hooks.raceOn(hooks.context))
            hooks.leaveRoad(hooks.context);
        return;
    }
    // Only a step sets the segment; before the first one there is no progress.
    const int32_t cur = ship.segment;
    if (cur < 0 || cur >= count)
        return;

    // The rule: when every counter is equal, the segment ahead of the ship's
    // gets one more; otherwise the ship's segment, when below its predecessor,
    // gets the lowest counter plus one. A counter below its predecessor's
    // already shows that they differ and one above it leaves nothing to do, so
    // only a tie needs the whole road, and the segment ahead of a ship in
    // mid-lap almost always settles that at once (this runs every tick).
    const int32_t prev = (count + cur - 1) % count;
    const int32_t next = (count + cur + 1) % count;
    TrackSegment* segments = track.segments.data();
    const int32_t here = segments[cur].lap;
    const int32_t before = segments[prev].lap;
    if (here < before)
        segments[cur].lap = lowestLap(segments, count) + 1;
    else if (here == before && allLapsAre(segments, count, here, next))
        segments[next].lap = here + 1;

    if (track.segments[size_t(cur)].lap >= finishLap && hooks.raceOn(hooks.context))
        hooks.finish(hooks.context);
    // Written so that a NaN also counts as off the road.
    const bool onRoad = ship.trackU >= 0.0 && ship.trackU <= 1.0;
    if (!onRoad && hooks.raceOn(hooks.context))
        hooks.leaveRoad(hooks.context);
}
