#pragma once
// The pure parts of the scene's viewpoints: the chase camera fixed to a ship,
// the replay's outside cameras, the ghost's model matrix and the turntable
// angle of the menu background.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/ship.h"

struct Track;

struct CameraPose {
    Vec3 eye;
    Vec3 centre;
    Vec3 up;
};

// Half a unit behind the ship's origin and 1.15 above it, looking straight
// ahead at the same height, the ship's up axis as up.
CameraPose chaseCamera(const ShipState& ship);

// Six units behind the ship and 2.5 above it, looking at a point two units
// ahead of it and half a unit up, so the whole ship shows in the lower half.
CameraPose behindAboveCamera(const ShipState& ship);

// Fixed points beside the road for the replay's trackside cameras: one every
// tracksideSpacing segments, outside alternate edges of the road and raised
// above it. Empty for a track without segments.
constexpr size_t tracksideSpacing = 4;
std::vector<Vec3> tracksidePoints(const Track& track);

// The index of the point nearest to position (the first of equals); points
// must not be empty.
size_t nearestPoint(const std::vector<Vec3>& points, Vec3 position);

// From the point nearest to the ship, looking at the ship, z up; without
// points, the behind-and-above camera.
CameraPose tracksideCamera(const std::vector<Vec3>& points, const ShipState& ship);

// Column-major 4x4 for glMultMatrixd: the orientation rows right, forward and
// up become the first three columns, no translation.
void orientationMatrix(const Mat3& orientation, double out[16]);

// Degrees the menu scene has turned about z at an SDL time in milliseconds:
// 10 degrees per second, computed in double and handed to GL as a float.
float menuTurnDegrees(uint32_t ticksMs);

// Width over height as a double; a window without height counts as square.
double aspectRatio(int32_t width, int32_t height);
