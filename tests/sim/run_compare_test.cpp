// Comparing two runs: sections between common joint crossings, sectors, the
// theoretical best and the gap graph's samples, on hand-made splits and on
// runs driven on a ring.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/replay.h"
#include "sim/run_compare.h"
#include "sim/splits.h"
#include "test_tracks.h"

namespace {

// Splits of (lap, segment, race tick) in the order given.
RunSplits splitsOf(const std::vector<Split>& list, int32_t segmentCount = 10)
{
    RunSplits run;
    resetSplits(run, segmentCount);
    for (const Split& s : list) {
        run.splits.push_back(s);
        run.keys.insert({s.lap, s.segment});
    }
    return run;
}

struct SectionCase {
    const char* what;
    std::vector<Split> a, b;
    // lap, segment, ticksA, ticksB of each section.
    std::vector<std::vector<int64_t>> expected;
};

SectorLayout layoutOf(int32_t segments, int32_t startJoint)
{
    SectorLayout layout;
    layout.segmentCount = segments;
    layout.startJoint = startJoint;
    layout.sectorsPerLap = std::min(maxSectorsPerLap, segments);
    return layout;
}

}  // namespace

TEST(CommonSections, CountTicksBetweenTheCrossingsBothRunsHave)
{
    const std::vector<SectionCase> cases = {
        {"same joints", {{1, 1, 10}, {1, 2, 25}, {1, 3, 40}}, {{1, 1, 12}, {1, 2, 24}, {1, 3, 45}},
         {{1, 1, 10, 12}, {1, 2, 15, 12}, {1, 3, 15, 21}}},
        {"a joint b skipped joins two sections", {{1, 1, 10}, {1, 2, 25}, {1, 3, 40}}, {{1, 1, 12}, {1, 3, 45}},
         {{1, 1, 10, 12}, {1, 3, 30, 33}}},
        {"a joint only b has is no section", {{1, 1, 10}, {1, 3, 40}}, {{1, 1, 12}, {1, 2, 20}, {1, 3, 45}},
         {{1, 1, 10, 12}, {1, 3, 30, 33}}},
        {"b reached a joint before the previous common one", {{1, 1, 10}, {1, 2, 25}, {1, 3, 40}},
         {{1, 2, 5}, {1, 1, 12}, {1, 3, 45}}, {{1, 1, 10, 12}, {1, 3, 30, 33}}},
        {"a later lap of the same segment is another joint", {{1, 1, 10}, {2, 1, 90}}, {{2, 1, 80}},
         {{2, 1, 90, 80}}},
        {"nothing in common", {{1, 1, 10}}, {{1, 2, 10}}, {}},
        {"no crossings", {}, {{1, 1, 10}}, {}},
    };
    for (const SectionCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Section> sections = commonSections(splitsOf(c.a), splitsOf(c.b));
        ASSERT_EQ(sections.size(), c.expected.size());
        for (size_t i = 0; i < sections.size(); ++i) {
            EXPECT_EQ(sections[i].lap, c.expected[i][0]);
            EXPECT_EQ(sections[i].segment, c.expected[i][1]);
            EXPECT_EQ(sections[i].ticksA, c.expected[i][2]);
            EXPECT_EQ(sections[i].ticksB, c.expected[i][3]);
        }
    }
}

TEST(SectorLayout, EveryLapFallsIntoAtMostTwelveSectorsInCourseOrder)
{
    for (int32_t n : {3, 5, 11, 12, 13, 30, 97}) {
        for (int32_t start : {0, 1, n - 1}) {
            SCOPED_TRACE("segments " + std::to_string(n) + ", start joint " + std::to_string(start));
            const SectorLayout layout = layoutOf(n, start);
            const int32_t perLap = std::min(12, n);
            ASSERT_EQ(sectorCount(layout), 1 + 2 * perLap);
            EXPECT_EQ(sectorOf(layout, 1, start), 0) << "the run-up ends at the first start crossing";
            EXPECT_EQ(sectorOf(layout, 0, (start + n - 1) % n), 0);
            EXPECT_EQ(sectorOf(layout, 3, start), 2 * perLap) << "the finish closes the last sector";
            EXPECT_EQ(sectorOf(layout, 3, (start + 1) % n), -1);
            EXPECT_EQ(sectorOf(layout, 1, n), -1);

            // Along the course the sector never goes back and never jumps one;
            // each closes at the joint sectorEnd names.
            int32_t last = 0;
            for (int32_t lap = 1; lap <= 2; ++lap) {
                for (int32_t place = 1; place <= n; ++place) {
                    const int32_t segment = (start + place) % n;
                    const int32_t key = place == n ? lap + 1 : lap;
                    const int32_t sector = sectorOf(layout, key, segment);
                    EXPECT_TRUE(sector == last || sector == last + 1) << lap << " " << place;
                    EXPECT_EQ(sectorLap(layout, sector), lap);
                    if (sector != last) {
                        const JointKey end = sectorEnd(layout, last);
                        const int32_t before = (segment + n - 1) % n;
                        EXPECT_EQ(end.segment, before);
                        EXPECT_EQ(sectorOf(layout, end.lap, end.segment), last);
                    }
                    last = sector;
                }
            }
            EXPECT_EQ(last, 2 * perLap);
            EXPECT_EQ(sectorInLap(layout, last), perLap - 1);
        }
    }
}

TEST(SectorRows, TheWorstSectorIsWhereTheRunLostMost)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int64_t, int64_t>> rows;
        int32_t worst;
    };
    const std::vector<Case> cases = {
        {"lost most in the second", {{10, 10}, {30, 20}, {15, 12}}, 1},
        {"gained everywhere", {{9, 10}, {19, 20}}, -1},
        {"level", {{10, 10}}, -1},
        {"the first of equal losses", {{12, 10}, {7, 5}}, 0},
        {"none", {}, -1},
    };
    for (const Case& c : cases) {
        std::vector<SectorRow> rows;
        for (const auto& r : c.rows)
            rows.push_back(SectorRow{1, r.first, r.second});
        EXPECT_EQ(worstSector(rows), c.worst) << c.what;
    }
}

TEST(TheoreticalBest, AddsTheBestTimeOfEverySector)
{
    struct Case {
        const char* what;
        std::vector<std::vector<int64_t>> runs;
        int64_t best;
    };
    const std::vector<Case> cases = {
        {"one run is its own best", {{10, 20, 30}}, 60},
        {"the best of each sector", {{10, 20, 30}, {12, 18, 31}, {11, 25, 29}}, 57},
        {"a missed sector counts from the runs that have it", {{10, -1, 30}, {12, 18, 31}}, 58},
        {"a sector no run has", {{10, -1, 30}, {12, -1, 31}}, -1},
        {"no runs", {}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(theoreticalBest(c.runs), c.best) << c.what;
}

TEST(RunSectorTicks, ASectorNeedsBothOfItsJoints)
{
    // Four segments, laps start at joint 1: the run-up ends at (1, 1), each
    // lap has the sectors closing at segments 2, 3, 0 and the next lap's 1.
    const SectorLayout layout = layoutOf(4, 1);
    const RunSplits full = splitsOf({{1, 1, 5}, {1, 2, 15}, {1, 3, 30}, {1, 0, 40}, {2, 1, 50}, {2, 2, 62},
                                     {2, 3, 75}, {2, 0, 85}, {3, 1, 96}},
                                    4);
    const std::vector<int64_t> expected = {5, 10, 15, 10, 10, 12, 13, 10, 11};
    EXPECT_EQ(runSectorTicks(layout, full), expected);

    const RunSplits skipped = splitsOf({{1, 1, 5}, {1, 2, 15}, {1, 0, 40}, {2, 1, 50}}, 4);
    const std::vector<int64_t> gaps = {5, 10, -1, -1, 10, -1, -1, -1, -1};
    EXPECT_EQ(runSectorTicks(layout, skipped), gaps);
}

namespace {

// A ring, a run driven at full throttle and a slower one held back for two
// stretches of the first lap, both finishing.
struct RingRuns : ::testing::Test {
    Track track = ringTrack(30, 180.0, 22.0, 5.0, 2);
    std::vector<ControlInput> fast = drivenRun(track);
    std::vector<ControlInput> slow = drivenRun(track, 0.3f, 600, 900);
    RunSplits fastSplits = splitsOfRun(track, fast, defaultGravity);
    RunSplits slowSplits = splitsOfRun(track, slow, defaultGravity);
    SectorLayout layout = sectorLayout(track, defaultGravity);

    int64_t finishTicks(const std::vector<ControlInput>& records)
    {
        Track copy = track;
        ReplaySetup setup;
        setup.controls = records;
        ReplayResult result = replayRace(copy, setup);
        EXPECT_EQ(result.outcome, RaceOutcome::finish);
        return result.raceTicks;
    }
};

}  // namespace

TEST_F(RingRuns, SectionTicksAreDifferencesOfSplitTicks)
{
    const int64_t fastTime = finishTicks(fast);
    const int64_t slowTime = finishTicks(slow);
    ASSERT_GT(slowTime, fastTime);
    const std::vector<Section> sections = commonSections(slowSplits, fastSplits);
    // Both drove every joint in order: one section per crossing.
    ASSERT_EQ(sections.size(), slowSplits.splits.size());
    JointKey previous{-1, -1};
    int64_t sumA = 0, sumB = 0;
    for (const Section& s : sections) {
        const int64_t a = splitTickAt(slowSplits, s.lap, s.segment);
        const int64_t b = splitTickAt(fastSplits, s.lap, s.segment);
        const int64_t a0 = previous.lap < 0 ? 0 : splitTickAt(slowSplits, previous.lap, previous.segment);
        const int64_t b0 = previous.lap < 0 ? 0 : splitTickAt(fastSplits, previous.lap, previous.segment);
        EXPECT_EQ(s.ticksA, a - a0);
        EXPECT_EQ(s.ticksB, b - b0);
        EXPECT_EQ(s.tickA, a);
        EXPECT_EQ(s.tickB, b);
        sumA += s.ticksA;
        sumB += s.ticksB;
        previous = JointKey{s.lap, s.segment};
    }
    EXPECT_EQ(sumA, slowTime);
    EXPECT_EQ(sumB, fastTime);
    EXPECT_EQ(sections.back().lap, 3) << "the last section ends at the finish";
}

TEST_F(RingRuns, SectorsAddUpAndTheHeldBackStretchLosesMost)
{
    ASSERT_EQ(layout.segmentCount, 30);
    EXPECT_EQ(layout.startJoint, 1) << "the ring starts mid segment 0";
    const std::vector<SectorRow> rows = groupSectors(layout, commonSections(slowSplits, fastSplits));
    ASSERT_EQ(rows.size(), 25u);
    int64_t sumA = 0, sumB = 0;
    for (const SectorRow& r : rows) {
        EXPECT_GT(r.sections, 0);
        sumA += r.ticksA;
        sumB += r.ticksB;
    }
    EXPECT_EQ(sumA, finishTicks(slow));
    EXPECT_EQ(sumB, finishTicks(fast));

    // Each sector's grouped ticks are the run's own sector time.
    const std::vector<int64_t> own = runSectorTicks(layout, slowSplits);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].ticksA, own[i]) << i;

    // The throttle was held back from race tick 600 on: the worst sector is
    // the one the slow run was in then, or the one after it.
    const int32_t worst = worstSector(rows);
    ASSERT_GE(worst, 0);
    int32_t heldIn = 0;
    for (const Split& s : slowSplits.splits)
        if (s.raceTick <= 600)
            heldIn = std::max(heldIn, sectorOf(layout, s.lap, s.segment) + 1);
    EXPECT_TRUE(worst == heldIn || worst == heldIn + 1) << worst << " " << heldIn;

    const int64_t best = theoreticalBest({own, runSectorTicks(layout, fastSplits)});
    EXPECT_LE(best, finishTicks(fast));
    EXPECT_GT(best, 0);
}

TEST_F(RingRuns, TheGapGraphFollowsTheCrossingsLapByLap)
{
    const std::vector<Section> sections = commonSections(slowSplits, fastSplits);
    const std::vector<double> joints = jointDistances(track);
    ASSERT_EQ(joints.size(), 31u);
    const double lapLength = joints.back();
    // About the ring's centre-line circumference.
    EXPECT_NEAR(lapLength, 2 * 3.141592653589793 * 180.0, 15.0);
    const std::vector<GapSample> samples = gapOverDistance(layout, joints, sections);
    // 29 joints inside each lap and both of its ends.
    ASSERT_EQ(samples.size(), 62u);
    for (size_t i = 0; i < samples.size(); ++i) {
        const GapSample& g = samples[i];
        EXPECT_GE(g.distance, 0.0);
        EXPECT_LE(g.distance, lapLength);
        if (i > 0 && samples[i - 1].lap == g.lap) {
            EXPECT_GT(g.distance, samples[i - 1].distance) << i;
        }
    }
    EXPECT_EQ(samples.front().lap, 1);
    EXPECT_EQ(samples.front().distance, 0.0);
    EXPECT_EQ(samples[30].distance, lapLength);
    EXPECT_EQ(samples[31].lap, 2);
    EXPECT_EQ(samples[31].gap, samples[30].gap) << "one crossing ends lap 1 and begins lap 2";
    EXPECT_EQ(samples.back().gap, finishTicks(slow) - finishTicks(fast));
    // The gap only grows while the slow run is held back, so it is never
    // smaller at the end than at the start of the first lap.
    EXPECT_GE(samples.back().gap, samples.front().gap);
}

TEST_F(RingRuns, TheAnalysisGathersTheFiguresOfTheTwoRunsAndTheHistory)
{
    const RunAnalysis a = analyseRun(track, slow, fast, {}, defaultGravity);
    EXPECT_EQ(a.outcome, RaceOutcome::finish);
    EXPECT_EQ(a.referenceOutcome, RaceOutcome::finish);
    EXPECT_EQ(a.ticks, finishTicks(slow));
    EXPECT_EQ(a.referenceTicks, finishTicks(fast));
    EXPECT_EQ(a.difference, a.ticks - a.referenceTicks);
    const std::vector<Section> sections = commonSections(slowSplits, fastSplits);
    EXPECT_EQ(a.sections.size(), sections.size());
    EXPECT_EQ(a.worstSector, worstSector(groupSectors(layout, sections)));
    EXPECT_EQ(sectorLabel(a.layout, a.worstSector).find('.'), 1u);
    EXPECT_EQ(a.gap.size(), 62u);
    const std::vector<int64_t> slowOwn = runSectorTicks(layout, slowSplits);
    const std::vector<int64_t> fastOwn = runSectorTicks(layout, fastSplits);
    EXPECT_EQ(a.theoreticalBest, theoreticalBest({slowOwn, fastOwn}));

    // A kept run three ticks faster in one sector lowers the best by three.
    std::vector<int64_t> kept(fastOwn.size(), 100000);
    kept[5] = std::min(slowOwn[5], fastOwn[5]) - 3;
    EXPECT_EQ(analyseRun(track, slow, fast, {kept}, defaultGravity).theoreticalBest, a.theoreticalBest - 3);

    // Against itself: level everywhere, nothing lost.
    const RunAnalysis same = analyseRun(track, fast, fast, {}, defaultGravity);
    EXPECT_EQ(same.difference, 0);
    EXPECT_EQ(same.worstSector, -1);
    EXPECT_EQ(same.theoreticalBest, same.ticks);
    for (const GapSample& g : same.gap)
        EXPECT_EQ(g.gap, 0);
}

TEST(SectorLabels, NameTheRunUpAndEachLapsSectors)
{
    const SectorLayout layout = layoutOf(30, 1);
    EXPECT_EQ(sectorLabel(layout, 0), "start");
    EXPECT_EQ(sectorLabel(layout, 1), "1.1");
    EXPECT_EQ(sectorLabel(layout, 12), "1.12");
    EXPECT_EQ(sectorLabel(layout, 13), "2.1");
    EXPECT_EQ(sectorLabel(layout, 24), "2.12");
}
