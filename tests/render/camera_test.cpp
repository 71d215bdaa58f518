#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ShipState shipAt(Vec3 position, Vec3 right, Vec3 forward, Vec3 up)
{
    ShipState s;
    s.position = position;
    setRow(s.orientation, 0, right);
    setRow(s.orientation, 1, forward);
    setRow(s.orientation, 2, up);
    return s;
}

void expectVec(Vec3 v, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(v.x, x);
    EXPECT_DOUBLE_EQ(v.y, y);
    EXPECT_DOUBLE_EQ(v.z, z);
}

} // namespace

TEST(ChaseCamera, SitsBehindAndAboveLookingAlongTheShip)
{
    CameraPose atOrigin = chaseCamera(shipAt({}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}));
    expectVec(atOrigin.eye, 0, -0.5, 1.15);
    expectVec(atOrigin.centre, 0, 1, 1.15);
    expectVec(atOrigin.up, 0, 0, 1);

    // Yawed by 90 degrees: looking along -x, the eye half a unit on the +x side.
    CameraPose yawed = chaseCamera(shipAt({10, 20, 30}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}));
    expectVec(yawed.eye, 10.5, 20, 31.15);
    expectVec(yawed.centre, 9, 20, 31.15);

    // On a wall banked 90 degrees the camera's up is the ship's up.
    CameraPose banked = chaseCamera(shipAt({0, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}));
    expectVec(banked.eye, 1.15, -0.5, 0);
    expectVec(banked.up, 1, 0, 0);
}

TEST(ChaseCamera, GhostMatrixHasTheOrientationRowsAsColumns)
{
    Mat3 m;
    for (int i = 0; i < 9; ++i)
        m.m[i] = i + 1;
    double out[16];
    orientationMatrix(m, out);
    const double expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(ChaseCamera, MenuTurnsTenDegreesPerSecondAndAspectIsExact)
{
    EXPECT_EQ(menuTurnDegrees(0), 0.0f);
    EXPECT_EQ(menuTurnDegrees(9000), 90.0f);
    EXPECT_EQ(menuTurnDegrees(36000), 360.0f);
    EXPECT_EQ(menuTurnDegrees(4294967295u), static_cast<float>(4294967295u / 100.0));
    EXPECT_EQ(aspectRatio(1024, 768), 1.3333333333333333);
    EXPECT_EQ(aspectRatio(800, 600), 800.0 / 600.0);
    EXPECT_EQ(aspectRatio(800, 0), 1.0);
}
