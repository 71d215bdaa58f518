#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "loop_points.h"
#include "track/geometry.h"

static void expectCubic(const Cubic& c, double a, double b, double cc, double d)
{
    EXPECT_DOUBLE_EQ(c.a, a);
    EXPECT_NEAR(c.b, b, 1e-12);
    EXPECT_NEAR(c.c, cc, 1e-12);
    EXPECT_NEAR(c.d, d, 1e-12);
}

TEST(ClosedSpline, MatchesHandSolvedCases)
{
    std::vector<Cubic> s = closedSpline({0, 10, 0, -10});
    ASSERT_EQ(s.size(), 4u);
    expectCubic(s[0], 0, 15, 0, -5);
    expectCubic(s[1], 10, 0, -15, 5);
    expectCubic(s[2], 0, -15, 0, 5);
    expectCubic(s[3], -10, 0, 15, -5);

    s = closedSpline({0, 0, 300, 300});
    expectCubic(s[0], 0, -225, 225, 0);
    expectCubic(s[1], 0, 225, 225, -150);
    expectCubic(s[2], 300, 225, -225, 0);
    expectCubic(s[3], 300, -225, -225, 150);
}

TEST(ClosedSpline, TwoPointsHaveFlatSlopesAndEqualValuesAreConstant)
{
    std::vector<Cubic> s = closedSpline({1, 5});
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].b, 0.0);
    EXPECT_EQ(s[1].b, 0.0);
    expectCubic(s[0], 1, 0, 12, -8);
    expectCubic(s[1], 5, 0, -12, 8);

    for (const Cubic& c : closedSpline({7.5, 7.5, 7.5, 7.5, 7.5})) {
        EXPECT_EQ(c.b, 0.0);
        EXPECT_EQ(c.c, 0.0);
        EXPECT_EQ(c.d, 0.0);
    }
    EXPECT_TRUE(closedSpline({}).empty());
    EXPECT_EQ(closedSpline({3}).at(0).a, 3.0);
}

TEST(ClosedSpline, IsContinuousInValueSlopeAndCurvatureAtEveryKnot)
{
    std::vector<double> x = {0, 4, 9, 7, -2, -6, -3};
    std::vector<Cubic> s = closedSpline(x);
    for (size_t k = 0; k < x.size(); ++k) {
        const Cubic& a = s[k];
        const Cubic& b = s[(k + 1) % x.size()];
        EXPECT_NEAR(a.a + a.b + a.c + a.d, b.a, 1e-12);
        EXPECT_NEAR(a.b + 2 * a.c + 3 * a.d, b.b, 1e-12);
        EXPECT_NEAR(2 * a.c + 6 * a.d, 2 * b.c, 1e-11);
    }
}

// A ring of control points, radius 100 m, 20 m wide, gently rolling.
static std::vector<ControlPoint> ring(int n)
{
    const double across[4] = {-10, -4, 4, 10};
    return loopPoints(
        n, 0.0, [&](double, int r) { return 100 - across[r]; }, [](double a, int) { return 3.0 * std::sin(2 * a); });
}

TEST(BuildSegments, TheRoadClosesOnItself)
{
    const std::vector<ControlPoint> points = ring(9);
    const std::vector<TrackSegment> segments = loopTrack(points).segments;
    for (size_t i = 0; i < segments.size(); ++i) {
        const TrackSegment& next = segments[(i + 1) % segments.size()];
        for (int r = 0; r < 4; ++r) {
            Vec3 end = railPoint(segments[i], r, 1.0);
            Vec3 start = railPoint(next, r, 0.0);
            EXPECT_NEAR(end.x, start.x, 1e-9);
            EXPECT_NEAR(end.y, start.y, 1e-9);
            EXPECT_NEAR(end.z, start.z, 1e-9);
        }
    }
    // Rail r passes through point r of its own control point at t = 0.
    Vec3 p = railPoint(segments[4], 2, 0.0);
    EXPECT_EQ(p.x, static_cast<double>(points[4].p[2][0]));
    EXPECT_EQ(p.z, static_cast<double>(points[4].p[2][2]));
}

TEST(BuildSegments, CentreIsTheMeanOfTheEightRailEnds)
{
    const std::vector<TrackSegment> segments = loopTrack(ring(6)).segments;
    Vec3 sum;
    for (int r = 0; r < 4; ++r) {
        sum = add(sum, railPoint(segments[2], r, 0.0));
        sum = add(sum, railPoint(segments[2], r, 1.0));
    }
    EXPECT_NEAR(segments[2].center.x, sum.x / 8, 1e-9);
    EXPECT_NEAR(segments[2].center.y, sum.y / 8, 1e-9);
    EXPECT_NEAR(segments[2].center.z, sum.z / 8, 1e-9);
}

TEST(BuildSegments, RebuildingGivesBitIdenticalRails)
{
    std::vector<ControlPoint> points = ring(13);
    std::vector<TrackSegment> a(points.size()), b(points.size());
    buildSegments(points, a);
    buildSegments(points, b);
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(std::memcmp(a[i].rails, b[i].rails, sizeof(a[i].rails)), 0);
}

TEST(SectionPoint, FlatCrossSectionGivesExactBezierValues)
{
    Vec3 p0{-10, 0, 0}, p1{-5, 0, 0}, p2{5, 0, 0}, p3{10, 0, 0};
    const double u[5] = {0, 0.125, 0.25, 0.375, 0.5};
    const double x[5] = {-10, -7.91015625, -5.46875, -2.79296875, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sectionPoint(p0, p1, p2, p3, u[i]).x, x[i]);
    EXPECT_EQ(sectionPoint(p0, p1, p2, p3, 1.0).x, 10.0);
}
