#pragma once
// The pure parts of the scene's viewpoints: the chase camera fixed to a ship,
// the ghost's model matrix and the turntable angle of the menu background.

#include <cstdint>

#include "sim/ship.h"

struct CameraPose {
    Vec3 eye;
    Vec3 centre;
    Vec3 up;
};

// Half a unit behind the ship's origin and 1.15 above it, looking straight
// ahead at the same height, the ship's up axis as up.
CameraPose chaseCamera(const ShipState& ship);

// Column-major 4x4 for glMultMatrixd: the orientation rows right, forward and
// up become the first three columns, no translation.
void orientationMatrix(const Mat3& orientation, double out[16]);

// Degrees the menu scene has turned about z at an SDL time in milliseconds:
// 10 degrees per second, computed in double and handed to GL as a float.
float menuTurnDegrees(uint32_t ticksMs);

// Width over height as a double; a window without height counts as square.
double aspectRatio(int32_t width, int32_t height);
