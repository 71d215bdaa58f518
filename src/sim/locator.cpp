#include "sim/locator.h"

#include <emmintrin.h>

#include <cstring>

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

// The four rail points of one t, x and y of each rail side by side in one SSE2
// register and the four z in two. Every surface point at that t is the Bezier
// across them, so the u-trials of a descent share one set. Each lane does
// exactly the IEEE operations of railPoint and sectionPoint for its
// coordinate, in their order (no FMA: -ffp-contract=off), so the values are
// bit for bit theirs.
struct RailsAt {
    __m128d xy[4] = {};
    __m128d z01 = {};
    __m128d z23 = {};
};

// ((d t + c) t + b) t + a, two cubics at once.
inline __m128d nested(const __m128d* k, __m128d t)
{
    return _mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(k[3], t), k[2]), t), k[1]), t), k[0]);
}

// A segment's rail cubics paired the way RailsAt holds them: a, b, c, d of
// x and y of rails 0 to 3, then of z of rails 0 and 1, then of 2 and 3.
struct PairedRails {
    __m128d k[6][4] = {};
};

PairedRails pairRails(const RailCurve* r)
{
    PairedRails p;
    const Cubic* lo[6] = {&r[0].x, &r[1].x, &r[2].x, &r[3].x, &r[0].z, &r[2].z};
    const Cubic* hi[6] = {&r[0].y, &r[1].y, &r[2].y, &r[3].y, &r[1].z, &r[3].z};
    for (int i = 0; i < 6; ++i) {
        p.k[i][0] = _mm_set_pd(hi[i]->a, lo[i]->a);
        p.k[i][1] = _mm_set_pd(hi[i]->b, lo[i]->b);
        p.k[i][2] = _mm_set_pd(hi[i]->c, lo[i]->c);
        p.k[i][3] = _mm_set_pd(hi[i]->d, lo[i]->d);
    }
    return p;
}

void evaluateRails(const PairedRails& k, double t, RailsAt& rails)
{
    const __m128d tt = _mm_set1_pd(t);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i)
        rails.xy[i] = nested(k.k[i], tt);
    rails.z01 = nested(k.k[4], tt);
    rails.z23 = nested(k.k[5], tt);
}

// sectionPoint of the four rail points: weights as there, then
// ((w0 p0 + w1 p1) + w2 p2) + w3 p3 per coordinate. z sits in the low lane
// of a register of its own: the point is stored and read whole, 16 bytes at a
// time, so a read never waits on a narrower store.
struct SurfaceAt {
    __m128d xy = {};
    __m128d z = {};
};

inline SurfaceAt sectionAt(const RailsAt& rails, double u)
{
    const double m = 1.0 - u;
    const double w0 = (m * m) * m;
    const double w1 = u * ((m * m) * 3.0);
    const double w2 = (m * 3.0) * (u * u);
    const double w3 = u * (u * u);
    __m128d xy = _mm_add_pd(_mm_mul_pd(rails.xy[0], _mm_set1_pd(w0)), _mm_mul_pd(rails.xy[1], _mm_set1_pd(w1)));
    xy = _mm_add_pd(xy, _mm_mul_pd(rails.xy[2], _mm_set1_pd(w2)));
    xy = _mm_add_pd(xy, _mm_mul_pd(rails.xy[3], _mm_set1_pd(w3)));
    const __m128d z01 = _mm_mul_pd(rails.z01, _mm_set_pd(w1, w0));
    const __m128d z23 = _mm_mul_pd(rails.z23, _mm_set_pd(w3, w2));
    __m128d z = _mm_add_sd(z01, _mm_unpackhi_pd(z01, z01));
    z = _mm_add_sd(z, z23);
    z = _mm_add_sd(z, _mm_unpackhi_pd(z23, z23));
    return SurfaceAt{xy, z};
}

inline Vec3 toVec3(const SurfaceAt& s)
{
    return Vec3{_mm_cvtsd_f64(s.xy), _mm_cvtsd_f64(_mm_unpackhi_pd(s.xy, s.xy)), _mm_cvtsd_f64(s.z)};
}

// The five searches of a physics step start from the same segment, u and t,
// and until their paths part they try the very same (u, t) points; only the
// distance to the ship differs. The surface points, and the rail points of
// each t, are kept per thread and reused. An entry is a pure function of the
// segment's rail coefficients and the bits of its parameters. Entries carry
// the generation they were made in, and the cache keeps a copy of the
// coefficients they were made from: a search on a segment with other
// coefficients begins a new generation. The comparison is skipped inside a
// reuse bracket for the segment it last confirmed, since the track cannot
// change there; outside, the same memory may have been refilled by another
// load since, so every search compares.
struct SurfaceCache {
    static constexpr int railBits = 6;
    static constexpr int pointBits = 9;
    RailCurve rails[4];
    const TrackSegment* confirmed = nullptr;
    PairedRails paired;
    uint32_t generation = 0;
    int reuseDepth = 0;
    // The last search and its result: a ship at rest (the countdown) asks the
    // same search five times a step.
    struct LastSearch {
        uint32_t generation = 0;
        double key[5] = {0, 0, 0, 0, 0};
        TrackContact contact;
        int iterations = 0;
    };
    LastSearch last;
    struct RailEntry {
        uint64_t tBits = 0;
        uint32_t generation = 0;
        RailsAt rails;
    };
    struct alignas(64) PointEntry {
        uint64_t tBits = 0;
        uint64_t uBits = 0;
        uint32_t generation = 0;
        SurfaceAt point;
    };
    RailEntry railEntries[1 << railBits];
    PointEntry pointEntries[1 << pointBits];
};

// Constant-initialised (every member has an initialiser), so that no access
// needs the thread's lazy-initialisation check.
thread_local SurfaceCache surfaceCache;

// One search's hold on the cache, and the evaluations it made for the
// geometry counters.
struct SearchCache {
    SurfaceCache& cache;
    uint32_t generation;
    // The entry tables, held apart so that an entry's address is one
    // addition to a register rather than an offset into thread storage.
    SurfaceCache::PointEntry* points = cache.pointEntries;
    SurfaceCache::RailEntry* railTable = cache.railEntries;
    uint64_t railSets = 0;
    uint64_t sections = 0;
};

uint64_t bitsOf(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

SearchCache claimSurfaceCache(SurfaceCache& cache, const TrackSegment& segment)
{
    if (cache.reuseDepth > 0 && cache.confirmed == &segment)
        return SearchCache{cache, cache.generation};
    if (cache.reuseDepth > 0)
        cache.confirmed = &segment;
    if (cache.generation != 0 && std::memcmp(cache.rails, segment.rails, sizeof cache.rails) == 0)
        return SearchCache{cache, cache.generation};
    std::memcpy(cache.rails, segment.rails, sizeof cache.rails);
    cache.paired = pairRails(cache.rails);
    ++cache.generation;
    if (cache.generation == 0) {
        // After 2^32 switches the old stamps could look current again.
        for (SurfaceCache::RailEntry& e : cache.railEntries)
            e.generation = 0;
        for (SurfaceCache::PointEntry& e : cache.pointEntries)
            e.generation = 0;
        cache.last.generation = 0;
        cache.generation = 1;
    }
    return SearchCache{cache, cache.generation};
}

// The rail points at t, from the cache or evaluated anew.
const RailsAt& railsAt(SearchCache& search, double t)
{
    const uint64_t bits = bitsOf(t);
    SurfaceCache::RailEntry& e =
        search.railTable[((bits ^ (bits >> 31)) * 0x9E3779B97F4A7C15ull) >> (64 - SurfaceCache::railBits)];
    if (e.generation == search.generation && e.tBits == bits)
        return e.rails;
    evaluateRails(search.cache.paired, t, e.rails);
    e.tBits = bits;
    e.generation = search.generation;
    ++search.railSets;
    return e.rails;
}

// Out of line, so that the search loop holds only the cheap look-up.
__attribute__((noinline)) void evaluateInto(SearchCache& search, SurfaceCache::PointEntry& e, double u, double t,
                                            uint64_t tb, uint64_t ub)
{
    e.point = sectionAt(railsAt(search, t), u);
    e.tBits = tb;
    e.uBits = ub;
    e.generation = search.generation;
    ++search.sections;
}

// S(t, u), from the cache or evaluated anew.
inline SurfaceAt surfaceAt(SearchCache& search, double u, double t)
{
    const uint64_t tb = bitsOf(t);
    const uint64_t ub = bitsOf(u);
    SurfaceCache::PointEntry& e =
        search.points[((tb * 0x9E3779B97F4A7C15ull) ^ (ub * 0xC2B2AE3D27D4EB4Full)) >>
                                  (64 - SurfaceCache::pointBits)];
    if (!(e.tBits == tb && e.uBits == ub && e.generation == search.generation))
        evaluateInto(search, e, u, t, tb, ub);
    return e.point;
}

// dot(sub(S, p), sub(S, p)): (dx dx + dy dy) + dz dz.
inline double squaredDistance(const SurfaceAt& s, __m128d pxy, __m128d pz)
{
    const __m128d d = _mm_sub_pd(s.xy, pxy);
    const __m128d dd = _mm_mul_pd(d, d);
    const __m128d dz = _mm_sub_sd(s.z, pz);
    return _mm_cvtsd_f64(_mm_add_sd(_mm_add_sd(dd, _mm_unpackhi_pd(dd, dd)), _mm_mul_sd(dz, dz)));
}

} // namespace

// The descent evaluates each distance once: the one at the current (u, t) is
// the one of the trial that moved there (or of the start). Surface and rail
// points come from the cache when an earlier search of the same segment met
// the same parameters. The values are the very ones a fresh evaluation would
// give, so every comparison, and the result, is bit for bit that of
// evaluating both points of every trial anew.
TrackContact nearestOnSegment(const TrackSegment& segment, Vec3 p, double u0, double t0, int* iterations)
{
    ++locatorCounters.segmentSearches;
    SearchCache search = claimSurfaceCache(surfaceCache, segment);
    SurfaceCache::LastSearch& last = search.cache.last;
    const double key[5] = {p.x, p.y, p.z, u0, t0};
    if (last.generation == search.generation && std::memcmp(last.key, key, sizeof key) == 0) {
        if (iterations)
            *iterations = last.iterations;
        return last.contact;
    }
    const __m128d pxy = _mm_set_pd(p.y, p.x);
    const __m128d pz = _mm_set_sd(p.z);
    const int maxIterations = 100;
    double u = u0;
    double t = t0;
    double here = squaredDistance(surfaceAt(search, u, t), pxy, pz);
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
                double there = squaredDistance(surfaceAt(search, u + du, t), pxy, pz);
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
        // t-phase, the same along the road.
        double dt = h;
        j = 0;
        for (;;) {
            ++i;
            ++j;
            if (i <= maxIterations) {
                double there = squaredDistance(surfaceAt(search, u, t + dt), pxy, pz);
                if (there < here) {
                    t = t + dt;
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
    last.iterations = i;
    // surfaceFrame at (u, t).
    TrackContact contact;
    contact.point = toVec3(surfaceAt(search, u, t));
    Vec3 du = sub(toVec3(surfaceAt(search, u + 0.0001, t)), contact.point);
    Vec3 dt = sub(toVec3(surfaceAt(search, u, t + 0.0001)), contact.point);
    contact.normal = normalize(cross(du, dt));
    contact.u = u;
    contact.t = t;
    contact.segment = -1;
    geometryCounters.railPoints += 4 * search.railSets;
    geometryCounters.sectionPoints += search.sections;
    last.generation = search.generation;
    std::memcpy(last.key, key, sizeof key);
    last.contact = contact;
    return contact;
}

void beginLocatorReuse()
{
    SurfaceCache& cache = surfaceCache;
    if (cache.reuseDepth++ == 0)
        cache.confirmed = nullptr;
}

void endLocatorReuse()
{
    SurfaceCache& cache = surfaceCache;
    if (cache.reuseDepth > 0)
        --cache.reuseDepth;
    if (cache.reuseDepth == 0)
        cache.confirmed = nullptr;
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
        a = state.segment;
        if (a < 0 || a >= count)
            a = ((state.segment % count) + count) % count;
    }

    // Offsets 0, +1, -1, +2, -2, ...: every segment once, nearest first.
    for (int32_t k = 0; k < count; ++k) {
        int32_t b = (k % 2 == 1) ? (k + 1) / 2 : -k / 2;
        // (count + b + a) mod count; the sum lies in [0, 3 count), and
        // subtracting beats a division in the hottest call of the physics.
        int32_t e = count + b + a;
        while (e >= count)
            e -= count;
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
