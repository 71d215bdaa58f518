#pragma once
// The ship's force model and its fixed-step integrator. A pure function of the
// state, its control, the track, gravity and the step length.

#include "sim/ship.h"

struct Track;

// Puts a ship at the start of the track: the road point the locator finds from
// the world origin, at rest, facing +y.
void resetShip(ShipState& state, const Track& track);
