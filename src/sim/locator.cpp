#include "sim/locator.h"

#include "sim/ship.h"
#include "track/track_file.h"

thread_local LocatorCounters locatorCounters;

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

namespace {

// The four rail points of one t: every surface point at that t is the Bezier
// across them, so the u-trials of a descent share one set.
struct RailsAt {
    double t;
    Vec3 p[4];
};

RailsAt railsAt(const TrackSegment& segment, double t)
{
    return RailsAt{t, {railPoint(segment, 0, t), railPoint(segment, 1, t), railPoint(segment, 2, t),
                       railPoint(segment, 3, t)}};
}

double squaredDistance(const RailsAt& rails, Vec3 p, double u)
{
    Vec3 d = sub(sectionPoint(rails.p[0], rails.p[1], rails.p[2], rails.p[3], u), p);
    return dot(d, d);
}

} // namespace

// The descent evaluates each surface point once: the distance at the current
// (u, t) is the one of the trial that moved there (or of the start), and the
// u-trials reuse the rail points of the current t. The values are the very
// ones a fresh evaluation would give, so every comparison, and the result,
// is bit for bit that of evaluating both points of every trial anew.
TrackContact nearestOnSegment(const TrackSegment& segment, Vec3 p, double u0, double t0, int* iterations)
{
    ++locatorCounters.segmentSearches;
    const int maxIterations = 100;
    double u = u0;
    double t = t0;
    RailsAt rails = railsAt(segment, t);
    double here = squaredDistance(rails, p, u);
    // One trial counter for both phases of every pass.
    int i = 0;
    double h = 0.1;
    do {
        // u-phase: walk while a step lowers the distance; if the very first
        // trial fails, try the other direction once. The trial counter is
        // checked before the trial point is needed, as the comparison's
        // result would be ignored once it has run out.
        double du = h;
        int j = 0;
        for (;;) {
            ++i;
            ++j;
            if (i <= maxIterations) {
                double there = squaredDistance(rails, p, u + du);
                if (there < here) {
                    u = u + du;
                    here = there;
                    continue;
                }
            }
            du = -du;
            if (j <= 1)
                continue;
            break;
        }
        // t-phase, the same along the road; each trial needs the rails of its t.
        double dt = h;
        j = 0;
        for (;;) {
            ++i;
            ++j;
            if (i <= maxIterations) {
                RailsAt trial = railsAt(segment, t + dt);
                double there = squaredDistance(trial, p, u);
                if (there < here) {
                    t = trial.t;
                    rails = trial;
                    here = there;
                    continue;
                }
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
    // surfaceFrame at (u, t), with the rails of t already at hand.
    TrackContact contact;
    contact.point = sectionPoint(rails.p[0], rails.p[1], rails.p[2], rails.p[3], u);
    Vec3 du = sub(sectionPoint(rails.p[0], rails.p[1], rails.p[2], rails.p[3], u + 0.0001), contact.point);
    RailsAt ahead = railsAt(segment, t + 0.0001);
    Vec3 dt = sub(sectionPoint(ahead.p[0], ahead.p[1], ahead.p[2], ahead.p[3], u), contact.point);
    contact.normal = normalize(cross(du, dt));
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
