#pragma once
// The road as closed cubic splines: four rail curves per segment and a cubic
// Bezier across them. Computed in doubles in a fixed operation order, because
// stored runs replay only if the surface comes out bit-identical on every load.

#include <cstdint>
#include <vector>

#include "sim/vecmath.h"

// a + b*t + c*t^2 + d*t^3, always evaluated in nested form.
struct Cubic {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    double d = 0.0;
};

struct RailCurve {
    Cubic x;
    Cubic y;
    Cubic z;
};

// A GL texture name held by a holder, -1 for none.
using TextureSlot = int32_t;

struct TrackSegment {
    // Rail r runs from point Pr of this control point (t = 0) to Pr of the next (t = 1).
    RailCurve rails[4];
    // Surface half from rail 0 to the centre line, and from the centre line to rail 3.
    TextureSlot textureA = -1;
    TextureSlot textureB = -1;
    // Mean of the eight rail end points; the locator's first guess uses it.
    Vec3 center;
    // Lap counter, owned by the race rules.
    int32_t lap = 0;
};

// Four points across the road, already scaled to world units (metres).
struct ControlPoint {
    float p[4][3];
};

// Periodic cubic spline through the values, one cubic per interval, the last
// closing back to the first value. Fewer than two values give flat cubics.
std::vector<Cubic> closedSpline(const std::vector<double>& values);

// Fills rails and centres of segments (already sized to the point count).
void buildSegments(const std::vector<ControlPoint>& points, std::vector<TrackSegment>& segments);

Vec3 railPoint(const TrackSegment& segment, int rail, double t);
Vec3 sectionPoint(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, double u);

// How many rail and section evaluations ran since start; the benchmark reads them.
struct GeometryCounters {
    uint64_t railPoints = 0;
    uint64_t sectionPoints = 0;
};
// Per thread, so tools may drive several tracks at once without sharing them.
extern thread_local GeometryCounters geometryCounters;
