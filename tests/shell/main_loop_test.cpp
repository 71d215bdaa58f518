#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "shell/frame_pacing.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "sim/race_session.h"

// Records what the tick loop asks of input and the race step, in order.
struct TickLog {
    std::vector<int> countdownAfterTick;
    int countdownSteps = 0;
    int raceSteps = 0;
    int polls = 0;
    int afterTicks = 0;
    // The record each race tick was given, or NaN steer for none.
    std::vector<ControlInput> records;
    std::vector<const std::vector<ControlInput>*> ghostRuns;
    // The race tick on which the fake step reports a finish; 0 for never.
    int64_t finishOn = 0;
};
static TickLog tickLog;

static void fakePoll()
{
    ++tickLog.polls;
    game.run.controls.push_back(ControlInput{0.0f, 0.0f, static_cast<float>(tickLog.polls)});
}

// The clock's view of a tick: counts it as the race session does, no physics.
static TickReport fakeStep(RaceSession& session, const ControlInput* record)
{
    TickReport report;
    report.countdown = inCountdown(session);
    if (report.countdown) {
        ++tickLog.countdownSteps;
    } else {
        ++tickLog.raceSteps;
        ++session.raceTicks;
        tickLog.records.push_back(record ? *record : ControlInput{NAN, 0.0f, 0.0f});
        tickLog.ghostRuns.push_back(session.ghostRun);
        report.raceTick = session.raceTicks;
        if (session.on && session.raceTicks == tickLog.finishOn) {
            session.on = false;
            report.finished = true;
        }
    }
    report.tick = ++session.ticks;
    return report;
}

static void fakeAfterTick(const TickReport& report)
{
    ++tickLog.afterTicks;
    tickLog.countdownAfterTick.push_back(game.countdownMs);
    if (report.finished)
        game.inRace = false;
}

class Clock : public ::testing::Test {
protected:
    TickCalls calls{fakePoll, fakeStep, fakeAfterTick};
    void SetUp() override
    {
        game = Game();
        tickLog = TickLog();
    }
    void TearDown() override { game = Game(); }
};

TEST_F(Clock, FirstRaceTickComesAfterTheCountdownOf299Ticks)
{
    const double T = 5000.0;
    startRaceAt(game, T);
    runDueTicks(game, T, calls);
    EXPECT_EQ(tickLog.countdownSteps, 0);

    runDueTicks(game, T + 2990, calls);
    EXPECT_EQ(tickLog.countdownSteps, 299);
    EXPECT_EQ(tickLog.raceSteps, 0);
    EXPECT_EQ(tickLog.polls, 0);
    ASSERT_EQ(tickLog.countdownAfterTick.size(), 299u);
    for (int i = 0; i < 299; ++i)
        EXPECT_EQ(tickLog.countdownAfterTick[i], 2990 - 10 * i);

    runDueTicks(game, T + 2991, calls);
    EXPECT_EQ(tickLog.raceSteps, 1);
    EXPECT_EQ(tickLog.polls, 1);
    EXPECT_EQ(tickLog.afterTicks, 300);
    EXPECT_EQ(game.countdownMs, 0);
    // The race tick's record is the one the poll appended.
    ASSERT_EQ(game.run.controls.size(), 1u);
    EXPECT_EQ(tickLog.records[0].throttle, 1.0f);
}

TEST_F(Clock, A45MillisecondFrameRunsFourOrFiveTicks)
{
    startRaceAt(game, 1000.0);
    runDueTicks(game, 1045.0, calls);
    EXPECT_EQ(tickLog.countdownSteps, 5);

    tickLog = TickLog();
    startRaceAt(game, 1005.0);
    runDueTicks(game, 1045.0, calls);
    EXPECT_EQ(tickLog.countdownSteps, 4);
    EXPECT_EQ(game.nextTickMs, 1045.0);
}

TEST_F(Clock, GhostRunsTheTracksBestRunUnlessDisabled)
{
    TrackRecord& record = recordFor(game.save, game.save.trackName);
    record.ghostRun.assign(10, ControlInput{});
    startRaceAt(game, 0.0);
    runDueTicks(game, 2999.0, calls);
    ASSERT_EQ(tickLog.ghostRuns.size(), 1u);
    EXPECT_EQ(tickLog.ghostRuns[0], &recordFor(game.save, game.save.trackName).ghostRun);

    tickLog = TickLog();
    game.ghostEnabled = false;
    startRaceAt(game, 0.0);
    runDueTicks(game, 2999.0, calls);
    ASSERT_EQ(tickLog.ghostRuns.size(), 1u);
    EXPECT_EQ(tickLog.ghostRuns[0], nullptr);
}

TEST_F(Clock, ARaceEndedByATickStopsTheTickLoopAfterItsReaction)
{
    tickLog.finishOn = 5;
    startRaceAt(game, 0.0);
    runDueTicks(game, 10000.0, calls);
    EXPECT_EQ(tickLog.raceSteps, 5);
    EXPECT_EQ(tickLog.afterTicks, 304);
    EXPECT_FALSE(game.inRace);
}

TEST_F(Clock, ARaceAbandonedByItsPollStillTakesItsTickWithTheRaceOff)
{
    startRaceAt(game, 0.0);
    runDueTicks(game, 2999.0, calls);
    ASSERT_TRUE(game.race.on);
    TickCalls abandoning = calls;
    abandoning.pollInput = [] {
        fakePoll();
        game.inRace = false;
    };
    runDueTicks(game, 10000.0, abandoning);
    EXPECT_EQ(tickLog.raceSteps, 2);
    EXPECT_FALSE(game.race.on);
}

TEST_F(Clock, StartingARaceEmptiesTheRunAndSnapshotsTheStartState)
{
    game.run.controls.assign(42, ControlInput{});
    game.run.ticks = 77;
    startRaceAt(game, 123.0);
    EXPECT_TRUE(game.inRace);
    EXPECT_EQ(game.countdownMs, 3000);
    EXPECT_EQ(game.nextTickMs, 123.0);
    EXPECT_TRUE(game.run.controls.empty());
    // The last finished time stays for the play menu.
    EXPECT_EQ(game.run.ticks, 77);
    EXPECT_EQ(std::memcmp(game.run.startState.data(), &game.player.state, 200), 0);
}

// A loop of frames on a simulated clock: each frame works workMs(i), then the
// pacing wait is slept with overshootMs more, as SDL_Delay may. The start
// times of the frames.
template <typename Work>
static std::vector<double> pacedFrames(int frames, int maxFps, Work workMs, double overshootMs = 0.0)
{
    FramePacing pacing;
    std::vector<double> starts;
    double now = 1000.0;
    for (int i = 0; i < frames; ++i) {
        starts.push_back(now);
        now += workMs(i);
        uint32_t wait = frameWaitMs(pacing, now, maxFps);
        EXPECT_LE(wait, 1000u / maxFps + 1) << "frame " << i;
        if (wait > 0)
            now += wait + overshootMs;
    }
    return starts;
}

TEST(FramePacing, FastFramesWaitForAtMostTheRateAndKeepItOnAverage)
{
    // 600 frames of 2 ms each, the sleep overshooting by a millisecond: the
    // schedule absorbs both the rounding and the overshoot.
    for (double overshoot : {0.0, 1.0}) {
        SCOPED_TRACE(overshoot);
        std::vector<double> starts = pacedFrames(600, 60, [](int) { return 2.0; }, overshoot);
        double seconds = (starts.back() - starts.front()) / 1000.0;
        EXPECT_NEAR(599 / seconds, 60.0, 0.5);
        // The schedule starts when the first frame is done.
        for (size_t i = 2; i < starts.size(); ++i)
            ASSERT_GE(starts[i] - starts[i - 1], 15.0) << "frame " << i;
    }
    std::vector<double> race = pacedFrames(1200, 120, [](int) { return 1.0; });
    EXPECT_NEAR(1199 / ((race.back() - race.front()) / 1000.0), 120.0, 1.0);
}

TEST(FramePacing, SlowFramesNeverWaitAndAStallIsNotFollowedByABurst)
{
    FramePacing pacing;
    double now = 0.0;
    for (int i = 0; i < 20; ++i) {
        now += 25.0;
        ASSERT_EQ(frameWaitMs(pacing, now, 60), 0u) << "frame " << i;
    }
    // Frames a little late now and then keep the average rate: 10 and 20 ms
    // of work alternate, 15 ms on average, under the 16.7 ms of a frame.
    std::vector<double> jittery = pacedFrames(600, 60, [](int i) { return i % 2 ? 20.0 : 10.0; });
    EXPECT_NEAR(599 / ((jittery.back() - jittery.front()) / 1000.0), 60.0, 0.5);
    // A 300 ms stall, then fast frames: they come at the rate again at once,
    // not several in a row to catch up.
    std::vector<double> stalled = pacedFrames(40, 60, [](int i) { return i == 10 ? 300.0 : 1.0; });
    for (size_t i = 12; i < stalled.size(); ++i)
        EXPECT_GE(stalled[i] - stalled[i - 1], 15.0) << "frame " << i;
}

TEST(FramePacing, MenusAtSixtyRacesAtTheDisplayRateOrOneHundredTwenty)
{
    for (auto [racing, display, rate] : {std::tuple<bool, int, int>{false, 0, 60}, {false, 144, 60}, {true, 0, 120},
                                         {true, -1, 120}, {true, 75, 75}})
        EXPECT_EQ(maxFrameRate(racing, display), rate) << racing << " " << display;
    FramePacing pacing;
    frameWaitMs(pacing, 0.0, 60);
    EXPECT_EQ(frameWaitMs(pacing, 1.0, 0), 0u) << "no limit, no wait";
}

TEST(FramePacing, TheFrameClockRisesInFractionsOfAMillisecond)
{
    // Whole milliseconds would put the drawn picture up to a tenth of a
    // frame off between two ticks; the clock must step in less than that.
    double first = frameClockMs();
    double last = first;
    double smallestStep = 1.0;
    for (int i = 0; i < 100000 && smallestStep >= 1.0; ++i) {
        double now = frameClockMs();
        ASSERT_GE(now, last);
        if (now > last)
            smallestStep = std::min(smallestStep, now - last);
        last = now;
    }
    EXPECT_LT(smallestStep, 0.1);
}
