#pragma once
// The ship's force model and its fixed-step integrator. A pure function of the
// state, its control, the track, gravity and the step length: no clock, no
// randomness, so a run replays from its control records alone.

#include "sim/ship.h"

struct Track;

// Time derivative of position and velocity.
struct ShipDerivative {
    // Metres per second: the velocity itself.
    Vec3 position;
    // Metres per second squared.
    Vec3 velocity;
};

// The force model: gravity along the road, normal damping, sideways grip,
// brake, thrust limited by traction and grip, air drag. gravity in m/s^2.
ShipDerivative shipDerivative(const ShipState& state, const Track& track, double gravity);

// Advances the state by one tick of stepSeconds, snaps it onto the road,
// rebuilds its frame from the road normal and turns it by the steering.
// Stores the located segment, trackU and trackT. Race rules are not run here.
void stepShipState(ShipState& state, const Track& track, double gravity, double stepSeconds);

// Puts a ship at the start of the track: the road point the locator finds from
// the world origin, at rest, identity frame, segment -1 until the first step.
// The control record is left as it was.
void resetShip(ShipState& state, const Track& track);
