#include "sim/vecmath.h"

#include <cmath>

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

Mat3 transpose(const Mat3& m)
{
    Mat3 t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t.m[3 * i + j] = m.m[3 * j + i];
    return t;
}
