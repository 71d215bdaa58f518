#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sim/pose_blend.h"
#include "sim/ship_physics.h"
#include "test_tracks.h"

namespace {

bool sameBytes(const ShipState& a, const ShipState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

ShipState stateAt(Vec3 position, const Mat3& orientation)
{
    ShipState s;
    s.position = position;
    s.orientation = orientation;
    s.velocity = Vec3{1.0, 2.0, 3.0};
    s.segment = 4;
    return s;
}

// Largest entry of R R^T - I, and the determinant: a rotation has 0 and 1.
double orthonormalError(const Mat3& r)
{
    double worst = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            worst = std::fmax(worst, std::fabs(dot(row(r, i), row(r, j)) - (i == j ? 1.0 : 0.0)));
    return worst;
}
double determinant(const Mat3& r) { return dot(cross(row(r, 0), row(r, 1)), row(r, 2)); }

// Angle of the rotation taking a to b, from both its sine and its cosine so
// that small angles keep their digits.
double angleBetween(const Mat3& a, const Mat3& b)
{
    // R = B^T A in rows of the frames: R(i, j) = sum over k of b(k, i) a(k, j).
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = b.m[i] * a.m[j] + b.m[3 + i] * a.m[3 + j] + b.m[6 + i] * a.m[6 + j];
    const double c = 0.5 * (r[0][0] + r[1][1] + r[2][2] - 1.0);
    const double sx = r[2][1] - r[1][2], sy = r[0][2] - r[2][0], sz = r[1][0] - r[0][1];
    return std::atan2(0.5 * std::sqrt(sx * sx + sy * sy + sz * sz), c);
}

struct FramePair {
    const char* name;
    Mat3 before;
    Mat3 after;
};

// A frame that has drifted off orthonormal by rounding over many steps.
Mat3 drifted(Mat3 m)
{
    m.m[0] *= 1.0 + 3e-9;
    m.m[4] -= 2e-9;
    m.m[5] += 1e-9;
    return m;
}

std::vector<FramePair> framePairs()
{
    const Vec3 tilted = normalize(Vec3{0.3, -0.5, 0.8});
    return {
        {"one tick of a turn", identity(), rotationAbout(Vec3{0, 0, 1}, 0.012)},
        {"a roll over a crest", rotationAbout(Vec3{1, 0, 0}, 0.4), rotationAbout(normalize(Vec3{1, 0.1, 0}), 0.43)},
        {"a large turn", rotationAbout(tilted, 0.2), rotationAbout(tilted, 2.9)},
        {"a half turn", identity(), rotationAbout(Vec3{0, 1, 0}, M_PI)},
        {"across the sign flip", rotationAbout(tilted, 3.1), rotationAbout(tilted, -3.1)},
        {"drifted frames", drifted(rotationAbout(tilted, 1.0)), drifted(rotationAbout(tilted, 1.05))},
    };
}

} // namespace

TEST(PoseBlend, EndsAreTheTwoStatesExactly)
{
    for (const FramePair& pair : framePairs()) {
        SCOPED_TRACE(pair.name);
        const ShipState a = stateAt(Vec3{0.1, -7.3, 2.25}, pair.before);
        ShipState b = stateAt(Vec3{0.7, -6.9, 2.5}, pair.after);
        b.segment = 5;
        b.velocity = Vec3{-4.0, 0.5, 0.0};
        EXPECT_TRUE(sameBytes(blendShipStates(a, b, 0.0), a));
        EXPECT_TRUE(sameBytes(blendShipStates(a, b, 1.0), b));
        // Outside [0, 1] and not a number: the nearer end, or the newer state.
        EXPECT_TRUE(sameBytes(blendShipStates(a, b, -0.5), a));
        EXPECT_TRUE(sameBytes(blendShipStates(a, b, 1.5), b));
        EXPECT_TRUE(sameBytes(blendShipStates(a, b, std::nan("")), b));
    }
}

TEST(PoseBlend, BlendedFrameIsARotationOnTheArcBetweenTheTwo)
{
    for (const FramePair& pair : framePairs()) {
        SCOPED_TRACE(pair.name);
        const ShipState a = stateAt(Vec3{}, pair.before);
        const ShipState b = stateAt(Vec3{}, pair.after);
        const double total = angleBetween(pair.before, pair.after);
        for (double f : {1e-6, 0.1, 0.25, 0.5, 0.75, 0.999999}) {
            SCOPED_TRACE(f);
            const Mat3 r = blendShipStates(a, b, f).orientation;
            EXPECT_LT(orthonormalError(r), 1e-14);
            EXPECT_NEAR(determinant(r), 1.0, 1e-14);
            // The shorter arc, travelled at an even rate: a fraction of the way
            // from one end and the rest from the other.
            EXPECT_NEAR(angleBetween(pair.before, r), f * total, 1e-6);
            EXPECT_NEAR(angleBetween(r, pair.after), (1.0 - f) * total, 1e-6);
        }
    }
}

TEST(PoseBlend, PositionIsLinearAndOtherFieldsAreTheNewerState)
{
    const ShipState a = stateAt(Vec3{10.0, -2.0, 1.0}, identity());
    ShipState b = stateAt(Vec3{12.0, 2.0, 1.0}, rotationAbout(Vec3{0, 0, 1}, 0.01));
    b.velocity = Vec3{200.0, 400.0, 0.0};
    b.trackT = 0.75;
    const ShipState m = blendShipStates(a, b, 0.25);
    EXPECT_DOUBLE_EQ(m.position.x, 10.5);
    EXPECT_DOUBLE_EQ(m.position.y, -1.0);
    // An unchanged coordinate stays bit for bit, so a ship at rest never shimmers.
    EXPECT_EQ(m.position.z, 1.0);
    EXPECT_EQ(m.velocity.x, 200.0);
    EXPECT_EQ(m.trackT, 0.75);
}

TEST(PoseBlend, FrameThatIsNoRotationIsTakenFromTheNearerState)
{
    Mat3 zero;
    Mat3 notFinite = identity();
    notFinite.m[4] = std::nan("");
    Mat3 mirrored = identity();
    mirrored.m[0] = -1.0;
    const Mat3 turned = rotationAbout(Vec3{0, 0, 1}, 0.3);
    for (const Mat3& bad : {zero, notFinite, mirrored}) {
        const ShipState a = stateAt(Vec3{}, bad);
        const ShipState b = stateAt(Vec3{}, turned);
        EXPECT_EQ(std::memcmp(blendShipStates(a, b, 0.3).orientation.m, bad.m, sizeof bad.m), 0);
        EXPECT_EQ(std::memcmp(blendShipStates(a, b, 0.7).orientation.m, turned.m, sizeof turned.m), 0);
        Quaternion q;
        EXPECT_FALSE(frameQuaternion(bad, q));
    }
}

TEST(PoseBlend, QuaternionRoundTripKeepsTheFrame)
{
    for (const FramePair& pair : framePairs()) {
        SCOPED_TRACE(pair.name);
        for (const Mat3& m : {pair.before, pair.after}) {
            Quaternion q;
            ASSERT_TRUE(frameQuaternion(m, q));
            const Mat3 back = quaternionFrame(q);
            for (int i = 0; i < 9; ++i)
                EXPECT_NEAR(back.m[i], m.m[i], 1e-8);
        }
    }
}

TEST(PoseBlend, ResetDrawsTheCurrentStateAndAdvanceShiftsIt)
{
    Track track = ringTrack(24, 120.0, 20.0, 6.0, 2);
    ShipState s;
    resetShip(s, track);
    s.control = ControlInput{0.2f, 0.0f, 1.0f};
    PoseHistory history;
    resetPose(history, s);
    for (int i = 0; i < 300; ++i) {
        const ShipState last = s;
        stepShipState(s, track, 9.81, 0.01);
        advancePose(history, s);
        ASSERT_TRUE(sameBytes(history.before, last));
        ASSERT_TRUE(sameBytes(history.after, s));
        if (i % 50 == 49) {
            // A restart or a seek: every fraction draws where the ship now is.
            resetPose(history, s);
            for (double f : {0.0, 0.3, 0.5, 1.0})
                EXPECT_TRUE(sameBytes(drawnPose(history, f), s));
        } else {
            const ShipState mid = drawnPose(history, 0.5);
            EXPECT_LT(orthonormalError(mid.orientation), 1e-12);
            EXPECT_NEAR(length(sub(mid.position, last.position)), length(sub(mid.position, s.position)), 1e-9);
        }
    }
}

TEST(PoseBlend, TickFractionFollowsTheClockToTheNextTick)
{
    struct Case {
        double now, next, tick, fraction;
    } cases[] = {
        {100.0, 110.0, 10.0, 0.0}, // the tick has just run
        {107.5, 110.0, 10.0, 0.75},
        {110.0, 110.0, 10.0, 1.0}, // the next tick is due
        {95.0, 110.0, 10.0, 0.0},  // a clock behind the last tick
        {112.0, 110.0, 10.0, 1.0}, // a tick overdue
        {50.0, 60.0, 40.0, 0.75},  // a slower clock, as a replay at a quarter speed
        {5.0, 10.0, 0.0, 1.0},     // no tick length: the newest state
        {std::nan(""), 10.0, 10.0, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tickFraction(c.now, c.next, c.tick), c.fraction) << c.now << " " << c.next << " " << c.tick;
}
