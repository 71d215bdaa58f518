// Practice from a joint: the race core replays the reference to its
// crossing, and the state there is exactly the reference's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "sim/practice.h"
#include "sim/replay.h"
#include "sim/ship.h"
#include "sim/splits.h"
#include "test_tracks.h"

namespace {

std::vector<int32_t> lapsOf(const Track& track)
{
    std::vector<int32_t> laps;
    for (const TrackSegment& s : track.segments)
        laps.push_back(s.lap);
    return laps;
}

bool sameState(const ShipState& a, const ShipState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A ring with a reference run and a rival for the ghost, both driven by the
// autopilot, the rival held back for a while.
struct Practice : ::testing::Test {
    Track track = ringTrack(30, 180.0, 22.0, 5.0, 2);
    std::vector<ControlInput> reference = drivenRun(track);
    std::vector<ControlInput> rival = drivenRun(track, 0.5f, 200, 700);

    // A race with the ghost stepped tick by tick with the reference's records
    // up to race tick until: what the practice start must reproduce.
    struct Stood {
        Track track;
        ShipState player, ghost;
        RaceSession session;
    };
    // A race on a copy of the ring, racing the rival when withRival.
    Stood fresh(bool withRival)
    {
        Stood s;
        s.track = track;
        s.session.ghostRun = withRival ? &rival : nullptr;
        return s;
    }
    void expectSame(const Stood& practice, const Stood& expected)
    {
        EXPECT_TRUE(sameState(practice.player, expected.player));
        EXPECT_TRUE(sameState(practice.ghost, expected.ghost));
        EXPECT_EQ(lapsOf(practice.track), lapsOf(expected.track));
    }
    void standAt(Stood& s, int64_t until)
    {
        s.track = track;
        s.session.ghostRun = &rival;
        beginRace(s.session, s.track, s.player, &s.ghost, defaultGravity);
        while (s.session.on && s.session.raceTicks < until)
            stepRace(s.session, inCountdown(s.session) ? nullptr : &reference[size_t(s.session.raceTicks)]);
    }
};

}  // namespace

TEST_F(Practice, StartsInTheReferencesStateAtTheCrossing)
{
    const RunSplits splits = splitsOfRun(track, reference, defaultGravity);
    struct Joint {
        int32_t lap, segment;
    };
    // The start joint, a joint inside each lap, the second lap's start and
    // the finish.
    for (const Joint& j : std::vector<Joint>{{1, 1}, {1, 15}, {2, 1}, {2, 29}, {2, 0}, {3, 1}}) {
        SCOPED_TRACE("lap " + std::to_string(j.lap) + " segment " + std::to_string(j.segment));
        const int64_t crossing = splitTickAt(splits, j.lap, j.segment);
        ASSERT_GT(crossing, 0);
        EXPECT_EQ(practiceCrossingTick(track, reference, j.lap, j.segment, defaultGravity), crossing);

        Stood expected;
        standAt(expected, crossing);

        Stood p = fresh(true);
        int64_t reportedCrossing = -1;
        RunSplits seen;
        resetSplits(seen, 30);
        const auto onTick = [&](const TickReport& report) {
            if (noteSplitTick(seen, report).crossed && seen.splits.back().lap == j.lap &&
                seen.splits.back().segment == j.segment)
                reportedCrossing = report.raceTick;
        };
        EXPECT_EQ(beginPractice(p.session, p.track, p.player, &p.ghost, reference, j.lap, j.segment, defaultGravity, 0,
                                onTick),
                  crossing);
        EXPECT_EQ(reportedCrossing, crossing) << "the last tick stepped is the crossing";
        EXPECT_EQ(p.session.raceTicks, crossing);
        EXPECT_EQ(p.session.ticks, countdownTicks + crossing);
        expectSame(p, expected);
        // Only the finish ends the race at its crossing.
        EXPECT_EQ(p.session.on, j.lap != 3);
    }
}

TEST_F(Practice, TheLeadInStopsThreeSecondsEarlierAndDrivesOnToTheSameState)
{
    const RunSplits splits = splitsOfRun(track, reference, defaultGravity);
    // One crossing far into the race, one that comes before three seconds
    // of racing are over, so the lead-in reaches back into the countdown.
    for (const int64_t crossing : {splitTickAt(splits, 2, 10), splitTickAt(splits, 1, 1)}) {
        SCOPED_TRACE(crossing);
        const Split& key = *std::find_if(splits.splits.begin(), splits.splits.end(),
                                         [&](const Split& s) { return s.raceTick == crossing; });
        Stood p = fresh(true);
        ASSERT_EQ(beginPractice(p.session, p.track, p.player, &p.ghost, reference, key.lap, key.segment, defaultGravity,
                                practiceLeadInTicks),
                  crossing);
        EXPECT_EQ(p.session.ticks, std::max<int64_t>(0, countdownTicks + crossing - practiceLeadInTicks));
        stepRaceWith(p.session, reference, countdownTicks + crossing);

        Stood expected;
        standAt(expected, crossing);
        EXPECT_EQ(p.session.raceTicks, crossing);
        expectSame(p, expected);
    }
}

TEST_F(Practice, APracticeRaceIsTheRaceOfTheJoinedRecordsTickForTick)
{
    const RunSplits splits = splitsOfRun(track, reference, defaultGravity);
    const int64_t crossing = splitTickAt(splits, 1, 12);
    ASSERT_GT(crossing, 0);
    // The player drives on with the rival's records from its own crossing.
    const RunSplits rivalSplits = splitsOfRun(track, rival, defaultGravity);
    const int64_t rivalCrossing = splitTickAt(rivalSplits, 1, 12);
    const std::vector<ControlInput> own(rival.begin() + rivalCrossing, rival.end());

    std::vector<std::string> practiced;
    Track road = track;
    ShipState player;
    RaceSession session;
    const auto note = [&](const TickReport& report) {
        practiced.push_back(traceLine(report.tick, report.countdown, player));
    };
    ASSERT_EQ(beginPractice(session, road, player, nullptr, reference, 1, 12, defaultGravity, 0, note), crossing);
    for (size_t i = 0; i < own.size() && session.on; ++i)
        note(stepRace(session, &own[i]));

    std::vector<ControlInput> joined(reference.begin(), reference.begin() + crossing);
    joined.insert(joined.end(), own.begin(), own.end());
    Track again = track;
    ReplaySetup setup;
    setup.controls = joined;
    std::vector<std::string> raced;
    const ReplayResult result = replayRace(again, setup, [&](int64_t tick, bool countdown, const ShipState& s) {
        raced.push_back(traceLine(tick, countdown, s));
    });
    EXPECT_EQ(practiced, raced);
    EXPECT_EQ(session.outcome, result.outcome);
    EXPECT_EQ(session.raceTicks, result.raceTicks);
}

TEST_F(Practice, AJointTheReferenceNeverCrossesStartsNothing)
{
    struct Joint {
        int32_t lap, segment;
    };
    // After the finish, beyond the road, before any lap, and a run of no records.
    for (const Joint& j : std::vector<Joint>{{3, 2}, {1, 30}, {0, 1}, {-1, 1}}) {
        Stood p = fresh(false);
        EXPECT_EQ(beginPractice(p.session, p.track, p.player, nullptr, reference, j.lap, j.segment, defaultGravity), -1);
        EXPECT_EQ(p.session.ticks, 0);
    }
    Stood p = fresh(false);
    EXPECT_EQ(beginPractice(p.session, p.track, p.player, nullptr, {}, 1, 1, defaultGravity), -1);
}
