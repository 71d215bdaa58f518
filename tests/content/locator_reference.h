#pragma once
// The track locator written out the direct way, every trial evaluating both
// of its surface points afresh: the reference the game's locator must match
// bit for bit. The test executable links with --wrap=locate, so that the
// physics itself can be run on either (see locatorInUse).

#include "sim/locator.h"

TrackContact referenceNearestOnSegment(const TrackSegment& segment, Vec3 p, double u0, double t0);
TrackContact referenceLocate(const Track& track, const ShipState& state);

enum class LocatorChoice { game, reference };
// Which locator every call of locate(), by the physics too, goes to.
extern LocatorChoice locatorInUse;
