#pragma once
// Puts a point on the road: the nearest surface point of the segment the ship
// was on last, widening to its neighbours in a fixed order. Stateless; the
// continuity from tick to tick lives in the ship's segment, trackU, trackT.

#include <cstdint>

#include "sim/vecmath.h"

struct Track;
struct TrackSegment;
struct ShipState;

struct TrackContact {
    // Metres, the surface point S(t, u) at the found parameters.
    Vec3 point;
    // Unit normal there; the side the ship rides on.
    Vec3 normal;
    // Across the road, 0 on rail 0 and 1 on rail 3; may lie outside [0, 1].
    double u = 0.0;
    // Along the segment, 0 to 1; may lie outside.
    double t = 0.0;
    // Index into the track's segments; -1 when the track has none.
    int32_t segment = -1;
};

struct SurfaceFrame {
    Vec3 point;
    Vec3 normal;
};

// S(t, u): the Bezier across the four rails at t.
Vec3 surfacePoint(const TrackSegment& segment, double u, double t);
// The point and the unit normal from finite differences of 0.0001 in u and t.
SurfaceFrame surfaceFrame(const TrackSegment& segment, double u, double t);

// Coordinate descent on the squared distance from p, starting at (u0, t0),
// steps 0.1 shrinking by 0.25 per pass down to 0.0001, at most 100 trials
// shared by all passes. u and t are not bounded. The result's segment is -1.
// iterations, when given, receives the number of trials made.
TrackContact nearestOnSegment(const TrackSegment& segment, Vec3 p, double u0, double t0,
                              int* iterations = nullptr);

// How many searches ran since start; the benchmark reads them.
struct LocatorCounters {
    uint64_t locateCalls = 0;
    uint64_t segmentSearches = 0;
};
// Per thread, like geometryCounters: the content tool races several tracks
// at once, and a shared count would be a data race.
extern thread_local LocatorCounters locatorCounters;

// The road contact for the state's position, warm-started from its segment,
// trackU and trackT (segment -1: from the segment whose centre is nearest).
// A track without segments gives the position itself with an upward normal,
// the state's u and t, and segment -1.
TrackContact locate(const Track& track, const ShipState& state);
