#include <gtest/gtest.h>

#include <iterator>

#include "gui/menu_analysis.h"
#include "shell/analysis_view.h"

namespace {

// A 24-segment road cut into 12 sectors a lap; the run lost 0.30 s in 1.2,
// gained 0.10 s in 1.1, and no common crossing fell into 1.3 and later.
struct AnalysisFixture : ::testing::Test {
    RunAnalysis a;

    void SetUp() override
    {
        a.layout.segmentCount = 24;
        a.layout.startJoint = 3;
        a.layout.sectorsPerLap = 12;
        a.ticks = 5030;
        a.referenceTicks = 5000;
        a.difference = 30;
        a.sectors.assign(size_t(sectorCount(a.layout)), SectorRow());
        a.sectors[0] = SectorRow{1, 400, 400};
        a.sectors[1] = SectorRow{2, 190, 200};
        a.sectors[2] = SectorRow{2, 330, 300};
        a.worstSector = 2;
        a.theoreticalBest = 4950;
        a.lapLength = 2000.0;
        a.gap = {GapSample{1, 0.0, 0}, GapSample{1, 500.0, -10}, GapSample{1, 2000.0, 20},
                 GapSample{2, 0.0, 20}, GapSample{2, 1000.0, 45}};
    }
};

}  // namespace

TEST_F(AnalysisFixture, TotalsAndLinesReadAsTheHudWritesTimes)
{
    const AnalysisView v = analysisView(a, "ANNA");
    EXPECT_EQ(v.title, "against ANNA");
    EXPECT_EQ(v.timeLine, "this run 0:50.30");
    EXPECT_EQ(v.referenceLine, "ANNA 0:50.00");
    EXPECT_EQ(v.differenceText, "+0.30");
    EXPECT_TRUE(v.behind);
    EXPECT_EQ(v.theoreticalLine, "theoretical best 0:49.50");
    EXPECT_EQ(v.worstLine, "most lost in 1.2  +0.30");

    a.theoreticalBest = -1;
    a.worstSector = -1;
    a.difference = -5;
    const AnalysisView ahead = analysisView(a, "ANNA");
    EXPECT_EQ(ahead.theoreticalLine, "theoretical best -:--.--");
    EXPECT_EQ(ahead.worstLine, "lost in no sector");
    EXPECT_FALSE(ahead.behind);
}

TEST_F(AnalysisFixture, RowsCoverTheSectorsWithCommonCrossingsAndMarkTheWorst)
{
    const AnalysisView v = analysisView(a, "best run");
    struct Expected {
        int32_t sector;
        const char* label;
        const char* time;
        const char* reference;
        const char* delta;
        bool behind;
        bool worst;
    };
    const Expected expected[] = {
        {0, "start", "0:04.00", "0:04.00", "+0.00", false, false},
        {1, "1.1", "0:01.90", "0:02.00", "-0.10", false, false},
        {2, "1.2", "0:03.30", "0:03.00", "+0.30", true, true},
    };
    ASSERT_EQ(v.rows.size(), std::size(expected));
    for (size_t i = 0; i < v.rows.size(); ++i) {
        SCOPED_TRACE(expected[i].label);
        EXPECT_EQ(v.rows[i].sector, expected[i].sector);
        EXPECT_EQ(v.rows[i].label, expected[i].label);
        EXPECT_EQ(v.rows[i].timeText, expected[i].time);
        EXPECT_EQ(v.rows[i].referenceText, expected[i].reference);
        EXPECT_EQ(v.rows[i].deltaText, expected[i].delta);
        EXPECT_EQ(v.rows[i].behind, expected[i].behind);
        EXPECT_EQ(v.rows[i].worst, expected[i].worst);
        EXPECT_EQ(analysisRowLabel(v.rows[i]), (expected[i].worst ? "*" : "") + std::string(expected[i].label));
    }
}

TEST_F(AnalysisFixture, TheGraphHasOneLineALapOnTheLapsFraction)
{
    const AnalysisView v = analysisView(a, "best run");
    ASSERT_EQ(v.graph.size(), 2u);
    EXPECT_EQ(v.graph[0].lap, 1);
    EXPECT_EQ(v.graph[0].x, (std::vector<double>{0.0, 0.25, 1.0}));
    EXPECT_EQ(v.graph[0].gap, (std::vector<int64_t>{0, -10, 20}));
    EXPECT_EQ(v.graph[1].x, (std::vector<double>{0.0, 0.5}));
    EXPECT_EQ(v.gapScale, 45);

    a.gap.clear();
    EXPECT_TRUE(analysisView(a, "x").graph.empty());
    EXPECT_EQ(analysisView(a, "x").gapScale, 1);
}

TEST_F(AnalysisFixture, PracticeStartsAtTheWorstSectorAndArrowsStepThroughTheOthers)
{
    AnalysisView v = analysisView(a, "best run");
    EXPECT_EQ(practiceSectors(v), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(v.practiceSector, 2);
    EXPECT_EQ(practiceCaption(v, 2), "practice from 1.2");
    EXPECT_EQ(practiceCaption(v, 0), "");

    struct Step {
        int32_t from;
        int32_t step;
        int32_t to;
    };
    for (const Step& s : {Step{2, -1, 1}, Step{1, -1, 1}, Step{1, 1, 2}, Step{2, 1, 2}, Step{7, 1, 1}}) {
        SCOPED_TRACE(s.from);
        EXPECT_EQ(nextPracticeSector(v, s.from, s.step), s.to);
    }

    // Without a lost sector the first practicable one is offered.
    a.worstSector = 0;
    EXPECT_EQ(analysisView(a, "best run").practiceSector, 1);
    // Only the run-up in common: nothing to practise.
    a.sectors[1] = SectorRow();
    a.sectors[2] = SectorRow();
    v = analysisView(a, "best run");
    EXPECT_EQ(v.practiceSector, 0);
    EXPECT_EQ(nextPracticeSector(v, 0, 1), 0);
}

TEST_F(AnalysisFixture, PracticeBeginsAtTheJointThatClosesTheSectorBefore)
{
    struct Case {
        int32_t sector;
        int32_t lap;
        int32_t segment;
    };
    // Sector 1.1 begins where the run-up ends: the first crossing of the
    // start joint; 2.1 begins at the start joint's second crossing.
    for (const Case& c : {Case{1, 1, 3}, Case{2, 1, 5}, Case{12, 1, 1}, Case{13, 2, 3}, Case{14, 2, 5}}) {
        SCOPED_TRACE(c.sector);
        const JointKey key = practiceJoint(a.layout, c.sector);
        EXPECT_EQ(key.lap, c.lap);
        EXPECT_EQ(key.segment, c.segment);
    }
}

TEST_F(AnalysisFixture, PracticeSectionsLineStartsAtThePractisedSector)
{
    EXPECT_EQ(practiceSectionsLine(a, 1), "practice 1.1 -0.10  1.2 +0.30");
    EXPECT_EQ(practiceSectionsLine(a, 2), "practice 1.2 +0.30");
    EXPECT_EQ(practiceSectionsLine(a, 3), "");
}
