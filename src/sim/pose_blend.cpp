#include "sim/pose_blend.h"

#include <cmath>
#include <cstring>

namespace {

double clampFraction(double fraction)
{
    if (!(fraction >= 0.0))
        return std::isnan(fraction) ? 1.0 : 0.0;
    return fraction > 1.0 ? 1.0 : fraction;
}

// Equal ends stay exactly themselves: a ship at rest must not shimmer by a
// rounding step from frame to frame.
double blendValue(double a, double b, double fraction) { return a == b ? b : a + (b - a) * fraction; }

double determinant(const double* m)
{
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// Near enough to a rotation that its quaternion means something: every entry
// finite, rows of about unit length, not reflected or collapsed.
bool usableFrame(const Mat3& frame)
{
    for (double v : frame.m)
        if (!std::isfinite(v))
            return false;
    for (int i = 0; i < 3; ++i) {
        const double len = length(row(frame, i));
        if (!(len > 0.5 && len < 2.0))
            return false;
    }
    return determinant(frame.m) > 0.25;
}

Quaternion normalized(Quaternion q)
{
    const double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return Quaternion{q.w / n, q.x / n, q.y / n, q.z / n};
}

} // namespace

void resetPose(PoseHistory& history, const ShipState& state)
{
    history.before = state;
    history.after = state;
}

void advancePose(PoseHistory& history, const ShipState& state)
{
    history.before = history.after;
    history.after = state;
}

bool frameQuaternion(const Mat3& frame, Quaternion& out)
{
    if (!usableFrame(frame))
        return false;
    const double* m = frame.m;
    const double trace = m[0] + m[4] + m[8];
    Quaternion q;
    // The largest of the four candidates is divided by, so nothing is lost
    // near a half turn about any axis.
    if (trace > 0.0) {
        const double s = 2.0 * std::sqrt(trace + 1.0);
        q = Quaternion{0.25 * s, (m[7] - m[5]) / s, (m[2] - m[6]) / s, (m[3] - m[1]) / s};
    } else if (m[0] > m[4] && m[0] > m[8]) {
        const double s = 2.0 * std::sqrt(1.0 + m[0] - m[4] - m[8]);
        q = Quaternion{(m[7] - m[5]) / s, 0.25 * s, (m[1] + m[3]) / s, (m[2] + m[6]) / s};
    } else if (m[4] > m[8]) {
        const double s = 2.0 * std::sqrt(1.0 + m[4] - m[0] - m[8]);
        q = Quaternion{(m[2] - m[6]) / s, (m[1] + m[3]) / s, 0.25 * s, (m[5] + m[7]) / s};
    } else {
        const double s = 2.0 * std::sqrt(1.0 + m[8] - m[0] - m[4]);
        q = Quaternion{(m[3] - m[1]) / s, (m[2] + m[6]) / s, (m[5] + m[7]) / s, 0.25 * s};
    }
    out = normalized(q);
    return std::isfinite(out.w) && std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z);
}

Mat3 quaternionFrame(const Quaternion& q)
{
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    Mat3 m;
    m.m[0] = 1.0 - 2.0 * (y * y + z * z);
    m.m[1] = 2.0 * (x * y - w * z);
    m.m[2] = 2.0 * (x * z + w * y);
    m.m[3] = 2.0 * (x * y + w * z);
    m.m[4] = 1.0 - 2.0 * (x * x + z * z);
    m.m[5] = 2.0 * (y * z - w * x);
    m.m[6] = 2.0 * (x * z - w * y);
    m.m[7] = 2.0 * (y * z + w * x);
    m.m[8] = 1.0 - 2.0 * (x * x + y * y);
    return m;
}

Quaternion slerp(const Quaternion& a, const Quaternion& b, double fraction)
{
    double d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    // q and -q are the same rotation; the nearer one gives the shorter arc.
    Quaternion c = b;
    if (d < 0.0) {
        c = Quaternion{-b.w, -b.x, -b.y, -b.z};
        d = -d;
    }
    double ka = 1.0 - fraction;
    double kb = fraction;
    // Between two ticks the frames are almost always this close; the sine
    // ratios would lose their digits there, and the straight blend renormalised
    // is the same arc to within rounding.
    if (d < 0.9995) {
        const double angle = std::acos(d);
        const double s = std::sin(angle);
        ka = std::sin((1.0 - fraction) * angle) / s;
        kb = std::sin(fraction * angle) / s;
    }
    return normalized(Quaternion{ka * a.w + kb * c.w, ka * a.x + kb * c.x, ka * a.y + kb * c.y, ka * a.z + kb * c.z});
}

ShipState blendShipStates(const ShipState& before, const ShipState& after, double fraction)
{
    const double f = clampFraction(fraction);
    if (f == 0.0)
        return before;
    if (f == 1.0)
        return after;
    ShipState out = after;
    out.position.x = blendValue(before.position.x, after.position.x, f);
    out.position.y = blendValue(before.position.y, after.position.y, f);
    out.position.z = blendValue(before.position.z, after.position.z, f);
    if (std::memcmp(before.orientation.m, after.orientation.m, sizeof after.orientation.m) == 0)
        return out;
    Quaternion qa, qb;
    if (frameQuaternion(before.orientation, qa) && frameQuaternion(after.orientation, qb))
        out.orientation = quaternionFrame(slerp(qa, qb, f));
    else if (f < 0.5)
        out.orientation = before.orientation;
    return out;
}

ShipState drawnPose(const PoseHistory& history, double fraction)
{
    return blendShipStates(history.before, history.after, fraction);
}

double tickFraction(double nowMs, double nextTickMs, double tickMs)
{
    if (!(tickMs > 0.0))
        return 1.0;
    return clampFraction(1.0 - (nextTickMs - nowMs) / tickMs);
}
