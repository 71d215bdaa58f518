// Lap counters, the finish and leaving the road, driven segment by segment.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/race.h"
#include "sim/race_session.h"
#include "sim/replay.h"
#include "sim/ship.h"
#include "test_tracks.h"
#include "track/track_file.h"

namespace {

// Records the ends in order and clears the race as the game's handlers do.
struct Recorder {
    bool on = true;
    std::vector<std::string> events;
};

bool recOn(void* c) { return static_cast<Recorder*>(c)->on; }
void recFinish(void* c)
{
    static_cast<Recorder*>(c)->events.push_back("finish");
    static_cast<Recorder*>(c)->on = false;
}
void recLeave(void* c)
{
    static_cast<Recorder*>(c)->events.push_back("offroad");
    static_cast<Recorder*>(c)->on = false;
}

RaceHooks hooksFor(Recorder& r)
{
    RaceHooks hooks;
    hooks.context = &r;
    hooks.raceOn = recOn;
    hooks.finish = recFinish;
    hooks.leaveRoad = recLeave;
    return hooks;
}

class RaceRules : public ::testing::Test {
protected:
    Track track;
    ShipState ship;
    Recorder recorder;

    void SetUp() override
    {
        // Only the lap counters matter here.
        track.segments.resize(10);
        for (TrackSegment& s : track.segments)
            s.lap = 7;
        resetLaps(track);
        ship.trackU = 0.5;
    }
    void tickIn(int segment)
    {
        ship.segment = segment;
        updateRaceProgress(track, ship, hooksFor(recorder));
    }
    std::vector<int> laps() const
    {
        std::vector<int> out;
        for (const TrackSegment& s : track.segments)
            out.push_back(s.lap);
        return out;
    }
};

TEST_F(RaceRules, ResetZeroesEveryCounter)
{
    EXPECT_EQ(laps(), std::vector<int>(10, 0));
}

TEST_F(RaceRules, TwoLapsInOrderFinishOnTheThirdEntryIntoTheNextSegment)
{
    tickIn(0);
    EXPECT_EQ(laps(), (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Staying put changes nothing more.
    tickIn(0);
    tickIn(0);
    EXPECT_EQ(laps(), (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (int lap = 1; lap <= 2; ++lap) {
        for (int s = 1; s <= 9; ++s) {
            tickIn(s);
            EXPECT_EQ(track.segments[size_t(s)].lap, lap) << "segment " << s;
        }
        tickIn(0);
        EXPECT_EQ(laps(), std::vector<int>(10, lap));
        // The tick after all are equal moves segment 1 ahead.
        tickIn(0);
        EXPECT_EQ(track.segments[1].lap, lap + 1);
        EXPECT_TRUE(recorder.events.empty());
    }
    tickIn(1);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"finish"});
    EXPECT_FALSE(recorder.on);
}

TEST_F(RaceRules, SkippedSegmentStallsTheCountersUntilDrivenInOrder)
{
    tickIn(0);
    tickIn(1);
    tickIn(2);
    tickIn(4);
    EXPECT_EQ(track.segments[4].lap, 0);
    tickIn(5);
    tickIn(6);
    EXPECT_EQ(track.segments[5].lap, 0);
    EXPECT_EQ(track.segments[6].lap, 0);
    // Back through the missed segment, in order again.
    tickIn(3);
    EXPECT_EQ(track.segments[3].lap, 1);
    tickIn(4);
    tickIn(5);
    EXPECT_EQ(track.segments[4].lap, 1);
    EXPECT_EQ(track.segments[5].lap, 1);
}

TEST_F(RaceRules, DrivingBackwardsGainsNothing)
{
    tickIn(0);
    for (int s = 9; s >= 2; --s)
        tickIn(s);
    // Only segment 2, whose predecessor is ahead, catches up early.
    EXPECT_EQ(laps(), (std::vector<int>{0, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
    tickIn(1);
    tickIn(0);
    EXPECT_EQ(laps(), (std::vector<int>{0, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(RaceRules, LeavingTheRoadIsJudgedOnTheClosedInterval)
{
    for (double u : {0.0, 1.0, 0.5}) {
        ship.trackU = u;
        tickIn(0);
    }
    EXPECT_TRUE(recorder.events.empty());
    ship.trackU = 1.05;
    tickIn(0);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"offroad"});

    Recorder left;
    ship.trackU = -0.0001;
    updateRaceProgress(track, ship, hooksFor(left));
    EXPECT_EQ(left.events, std::vector<std::string>{"offroad"});
}

TEST_F(RaceRules, AFinishingTickOffTheRoadIsOnlyAFinish)
{
    for (int lap = 0; lap < 2; ++lap) {
        tickIn(0);
        for (int s = 1; s <= 9; ++s)
            tickIn(s);
        tickIn(0);
    }
    tickIn(0);
    ship.trackU = 1.05;
    tickIn(1);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"finish"});
}

TEST_F(RaceRules, NothingEndsARaceThatIsNotOn)
{
    recorder.on = false;
    ship.trackU = 2.0;
    tickIn(0);
    EXPECT_TRUE(recorder.events.empty());
    // The counters still move, as in the game after the finish.
    EXPECT_EQ(track.segments[1].lap, 1);
}

TEST(RaceRulesEmptyTrack, ARaceOnNoRoadIsLostAtOnce)
{
    Track empty;
    ShipState ship;
    ship.segment = -1;
    ship.trackU = 0.5;
    Recorder recorder;
    updateRaceProgress(empty, ship, hooksFor(recorder));
    updateRaceProgress(empty, ship, hooksFor(recorder));
    EXPECT_EQ(recorder.events, std::vector<std::string>{"offroad"});

    // The whole race start on it: the first countdown tick ends it.
    ReplaySetup setup;
    setup.controls.assign(100, ControlInput{0.0f, 0.0f, 1.0f});
    int ticks = 0;
    ReplayResult result = replayRace(empty, setup, [&](int64_t, bool, const ShipState&) { ++ticks; });
    EXPECT_EQ(outcomeLine(result), "offroad 0");
    EXPECT_EQ(ticks, 1);
}

// A race stepped tick by tick through the session, as the game steps it.
class Session : public ::testing::Test {
protected:
    Track track = ringTrack(24, 150.0, 18.0);
    ShipState player;
    ShipState ghost;
    RaceSession session;
    std::vector<ControlInput> best;

    void SetUp() override
    {
        beginRace(session, track, player, &ghost, defaultGravity);
        session.ghostRun = &best;
    }
    void countdown()
    {
        while (inCountdown(session))
            stepRace(session, nullptr);
    }
};

TEST_F(Session, CountsDownWithBothShipsBrakedThenRunsRaceTicks)
{
    EXPECT_EQ(countdownMsLeft(session), 3000);
    for (int i = 1; i <= countdownTicks; ++i) {
        ControlInput ignored{1.0f, 0.0f, 1.0f};
        TickReport r = stepRace(session, &ignored);
        ASSERT_TRUE(r.countdown);
        EXPECT_EQ(r.tick, i);
        EXPECT_EQ(r.raceTick, 0);
        EXPECT_EQ(countdownMsLeft(session), 3000 - 10 * i);
        EXPECT_EQ(player.control.brake, 1.0f);
        EXPECT_EQ(ghost.control.brake, 1.0f);
    }
    // Without a best run the ghost rests once the race ticks begin.
    const ShipState rested = ghost;
    ControlInput throttle{0.0f, 0.0f, 1.0f};
    TickReport r = stepRace(session, &throttle);
    EXPECT_FALSE(r.countdown);
    EXPECT_EQ(r.tick, 300);
    EXPECT_EQ(r.raceTick, 1);
    EXPECT_EQ(countdownMsLeft(session), 0);
    EXPECT_EQ(player.control.throttle, 1.0f);
    EXPECT_EQ(std::memcmp(&ghost, &rested, sizeof ghost), 0);
}

TEST_F(Session, GhostKeepsItsLastRecordPastTheEndOfTheBestRun)
{
    for (int i = 0; i < 50; ++i)
        best.push_back(ControlInput{0.001f * float(i), 0.0f, 1.0f});
    countdown();
    for (int i = 1; i <= 80; ++i) {
        ControlInput mine{0.0f, 0.0f, 0.5f};
        stepRace(session, &mine);
        EXPECT_EQ(ghost.control.steer, best[size_t(std::min(i, 50) - 1)].steer);
    }
}

TEST_F(Session, GhostOnTheSameRecordsSitsExactlyOnThePlayer)
{
    best.assign(400, ControlInput{0.05f, 0.0f, 1.0f});
    countdown();
    for (const ControlInput& c : best)
        stepRace(session, &c);
    EXPECT_EQ(std::memcmp(&ghost, &player, sizeof ghost), 0);
}

TEST_F(Session, ReportsTheSegmentsLapsAndTheEndAsTheShipMeetsThem)
{
    // Held throttle and a touch of steer: round the ring until it finishes or
    // leaves the road, checking each report against the ship and its laps.
    countdown();
    int32_t lastSegment = player.segment;
    int ends = 0;
    for (int i = 0; i < 60000 && session.on; ++i) {
        ControlInput c{0.0f, 0.0f, 1.0f};
        int32_t lapBefore = player.segment >= 0 ? track.segments[size_t(player.segment)].lap : 0;
        TickReport r = stepRace(session, &c);
        EXPECT_EQ(r.previousSegment, lastSegment);
        EXPECT_EQ(r.segment, player.segment);
        EXPECT_EQ(r.previousLap, lapBefore);
        EXPECT_EQ(r.lap, player.segment >= 0 ? track.segments[size_t(player.segment)].lap : 0);
        ends += r.finished + r.leftRoad;
        EXPECT_EQ(r.finished, !session.on && session.outcome == RaceOutcome::finish);
        EXPECT_EQ(r.leftRoad, !session.on && session.outcome == RaceOutcome::offroad);
        lastSegment = r.segment;
    }
    EXPECT_FALSE(session.on);
    EXPECT_EQ(ends, 1);
    // A tick after the end reports no second end.
    ControlInput c{0.0f, 0.0f, 1.0f};
    TickReport after = stepRace(session, &c);
    EXPECT_FALSE(after.finished || after.leftRoad);
}

} // namespace
