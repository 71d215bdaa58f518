// The track locator on hand-built flat roads and a ring.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "sim/locator.h"
#include "sim/ship.h"
#include "test_tracks.h"

namespace {

ShipState stateAt(Vec3 p, int32_t segment, double u, double t)
{
    ShipState s;
    s.position = p;
    s.segment = segment;
    s.trackU = u;
    s.trackT = t;
    return s;
}

TEST(SurfaceFrame, FlatPatchAlongYWithRailZeroOnTheLeftFacesUp)
{
    Track track = straightTrack(1);
    SurfaceFrame f = surfaceFrame(track.segments[0], 0.3, 0.6);
    EXPECT_EQ(f.normal.x, 0.0);
    EXPECT_EQ(f.normal.y, 0.0);
    EXPECT_NEAR(f.normal.z, 1.0, 1e-15);
    EXPECT_NEAR(f.point.y, 60.0, 1e-12);
    EXPECT_EQ(f.point.z, 0.0);
}

TEST(NearestOnSegment, PointAboveTheGuessOnAFlatPatchKeepsItAtFourTrialsAPass)
{
    Track track = straightTrack(1);
    Vec3 above = add(surfacePoint(track.segments[0], 0.5, 0.5), Vec3{0.0, 0.0, 3.0});
    int iterations = 0;
    TrackContact c = nearestOnSegment(track.segments[0], above, 0.5, 0.5, &iterations);
    EXPECT_EQ(c.u, 0.5);
    EXPECT_EQ(c.t, 0.5);
    // Five passes (steps 0.1 down to 0.000390625), two trials per phase.
    EXPECT_EQ(iterations, 20);
    EXPECT_EQ(c.segment, -1);
}

TEST(NearestOnSegment, WalksToTheFootOfThePointAndStopsAtAHundredTrials)
{
    Track track = straightTrack(1);
    // Foot at t = 0.8 from a guess at t = 0.2: six steps of 0.1 and refinement.
    Vec3 p{0.0, 80.0, 2.0};
    int iterations = 0;
    TrackContact c = nearestOnSegment(track.segments[0], p, 0.5, 0.2, &iterations);
    EXPECT_NEAR(c.t, 0.8, 0.0004);
    EXPECT_NEAR(c.u, 0.5, 0.0004);
    EXPECT_LE(iterations, 102);

    // A foot far beyond what 100 trials of 0.1 can reach.
    Vec3 far{0.0, 3000.0, 0.0};
    TrackContact capped = nearestOnSegment(track.segments[0], far, 0.5, 0.5, &iterations);
    EXPECT_GT(iterations, 100);
    EXPECT_LT(capped.t, 30.0);
    EXPECT_GT(capped.t, 9.0);
}

TEST(Locate, CrossingIntoTheNextSegmentShiftsTheGuess)
{
    Track track = straightTrack(10);
    // Half a metre past the end of segment 7.
    ShipState s = stateAt(Vec3{0.0, 800.5, 0.0}, 7, 0.5, 0.98);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, 8);
    EXPECT_NEAR(c.t, 0.005, 0.0004);
    EXPECT_NEAR(c.u, 0.5, 0.0004);
    EXPECT_EQ(c.point.z, 0.0);
}

TEST(Locate, DrivingBackwardsFindsThePreviousSegment)
{
    Track track = straightTrack(10);
    ShipState s = stateAt(Vec3{1.0, 699.5, 0.0}, 7, 0.5, 0.02);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, 6);
    EXPECT_NEAR(c.t, 0.995, 0.0004);
}

TEST(Locate, StayingOnTheSegmentAcceptsTheFirstCandidate)
{
    Track track = straightTrack(10);
    ShipState s = stateAt(Vec3{3.0, 342.0, 0.5}, 3, 0.5, 0.4);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, 3);
    TrackContact direct = nearestOnSegment(track.segments[3], s.position, 0.5, 0.4);
    EXPECT_EQ(c.u, direct.u);
    EXPECT_EQ(c.t, direct.t);
}

TEST(Locate, FreshStateStartsFromTheNearestCentre)
{
    Track track = straightTrack(10);
    ShipState s = stateAt(Vec3{0.0, 555.0, 0.0}, -1, 0.0, 0.0);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, 5);
    EXPECT_NEAR(c.t, 0.55, 0.0004);
}

TEST(Locate, OneSegmentTrackFallsBackOnItsOnlySegment)
{
    Track track = straightTrack(1);
    ShipState s = stateAt(Vec3{0.0, 150.0, 0.0}, 0, 0.5, 0.5);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, 0);
    EXPECT_NEAR(c.t, 1.5, 0.0004);
}

TEST(Locate, FarAwayPointGetsTheFallbackFromTheStatesOwnGuess)
{
    Track track = ringTrack(16, 150.0, 20.0);
    Vec3 far{5000.0, 4000.0, 0.0};
    ShipState s = stateAt(far, -1, 0.25, 0.75);
    TrackContact c = locate(track, s);
    ASSERT_GE(c.segment, 0);
    ASSERT_LT(c.segment, 16);
    // The fallback searches the nearest-centre segment from the state's (u, t).
    TrackContact direct = nearestOnSegment(track.segments[size_t(c.segment)], far, 0.25, 0.75);
    EXPECT_EQ(c.u, direct.u);
    EXPECT_EQ(c.t, direct.t);
    EXPECT_FALSE(c.u > -0.1 && c.u < 1.1 && c.t >= 0.0 && c.t <= 1.001);
    EXPECT_TRUE(std::isfinite(c.point.x) && std::isfinite(c.normal.z));
}

TEST(Locate, EdgeOfTheAcceptanceWindowKeepsTheSegment)
{
    Track track = straightTrack(10);
    // Just outside rail 3 (x = 10): u a little above 1 is still segment 4.
    ShipState s = stateAt(Vec3{10.6, 450.0, 0.0}, 4, 0.95, 0.5);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, 4);
    EXPECT_GT(c.u, 1.0);
    EXPECT_LT(c.u, 1.1);
}

TEST(Locate, EmptyTrackGivesThePositionItself)
{
    Track track;
    ShipState s = stateAt(Vec3{1.0, 2.0, 3.0}, -1, 0.5, 0.5);
    TrackContact c = locate(track, s);
    EXPECT_EQ(c.segment, -1);
    EXPECT_EQ(c.point.x, 1.0);
    EXPECT_EQ(c.point.z, 3.0);
    EXPECT_EQ(c.normal.z, 1.0);
    EXPECT_EQ(c.u, 0.5);
}

TEST(LocatorCounters, EachThreadCountsOnlyItsOwnSearches)
{
    // The content tool locates on several threads at once: a count shared
    // between them would be a data race and would mix their figures.
    Track track = straightTrack(3);
    const ShipState s = stateAt(Vec3{0.0, 150.0, 0.5}, 1, 0.5, 0.5);
    const LocatorCounters mineBefore = locatorCounters;
    LocatorCounters theirs;
    std::thread other([&] {
        const LocatorCounters before = locatorCounters;
        for (int i = 0; i < 1000; ++i)
            locate(track, s);
        theirs.locateCalls = locatorCounters.locateCalls - before.locateCalls;
        theirs.segmentSearches = locatorCounters.segmentSearches - before.segmentSearches;
    });
    other.join();
    EXPECT_EQ(theirs.locateCalls, 1000u);
    EXPECT_GE(theirs.segmentSearches, 1000u);
    EXPECT_EQ(locatorCounters.locateCalls, mineBefore.locateCalls);
    EXPECT_EQ(locatorCounters.segmentSearches, mineBefore.segmentSearches);
    locate(track, s);
    EXPECT_EQ(locatorCounters.locateCalls, mineBefore.locateCalls + 1);
}

} // namespace
