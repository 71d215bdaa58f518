// The force model and the step on a flat straight road and on a ring.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sim/locator.h"
#include "sim/replay.h"
#include "sim/ship_physics.h"
#include "test_tracks.h"

namespace {

const double g = 9.81;
const double h = 0.01;

// A reset ship moved to the middle of segment 2 of the flat straight, at rest,
// facing +y, with the given velocity and control.
ShipState flatShip(const Track& track, Vec3 velocity, ControlInput control)
{
    ShipState s;
    resetShip(s, track);
    s.position = Vec3{0.0, 250.0, 0.0};
    s.segment = 2;
    s.trackU = 0.5;
    s.trackT = 0.5;
    s.velocity = velocity;
    s.control = control;
    return s;
}

double dragAt(const ShipState& s, double speed) { return s.linearDrag * speed + s.quadraticDrag * speed * speed; }

TEST(ShipReset, StartsOnTheRoadAtRestWithTheTableCoefficients)
{
    Track track = ringTrack(24, 120.0, 20.0);
    ShipState s;
    s.control = ControlInput{0.5f, 0.25f, 0.125f};
    s.velocity = Vec3{1.0, 2.0, 3.0};
    resetShip(s, track);
    EXPECT_EQ(s.mass, 1.1);
    EXPECT_EQ(s.enginePower, 500.0);
    EXPECT_EQ(s.linearDrag, std::nextafter(0.0225, 1.0));
    EXPECT_EQ(s.quadraticDrag, 0.0003375);
    EXPECT_EQ(s.downforce, 0.0001575);
    EXPECT_EQ(s.segment, -1);
    EXPECT_EQ(s.velocity.x, 0.0);
    EXPECT_EQ(s.velocity.z, 0.0);
    Mat3 unit = identity();
    EXPECT_EQ(std::memcmp(&s.orientation, &unit, sizeof(Mat3)), 0) << "frame not the identity";
    // The control is the caller's.
    EXPECT_EQ(s.control.steer, 0.5f);
    // The origin lies mid-road, mid-segment 0.
    EXPECT_NEAR(s.trackU, 0.5, 0.01);
    EXPECT_NEAR(s.trackT, 0.5, 0.01);
    EXPECT_NEAR(s.position.x, 0.0, 0.5);
    EXPECT_EQ(s.pad0, 0u);
    EXPECT_EQ(s.pad1, 0u);
}

TEST(ShipForces, AtRestUnderFullBrakeStaysAtRest)
{
    Track track = straightTrack(5);
    ShipState s = flatShip(track, Vec3{}, ControlInput{0.0f, 1.0f, 0.0f});
    ShipDerivative d = shipDerivative(s, track, g);
    EXPECT_NEAR(length(d.velocity), 0.0, 1e-12);
    Mat3 before = s.orientation;
    for (int i = 0; i < 50; ++i)
        stepShipState(s, track, g, h);
    EXPECT_NEAR(length(s.velocity), 0.0, 1e-12);
    EXPECT_NEAR(s.position.y, 250.0, 1e-12);
    for (int k = 0; k < 9; ++k)
        EXPECT_NEAR(s.orientation.m[k], before.m[k], 1e-15);
}

TEST(ShipForces, FullThrottleFromRestIsLimitedByTheLowGrip)
{
    Track track = straightTrack(5);
    ShipState s = flatShip(track, Vec3{}, ControlInput{0.0f, 0.0f, 1.0f});
    ShipDerivative d = shipDerivative(s, track, g);
    // Grip 0.5 caps the 7.01415 of traction at 0.55 x 10.791.
    EXPECT_NEAR(d.velocity.y, 5.3955, 1e-12);
    EXPECT_NEAR(d.velocity.x, 0.0, 1e-15);
    EXPECT_NEAR(d.velocity.z, 0.0, 1e-12);
}

TEST(ShipForces, ThrustIsDividedBySpeedOnlyAboveOneMetrePerSecond)
{
    Track track = straightTrack(5);
    // A throttle small enough that traction never caps it.
    const float throttle = 0.0078125f;
    struct Case {
        double speed;
        double drive;
    } cases[] = {{0.5, 3.90625}, {1.0, 3.90625}, {2.0, 1.953125}, {4.0, 0.9765625}};
    for (const Case& c : cases) {
        ShipState s = flatShip(track, Vec3{0.0, c.speed, 0.0}, ControlInput{0.0f, 0.0f, throttle});
        ShipDerivative d = shipDerivative(s, track, g);
        EXPECT_NEAR(d.velocity.y, c.drive / 1.1 - dragAt(s, c.speed), 1e-12) << "at " << c.speed << " m/s";
        EXPECT_EQ(d.position.y, c.speed);
    }
    // Full throttle at 2 m/s: drive 250 is capped by traction 0.65 x N.
    ShipState s = flatShip(track, Vec3{0.0, 2.0, 0.0}, ControlInput{0.0f, 0.0f, 1.0f});
    ShipDerivative d = shipDerivative(s, track, g);
    EXPECT_NEAR(d.velocity.y, 0.65 * (10.791 + s.downforce * 4.0) / 1.1 - dragAt(s, 2.0), 1e-12);
}

TEST(ShipForces, BrakeAtSpeedDeceleratesByTheNormalLoad)
{
    Track track = straightTrack(5);
    ShipState s = flatShip(track, Vec3{0.0, 40.0, 0.0}, ControlInput{0.0f, 1.0f, 0.0f});
    ShipDerivative d = shipDerivative(s, track, g);
    double load = 1.1 * 9.81 + s.downforce * 1600.0;
    EXPECT_NEAR(d.velocity.y, -load / 1.1 - dragAt(s, 40.0), 1e-12);
}

TEST(ShipForces, SidewaysSlideGetsTheLowGripOnBothAxes)
{
    Track track = straightTrack(5);
    // Sliding to the right at 5 m/s while pushing forward at full throttle.
    ShipState s = flatShip(track, Vec3{5.0, 0.0, 0.0}, ControlInput{0.0f, 0.0f, 1.0f});
    ShipDerivative d = shipDerivative(s, track, g);
    double limit = 0.55 * 10.791;
    EXPECT_NEAR(d.velocity.x, -limit / 1.1 - dragAt(s, 5.0), 1e-12);
    EXPECT_NEAR(d.velocity.y, limit / 1.1, 1e-12);
}

// The yaw turned in one step, from the forward axis before and after.
double yawOfOneStep(const Track& track, double speed, float steer, double& speedAfter)
{
    ShipState s = flatShip(track, Vec3{0.0, speed, 0.0}, ControlInput{steer, 0.0f, 0.0f});
    stepShipState(s, track, g, h);
    speedAfter = length(s.velocity);
    Vec3 f = row(s.orientation, 1);
    return std::atan2(-f.x, f.y);
}

TEST(ShipSteering, TurnRateScalesWithSpeedBelowFifteen)
{
    Track track = straightTrack(5);
    double after = 0.0;
    // Well above 15 m/s the angle is steer x h.
    EXPECT_NEAR(yawOfOneStep(track, 30.0, 1.0f, after), 0.01, 1e-15);
    // From 15 m/s drag takes the ship just below, so the angle scales.
    double at15 = yawOfOneStep(track, 15.0, 1.0f, after);
    EXPECT_LT(after, 15.0);
    EXPECT_NEAR(at15, 0.01 * after / 15.0, 1e-15);
    EXPECT_NEAR(at15, 0.01, 1e-5);
    double at75 = yawOfOneStep(track, 7.5, 1.0f, after);
    EXPECT_NEAR(at75, 0.01 * after / 15.0, 1e-15);
    EXPECT_NEAR(at75, 0.005, 1e-5);
    // Negative steer turns right, unbounded steer turns faster.
    EXPECT_NEAR(yawOfOneStep(track, 30.0, -1.0f, after), -0.01, 1e-15);
    EXPECT_NEAR(yawOfOneStep(track, 30.0, 2.0f, after), 0.02, 1e-15);
    // At rest the ship does not turn.
    EXPECT_EQ(yawOfOneStep(track, 0.0, 1.0f, after), 0.0);
}

TEST(ShipStep, StaysOnTheSurfaceWithTangentVelocityAndAnOrthonormalFrame)
{
    Track track = ringTrack(24, 120.0, 20.0, 6.0, 2);
    ShipState s;
    resetShip(s, track);
    for (int i = 0; i < 600; ++i) {
        s.control = ControlInput{i > 300 ? 0.15f : 0.0f, 0.0f, 1.0f};
        stepShipState(s, track, g, h);
    }
    ASSERT_GE(s.segment, 0);
    SurfaceFrame f = surfaceFrame(track.segments[size_t(s.segment)], s.trackU, s.trackT);
    EXPECT_NEAR(dot(sub(s.position, f.point), f.normal), 0.0, 0.05);
    EXPECT_NEAR(dot(s.velocity, row(s.orientation, 2)), 0.0, 1e-9);
    Vec3 r = row(s.orientation, 0), fw = row(s.orientation, 1), up = row(s.orientation, 2);
    EXPECT_NEAR(length(r), 1.0, 1e-12);
    EXPECT_NEAR(dot(r, fw), 0.0, 1e-12);
    EXPECT_NEAR(dot(fw, up), 0.0, 1e-12);
    EXPECT_GT(length(s.velocity), 20.0);
}

TEST(ShipStep, SameRecordsGiveBitIdenticalStates)
{
    Track a = ringTrack(30, 150.0, 22.0, 8.0, 3);
    Track b = ringTrack(30, 150.0, 22.0, 8.0, 3);
    ReplaySetup setup;
    for (int i = 0; i < 1500; ++i)
        setup.controls.push_back(ControlInput{float(0.3 * std::sin(i * 0.01)), i % 97 == 0 ? 1.0f : 0.0f, 1.0f});
    ReplayResult first = replayRace(a, setup);
    ReplayResult second = replayRace(b, setup);
    ReplayResult again = replayRace(a, setup);
    EXPECT_EQ(std::memcmp(&first.finalState, &second.finalState, sizeof(ShipState)), 0);
    EXPECT_EQ(std::memcmp(&first.finalState, &again.finalState, sizeof(ShipState)), 0);
    EXPECT_EQ(first.raceTicks, second.raceTicks);
    ASSERT_GT(first.raceTicks, 300) << outcomeLine(first);

    // One record changed by one unit in the last place changes the end state.
    setup.controls[300].steer = std::nextafter(setup.controls[300].steer, 1.0f);
    ReplayResult nudged = replayRace(a, setup);
    EXPECT_NE(std::memcmp(&first.finalState, &nudged.finalState, sizeof(ShipState)), 0);
}

} // namespace
