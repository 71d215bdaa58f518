// The autopilot drives whole races through the game's physics.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/autopilot.h"
#include "test_tracks.h"

namespace {

void expectCleanFinish(Track& track, int64_t slowest)
{
    AutopilotRun run = driveWithAutopilot(track, AutopilotSettings{}, 60000);
    ASSERT_EQ(run.result.outcome, RaceOutcome::finish) << outcomeLine(run.result);
    EXPECT_LT(run.result.raceTicks, slowest);
    EXPECT_EQ(int64_t(run.controls.size()), run.result.raceTicks);
    // Well inside the road, not just on it.
    EXPECT_GT(run.minU, 0.25);
    EXPECT_LT(run.maxU, 0.75);

    // Its records replay as a ghost to the same finish and state.
    ReplaySetup ghost;
    ghost.controls = run.controls;
    ReplayResult replayed = replayRace(track, ghost);
    EXPECT_EQ(outcomeLine(replayed), outcomeLine(run.result));
    EXPECT_EQ(std::memcmp(&replayed.finalState, &run.result.finalState, sizeof(ShipState)), 0);
}

TEST(Autopilot, FinishesTightAndWideRingsWithoutLeavingTheRoad)
{
    Track tight = ringTrack(10, 45.0, 12.0);
    // Two and a half laps of 283 m at no less than 10 m/s.
    expectCleanFinish(tight, 7100);
    Track hilly = ringTrack(30, 200.0, 18.0, 12.0, 3);
    expectCleanFinish(hilly, 10000);
}

TEST(Autopilot, TurnsAroundWhenTheStartFacesAwayFromTheRoad)
{
    // The ring driven clockwise: at the origin the road heads -y, the ship +y.
    std::vector<ControlPoint> forward = ringPoints(24, 120.0, 16.0);
    std::vector<ControlPoint> backward(forward.size());
    for (size_t i = 0; i < forward.size(); ++i) {
        const ControlPoint& from = forward[(forward.size() - i) % forward.size()];
        for (int r = 0; r < 4; ++r)
            for (int a = 0; a < 3; ++a)
                backward[i].p[r][a] = from.p[3 - r][a];
    }
    Track track;
    track.segments.assign(backward.size(), TrackSegment{});
    buildSegments(backward, track.segments);
    AutopilotRun run = driveWithAutopilot(track, AutopilotSettings{}, 60000);
    ASSERT_EQ(run.result.outcome, RaceOutcome::finish) << outcomeLine(run.result);
    EXPECT_GT(run.minU, 0.1);
    EXPECT_LT(run.maxU, 0.9);
}

TEST(Autopilot, FinishesAReferenceTrackFasterThanItsReferenceDriver)
{
    Track track;
    ASSERT_TRUE(readTrackRoad(track, VANTOR_REFERENCE_DIR, "refa"));
    // The reference's own centre-line driver takes 5426 ticks.
    expectCleanFinish(track, 5426);
}

TEST(Autopilot, CentreLineFollowsTheRoad)
{
    Track ring = ringTrack(12, 100.0, 16.0);
    AutopilotPath path = buildAutopilotPath(ring);
    ASSERT_EQ(path.point.size(), 12u * 16u);
    // About 2 pi r, the splined ring being very nearly a circle.
    EXPECT_NEAR(path.distance.back(), 628.3, 2.0);
    for (double k : path.curvature)
        EXPECT_NEAR(k, 0.01, 0.0005);
    EXPECT_TRUE(buildAutopilotPath(Track{}).point.empty());
}

TEST(Autopilot, EmptyTrackEndsTheRaceAtOnce)
{
    Track empty;
    AutopilotRun run = driveWithAutopilot(empty, AutopilotSettings{}, 1000);
    EXPECT_EQ(outcomeLine(run.result), "offroad 0");
    EXPECT_TRUE(run.controls.empty());
}

} // namespace
