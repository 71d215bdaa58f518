#pragma once
// Double-precision 3-vectors and 3x3 matrices for the geometry, the physics
// and the camera. Every operation returns a new value; none checks its input.

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

Vec3 add(Vec3 a, Vec3 b);
Vec3 sub(Vec3 a, Vec3 b);
Vec3 neg(Vec3 a);
Vec3 scale(Vec3 a, double k);
// Three true divisions, not a multiplication by 1/k: stored runs depend on it.
Vec3 divide(Vec3 a, double k);
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
double length(Vec3 a);
// One division, three multiplications. The zero vector gives non-finite values.
Vec3 normalize(Vec3 a);

Mat3 identity();
// Right-handed rotation by angle (radians) about the unit axis k (Rodrigues).
Mat3 rotationAbout(Vec3 k, double angle);
Vec3 mul(const Mat3& m, Vec3 v);
Mat3 transpose(const Mat3& m);
SurfaceParam offset(SurfaceParam p, double du, double dt);

// Row i of an orientation as a vector (0 right, 1 forward, 2 up).
inline Vec3 row(const Mat3& m, int i) { return Vec3{m.m[3 * i], m.m[3 * i + 1], m.m[3 * i + 2]}; }
inline void setRow(Mat3& m, int i, Vec3 v) { m.m[3 * i] = v.x; m.m[3 * i + 1] = v.y; m.m[3 * i + 2] = v.z; }
