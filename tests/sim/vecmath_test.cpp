#include <gtest/gtest.h>

#include <cmath>

#include "sim/vecmath.h"

static void expectVec(Vec3 v, double x, double y, double z, double tol = 0.0)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

TEST(VecMath, CrossProductIsRightHandedAndAntisymmetric)
{
    expectVec(cross(Vec3{1, 0, 0}, Vec3{0, 1, 0}), 0, 0, 1);
    expectVec(cross(Vec3{0, 1, 0}, Vec3{1, 0, 0}), 0, 0, -1);
    expectVec(cross(Vec3{2, 3, 4}, Vec3{5, 6, 7}), -3, 6, -3);
}

TEST(VecMath, NormalizeAndDivideGiveExactValues)
{
    Vec3 n = normalize(Vec3{3, 0, 4});
    EXPECT_EQ(n.x, 3 * (1.0 / 5.0));
    EXPECT_EQ(n.z, 4 * (1.0 / 5.0));
    EXPECT_EQ(n.y, 0.0);
    EXPECT_NEAR(n.x, 0.6, 2e-16);
    Vec3 d = divide(Vec3{1, 2, 3}, 2);
    expectVec(d, 0.5, 1, 1.5);
    // A true division differs from a multiplication by the reciprocal for some values.
    EXPECT_EQ(divide(Vec3{49, 0, 0}, 49.0).x, 1.0);
    EXPECT_NE(49.0 * (1.0 / 49.0), 1.0);
}

TEST(VecMath, RotationAboutUpTurnsForwardToTheLeft)
{
    Vec3 v = mul(rotationAbout(Vec3{0, 0, 1}, M_PI / 2), Vec3{0, 1, 0});
    expectVec(v, -1, 0, 0, 1e-15);
    Mat3 r = rotationAbout(normalize(Vec3{1, 2, 3}), 0.0);
    Mat3 id = identity();
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(r.m[i], id.m[i]);
}

TEST(VecMath, RotationKeepsLengthsAndTheAxis)
{
    Vec3 k = normalize(Vec3{0.3, -0.4, 0.8});
    Mat3 r = rotationAbout(k, 0.7);
    expectVec(mul(r, k), k.x, k.y, k.z, 1e-15);
    Vec3 v{1.5, 2.0, -0.5};
    EXPECT_NEAR(length(mul(r, v)), length(v), 1e-14);
}

TEST(VecMath, TransposeTwiceGivesTheMatrixBack)
{
    Mat3 m;
    for (int i = 0; i < 9; ++i)
        m.m[i] = 0.1 * i - 0.37 * i * i;
    Mat3 t = transpose(m);
    EXPECT_EQ(t.m[1], m.m[3]);
    EXPECT_EQ(t.m[5], m.m[7]);
    Mat3 back = transpose(t);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(back.m[i], m.m[i]);
}

TEST(VecMath, DotSumsLeftToRight)
{
    // 1e16 + 1 rounds back to 1e16, so the 1 is lost only when summed left to right.
    EXPECT_EQ(dot(Vec3{1e16, 1, -1e16}, Vec3{1, 1, 1}), 0.0);
    SurfaceParam p = offset(SurfaceParam{0.25, 0.5}, 0.5, -0.25);
    EXPECT_EQ(p.u, 0.75);
    EXPECT_EQ(p.t, 0.25);
}
