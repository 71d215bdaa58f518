// The game's tick loop with its real physics step: the player matches the
// headless replay bit for bit and the ghost retraces the best run exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "shell/game.h"
#include "shell/main_loop.h"
#include "sim/autopilot.h"
#include "sim/replay.h"

namespace {

// A counter-clockwise ring through the origin, mid-segment 0, heading +y.
Track ring()
{
    const int count = 24;
    const double radius = 150.0, width = 18.0;
    std::vector<ControlPoint> points(count);
    for (int i = 0; i < count; ++i) {
        double a = 2.0 * 3.141592653589793 * (i - 0.5) / count;
        for (int r = 0; r < 4; ++r) {
            double rr = radius + width * (r / 3.0 - 0.5);
            points[size_t(i)].p[r][0] = float(-radius + rr * std::cos(a));
            points[size_t(i)].p[r][1] = float(rr * std::sin(a));
            points[size_t(i)].p[r][2] = float(3.0 * std::sin(2.0 * a));
        }
    }
    Track track;
    track.segments.assign(points.size(), TrackSegment{});
    buildSegments(points, track.segments);
    return track;
}

std::vector<ControlInput> playerRecords;

// Stands in for the keyboard: the next recorded control, as pollInput appends it.
void replayedPoll()
{
    size_t n = game.run.controls.size();
    game.run.controls.push_back(n < playerRecords.size() ? playerRecords[n] : ControlInput{});
}

// The game's own step and race ends with the replayed keyboard.
TickCalls raceCalls()
{
    TickCalls calls = gameTickCalls();
    calls.pollInput = replayedPoll;
    return calls;
}

class RaceLoop : public ::testing::Test {
protected:
    void SetUp() override { game = Game(); }
    void TearDown() override { game = Game(); }
};

TEST_F(RaceLoop, PlayerMatchesTheHeadlessReplayAndTheGhostRetracesTheBestRun)
{
    Track track = ring();
    // 800 race ticks of the autopilot: well on the road, far from the finish.
    playerRecords = driveWithAutopilot(track, AutopilotSettings{}, 800).controls;
    ASSERT_EQ(playerRecords.size(), 800u);

    game.track = track;
    TrackRecord& record = recordFor(game.save, game.save.trackName);
    record.ghostRun = playerRecords;
    startRaceAt(game, 1000.0);
    // The first tick runs once the clock has passed the start; 299 + 800 ticks.
    runDueTicks(game, 1000.0 + 10.0 * (299 + 800) - 5.0, raceCalls());
    ASSERT_TRUE(game.inRace);
    ASSERT_EQ(game.run.controls.size(), 800u);

    Track fresh = ring();
    ReplaySetup setup;
    setup.controls = playerRecords;
    ReplayResult replayed = replayRace(fresh, setup);
    EXPECT_EQ(replayed.outcome, RaceOutcome::unfinished);
    EXPECT_EQ(std::memcmp(&game.player.state, &replayed.finalState, sizeof(ShipState)), 0);
    // Same reset, same records, same step: the ghost sits exactly on the player.
    EXPECT_EQ(std::memcmp(&game.ghost.state, &game.player.state, sizeof(ShipState)), 0);
    // The start state snapshot is the reset ship.
    EXPECT_EQ(std::memcmp(game.run.startState.data(), &replayed.startState, sizeof(ShipState)), 0);
    for (size_t i = 0; i < track.segments.size(); ++i)
        EXPECT_EQ(game.track.segments[i].lap, fresh.segments[i].lap);
}

TEST_F(RaceLoop, ARaceOnAnEmptyTrackIsLostOnTheFirstTick)
{
    game.track = Track{};
    game.track.name = "none";
    playerRecords.assign(10, ControlInput{0.0f, 0.0f, 1.0f});
    startRaceAt(game, 0.0);
    runDueTicks(game, 5000.0, raceCalls());
    EXPECT_FALSE(game.inRace);
    EXPECT_TRUE(game.run.controls.empty());
    EXPECT_EQ(game.player.state.segment, -1);
}

} // namespace
