#include <gtest/gtest.h>

#include <iterator>

#include "render/gap_graph.h"

namespace {

// A 200 x 100 pane 40 px from the left and 30 px from the top of a 600 px
// window: GL's y runs up from the bottom, so the pane spans y 470 to 570.
GapGraphView pane()
{
    GapGraphView view;
    view.x = 40;
    view.y = 30;
    view.width = 200;
    view.height = 100;
    view.scale = 50;
    return view;
}

}  // namespace

TEST(GapGraph, PointsSpanThePaneWithBehindAboveTheMiddle)
{
    struct Case {
        double x;
        int64_t gap;
        double px;
        double py;
    };
    const Case cases[] = {
        {0.0, 0, 40.0, 520.0},    // start joint, level: left edge, middle
        {1.0, 50, 240.0, 570.0},  // lap end, behind by the scale: top right
        {0.5, -25, 140.0, 495.0}, // ahead by half the scale: below the middle
        {0.25, 500, 90.0, 570.0}, // past the scale: held at the edge
        {1.5, -500, 240.0, 470.0},
    };
    GapGraphView view = pane();
    GapLine line;
    line.lap = 2;
    for (const Case& c : cases) {
        line.x.push_back(c.x);
        line.gap.push_back(c.gap);
    }
    view.lines = {line};
    const std::vector<GraphStrip> strips = gapGraphStrips(view, 600);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].lap, 2);
    ASSERT_EQ(strips[0].x.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(strips[0].x[i], cases[i].px);
        EXPECT_DOUBLE_EQ(strips[0].y[i], cases[i].py);
    }
}

TEST(GapGraph, AnEmptyPaneOrScaleDrawsNothingWrong)
{
    GapGraphView view = pane();
    view.lines = {GapLine{1, {0.0, 1.0}, {3, 7}}, GapLine{2, {0.0}, {7}}};
    EXPECT_EQ(gapGraphStrips(view, 600).size(), 2u) << "one strip a lap";
    view.scale = 0;
    const std::vector<GraphStrip> unscaled = gapGraphStrips(view, 600);
    ASSERT_EQ(unscaled.size(), 2u);
    EXPECT_DOUBLE_EQ(unscaled[0].y[0], 570.0) << "a zero scale counts as one tick";
    view.width = 0;
    EXPECT_TRUE(gapGraphStrips(view, 600).empty());
    // Mismatched lengths draw only the points that have both figures.
    view = pane();
    view.lines = {GapLine{1, {0.0, 0.5, 1.0}, {1}}};
    EXPECT_EQ(gapGraphStrips(view, 600)[0].x.size(), 1u);
}
