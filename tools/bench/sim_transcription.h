#pragma once
// The headless replay written out the direct way, for the simulation figure to
// measure the game against: the road surface, the locator, the physics, the
// countdown and the lap rules as plain functions in one file, every locator
// trial evaluating both of its surface points afresh, no counters. It is built
// with the game's compiler, flags and inline vector maths, so the ratio the
// benchmark prints is the game's own speed-up and not a difference in how the
// two were compiled. The benchmark checks that both end bit for bit alike.

#include <cstdint>
#include <vector>

#include "sim/control.h"
#include "sim/ship.h"

struct Track;

struct TranscribedRun {
    // 1 finished, 2 left the road, 0 ran out of records.
    int outcome = 0;
    int64_t raceTicks = 0;
    ShipState finalState;
};

// The countdown with full brake, then one race tick per record until the
// finish, leaving the road or the end of the records. The track's own lap
// counters are left alone.
TranscribedRun transcribedReplay(const Track& track, const std::vector<ControlInput>& controls, double gravity);
