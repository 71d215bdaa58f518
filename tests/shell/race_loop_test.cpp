// The game's tick loop with its real physics step: the player matches the
// headless replay bit for bit and the ghost retraces the best run exactly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <SDL.h>

#include "replayed_keys.h"
#include "ring_track.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "shell/views.h"
#include "sim/watch.h"
#include "shell/flow.h"
#include "sim/autopilot.h"
#include "sim/replay.h"
#include "sim/splits.h"

namespace {

class RaceLoop : public ::testing::Test {
protected:
    void SetUp() override { game = Game(); }
    void TearDown() override { game = Game(); }
};

TEST_F(RaceLoop, PlayerMatchesTheHeadlessReplayAndTheGhostRetracesTheBestRun)
{
    Track track = ringTestTrack();
    // 800 race ticks of the autopilot: well on the road, far from the finish.
    replayedRecords = driveWithAutopilot(track, AutopilotSettings{}, 800).controls;
    ASSERT_EQ(replayedRecords.size(), 800u);

    game.track = track;
    TrackRecord& record = recordFor(game.save, game.save.trackName);
    record.ghostRun = replayedRecords;
    startRaceAt(game, 1000.0);
    // The first tick runs once the clock has passed the start; 299 + 800 ticks.
    runDueTicks(game, 1000.0 + 10.0 * (299 + 800) - 5.0, replayedCalls());
    ASSERT_TRUE(game.inRace);
    ASSERT_EQ(game.run.controls.size(), 800u);

    Track fresh = ringTestTrack();
    ReplaySetup setup;
    setup.controls = replayedRecords;
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

// The keyboard of a player who restarts once after restartAfter race ticks,
// then drives the records from the start.
int restartAfter = 0;
void restartingPoll()
{
    if (restartAfter > 0 && game.run.controls.size() == size_t(restartAfter)) {
        restartAfter = 0;
        restartRace(game);
        return;
    }
    replayedPoll();
}

TEST_F(RaceLoop, ARestartedRaceRunsAsOneStartedFromTheMenu)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
    Track track = ringTestTrack();
    replayedRecords = driveWithAutopilot(track, AutopilotSettings{}, 700).controls;
    game.track = track;
    recordFor(game.save, game.save.trackName).ghostRun = replayedRecords;
    TickCalls calls = replayedCalls();
    calls.pollInput = restartingPoll;

    restartAfter = 150;
    startRaceAt(game, 1000.0);
    runDueTicks(game, 1000.0 + 10.0 * (299 + 400), calls);
    // The restart's poll ends the frame's ticks with the new countdown up.
    ASSERT_TRUE(game.inRace);
    EXPECT_EQ(game.race.ticks, 0);
    EXPECT_EQ(game.countdownMs, 3000);
    EXPECT_TRUE(game.run.controls.empty());
    EXPECT_TRUE(game.splits.own.splits.empty());

    const double restartedAt = game.nextTickMs;
    runDueTicks(game, restartedAt + 10.0 * (299 + 700) - 5.0, calls);
    ASSERT_TRUE(game.inRace);
    ASSERT_EQ(game.run.controls.size(), 700u);

    Track fresh = ringTestTrack();
    ReplaySetup setup;
    setup.controls = replayedRecords;
    RunSplits expected;
    resetSplits(expected, int32_t(fresh.segments.size()));
    setup.onTick = [&](const TickReport& r) { noteSplitTick(expected, r); };
    ReplayResult replayed = replayRace(fresh, setup);
    EXPECT_EQ(std::memcmp(&game.player.state, &replayed.finalState, sizeof(ShipState)), 0);
    EXPECT_EQ(std::memcmp(&game.ghost.state, &game.player.state, sizeof(ShipState)), 0);
    ASSERT_EQ(game.splits.own.splits.size(), expected.splits.size());
    ASSERT_FALSE(expected.splits.empty());
    for (size_t i = 0; i < expected.splits.size(); ++i)
        EXPECT_EQ(game.splits.own.splits[i].raceTick, expected.splits[i].raceTick) << i;
    // Against its own records as the rival, the run is level at every joint.
    EXPECT_TRUE(game.splits.haveDelta);
    EXPECT_EQ(game.splits.delta, 0);
    SDL_Quit();
}

TEST_F(RaceLoop, ARaceOnAnEmptyTrackIsLostOnTheFirstTick)
{
    game.track = Track{};
    game.track.name = "none";
    replayedRecords.assign(10, ControlInput{0.0f, 0.0f, 1.0f});
    startRaceAt(game, 0.0);
    runDueTicks(game, 5000.0, replayedCalls());
    EXPECT_FALSE(game.inRace);
    EXPECT_TRUE(game.run.controls.empty());
    EXPECT_EQ(game.player.state.segment, -1);
}

// The road's lap counters, in segment order.
std::vector<int32_t> lapsOf(const Track& track)
{
    std::vector<int32_t> laps;
    for (const TrackSegment& s : track.segments)
        laps.push_back(s.lap);
    return laps;
}

bool sameShip(const ShipState& a, const ShipState& b) { return std::memcmp(&a, &b, sizeof(ShipState)) == 0; }

class WatchRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        Track driven = ringTestTrack();
        finished = driveWithAutopilot(driven, AutopilotSettings{}, 60000);
        ASSERT_EQ(finished.result.outcome, RaceOutcome::finish);
        ASSERT_GT(finished.result.raceTicks, 2 * watchSnapshotSpacing);
    }
    AutopilotRun finished;
    // A fresh road for the watch, its lap counters as a race begins them.
    Track track = ringTestTrack();
    Watch watch;
};

TEST_F(WatchRun, PlaysTheRunToItsFinishTickWhateverTheFrameLengthsAndSpeeds)
{
    // Records beyond the finish: the end must come from the finish itself.
    std::vector<ControlInput> run = finished.controls;
    run.resize(run.size() + 300, ControlInput{0.0f, 0.0f, 1.0f});
    beginWatch(watch, track, run, defaultGravity);
    EXPECT_EQ(watch.session.ticks, 0);
    EXPECT_EQ(countdownMsLeft(watch.session), 3000);

    // Uneven frames at every speed; a quarter speed needs 40 ms for a tick.
    watch.speedIndex = 0;
    advanceWatch(watch, 39.0);
    EXPECT_EQ(watch.session.ticks, 0);
    advanceWatch(watch, 1.0);
    EXPECT_EQ(watch.session.ticks, 1);
    watch.paused = true;
    advanceWatch(watch, 5000.0);
    EXPECT_EQ(watch.session.ticks, 1) << "paused";
    watch.paused = false;
    watch.speedIndex = 4;
    advanceWatch(watch, 25.0);
    EXPECT_EQ(watch.session.ticks, 11);
    for (int frame = 0; !watch.ended && frame < 100000; ++frame) {
        watch.speedIndex = frame % watchSpeedCount;
        advanceWatch(watch, 7.0 + frame % 23);
    }
    ASSERT_TRUE(watch.ended);
    EXPECT_EQ(watch.session.outcome, RaceOutcome::finish);
    EXPECT_EQ(watchRaceTicks(watch), finished.result.raceTicks);
    EXPECT_EQ(watch.session.ticks, countdownTicks + finished.result.raceTicks);
    EXPECT_TRUE(sameShip(watch.ship, finished.result.finalState)) << "the same race core, bit for bit";
    advanceWatch(watch, 1000.0);
    EXPECT_EQ(watchRaceTicks(watch), finished.result.raceTicks) << "nothing runs after the end";
    watch.speedIndex = 1;
    EXPECT_EQ(watchStatusText(watch), "replay x1/2 chase end");
}

TEST_F(WatchRun, SeekingFromSnapshotsGivesTheStateOfPlayingStraightThrough)
{
    beginWatch(watch, track, finished.controls, defaultGravity);
    const ShipState start = watch.ship;
    const std::vector<int32_t> startLaps = lapsOf(track);

    const int64_t target = 2 * watchSnapshotSpacing + 345;
    while (watch.session.ticks < target)
        stepWatch(watch);
    const ShipState atTarget = watch.ship;
    const std::vector<int32_t> lapsAtTarget = lapsOf(track);
    const RaceSession sessionAtTarget = watch.session;
    while (!watch.ended)
        stepWatch(watch);
    const ShipState atEnd = watch.ship;
    EXPECT_NE(lapsOf(track), lapsAtTarget);
    // One snapshot per spacing reached before the end, the start first.
    EXPECT_EQ(watch.snapshots.size(),
              size_t((countdownTicks + finished.result.raceTicks - 1) / watchSnapshotSpacing + 1));

    seekWatch(watch, target);
    EXPECT_FALSE(watch.ended);
    EXPECT_EQ(watch.session.ticks, target);
    EXPECT_EQ(watch.session.raceTicks, sessionAtTarget.raceTicks);
    EXPECT_TRUE(watch.session.on);
    EXPECT_TRUE(sameShip(watch.ship, atTarget));
    EXPECT_EQ(lapsOf(track), lapsAtTarget) << "the lap counters come back with the snapshot";
    EXPECT_EQ(watch.session.player, &watch.ship);
    EXPECT_EQ(watch.session.track, &track);

    // Home: the start of the countdown, the ship and the laps as they began.
    EXPECT_FALSE(watchKey(watch, WatchKey::home));
    EXPECT_EQ(watch.session.ticks, 0);
    EXPECT_TRUE(sameShip(watch.ship, start));
    EXPECT_EQ(lapsOf(track), startLaps);

    // Forward again, past the end: it stops at the finish, as played before.
    seekWatch(watch, 1 << 30);
    EXPECT_TRUE(watch.ended);
    EXPECT_EQ(watchRaceTicks(watch), finished.result.raceTicks);
    EXPECT_TRUE(sameShip(watch.ship, atEnd));
}

TEST_F(WatchRun, KeysPauseChangeSpeedCycleCamerasAndPlayAgainAfterTheEnd)
{
    beginWatch(watch, track, finished.controls, defaultGravity);
    EXPECT_EQ(watchSpeed(watch), 1.0);
    EXPECT_EQ(watchStatusText(watch), "replay x1 chase");
    const double up[] = {2.0, 4.0, 4.0};
    for (double expected : up) {
        watchKey(watch, WatchKey::up);
        EXPECT_EQ(watchSpeed(watch), expected);
    }
    const double down[] = {2.0, 1.0, 0.5, 0.25, 0.25};
    for (double expected : down) {
        watchKey(watch, WatchKey::down);
        EXPECT_EQ(watchSpeed(watch), expected);
    }
    EXPECT_EQ(watchStatusText(watch), "replay x1/4 chase");

    const WatchCamera right[] = {WatchCamera::behindAbove, WatchCamera::trackside, WatchCamera::chase};
    for (WatchCamera expected : right) {
        watchKey(watch, WatchKey::right);
        EXPECT_EQ(watch.camera, expected);
    }
    watchKey(watch, WatchKey::left);
    EXPECT_EQ(watch.camera, WatchCamera::trackside);
    watchKey(watch, WatchKey::left);
    EXPECT_EQ(watch.camera, WatchCamera::behindAbove);

    watchKey(watch, WatchKey::space);
    EXPECT_TRUE(watch.paused);
    EXPECT_EQ(watchStatusText(watch), "replay x1/4 behind paused");
    watchKey(watch, WatchKey::space);
    EXPECT_FALSE(watch.paused);
    EXPECT_FALSE(watchKey(watch, WatchKey::other));

    while (!watch.ended)
        stepWatch(watch);
    watchKey(watch, WatchKey::space);
    EXPECT_FALSE(watch.ended) << "Space after the end plays again";
    EXPECT_FALSE(watch.paused);
    EXPECT_EQ(watch.session.ticks, 0);
    EXPECT_EQ(watch.camera, WatchCamera::behindAbove) << "the camera stays chosen";

    EXPECT_TRUE(watchKey(watch, WatchKey::escape));
    EXPECT_TRUE(watchKey(watch, WatchKey::enter));
}

TEST_F(WatchRun, ARunThatNeverFinishesEndsWithItsLastRecord)
{
    std::vector<ControlInput> run(finished.controls.begin(), finished.controls.begin() + 800);
    beginWatch(watch, track, run, defaultGravity);
    advanceWatch(watch, 1e9);
    EXPECT_TRUE(watch.ended);
    EXPECT_EQ(watchRaceTicks(watch), 800);
    EXPECT_EQ(watch.session.outcome, RaceOutcome::unfinished);

    // No records at all: the countdown plays, then the replay ends.
    Watch empty;
    beginWatch(empty, track, {}, defaultGravity);
    advanceWatch(empty, 1e9);
    EXPECT_TRUE(empty.ended);
    EXPECT_EQ(empty.session.ticks, countdownTicks);
    EXPECT_EQ(watchRaceTicks(empty), 0);
}

// The chase camera's eye of every frame of a race driven at a steady speed,
// frames every frameMs on a scripted clock from the race's first tick on.
std::vector<Vec3> drawnEyes(double frameMs, int frames)
{
    game = Game();
    game.track = ringTestTrack();
    // The autopilot's driving: a speed that changes smoothly from tick to tick.
    replayedRecords = driveWithAutopilot(game.track, AutopilotSettings{}, 1500).controls;
    startRaceAt(game, 0.0);
    double now = 10.0 * countdownTicks + 1.0;
    runDueTicks(game, now, replayedCalls());
    std::vector<Vec3> eyes;
    for (int f = 0; f < frames && game.inRace; ++f) {
        now += frameMs;
        runDueTicks(game, now, replayedCalls());
        game.drawFraction = drawFractionAt(game, now);
        eyes.push_back(raceViewAt(game, drawnPose(game.playerPose, game.drawFraction),
                                  drawnPose(game.ghostPose, game.drawFraction))
                           .camera.eye);
    }
    return eyes;
}

} // namespace

TEST_F(RaceLoop, FramesAtAnyRateDrawEqualStepsBetweenTicks)
{
    for (double frameMs : {1000.0 / 60.0, 1000.0 / 144.0}) {
        SCOPED_TRACE(frameMs);
        std::vector<Vec3> eyes = drawnEyes(frameMs, 300);
        ASSERT_GE(eyes.size(), 250u);
        // Once the ship is rolling, each frame moves the eye by nearly what
        // the frame before did: frames no longer show 0, 1 or 2 ticks by
        // turns, which made the steps jump by a half or more.
        for (size_t i = 101; i < eyes.size(); ++i) {
            const double before = length(sub(eyes[i - 1], eyes[i - 2]));
            const double now = length(sub(eyes[i], eyes[i - 1]));
            ASSERT_GT(before, 0.0) << "frame " << i << ": the ship must be moving";
            EXPECT_NEAR(now / before, 1.0, 0.1) << "frame " << i;
        }
    }
}

TEST_F(RaceLoop, AStartDrawsTheShipWhereItIsWithoutABlendFromElsewhere)
{
    game.track = ringTestTrack();
    game.playerPose.before.position = Vec3{1e6, 1e6, 1e6};
    game.playerPose.after.position = Vec3{-1e6, 0.0, 0.0};
    startRaceAt(game, 0.0);
    const ShipState drawn = drawnPose(game.playerPose, 0.5);
    EXPECT_EQ(std::memcmp(&drawn, &game.player.state, sizeof(ShipState)), 0);
}

TEST_F(RaceLoop, TheReplayAtAQuarterSpeedMovesTheDrawnShipEveryFrame)
{
    Track track = ringTestTrack();
    Watch watch;
    beginWatch(watch, track, driveWithAutopilot(track, AutopilotSettings{}, 3000).controls, defaultGravity);
    seekWatch(watch, countdownTicks + 400);
    watchKey(watch, WatchKey::down);
    watchKey(watch, WatchKey::down);
    ASSERT_DOUBLE_EQ(watchSpeed(watch), 0.25);
    // After a seek the ship stands where it is until the next tick comes.
    for (int f = 0; f < 3; ++f)
        advanceWatch(watch, 1000.0 / 60.0);
    Vec3 last = watchDrawnShip(watch).position;
    for (int f = 0; f < 60; ++f) {
        ASSERT_FALSE(watch.ended);
        advanceWatch(watch, 1000.0 / 60.0);
        const Vec3 drawn = watchDrawnShip(watch).position;
        EXPECT_GT(length(sub(drawn, last)), 0.0) << "frame " << f;
        last = drawn;
    }
    // Paused, the frame stands still; a seek draws the new place at once.
    watchKey(watch, WatchKey::space);
    const ShipState still = watchDrawnShip(watch);
    advanceWatch(watch, 100.0);
    const ShipState paused = watchDrawnShip(watch);
    EXPECT_EQ(std::memcmp(&still, &paused, sizeof(ShipState)), 0);
    seekWatch(watch, 0);
    const ShipState atStart = watchDrawnShip(watch);
    EXPECT_EQ(std::memcmp(&atStart, &watch.ship, sizeof(ShipState)), 0);
}
