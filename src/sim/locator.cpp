#include "sim/locator.h"

#include "sim/ship.h"
#include "track/track.h"

LocatorCounters locatorCounters;

Vec3 surfacePoint(const TrackSegment& segment, double u, double t)
{
    return sectionPoint(railPoint(segment, 0, t), railPoint(segment, 1, t), railPoint(segment, 2, t),
                        railPoint(segment, 3, t), u);
}

SurfaceFrame surfaceFrame(const TrackSegment& segment, double u, double t)
{
    SurfaceFrame frame;
    frame.point = surfacePoint(segment, u, t);
    Vec3 du = sub(surfacePoint(segment, u + 0.0001, t), frame.point);
    Vec3 dt = sub(surfacePoint(segment, u, t + 0.0001), frame.point);
    frame.normal = normalize(cross(du, dt));
    return frame;
}

static double squaredDistance(const TrackSegment& segment, Vec3 p, double u, double t)
{
    Vec3 d = sub(surfacePoint(segment, u, t), p);
    return dot(d, d);
}

TrackContact nearestOnSegment(const TrackSegment& segment, Vec3 p, double u0, double t0, int* iterations)
{
    ++locatorCounters.segmentSearches;
    const int maxIterations = 100;
    double u = u0;
    double t = t0;
    // One trial counter for both phases of every pass.
    int i = 0;
    double h = 0.1;
    do {
        // u-phase: walk while a step lowers the distance; if the very first
        // trial fails, try the other direction once.
        double du = h;
        int j = 0;
        for (;;) {
            ++i;
            ++j;
            double here = squaredDistance(segment, p, u, t);
            double there = squaredDistance(segment, p, u + du, t);
            if (i <= maxIterations && there < here) {
                u = u + du;
                continue;
            }
            du = -du;
            if (j <= 1)
                continue;
            break;
        }
        // t-phase, the same along the road.
        double dt = h;
        j = 0;
        for (;;) {
            ++i;
            ++j;
            double here = squaredDistance(segment, p, u, t);
            double there = squaredDistance(segment, p, u, t + dt);
            if (i <= maxIterations && there < here) {
                t = t + dt;
                continue;
            }
            dt = -dt;
            if (j <= 1)
                continue;
            break;
        }
        h = h * 0.25;
    } while (i <= maxIterations && h >= 0.0001);

    if (iterations)
        *iterations = i;
    SurfaceFrame frame = surfaceFrame(segment, u, t);
    TrackContact contact;
    contact.point = frame.point;
    contact.normal = frame.normal;
    contact.u = u;
    contact.t = t;
    contact.segment = -1;
    return contact;
}

TrackContact locate(const Track& track, const ShipState& state)
{
    ++locatorCounters.locateCalls;
    const Vec3 p = state.position;
    const int32_t count = static_cast<int32_t>(track.segments.size());
    if (count == 0) {
        TrackContact nowhere;
        nowhere.point = p;
        nowhere.normal = Vec3{0.0, 0.0, 1.0};
        nowhere.u = state.trackU;
        nowhere.t = state.trackT;
        nowhere.segment = -1;
        return nowhere;
    }

    const bool fresh = state.segment == -1;
    int32_t a = 0;
    if (fresh) {
        // The first of equal minima wins.
        double best = length(sub(track.segments[0].center, p));
        for (int32_t s = 1; s < count; ++s) {
            double d = length(sub(track.segments[s].center, p));
            if (d < best) {
                best = d;
                a = s;
            }
        }
    } else {
        // A state from elsewhere may name a segment this track lacks.
        a = ((state.segment % count) + count) % count;
    }

    // Offsets 0, +1, -1, +2, -2, ...: every segment once, nearest first.
    for (int32_t k = 0; k < count; ++k) {
        int32_t b = (k % 2 == 1) ? (k + 1) / 2 : -k / 2;
        int32_t e = (count + b + a) % count;
        double u0 = 0.5;
        double t0 = 0.5;
        if (!fresh) {
            u0 = state.trackU;
            // t = 1.2 in segment A is t = 0.2 in segment A + 1.
            t0 = state.trackT - static_cast<double>(b);
        }
        TrackContact cand = nearestOnSegment(track.segments[size_t(e)], p, u0, t0);
        if (-0.1 < cand.u && cand.u < 1.1 && 0.0 <= cand.t && cand.t <= 1.001) {
            cand.segment = e;
            return cand;
        }
    }

    TrackContact fallback = nearestOnSegment(track.segments[size_t(a)], p, state.trackU, state.trackT);
    fallback.segment = a;
    return fallback;
}
