#include "sim_transcription.h"

#include <cmath>

#include "track/track_file.h"

namespace {

const int countdownTicks = 299;
const double h = 0.01;
const int finishLap = 3;

Vec3 rail(const TrackSegment& segment, int r, double t)
{
    const RailCurve& c = segment.rails[r];
    return Vec3{((c.x.d * t + c.x.c) * t + c.x.b) * t + c.x.a, ((c.y.d * t + c.y.c) * t + c.y.b) * t + c.y.a,
                ((c.z.d * t + c.z.c) * t + c.z.b) * t + c.z.a};
}

Vec3 section(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, double u)
{
    double m = 1.0 - u;
    double w0 = (m * m) * m;
    double w1 = u * ((m * m) * 3.0);
    double w2 = (m * 3.0) * (u * u);
    double w3 = u * (u * u);
    return add(add(add(scale(p0, w0), scale(p1, w1)), scale(p2, w2)), scale(p3, w3));
}

Vec3 surface(const TrackSegment& segment, double u, double t)
{
    return section(rail(segment, 0, t), rail(segment, 1, t), rail(segment, 2, t), rail(segment, 3, t), u);
}

double distance2(const TrackSegment& segment, Vec3 p, double u, double t)
{
    Vec3 d = sub(surface(segment, u, t), p);
    return dot(d, d);
}

struct Contact {
    Vec3 point;
    Vec3 normal;
    double u = 0.0;
    double t = 0.0;
    int32_t segment = -1;
};

Contact nearest(const TrackSegment& segment, Vec3 p, double u, double t)
{
    int i = 0;
    double step = 0.1;
    do {
        double du = step;
        int j = 0;
        for (;;) {
            ++i;
            ++j;
            double here = distance2(segment, p, u, t);
            double there = distance2(segment, p, u + du, t);
            if (i <= 100 && there < here) {
                u = u + du;
                continue;
            }
            du = -du;
            if (j <= 1)
                continue;
            break;
        }
        double dt = step;
        j = 0;
        for (;;) {
            ++i;
            ++j;
            double here = distance2(segment, p, u, t);
            double there = distance2(segment, p, u, t + dt);
            if (i <= 100 && there < here) {
                t = t + dt;
                continue;
            }
            dt = -dt;
            if (j <= 1)
                continue;
            break;
        }
        step = step * 0.25;
    } while (i <= 100 && step >= 0.0001);

    Contact c;
    c.point = surface(segment, u, t);
    Vec3 du = sub(surface(segment, u + 0.0001, t), c.point);
    Vec3 dt = sub(surface(segment, u, t + 0.0001), c.point);
    c.normal = normalize(cross(du, dt));
    c.u = u;
    c.t = t;
    return c;
}

Contact locateOn(const Track& track, const ShipState& s)
{
    const Vec3 p = s.position;
    const int32_t n = static_cast<int32_t>(track.segments.size());
    const bool fresh = s.segment == -1;
    int32_t a = s.segment;
    if (fresh) {
        a = 0;
        double best = length(sub(track.segments[0].center, p));
        for (int32_t k = 1; k < n; ++k) {
            double d = length(sub(track.segments[size_t(k)].center, p));
            if (d < best) {
                best = d;
                a = k;
            }
        }
    }
    for (int32_t k = 0; k < n; ++k) {
        int32_t b = (k % 2 == 1) ? (k + 1) / 2 : -k / 2;
        int32_t e = (n + b + a) % n;
        Contact c = fresh ? nearest(track.segments[size_t(e)], p, 0.5, 0.5)
                          : nearest(track.segments[size_t(e)], p, s.trackU, s.trackT - b);
        if (-0.1 < c.u && c.u < 1.1 && 0.0 <= c.t && c.t <= 1.001) {
            c.segment = e;
            return c;
        }
    }
    Contact c = nearest(track.segments[size_t(a)], p, s.trackU, s.trackT);
    c.segment = a;
    return c;
}

double limited(double value, double limit)
{
    if (std::fabs(value) > limit)
        return (value > 0.0 ? 1.0 : (value < 0.0 ? -1.0 : 0.0)) * limit;
    return value;
}

struct Derivative {
    Vec3 dp;
    Vec3 dv;
};

Derivative derivative(const Track& track, const ShipState& s, double g)
{
    const Vec3 n = locateOn(track, s).normal;
    const Vec3 v = s.velocity;
    const Vec3 r = row(s.orientation, 0);
    const Vec3 f = row(s.orientation, 1);
    const double m = s.mass;
    const Vec3 vL = scale(r, dot(r, v));
    const double sL = length(vL);
    const Vec3 vF = scale(f, dot(f, v));
    const double qF = dot(vF, vF);
    const double sF = std::sqrt(qF);
    const double q = dot(v, v);
    const Vec3 w{0.0, 0.0, -m * g};
    const Vec3 fd = scale(scale(neg(n), dot(v, n)), m * 10.0 * g);
    const Vec3 fs = scale(n, -dot(w, n));
    const Vec3 f1 = add(add(fd, w), fs);
    const double load = length(fd) + m * g * n.z + s.downforce * qF;
    Vec3 hz{0.0, 0.0, 0.0};
    if (sL > 1e-11)
        hz = neg(scale(divide(vL, sL), load));
    if (s.control.brake > 0.0 && sF > 1e-11)
        hz = sub(hz, scale(scale(divide(vF, sF), load), s.control.brake));
    if (s.control.throttle > 0.0) {
        double drive = sF > 1.0 ? s.control.throttle * s.enginePower / sF : s.control.throttle * s.enginePower;
        double traction = load * 0.65;
        hz = add(hz, scale(f, traction > drive ? drive : traction));
    }
    double k = sF + 0.2 - sL;
    if (k <= 0.5)
        k = 0.5;
    else if (k >= 1.0)
        k = 1.0;
    const double limit = k * 1.1 * load;
    const Vec3 fc = add(scale(r, limited(dot(hz, r), limit)), scale(f, limited(dot(hz, f), limit)));
    Vec3 acc = divide(add(f1, fc), m);
    if (q > 1e-9) {
        double speed = std::sqrt(q);
        acc = sub(acc, scale(divide(v, speed), s.linearDrag * speed + s.quadraticDrag * q));
    }
    return Derivative{v, acc};
}

ShipState moved(const ShipState& s, const Derivative& k, double f)
{
    ShipState c = s;
    c.position = add(s.position, scale(k.dp, f));
    c.velocity = add(s.velocity, scale(k.dv, f));
    return c;
}

Derivative times(const Derivative& k) { return Derivative{scale(k.dp, h), scale(k.dv, h)}; }

void step(const Track& track, ShipState& s, double g)
{
    const Derivative a1 = times(derivative(track, s, g));
    const Derivative a2 = times(derivative(track, moved(s, a1, 0.5), g));
    const Derivative a3 = times(derivative(track, moved(s, a2, 0.5), g));
    const Derivative a4 = times(derivative(track, moved(s, a3, 1.0), g));
    const double third = 0.3333333333333333;
    const double sixth = 0.16666666666666666;
    s.position = add(add(add(add(s.position, scale(a1.dp, third)), scale(a2.dp, sixth)), scale(a3.dp, sixth)),
                     scale(a4.dp, third));
    s.velocity = add(add(add(add(s.velocity, scale(a1.dv, third)), scale(a2.dv, sixth)), scale(a3.dv, sixth)),
                     scale(a4.dv, third));
    const Contact hit = locateOn(track, s);
    s.segment = hit.segment;
    s.trackU = hit.u;
    s.trackT = hit.t;
    const Vec3 n = hit.normal;
    s.position = add(s.position, scale(n, dot(sub(hit.point, s.position), n)));
    s.velocity = sub(s.velocity, scale(n, dot(s.velocity, n)));
    const Vec3 fwd = row(s.orientation, 1);
    const Vec3 r1 = cross(sub(fwd, scale(n, dot(fwd, n))), n);
    const Vec3 f2 = cross(n, r1);
    const Vec3 right = normalize(r1);
    const Vec3 ahead = normalize(f2);
    const Vec3 up = normalize(n);
    const double speed = length(s.velocity);
    const double angle = speed > 15.0 ? s.control.steer * h : s.control.steer * h * (speed / 15.0);
    const Mat3 turn = rotationAbout(up, angle);
    setRow(s.orientation, 0, mul(turn, right));
    setRow(s.orientation, 1, mul(turn, ahead));
    setRow(s.orientation, 2, up);
}

// The lap rules after a player step: 0 on, 1 finished, 2 off the road.
int progress(std::vector<int32_t>& laps, const ShipState& s)
{
    const int32_t n = static_cast<int32_t>(laps.size());
    const int32_t cur = s.segment;
    int result = 0;
    if (cur >= 0 && cur < n) {
        int32_t lo = laps[0];
        int32_t hi = lo;
        for (int32_t lap : laps) {
            lo = lap < lo ? lap : lo;
            hi = lap > hi ? lap : hi;
        }
        const int32_t prev = (n + cur - 1) % n;
        if (lo == hi)
            laps[size_t((n + cur + 1) % n)] = lo + 1;
        else if (laps[size_t(cur)] < laps[size_t(prev)])
            laps[size_t(cur)] = lo + 1;
        if (laps[size_t(cur)] >= finishLap)
            result = 1;
    }
    if (result == 0 && !(s.trackU >= 0.0 && s.trackU <= 1.0))
        result = 2;
    return result;
}

} // namespace

TranscribedRun transcribedReplay(const Track& track, const std::vector<ControlInput>& controls, double gravity)
{
    TranscribedRun run;
    if (track.segments.empty())
        return run;
    ShipState s;
    s.mass = 1.1;
    s.enginePower = 500.0;
    s.orientation = identity();
    s.linearDrag = 0.022500000000000003;
    s.quadraticDrag = 0.0003375;
    s.downforce = 0.0001575;
    s.segment = -1;
    s.trackU = 0.5;
    s.trackT = 0.5;
    const Contact start = locateOn(track, s);
    s.position = start.point;
    s.trackU = start.u;
    s.trackT = start.t;

    std::vector<int32_t> laps(track.segments.size(), 0);
    int outcome = 0;
    for (int tick = 0; tick < countdownTicks && outcome == 0; ++tick) {
        s.control = ControlInput{0.0f, 1.0f, 0.0f};
        step(track, s, gravity);
        outcome = progress(laps, s);
    }
    for (size_t i = 0; i < controls.size() && outcome == 0; ++i) {
        s.control = controls[i];
        step(track, s, gravity);
        outcome = progress(laps, s);
        ++run.raceTicks;
    }
    run.outcome = outcome;
    run.finalState = s;
    return run;
}
