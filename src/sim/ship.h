#pragma once
// A ship's physical state: the fixed 200 bytes that the save file snapshots.
// The game's Ship adds its model (assets/models.h); the physics never sees it.

#include <cstddef>
#include <cstdint>

#include "sim/control.h"
#include "sim/vecmath.h"

struct ShipState {
    ControlInput control;
    uint32_t pad0 = 0;
    // Metres, centre of the ship on the road surface.
    Vec3 position;
    // Metres per second, tangent to the road.
    Vec3 velocity;
    double mass = 0.0;
    double enginePower = 0.0;
    // Rows right, forward, up.
    Mat3 orientation;
    double linearDrag = 0.0;
    double quadraticDrag = 0.0;
    double downforce = 0.0;
    // Segment the ship is on, -1 until known.
    int32_t segment = 0;
    uint32_t pad1 = 0;
    double trackU = 0.0;
    double trackT = 0.0;
};
static_assert(sizeof(ShipState) == 200, "ShipState is stored as 200 bytes");
static_assert(offsetof(ShipState, position) == 16);
static_assert(offsetof(ShipState, velocity) == 40);
static_assert(offsetof(ShipState, mass) == 64);
static_assert(offsetof(ShipState, enginePower) == 72);
static_assert(offsetof(ShipState, orientation) == 80);
static_assert(offsetof(ShipState, linearDrag) == 152);
static_assert(offsetof(ShipState, quadraticDrag) == 160);
static_assert(offsetof(ShipState, downforce) == 168);
static_assert(offsetof(ShipState, segment) == 176);
static_assert(offsetof(ShipState, trackU) == 184);
static_assert(offsetof(ShipState, trackT) == 192);
