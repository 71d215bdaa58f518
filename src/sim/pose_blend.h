#pragma once
// What a frame draws of a ship between two ticks: the pose a fraction of the
// way from the state before the last tick to the state after it. Drawing
// only; the simulation, the records and every stored file never see it.

#include "sim/ship.h"

// The two states a drawn pose lies between.
struct PoseHistory {
    ShipState before;
    ShipState after;
};

// Both states become state, so nothing is drawn between two unrelated places
// (a start, a restart, a seek, a camera change).
void resetPose(PoseHistory& history, const ShipState& state);
// A tick has produced state: the last one becomes the one before it.
void advancePose(PoseHistory& history, const ShipState& state);

// after, with the position blended linearly and the orientation by a
// spherical blend of the two frames, at fraction (clamped to [0, 1]; not a
// number counts as 1). At 0 it is before, at 1 after, both exactly; the
// orientation is always a rotation. A frame that is no rotation at all (zero
// or not finite) is not blended: the nearer state's frame is taken as it is.
ShipState blendShipStates(const ShipState& before, const ShipState& after, double fraction);
ShipState drawnPose(const PoseHistory& history, double fraction);

// The fraction of a tick of tickMs the clock at nowMs has passed since the
// last tick, when the next one is due at nextTickMs; in [0, 1].
double tickFraction(double nowMs, double nextTickMs, double tickMs);

// Unit quaternion (w, x, y, z) of a frame whose rows are right, forward and
// up, and back. The frame need not be exactly orthonormal: the quaternion is
// that of the nearest rotation to within rounding, and false says the frame
// has no usable rotation in it.
struct Quaternion {
    double w = 1.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
bool frameQuaternion(const Mat3& frame, Quaternion& out);
Mat3 quaternionFrame(const Quaternion& q);
// The shorter arc from a to b at fraction in [0, 1]; both unit.
Quaternion slerp(const Quaternion& a, const Quaternion& b, double fraction);
