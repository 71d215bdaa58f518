// Lap counters, the finish and leaving the road, driven segment by segment.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sim/race.h"
#include "sim/autopilot.h"
#include "sim/race_session.h"
#include "sim/replay.h"
#include "sim/ship.h"
#include "sim/splits.h"
#include "test_tracks.h"

namespace {

// Records the ends in order and clears the race as the game's handlers do.
struct Recorder {
    bool on = true;
    std::vector<std::string> events;
};

void recordEnd(void* c, const char* end)
{
    static_cast<Recorder*>(c)->events.push_back(end);
    static_cast<Recorder*>(c)->on = false;
}

RaceHooks hooksFor(Recorder& r)
{
    RaceHooks hooks;
    hooks.context = &r;
    hooks.raceOn = [](void* c) { return static_cast<Recorder*>(c)->on; };
    hooks.finish = [](void* c) { recordEnd(c, "finish"); };
    hooks.leaveRoad = [](void* c) { recordEnd(c, "offroad"); };
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
    // One tick in each of segments, in order.
    void tickIn(std::initializer_list<int> segments)
    {
        for (int segment : segments) {
            ship.segment = segment;
            updateRaceProgress(track, ship, hooksFor(recorder));
        }
    }
    void tickIn(int segment) { tickIn({segment}); }
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
    tickIn({0, 0});
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
    tickIn({0, 1, 2, 4});
    EXPECT_EQ(track.segments[4].lap, 0);
    tickIn({5, 6});
    EXPECT_EQ(track.segments[5].lap, 0);
    EXPECT_EQ(track.segments[6].lap, 0);
    // Back through the missed segment, in order again.
    tickIn(3);
    EXPECT_EQ(track.segments[3].lap, 1);
    tickIn({4, 5});
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
    tickIn({1, 0});
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
    for (int lap = 0; lap < 2; ++lap)
        tickIn({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0});
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

TEST_F(RaceRules, AShipStateThatIsNotFiniteLeavesTheRoad)
{
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    double ShipState::*fields[] = {&ShipState::trackU, &ShipState::trackT};
    for (double ShipState::*field : fields) {
        Recorder r;
        ShipState s = ship;
        s.*field = nan;
        s.segment = 3;
        updateRaceProgress(track, s, hooksFor(r));
        EXPECT_EQ(r.events, std::vector<std::string>{"offroad"});
    }
    // Position or velocity: even before the first step has placed the ship
    // on a segment, where a finite ship makes no progress at all.
    for (int k = 0; k < 6; ++k) {
        Recorder r;
        ShipState s = ship;
        s.segment = -1;
        double Vec3::*axes[] = {&Vec3::x, &Vec3::y, &Vec3::z};
        Vec3& vector = k < 3 ? s.position : s.velocity;
        vector.*axes[k % 3] = (k % 2) ? inf : nan;
        updateRaceProgress(track, s, hooksFor(r));
        EXPECT_EQ(r.events, std::vector<std::string>{"offroad"}) << k;
    }
    Recorder finite;
    ship.segment = -1;
    updateRaceProgress(track, ship, hooksFor(finite));
    EXPECT_TRUE(finite.events.empty());
}

// The rule read off the whole road every time: lowest and highest counter,
// then the catch-up. The game takes shortcuts; they must never differ.
void wholeRoadRule(std::vector<int32_t>& laps, int32_t cur)
{
    const int32_t count = int32_t(laps.size());
    int32_t lo = laps[0];
    int32_t hi = laps[0];
    for (int32_t lap : laps) {
        lo = lap < lo ? lap : lo;
        hi = lap > hi ? lap : hi;
    }
    const int32_t prev = (count + cur - 1) % count;
    const int32_t next = (count + cur + 1) % count;
    if (lo == hi)
        laps[size_t(next)] = lo + 1;
    else if (laps[size_t(cur)] < laps[size_t(prev)])
        laps[size_t(cur)] = lo + 1;
}

TEST(RaceRulesWholeRoad, EveryCounterPatternAndShipPlaceGivesTheRoadWideRule)
{
    // Deterministic pseudo-random walks over small roads, with counters drawn
    // from a narrow range so that ties, single outliers and wraps are common.
    uint64_t seed = 0x2545F4914F6CDD1Dull;
    auto next = [&seed](uint32_t n) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return uint32_t(seed % n);
    };
    for (int round = 0; round < 4000; ++round) {
        const int32_t count = int32_t(1 + next(7));
        Track track;
        track.segments.resize(size_t(count));
        std::vector<int32_t> expected(static_cast<size_t>(count));
        const int32_t base = int32_t(next(3));
        for (int32_t i = 0; i < count; ++i)
            expected[size_t(i)] = track.segments[size_t(i)].lap = base + int32_t(next(2 + uint32_t(round % 3)));
        ShipState ship;
        ship.trackU = 0.5;
        Recorder recorder;
        recorder.on = false;
        for (int tick = 0; tick < 12; ++tick) {
            // Mostly forward by zero or one segment, sometimes anywhere.
            const int32_t cur = next(4) == 0 ? int32_t(next(uint32_t(count)))
                                             : (ship.segment < 0 ? 0 : (ship.segment + int32_t(next(2))) % count);
            ship.segment = cur;
            updateRaceProgress(track, ship, hooksFor(recorder));
            wholeRoadRule(expected, cur);
            for (int32_t i = 0; i < count; ++i)
                ASSERT_EQ(track.segments[size_t(i)].lap, expected[size_t(i)])
                    << "round " << round << " tick " << tick << " segment " << i;
        }
    }
}

TEST(RaceRulesNotFinite, ANanControlRecordLosesTheRace)
{
    Track track = ringTrack(24, 300.0, 20.0);
    ReplaySetup setup;
    setup.controls.assign(400, ControlInput{0.0f, 0.0f, 1.0f});
    setup.controls[250].steer = std::nanf("");
    ReplayResult result = replayRace(track, setup);
    EXPECT_EQ(outcomeLine(result).rfind("offroad ", 0), 0u) << outcomeLine(result);
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

// A race tick's report as the splits read it.
TickReport report(int32_t previous, int32_t segment, int32_t lap, int64_t raceTick)
{
    TickReport r;
    r.previousSegment = previous;
    r.segment = segment;
    r.lap = lap;
    r.raceTick = raceTick;
    return r;
}

std::vector<std::string> splitTexts(const RunSplits& run)
{
    std::vector<std::string> out;
    for (const Split& s : run.splits)
        out.push_back(std::to_string(s.lap) + " " + std::to_string(s.segment) + " " + std::to_string(s.raceTick));
    return out;
}

TEST(Splits, OnlyTheFirstInOrderEntryOfAKeyIsACrossing)
{
    RunSplits run;
    resetSplits(run, 10);
    TickReport countdown = report(0, 1, 1, 0);
    countdown.countdown = true;
    noteSplitTick(run, countdown);
    noteSplitTick(run, report(-1, 0, 0, 1));   // first step onto the road
    noteSplitTick(run, report(0, 1, 1, 2));    // the start joint
    noteSplitTick(run, report(1, 3, 1, 3));    // segment 2 skipped
    noteSplitTick(run, report(3, 2, 1, 4));    // backwards
    noteSplitTick(run, report(2, 3, 1, 5));    // in order again
    noteSplitTick(run, report(3, 2, 1, 6));
    noteSplitTick(run, report(2, 3, 1, 7));    // the same key a second time
    noteSplitTick(run, report(9, 0, 1, 8));    // round the end of the road
    noteSplitTick(run, report(0, 1, 2, 9));
    EXPECT_EQ(splitTexts(run), (std::vector<std::string>{"1 1 2", "1 3 5", "1 0 8", "2 1 9"}));
    EXPECT_EQ(splitTickAt(run, 1, 3), 5);
    EXPECT_EQ(splitTickAt(run, 1, 2), -1);
    EXPECT_EQ(splitTickAt(run, 2, 3), -1);
}

TEST(Splits, ALapEndsTheFirstTimeTheNextOneShows)
{
    RunSplits run;
    resetSplits(run, 10);
    noteSplitTick(run, report(0, 1, 1, 120));
    // A skip stalls the counter under the ship; regaining lap 1 ends nothing.
    noteSplitTick(run, report(3, 5, 0, 400));
    noteSplitTick(run, report(3, 4, 1, 450));
    noteSplitTick(run, report(0, 1, 2, 2600));
    noteSplitTick(run, report(0, 1, 3, 5123));
    EXPECT_EQ(run.lapEndTicks, (std::vector<int64_t>{120, 2600, 5123}));
    EXPECT_EQ(lapTicks(run, 1), 2480);
    EXPECT_EQ(lapTimesLine(run), "laps 0:24.80 0:25.23");
    EXPECT_EQ(formatDelta(-42), "-0.42");
    EXPECT_EQ(formatDelta(110), "+1.10");
    EXPECT_EQ(formatDelta(-6012), "-60.12");
    EXPECT_EQ(offRoadLine(1141, 1), "off the road at 0:11.41 in lap 1");
}

TEST(Splits, DeltasAgainstAFasterRivalAreTheDifferencesOfTheirSplitTicks)
{
    Track track = ringTrack(24, 150.0, 18.0, 3.0, 2);
    AutopilotRun fast = driveWithAutopilot(track, AutopilotSettings{}, 60000);
    AutopilotSettings timid;
    timid.cornerGrip = 0.45;
    timid.brakeGrip = 0.3;
    AutopilotRun slow = driveWithAutopilot(track, timid, 60000);
    ASSERT_EQ(fast.result.outcome, RaceOutcome::finish);
    ASSERT_EQ(slow.result.outcome, RaceOutcome::finish);
    ASSERT_GT(slow.result.raceTicks, fast.result.raceTicks);

    for (TrackSegment& segment : track.segments)
        segment.lap = 5;
    const RunSplits fastSplits = splitsOfRun(track, fast.controls, defaultGravity);
    const RunSplits slowSplits = splitsOfRun(track, slow.controls, defaultGravity);
    ASSERT_EQ(fastSplits.splits.back().raceTick, fast.result.raceTicks) << "the finish is the last crossing";
    ASSERT_EQ(fastSplits.lapEndTicks.size(), 3u);

    // The slow run raced live against the fast one, its difference read after
    // every tick that crossed a joint. The rival's replay is stepped a share
    // at a time as the frames do (0: only where a crossing needs it); the
    // figures never depend on the share.
    LiveSplits live;
    for (int64_t share : {int64_t(0), int64_t(1), int64_t(7), rivalTicksPerFrame}) {
        SCOPED_TRACE(share);
        beginLiveSplits(live, track, &fast.controls, defaultGravity);
        ASSERT_TRUE(live.haveRival);
        ASSERT_TRUE(live.rival.splits.empty()) << "a race start replays nothing";
        std::vector<int64_t> shown;
        std::vector<std::string> lapLines;
        ReplaySetup setup;
        setup.controls = slow.controls;
        setup.onTick = [&](const TickReport& r) {
            const size_t before = live.own.splits.size();
            noteLiveTick(live, r);
            stepRivalSplits(live, share);
            if (live.own.splits.size() > before)
                shown.push_back(live.delta);
            if (live.haveLap && live.lapEndTick == r.raceTick)
                lapLines.push_back(lapLine(live));
        };
        Track raced = track;
        replayRace(raced, setup);

        ASSERT_EQ(live.own.splits.size(), slowSplits.splits.size());
        ASSERT_EQ(shown.size(), slowSplits.splits.size());
        ASSERT_GT(shown.size(), 40u);
        for (size_t i = 0; i < shown.size(); ++i) {
            const Split& s = slowSplits.splits[i];
            const int64_t theirs = splitTickAt(fastSplits, s.lap, s.segment);
            ASSERT_GE(theirs, 0) << i;
            EXPECT_EQ(shown[i], s.raceTick - theirs) << "joint " << i;
        }
        EXPECT_EQ(live.delta, slow.result.raceTicks - fast.result.raceTicks);
        // The two full laps; the run-up to the start joint is no lap.
        ASSERT_EQ(lapLines.size(), 2u);
        EXPECT_EQ(lapLines[0].rfind("lap 1  ", 0), 0u) << lapLines[0];
        const int64_t lastLap = lapTicks(slowSplits, 2) - lapTicks(fastSplits, 2);
        EXPECT_EQ(live.lapDelta, lastLap);
        EXPECT_EQ(lapLines[1], "lap 2  " + lapTimesLine(slowSplits).substr(13) + "  " + formatDelta(lastLap));
        EXPECT_TRUE(lapShown(live, slow.result.raceTicks + lapShowTicks - 1));
        EXPECT_FALSE(lapShown(live, slow.result.raceTicks + lapShowTicks));
        EXPECT_TRUE(rivalSplitsComplete(live)) << "the rival's finish was needed";
        EXPECT_EQ(live.rival.lapEndTicks, fastSplits.lapEndTicks);
        // The next race begins afresh.
        live = LiveSplits();
    }
    beginLiveSplits(live, track, &fast.controls, defaultGravity);
    stepRivalSplits(live, 2 * hourTicks);
    // A restart against the same rival on the same road keeps its splits
    // instead of replaying it (marked here to tell); other records replay.
    live.rival.lapEndTicks.push_back(-1);
    beginLiveSplits(live, track, &fast.controls, defaultGravity);
    EXPECT_EQ(live.rival.lapEndTicks.size(), 4u);
    EXPECT_TRUE(live.own.splits.empty());
    EXPECT_FALSE(live.haveDelta);
    std::vector<ControlInput> other = fast.controls;
    other[500].steer = 0.25f;
    beginLiveSplits(live, track, &other, defaultGravity);
    EXPECT_FALSE(rivalSplitsComplete(live));
    stepRivalSplits(live, 2 * hourTicks);
    EXPECT_TRUE(rivalSplitsComplete(live));
    EXPECT_EQ(live.rival.lapEndTicks, splitsOfRun(track, other, defaultGravity).lapEndTicks);
    beginLiveSplits(live, track, nullptr, defaultGravity);
    EXPECT_FALSE(live.haveRival);
    EXPECT_TRUE(live.rival.splits.empty());
    // The rival was replayed on a copy: the track's counters are untouched.
    for (const TrackSegment& segment : track.segments)
        EXPECT_EQ(segment.lap, 5);
}

} // namespace
