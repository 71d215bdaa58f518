// The track locator on hand-built flat roads and a ring.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "sim/locator.h"
#include "sim/ship.h"
#include "test_tracks.h"
#include "track/geometry.h"

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

// Where locate puts a ship on a straight road of 100 m segments along y,
// from the state's own segment and (u, t) guess.
struct LocateCase {
    const char* name;
    int32_t segments;
    Vec3 position;
    int32_t guessSegment;
    double guessU, guessT;
    int32_t segment;
    double t;
};

class LocateOnAStraight : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateOnAStraight, FindsTheSegmentAndTheDistanceAlongIt)
{
    const LocateCase& k = GetParam();
    Track track = straightTrack(k.segments);
    TrackContact c = locate(track, stateAt(k.position, k.guessSegment, k.guessU, k.guessT));
    EXPECT_EQ(c.segment, k.segment);
    EXPECT_NEAR(c.t, k.t, 0.0004);
}

INSTANTIATE_TEST_SUITE_P(
    Locate, LocateOnAStraight,
    ::testing::Values(
        // Half a metre past the end of segment 7 shifts the guess forward.
        LocateCase{"CrossingIntoTheNextSegmentShiftsTheGuess", 10, {0.0, 800.5, 0.0}, 7, 0.5, 0.98, 8, 0.005},
        LocateCase{"DrivingBackwardsFindsThePreviousSegment", 10, {1.0, 699.5, 0.0}, 7, 0.5, 0.02, 6, 0.995},
        LocateCase{"FreshStateStartsFromTheNearestCentre", 10, {0.0, 555.0, 0.0}, -1, 0.0, 0.0, 5, 0.55},
        LocateCase{"OneSegmentTrackFallsBackOnItsOnlySegment", 1, {0.0, 150.0, 0.0}, 0, 0.5, 0.5, 0, 1.5}),
    [](const ::testing::TestParamInfo<LocateCase>& info) { return std::string(info.param.name); });

TEST(Locate, CrossingIntoTheNextSegmentKeepsTheSideAndTheHeight)
{
    Track track = straightTrack(10);
    TrackContact c = locate(track, stateAt(Vec3{0.0, 800.5, 0.0}, 7, 0.5, 0.98));
    EXPECT_NEAR(c.u, 0.5, 0.0004);
    EXPECT_EQ(c.point.z, 0.0);
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

bool sameBits(const TrackContact& a, const TrackContact& b)
{
    return a.segment == b.segment && std::memcmp(&a.point, &b.point, sizeof a.point) == 0 &&
           std::memcmp(&a.normal, &b.normal, sizeof a.normal) == 0 && std::memcmp(&a.u, &b.u, sizeof a.u) == 0 &&
           std::memcmp(&a.t, &b.t, sizeof a.t) == 0;
}

// Positions along a hilly ring, a little off the centre line and a little
// ahead of the state's own segment, the way a physics step asks: five
// nearby points from the same start, crossing segment joints too.
std::vector<ShipState> askedAlongTheRing(const Track& track)
{
    std::vector<ShipState> asked;
    const int32_t n = static_cast<int32_t>(track.segments.size());
    for (int32_t s = 0; s < n; ++s) {
        for (double t : {0.1, 0.55, 0.97}) {
            for (int k = 0; k < 5; ++k) {
                const double u = 0.3 + 0.1 * k;
                Vec3 p = add(surfacePoint(track.segments[size_t(s)], u, t + 0.01 * k), Vec3{0.0, 0.0, 0.4});
                asked.push_back(stateAt(p, s, 0.5, t));
            }
        }
    }
    return asked;
}

TEST(LocatorReuse, InsideAndOutsideTheBracketEveryContactIsTheSurfaceFrameBitForBit)
{
    Track track = ringTrack(12, 150.0, 20.0, 6.0, 3);
    const std::vector<ShipState> asked = askedAlongTheRing(track);
    std::vector<TrackContact> alone;
    for (const ShipState& s : asked)
        alone.push_back(locate(track, s));

    beginLocatorReuse();
    std::vector<TrackContact> shared;
    for (const ShipState& s : asked)
        shared.push_back(locate(track, s));
    endLocatorReuse();

    int crossed = 0;
    for (size_t i = 0; i < asked.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(sameBits(alone[i], shared[i]));
        crossed += alone[i].segment != asked[i].segment;
        // The point and normal are those of the road's own scalar evaluation.
        SurfaceFrame f = surfaceFrame(track.segments[size_t(alone[i].segment)], alone[i].u, alone[i].t);
        ASSERT_EQ(std::memcmp(&f.point, &alone[i].point, sizeof f.point), 0);
        ASSERT_EQ(std::memcmp(&f.normal, &alone[i].normal, sizeof f.normal), 0);
    }
    EXPECT_GT(crossed, 0);
}

TEST(LocatorReuse, ARepeatedSearchIsAnsweredFromWhatTheFirstEvaluated)
{
    Track track = ringTrack(12, 150.0, 20.0, 6.0, 3);
    const TrackSegment& segment = track.segments[4];
    const Vec3 p = add(surfacePoint(segment, 0.4, 0.6), Vec3{0.0, 0.0, 0.5});
    auto evaluations = [](const GeometryCounters& since) {
        return (geometryCounters.railPoints - since.railPoints) + (geometryCounters.sectionPoints - since.sectionPoints);
    };

    beginLocatorReuse();
    GeometryCounters before = geometryCounters;
    TrackContact first = nearestOnSegment(segment, p, 0.5, 0.5);
    const uint64_t firstCost = evaluations(before);
    before = geometryCounters;
    TrackContact again = nearestOnSegment(segment, p, 0.5, 0.5);
    // A point whose slot a later one took is evaluated again.
    EXPECT_LT(evaluations(before) * 4, firstCost);
    endLocatorReuse();
    EXPECT_TRUE(sameBits(first, again));

    // Outside the bracket the coefficients are compared, and still the same.
    before = geometryCounters;
    TrackContact outside = nearestOnSegment(segment, p, 0.5, 0.5);
    EXPECT_LT(evaluations(before) * 4, firstCost);
    EXPECT_TRUE(sameBits(first, outside));
}

TEST(LocatorReuse, ARoadReloadedIntoTheSameMemoryIsNeverAnsweredFromTheOldOne)
{
    // Same addresses, other coefficients: a track loaded again into the same
    // record. Between brackets and outside them the new road must answer.
    Track track = ringTrack(12, 150.0, 20.0);
    const Track hilly = ringTrack(12, 150.0, 20.0, 8.0, 2);
    const ShipState s = stateAt(add(surfacePoint(track.segments[2], 0.5, 0.5), Vec3{0.0, 0.0, 0.3}), 2, 0.5, 0.5);

    for (bool bracketed : {false, true}) {
        SCOPED_TRACE(bracketed);
        Track flat = ringTrack(12, 150.0, 20.0);
        track.segments = flat.segments;
        if (bracketed)
            beginLocatorReuse();
        TrackContact onFlat = locate(track, s);
        if (bracketed)
            endLocatorReuse();
        for (size_t i = 0; i < track.segments.size(); ++i)
            track.segments[i] = hilly.segments[i];
        if (bracketed)
            beginLocatorReuse();
        TrackContact reloaded = locate(track, s);
        if (bracketed)
            endLocatorReuse();
        EXPECT_TRUE(sameBits(reloaded, locate(hilly, s)));
        EXPECT_TRUE(sameBits(onFlat, locate(flat, s)));
        EXPECT_FALSE(sameBits(onFlat, reloaded));
    }
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
