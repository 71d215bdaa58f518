// Plan files as text: what reads back unchanged, what is refused and on which
// line, and that the built-in designs written as plans make the very roads
// the content tool writes for them.
#include <gtest/gtest.h>

#include "design/scenery.h"
#include "design/track_catalogue.h"
#include "design/track_package.h"
#include "design/track_plan.h"

namespace {

// A plan's head with four corners of a rectangle 900 m by 600 m after it,
// the head on lines 1 to 5 and the corners on lines 6 to 9.
const char* const head = "plan 1\nname ridge\ntheme alpine\nroad basalt\nwidth 16\n";
const char* const rectangle = "corner 0 0 120 0 0\ncorner 900 0 90 5 10\ncorner 900 600 80 20 10 14\n"
                              "corner 0 600 100 10 0\n";

std::string planText(const std::string& corners = rectangle) { return head + corners; }

TrackPlan planOf(const TrackDesign& d)
{
    TrackPlan p;
    p.name = d.name;
    p.theme = d.theme;
    p.road = d.road;
    p.width = d.width;
    for (Corner c : d.corners) {
        c.x *= d.scale;
        c.y *= d.scale;
        p.corners.push_back(c);
    }
    return p;
}

void expectSamePlan(const TrackPlan& a, const TrackPlan& b)
{
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.theme, b.theme);
    EXPECT_EQ(a.road, b.road);
    EXPECT_EQ(a.width, b.width);
    ASSERT_EQ(a.corners.size(), b.corners.size());
    for (size_t i = 0; i < a.corners.size(); ++i) {
        const Corner &p = a.corners[i], &q = b.corners[i];
        EXPECT_TRUE(p.x == q.x && p.y == q.y && p.radius == q.radius && p.z == q.z && p.bank == q.bank &&
                    p.width == q.width)
            << "corner " << i;
    }
}

} // namespace

TEST(TrackPlan, ReadsTheCornersAndTheirLines)
{
    TrackPlan plan;
    PlanFault fault;
    ASSERT_TRUE(readPlan("# my first track\n\n" + planText(), plan, fault)) << describeFault(fault);
    EXPECT_EQ(plan.name, "ridge");
    EXPECT_EQ(plan.theme, "alpine");
    EXPECT_EQ(plan.road, "basalt");
    EXPECT_EQ(plan.width, 16.0);
    ASSERT_EQ(plan.corners.size(), 4u);
    EXPECT_EQ(plan.cornerLines, (std::vector<int>{8, 9, 10, 11}));
    EXPECT_EQ(plan.corners[1].x, 900.0);
    EXPECT_EQ(plan.corners[1].radius, 90.0);
    EXPECT_EQ(plan.corners[1].z, 5.0);
    EXPECT_EQ(plan.corners[1].bank, 10.0);
    // No WIDTH: the plan's width; a WIDTH: the corner's own.
    EXPECT_EQ(plan.corners[1].width, 0.0);
    EXPECT_EQ(plan.corners[2].width, 14.0);
}

TEST(TrackPlan, RoundTripsThroughItsTextExactly)
{
    std::vector<TrackPlan> plans;
    TrackPlan odd;
    odd.name = "A_b-9";
    odd.theme = "volcanic";
    odd.road = "dusty";
    odd.width = 6.125;
    odd.corners = {{0.1, -2500, 2000, -300, -30, 40}, {1234.5678901234567, 0.3, 15, 300, 30, 6},
                   {-0.0001, 999.999, 17.25, 1e-9, 0.5, 0}};
    plans.push_back(odd);
    for (const TrackDesign& d : trackDesigns())
        plans.push_back(planOf(d));
    for (const TrackPlan& plan : plans) {
        SCOPED_TRACE(plan.name);
        std::string text = formatPlan(plan);
        TrackPlan back;
        PlanFault fault;
        ASSERT_TRUE(readPlan(text, back, fault)) << describeFault(fault) << "\n" << text;
        expectSamePlan(plan, back);
        EXPECT_EQ(formatPlan(back), text);
    }
}

TEST(TrackPlan, BuiltInDesignsAsPlansMakeTheRoadsTheToolWrites)
{
    for (const BuiltTrack& built : builtTracks()) {
        SCOPED_TRACE(built.design.name);
        TrackPlan plan;
        PlanFault fault;
        ASSERT_TRUE(readPlan(formatPlan(planOf(built.design)), plan, fault)) << describeFault(fault);
        BuiltTrack fromPlan;
        fault = checkPlan(plan, &fromPlan);
        ASSERT_FALSE(planFaulty(fault)) << describeFault(fault);
        EXPECT_EQ(controlPointBytes(fromPlan), controlPointBytes(built));
        EXPECT_EQ(textureWordsText(fromPlan), textureWordsText(built));
    }
}

struct Refusal {
    const char* what;
    std::string text;
    int line;
    // -1 when the fault concerns no one corner.
    int corner;
    const char* words;
};

TEST(TrackPlan, RefusesWhatCannotMakeARoadNamingItsLine)
{
    const std::string twoCorners = "corner 0 0 120 0 0\ncorner 900 0 90 5 10\n";
    const Refusal cases[] = {
        {"two corners", planText(twoCorners), 7, -1, "at least 3"},
        {"no corners", std::string(head) + "# none yet\n", 6, -1, "at least 3"},
        {"not a number", planText("corner 0 0 12abc 0 0\n" + twoCorners), 6, 0, "not a number"},
        {"nan", planText(twoCorners + "corner 0 nan 100 0 0\n"), 8, 2, "not a finite number"},
        {"infinity", planText(twoCorners + "corner inf 0 100 0 0\n"), 8, 2, "not a finite number"},
        {"huge", planText(twoCorners + "corner 1e400 0 100 0 0\n"), 8, 2, "not a number"},
        {"x too far", planText(twoCorners + "corner 3000 600 100 0 0\n"), 8, 2, "X 3000 is out of range"},
        {"radius too small", planText(twoCorners + "corner 0 600 5 0 0\n"), 8, 2, "RADIUS 5 is out of range"},
        {"height", planText(twoCorners + "corner 0 600 100 -400 0\n"), 8, 2, "HEIGHT -400 is out of range"},
        {"bank", planText(twoCorners + "corner 0 600 100 0 45\n"), 8, 2, "BANK 45 is out of range"},
        {"corner width", planText(twoCorners + "corner 0 600 100 0 0 3\n"), 8, 2, "WIDTH 3 is out of range"},
        {"corner width 0", planText(twoCorners + "corner 0 600 100 0 0 0\n"), 8, 2, "WIDTH 0 is out of range"},
        {"too few numbers", planText(twoCorners + "corner 0 600 100\n"), 8, -1, "X Y RADIUS HEIGHT BANK"},
        {"radius under the width", planText(twoCorners + "corner 0 600 18 0 0 20\n"), 8, 2, "smaller than the road"},
        {"width", "plan 1\nname a\ntheme alpine\nroad basalt\nwidth 100\n" + std::string(rectangle), 5, -1,
         "width 100 is out of range"},
        {"unknown theme", "plan 1\nname a\ntheme moon\nroad basalt\n" + std::string(rectangle), 3, -1,
         "unknown theme 'moon'"},
        {"unknown road", "plan 1\nname a\ntheme alpine\nroad ice\n" + std::string(rectangle), 4, -1,
         "unknown road 'ice'"},
        {"no road", "plan 1\nname a\ntheme alpine\n" + std::string(rectangle), 7, -1, "no 'road' line"},
        {"unknown word", planText("corners 0 0 1 1 1\n"), 6, -1, "unknown word 'corners'"},
        {"no version", "name a\n" + std::string(rectangle), 1, -1, "begins with 'plan 1'"},
        {"later version", "plan 2\n" + std::string(rectangle), 1, -1, "unknown plan version"},
        {"bad name", "plan 1\nname ridge!\n", 2, -1, "1 to 32 of"},
        {"long name", "plan 1\nname " + std::string(33, 'a') + "\n", 2, -1, "1 to 32 of"},
        {"second name", "plan 1\nname a\nname b\n", 3, -1, "second 'name' line (the first is line 2)"},
        {"corner on corner", planText("corner 0 0 100 0 0\ncorner 0 0.5 100 0 0\ncorner 900 0 90 0 0\n"), 7, 1,
         "lies on the corner before it"},
        {"radius too wide", planText("corner 0 0 100 0 0\ncorner 300 0 900 0 0\ncorner 300 300 100 0 0\n"
                                     "corner 0 300 100 0 0\n"),
         7, 1, "RADIUS does not fit"},
        {"figure of eight", planText("corner 0 0 50 0 0\ncorner 600 600 50 0 0\ncorner 600 0 50 0 0\n"
                                     "corner 0 600 50 0 0\n"),
         6, 0, "crosses itself"},
        // A hairpin dug down from the top straight almost onto the bottom one.
        {"runs into itself", planText("corner 0 0 60 0 0\ncorner 1000 0 60 0 0\ncorner 1000 600 60 0 0\n"
                                      "corner 540 600 20 0 0\ncorner 540 15 20 0 0\ncorner 460 15 20 0 0\n"
                                      "corner 460 600 20 0 0\ncorner 0 600 60 0 0\n"),
         10, 4, "runs into itself"},
    };
    for (const Refusal& r : cases) {
        SCOPED_TRACE(r.what);
        TrackPlan plan;
        PlanFault fault;
        bool read = readPlan(r.text, plan, fault);
        if (read)
            fault = checkPlan(plan);
        ASSERT_TRUE(planFaulty(fault)) << r.text;
        EXPECT_EQ(fault.line, r.line) << fault.message;
        EXPECT_EQ(fault.corner, r.corner) << fault.message;
        EXPECT_NE(fault.message.find(r.words), std::string::npos) << fault.message;
        EXPECT_EQ(describeFault(fault).find('\n'), std::string::npos);
    }
}

TEST(TrackPlan, HostileWordsStayOnOneShortLine)
{
    const std::string hostile[] = {
        "plan 1\nname a\ntheme \x1b[2J\x07" + std::string(5000, 'x') + "\n",
        "plan 1\n" + std::string(2000, '\x01') + "\n",
        std::string(maxPlanBytes + 1, ' '),
        std::string("plan 1\nname a\0b\n", 16),
    };
    for (const std::string& text : hostile) {
        TrackPlan plan;
        PlanFault fault;
        EXPECT_FALSE(readPlan(text, plan, fault));
        std::string line = describeFault(fault);
        EXPECT_LT(line.size(), 200u) << line;
        for (char c : line)
            EXPECT_TRUE(c >= 0x20 && c < 0x7f) << line;
    }
}

TEST(TrackPlan, NamesThemesAndRoadsArePlainWords)
{
    for (const char* good : {"a", "ridge", "Ridge_2-b", "00"})
        EXPECT_TRUE(isPlanName(good)) << good;
    for (const char* bad : {"", "a b", "a/b", "..", ".a", "a.b", "ä"})
        EXPECT_FALSE(isPlanName(bad)) << bad;
    EXPECT_TRUE(isPlanName(std::string(32, 'z')));
    EXPECT_FALSE(isPlanName(std::string(33, 'z')));
    // Every built-in track names a theme and a road a plan may name.
    for (const TrackDesign& d : trackDesigns()) {
        EXPECT_NE(std::find(sceneryThemes().begin(), sceneryThemes().end(), d.theme), sceneryThemes().end());
        EXPECT_NE(std::find(roadSurfaces().begin(), roadSurfaces().end(), d.road), roadSurfaces().end());
    }
}

TEST(TrackPlan, LandSeedsKeepTheBuiltInNumbersAndHashOtherNames)
{
    EXPECT_EQ(scenerySeed("00"), 1000u);
    EXPECT_EQ(scenerySeed("42"), 1000u + 42u * 7919u);
    // Letters once ended the tool with an exception; now they are hashed, each name its own.
    EXPECT_NE(scenerySeed("ridge"), scenerySeed("ridgf"));
    EXPECT_NE(scenerySeed("12a"), scenerySeed("12"));
}
