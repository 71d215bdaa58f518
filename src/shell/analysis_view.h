#pragma once
// What the analysis screen shows after a finish: the run against its
// reference sector by sector, the totals, the theoretical best, the sector
// where the run lost most and the gap graph, all as captions and plain
// numbers made from a RunAnalysis. Nothing here needs a window.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/run_compare.h"

// One sector's line.
struct AnalysisRow {
    int32_t sector = 0;
    // 0 for the run-up, else 1 or 2.
    int32_t lap = 0;
    // "start", "1.1" ... "2.12".
    std::string label;
    std::string timeText;
    std::string referenceText;
    // As the HUD writes deltas: "+0.42" behind, "-0.10" ahead.
    std::string deltaText;
    bool behind = false;
    // The sector where the run lost most.
    bool worst = false;
};

// One lap's line of the gap graph: x from 0 (the start joint) to 1 (the
// lap's length), y the gap in ticks (above zero the run is behind).
struct GapLine {
    int32_t lap = 0;
    std::vector<double> x;
    std::vector<int64_t> gap;
};

struct AnalysisView {
    std::string referenceName;
    // "against NAME".
    std::string title;
    // "this run 1:25.99" and "NAME 1:24.10".
    std::string timeLine;
    std::string referenceLine;
    std::string differenceText;
    bool behind = false;
    // "theoretical best 1:23.50", or with no time while some sector has none.
    std::string theoreticalLine;
    // "most lost in 1.3  +0.42", or that the run lost in no sector.
    std::string worstLine;
    // Sectors both runs have a common crossing in, in course order.
    std::vector<AnalysisRow> rows;
    std::vector<GapLine> graph;
    // The largest gap either way, for the graph's scale; at least 1.
    int64_t gapScale = 1;
    // The sector practice starts at (the worst, else the first that can be
    // practised); 0 when none can.
    int32_t practiceSector = 0;
};

// The view of analysis against the run called referenceName.
AnalysisView analysisView(const RunAnalysis& analysis, const std::string& referenceName);

// Sectors practice can start at: those of the rows that open at a joint
// (the run-up opens at the start, which is a plain race), in course order.
std::vector<int32_t> practiceSectors(const AnalysisView& view);

// The practice sector after (step +1) or before (-1) current among the
// practicable ones, staying at the ends; the first when current is not one.
int32_t nextPracticeSector(const AnalysisView& view, int32_t current, int32_t step);

// The joint practice of sector starts at: the crossing that closes the
// sector before it.
JointKey practiceJoint(const SectorLayout& layout, int32_t sector);

// "practice from 1.3" for the chosen sector, or "" when there is none.
std::string practiceCaption(const AnalysisView& view, int32_t sector);

// A practice run's section times against its reference, for the play menu:
// "practice 1.3 +0.12  1.4 -0.05" over the sectors from the one practice
// began in that both runs completed; "" when none.
std::string practiceSectionsLine(const RunAnalysis& analysis, int32_t fromSector);
