#pragma once
// The analysis screen's graph of the time gap over a lap's distance: one
// line a lap, drawn with GL lines over a dark pane with the zero line
// across it. The figures come from the analysis view; the lines' places are
// worked out by a plain function so they can be checked without a window.

#include <cstdint>
#include <vector>

#include "shell/analysis_view.h"

// Where the graph goes, in window pixels from the top left, and what it shows.
struct GapGraphView {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<GapLine> lines;
    // The gap drawn at the pane's top (behind) and bottom (ahead) edge.
    int64_t scale = 1;
};

// One lap's line in GL window coordinates (origin at the bottom left).
struct GraphStrip {
    int32_t lap = 0;
    std::vector<double> x;
    std::vector<double> y;
};

// The lines of view for a window windowHeight pixels high: the start joint
// at the pane's left edge, the lap's end at its right, no gap in the middle
// and a run behind above it; gaps past the scale stay on the pane.
std::vector<GraphStrip> gapGraphStrips(const GapGraphView& view, int32_t windowHeight);

// Draws the pane, the zero line and the strips.
void drawGapGraph(const GapGraphView& view, int32_t windowWidth, int32_t windowHeight);
