#pragma once
// Double-precision 3-vectors and 3x3 matrices for the geometry, the physics
// and the camera. Every operation returns a new value; none checks its input.

#include <cmath>

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Nine doubles, row by row. An orientation's rows are right, forward, up.
struct Mat3 {
    double m[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
};

// A surface-parameter pair: across-road u first, along-road t second.
struct SurfaceParam {
    double u = 0.0;
    double t = 0.0;
};

// The trivial operations live here, inline: the locator and the physics call
// them hundreds of times a tick. Inlining changes no result, since every
// operation is still its own IEEE operation (no contraction into FMA).
inline Vec3 add(Vec3 a, Vec3 b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 sub(Vec3 a, Vec3 b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 neg(Vec3 a) { return Vec3{-a.x, -a.y, -a.z}; }
inline Vec3 scale(Vec3 a, double k) { return Vec3{a.x * k, a.y * k, a.z * k}; }
// Three true divisions, not a multiplication by 1/k: stored runs depend on it.
inline Vec3 divide(Vec3 a, double k) { return Vec3{a.x / k, a.y / k, a.z / k}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
// One division, three multiplications. The zero vector gives non-finite values.
inline Vec3 normalize(Vec3 a)
{
    double r = 1.0 / length(a);
    return Vec3{a.x * r, a.y * r, a.z * r};
}

Mat3 identity();
// Right-handed rotation by angle (radians) about the unit axis k (Rodrigues).
Mat3 rotationAbout(Vec3 k, double angle);
inline Vec3 mul(const Mat3& m, Vec3 v)
{
    return Vec3{m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z,
                m.m[3] * v.x + m.m[4] * v.y + m.m[5] * v.z,
                m.m[6] * v.x + m.m[7] * v.y + m.m[8] * v.z};
}
Mat3 transpose(const Mat3& m);
inline SurfaceParam offset(SurfaceParam p, double du, double dt) { return SurfaceParam{p.u + du, p.t + dt}; }

// Row i of an orientation as a vector (0 right, 1 forward, 2 up).
inline Vec3 row(const Mat3& m, int i) { return Vec3{m.m[3 * i], m.m[3 * i + 1], m.m[3 * i + 2]}; }
inline void setRow(Mat3& m, int i, Vec3 v) { m.m[3 * i] = v.x; m.m[3 * i + 1] = v.y; m.m[3 * i + 2] = v.z; }
