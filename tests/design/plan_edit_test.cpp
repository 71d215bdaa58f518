// The editor's operations on a plan: what each key does to the chosen
// corner, what it refuses, that undo brings back the plan before it, and
// the faults the editor marks on the corners.
#include <gtest/gtest.h>

#include <functional>

#include "design/plan_edit.h"
#include "design/scenery.h"
#include "design/track_package.h"

namespace {

bool samePlan(const TrackPlan& a, const TrackPlan& b) { return formatPlan(a) == formatPlan(b); }

struct EditCase {
    const char* what;
    int chosen;
    std::function<bool(PlanEditor&)> edit;
    bool done;
    size_t corners;
    int chosenAfter;
    // What the change must have done to the plan; empty when refused.
    std::function<bool(const TrackPlan& before, const TrackPlan& after)> check;
};

} // namespace

TEST(PlanEdit, TheDefaultPlanMakesARoadTheAutopilotFinishes)
{
    TrackPlan plan = defaultPlan("mine");
    PlanFault fault;
    TrackPackage package;
    EXPECT_TRUE(buildTrackPackage(plan, package, fault)) << describeFault(fault);
    EXPECT_TRUE(planFaults(plan).empty());
}

TEST(PlanEdit, FreeNamesAvoidTakenOnesAndStayNames)
{
    EXPECT_EQ(freePlanName("mine", {}), "mine1");
    EXPECT_EQ(freePlanName("mine", {"mine1", "mine2", "other"}), "mine3");
    EXPECT_EQ(freePlanName("bad name", {}), "track1");
    std::string longest(32, 'a');
    std::string next = freePlanName(longest, {longest});
    EXPECT_TRUE(isPlanName(next)) << next;
    EXPECT_NE(next, longest);
}

TEST(PlanEdit, OperationsChangeTheChosenCornerWithinTheRanges)
{
    using P = const TrackPlan&;
    const EditCase cases[] = {
        {"move right", 1, [](PlanEditor& e) { return moveCorner(e, planMoveStep, 0); }, true, 4, 1,
         [](P a, P b) { return b.corners[1].x == a.corners[1].x + planMoveStep && b.corners[1].y == a.corners[1].y; }},
        {"move down", 2, [](PlanEditor& e) { return moveCorner(e, 0, -planMoveStep); }, true, 4, 2,
         [](P a, P b) { return b.corners[2].y == a.corners[2].y - planMoveStep; }},
        {"move out of the area", 0, [](PlanEditor& e) { return placeCorner(e, 1e6, -1e6); }, true, 4, 0,
         [](P, P b) { return b.corners[0].x == planPositionRange.hi && b.corners[0].y == planPositionRange.lo; }},
        {"move to nan", 0, [](PlanEditor& e) { return placeCorner(e, NAN, 0); }, false, 4, 0, nullptr},
        {"insert after the last wraps to the first", 3, insertCorner, true, 5, 4,
         [](P a, P b) {
             return b.corners[4].x == 0.5 * (a.corners[3].x + a.corners[0].x) &&
                    b.corners[4].y == 0.5 * (a.corners[3].y + a.corners[0].y) && samePlan(a, [&] {
                        TrackPlan c = b;
                        c.corners.pop_back();
                        return c;
                    }());
         }},
        {"insert between", 0, insertCorner, true, 5, 1,
         [](P a, P b) { return b.corners[1].x == 300 && b.corners[1].y == 0 && b.corners[2].x == a.corners[1].x; }},
        {"delete", 1, deleteCorner, true, 3, 1,
         [](P a, P b) { return b.corners[1].x == a.corners[2].x && b.corners[1].y == a.corners[2].y; }},
        {"delete the last chooses the new last", 3, deleteCorner, true, 3, 2, [](P, P) { return true; }},
        {"radius up", 0, [](PlanEditor& e) { return stepCornerValue(e, CornerValue::radius, 1); }, true, 4, 0,
         [](P a, P b) { return b.corners[0].radius == a.corners[0].radius + planRadiusStep; }},
        {"height down", 2, [](PlanEditor& e) { return stepCornerValue(e, CornerValue::height, -1); }, true, 4, 2,
         [](P a, P b) { return b.corners[2].z == a.corners[2].z - planHeightStep; }},
        {"bank up", 1, [](PlanEditor& e) { return stepCornerValue(e, CornerValue::bank, 1); }, true, 4, 1,
         [](P, P b) { return b.corners[1].bank == planBankStep; }},
        {"width from the plan's", 1, [](PlanEditor& e) { return stepCornerValue(e, CornerValue::width, -1); },
         true, 4, 1, [](P a, P b) { return b.corners[1].width == a.width - planWidthStep; }},
        {"theme", 0, [](PlanEditor& e) { return stepTheme(e, 1); }, true, 4, 0,
         [](P a, P b) { return b.theme != a.theme && !sceneryThemes().empty(); }},
        {"road back round the list", 0, [](PlanEditor& e) { return stepRoad(e, -1); }, true, 4, 0,
         [](P, P b) { return b.road == roadSurfaces().back(); }},
        {"undo with nothing done", 0, undoEdit, false, 4, 0, nullptr},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        PlanEditor e = editPlan(defaultPlan("mine"));
        chooseCorner(e, c.chosen);
        TrackPlan before = e.plan;
        EXPECT_EQ(c.edit(e), c.done);
        EXPECT_EQ(e.plan.corners.size(), c.corners);
        EXPECT_EQ(e.chosen, c.chosenAfter);
        EXPECT_EQ(e.changed, c.done);
        if (c.check) {
            EXPECT_TRUE(c.check(before, e.plan)) << formatPlan(e.plan);
        } else {
            EXPECT_TRUE(samePlan(before, e.plan));
        }
        if (c.done) {
            EXPECT_TRUE(undoEdit(e));
            EXPECT_TRUE(samePlan(before, e.plan)) << formatPlan(e.plan);
            EXPECT_EQ(e.chosen, c.chosen);
        }
    }
}

TEST(PlanEdit, ValuesStopAtTheirBounds)
{
    const struct {
        CornerValue value;
        int step;
        PlanRange range;
        double Corner::*field;
    } bounds[] = {
        {CornerValue::radius, 1, planRadiusRange, &Corner::radius},
        {CornerValue::radius, -1, planRadiusRange, &Corner::radius},
        {CornerValue::height, 1, planHeightRange, &Corner::z},
        {CornerValue::bank, -1, planBankRange, &Corner::bank},
        {CornerValue::width, 1, planWidthRange, &Corner::width},
        {CornerValue::width, -1, planWidthRange, &Corner::width},
    };
    for (const auto& b : bounds) {
        SCOPED_TRACE(static_cast<int>(b.value) * 10 + b.step);
        PlanEditor e = editPlan(defaultPlan("mine"));
        int presses = 0;
        while (stepCornerValue(e, b.value, b.step))
            ASSERT_LT(++presses, 1000);
        double end = e.plan.corners[0].*b.field;
        EXPECT_EQ(end, b.step > 0 ? b.range.hi : b.range.lo);
        EXPECT_FALSE(stepCornerValue(e, b.value, b.step));
        EXPECT_EQ(e.history.size(), std::min(static_cast<size_t>(presses), maxPlanUndo));
    }
}

TEST(PlanEdit, NeverFewerThanThreeCornersAndUndoReturnsThem)
{
    PlanEditor e = editPlan(defaultPlan("mine"));
    TrackPlan start = e.plan;
    EXPECT_TRUE(deleteCorner(e));
    EXPECT_FALSE(deleteCorner(e));
    EXPECT_EQ(e.plan.corners.size(), 3u);
    EXPECT_TRUE(insertCorner(e));
    EXPECT_TRUE(moveCorner(e, 5, 5));
    while (undoEdit(e)) {
    }
    EXPECT_TRUE(samePlan(start, e.plan));
    EXPECT_TRUE(e.history.empty());
}

TEST(PlanEdit, TheHistoryForgetsTheOldestChanges)
{
    PlanEditor e = editPlan(defaultPlan("mine"));
    for (size_t i = 0; i < maxPlanUndo + 20; ++i)
        ASSERT_TRUE(moveCorner(e, i % 2 ? 1.0 : -2.0, 0));
    EXPECT_EQ(e.history.size(), maxPlanUndo);
    size_t undone = 0;
    while (undoEdit(e))
        ++undone;
    EXPECT_EQ(undone, maxPlanUndo);
    EXPECT_EQ(e.plan.corners[0].x, -10.0);
}

TEST(PlanEdit, ChoosingGoesRoundTheLoopAndClicksFindTheNearestCorner)
{
    PlanEditor e = editPlan(defaultPlan("mine"));
    chooseNextCorner(e, -1);
    EXPECT_EQ(e.chosen, 3);
    chooseNextCorner(e, 2);
    EXPECT_EQ(e.chosen, 1);
    EXPECT_EQ(cornerAt(e.plan, 590, 10, 30), 1);
    EXPECT_EQ(cornerAt(e.plan, 300, 200, 30), -1);
    EXPECT_EQ(cornerAt(e.plan, 290, 190, 1000), 0);
    EXPECT_EQ(cornerAt(e.plan, 300, 200, 1000), 0) << "the first of equally near corners";
}

TEST(PlanEdit, FaultsNameTheCornersTheyConcern)
{
    const struct {
        const char* what;
        std::function<void(TrackPlan&)> spoil;
        // -2: one fault on whichever corner lies nearest the crossing.
        std::vector<int> corners;
    } cases[] = {
        {"sound", [](TrackPlan&) {}, {}},
        {"radius narrower than the road", [](TrackPlan& p) { p.corners[2].radius = 10; }, {2}},
        {"two narrow radii", [](TrackPlan& p) { p.corners[1].radius = p.corners[3].radius = 10; }, {1, 3}},
        {"radius too large for its neighbours", [](TrackPlan& p) { p.corners[2].radius = 900; }, {2}},
        {"corner on the one before", [](TrackPlan& p) { p.corners[3] = p.corners[2]; }, {3}},
        {"road through itself (a bow tie)",
         [](TrackPlan& p) {
             p.corners[2].x = 0;
             p.corners[3].x = 600;
         },
         {-2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TrackPlan plan = defaultPlan("mine");
        c.spoil(plan);
        std::vector<PlanFault> faults = planFaults(plan);
        std::vector<int> marked;
        for (const PlanFault& f : faults) {
            EXPECT_FALSE(f.message.empty());
            marked.push_back(f.corner);
        }
        if (c.corners == std::vector<int>{-2}) {
            ASSERT_EQ(marked.size(), 1u);
            EXPECT_GE(marked[0], 0);
        } else {
            EXPECT_EQ(marked, c.corners);
        }
    }
}
