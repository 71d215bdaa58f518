#include "sim/vecmath.h"

#include <cmath>

Vec3 add(Vec3 a, Vec3 b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 sub(Vec3 a, Vec3 b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 neg(Vec3 a) { return Vec3{-a.x, -a.y, -a.z}; }
Vec3 scale(Vec3 a, double k) { return Vec3{a.x * k, a.y * k, a.z * k}; }
Vec3 divide(Vec3 a, double k) { return Vec3{a.x / k, a.y / k, a.z / k}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 cross(Vec3 a, Vec3 b)
{
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(Vec3 a) { return std::sqrt(dot(a, a)); }

Vec3 normalize(Vec3 a)
{
    double r = 1.0 / length(a);
    return Vec3{a.x * r, a.y * r, a.z * r};
}

Mat3 identity()
{
    Mat3 m;
    m.m[0] = m.m[4] = m.m[8] = 1.0;
    return m;
}

Mat3 rotationAbout(Vec3 k, double angle)
{
    double cs = std::cos(angle);
    double sn = std::sin(angle);
    double vc = 1.0 - cs;
    Mat3 r;
    r.m[0] = cs + k.x * k.x * vc;
    r.m[1] = k.x * k.y * vc - k.z * sn;
    r.m[2] = k.x * k.z * vc + k.y * sn;
    r.m[3] = k.x * k.y * vc + k.z * sn;
    r.m[4] = cs + k.y * k.y * vc;
    r.m[5] = k.y * k.z * vc - k.x * sn;
    r.m[6] = k.x * k.z * vc - k.y * sn;
    r.m[7] = k.y * k.z * vc + k.x * sn;
    r.m[8] = cs + k.z * k.z * vc;
    return r;
}

Vec3 mul(const Mat3& m, Vec3 v)
{
    return Vec3{m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z,
                m.m[3] * v.x + m.m[4] * v.y + m.m[5] * v.z,
                m.m[6] * v.x + m.m[7] * v.y + m.m[8] * v.z};
}

Mat3 transpose(const Mat3& m)
{
    Mat3 t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t.m[3 * i + j] = m.m[3 * j + i];
    return t;
}

SurfaceParam offset(SurfaceParam p, double du, double dt) { return SurfaceParam{p.u + du, p.t + dt}; }
