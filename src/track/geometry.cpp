#include "track/geometry.h"

#include <cstddef>

using std::size_t;

thread_local GeometryCounters geometryCounters;

std::vector<Cubic> closedSpline(const std::vector<double>& x)
{
    const size_t count = x.size();
    std::vector<Cubic> out(count);
    if (count < 2) {
        for (size_t k = 0; k < count; ++k)
            out[k].a = x[k];
        return out;
    }

    // Spath's elimination for the cyclic system D[k-1] + 4 D[k] + D[k+1] = 3 (x[k+1] - x[k-1]).
    const size_t n = count - 1;
    std::vector<double> v(count + 1, 0.0), w(count + 1, 0.0), y(count, 0.0), D(count, 0.0);
    v[1] = w[1] = 1.0 / 4.0;
    y[0] = (3.0 / 4.0) * (x[1] - x[n]);
    double H = 4.0;
    double F = 3.0 * (x[0] - x[n - 1]);
    double G = 1.0;
    for (size_t k = 1; k + 1 <= n; ++k) {
        double z = 1.0 / (4.0 - v[k]);
        v[k + 1] = z;
        w[k + 1] = -z * w[k];
        y[k] = z * (3.0 * (x[k + 1] - x[k - 1]) - y[k - 1]);
        H = H - G * w[k];
        F = F - G * y[k - 1];
        G = -v[k] * G;
    }
    H = H - (G + 1.0) * (v[n] + w[n]);
    y[n] = F - (G + 1.0) * y[n - 1];

    D[n] = y[n] / H;
    D[n - 1] = y[n - 1] - (v[n] + w[n]) * D[n];
    for (size_t k = n - 1; k-- > 0;)
        D[k] = y[k] - v[k + 1] * D[k + 1] - w[k + 1] * D[n];

    for (size_t k = 0; k < count; ++k) {
        size_t next = (k + 1) % count;
        out[k].a = x[k];
        out[k].b = D[k];
        out[k].c = 3.0 * (x[next] - x[k]) - 2.0 * D[k] - D[next];
        out[k].d = 2.0 * (x[k] - x[next]) + D[k] + D[next];
    }
    return out;
}

static double evalCubic(const Cubic& c, double t) { return ((c.d * t + c.c) * t + c.b) * t + c.a; }

void buildSegments(const std::vector<ControlPoint>& points, std::vector<TrackSegment>& segments)
{
    const size_t count = points.size();
    if (segments.size() != count)
        return;

    std::vector<double> values(count);
    for (int channel = 0; channel < 12; ++channel) {
        const int r = channel / 3;
        const int axis = channel % 3;
        for (size_t i = 0; i < count; ++i)
            values[i] = static_cast<double>(points[i].p[r][axis]);
        std::vector<Cubic> cubics = closedSpline(values);
        for (size_t i = 0; i < count; ++i) {
            RailCurve& rail = segments[i].rails[r];
            (axis == 0 ? rail.x : axis == 1 ? rail.y : rail.z) = cubics[i];
        }
    }

    for (TrackSegment& s : segments) {
        double sum[3] = {0.0, 0.0, 0.0};
        for (int r = 0; r < 4; ++r) {
            const Cubic* axes[3] = {&s.rails[r].x, &s.rails[r].y, &s.rails[r].z};
            for (int axis = 0; axis < 3; ++axis) {
                const Cubic& c = *axes[axis];
                double atOne = c.d + c.c + c.b + c.a;
                sum[axis] += atOne + c.a;
            }
        }
        s.center = Vec3{sum[0] * 0.125, sum[1] * 0.125, sum[2] * 0.125};
    }
}

Vec3 railPoint(const TrackSegment& segment, int rail, double t)
{
    ++geometryCounters.railPoints;
    const RailCurve& c = segment.rails[rail];
    return Vec3{evalCubic(c.x, t), evalCubic(c.y, t), evalCubic(c.z, t)};
}

Vec3 sectionPoint(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, double u)
{
    ++geometryCounters.sectionPoints;
    double m = 1.0 - u;
    double w0 = (m * m) * m;
    double w1 = u * ((m * m) * 3.0);
    double w2 = (m * 3.0) * (u * u);
    double w3 = u * (u * u);
    return add(add(add(scale(p0, w0), scale(p1, w1)), scale(p2, w2)), scale(p3, w3));
}
