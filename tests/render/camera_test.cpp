#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "track/geometry.h"
#include "track/loop_points.h"
#include "track/track.h"

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

// The chase camera and the replay's behind-and-above camera for the same
// three ships: level at the origin, yawed 90 degrees to look along -x, and on
// a wall banked 90 degrees, where the camera's up is the ship's up.
TEST(ChaseCamera, ChaseAndBehindAboveFollowTheShipsPose)
{
    const ShipState level = shipAt({}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    const ShipState yawed = shipAt({10, 20, 30}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});
    const ShipState banked = shipAt({0, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0});
    struct Case {
        CameraPose (*camera)(const ShipState&);
        const ShipState* ship;
        Vec3 eye, centre, up;
    };
    const Case cases[] = {
        {chaseCamera, &level, {0, -0.5, 1.15}, {0, 1, 1.15}, {0, 0, 1}},
        {chaseCamera, &yawed, {10.5, 20, 31.15}, {9, 20, 31.15}, {0, 0, 1}},
        {chaseCamera, &banked, {1.15, -0.5, 0}, {1.15, 1, 0}, {1, 0, 0}},
        {behindAboveCamera, &level, {0, -6, 2.5}, {0, 2, 0.5}, {0, 0, 1}},
        {behindAboveCamera, &yawed, {16, 20, 32.5}, {8, 20, 30.5}, {0, 0, 1}},
        {behindAboveCamera, &banked, {2.5, -6, 0}, {0.5, 2, 0}, {1, 0, 0}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const CameraPose pose = cases[i].camera(*cases[i].ship);
        expectVec(pose.eye, cases[i].eye.x, cases[i].eye.y, cases[i].eye.z);
        expectVec(pose.centre, cases[i].centre.x, cases[i].centre.y, cases[i].centre.z);
        expectVec(pose.up, cases[i].up.x, cases[i].up.y, cases[i].up.z);
    }
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

TEST(ReplayCameras, TracksideCameraIsTheNearestPointLookingAtTheShip)
{
    const std::vector<Vec3> points = {{0, 0, 5}, {100, 0, 5}, {100, 100, 5}, {0, 100, 5}};
    // Halfway between two points (the last row) the first of them keeps the view.
    for (auto [at, nearest] : {std::pair<Vec3, size_t>{{10, 10, 0}, 0}, {{90, 20, 0}, 1}, {{60, 70, 0}, 2},
                               {{-500, 400, 0}, 3}, {{50, 0, 0}, 0}})
        EXPECT_EQ(nearestPoint(points, at), nearest) << at.x << "," << at.y;

    ShipState ship = shipAt({90, 80, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    CameraPose pose = tracksideCamera(points, ship);
    expectVec(pose.eye, 100, 100, 5);
    expectVec(pose.centre, 90, 80, 1);
    expectVec(pose.up, 0, 0, 1);

    // Without trackside points the viewer still has a camera.
    CameraPose none = tracksideCamera({}, ship);
    expectVec(none.eye, 90, 74, 3.5);
}

TEST(ReplayCameras, TracksidePointsStandOutsideAlternateEdgesAboveTheRoad)
{
    // A straight road along +y, 20 wide: rail 0 at x = -10, rail 3 at x = 10.
    std::vector<ControlPoint> control(12);
    for (int i = 0; i < 12; ++i)
        for (int r = 0; r < 4; ++r) {
            control[size_t(i)].p[r][0] = float(-10.0 + 20.0 * r / 3.0);
            control[size_t(i)].p[r][1] = float(i * 10.0);
            control[size_t(i)].p[r][2] = 2.0f;
        }
    const Track track = loopTrack(control);
    std::vector<Vec3> points = tracksidePoints(track);
    ASSERT_EQ(points.size(), 3u) << "one every " << tracksideSpacing << " segments";
    for (size_t k = 0; k < points.size(); ++k) {
        const Vec3 edge = railPoint(track.segments[k * tracksideSpacing], k % 2 == 0 ? 0 : 3, 0.0);
        EXPECT_NEAR(points[k].x, edge.x + (k % 2 == 0 ? -8.0 : 8.0), 1e-6) << k;
        EXPECT_NEAR(points[k].y, edge.y, 1e-6) << k;
        EXPECT_NEAR(points[k].z, edge.z + 5.0, 1e-6) << k;
    }
    EXPECT_TRUE(tracksidePoints(Track{}).empty());
}
