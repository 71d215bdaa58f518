// The editor's frame from plan metres to window pixels: every corner lands
// inside the picture's box, north is up, and a click maps back to the point
// drawn under it, whatever the window's size.
#include <gtest/gtest.h>

#include <cmath>

#include "design/plan_edit.h"
#include "design/track_plan.h"
#include "render/plan_view.h"

TEST(PlanView, CornersFitTheBoxAndClicksMapBack)
{
    TrackPlan wide = defaultPlan("wide");
    wide.corners[1].x = 2500;
    wide.corners[2].x = 2500;
    TrackPlan tall = defaultPlan("tall");
    tall.corners[2].y = tall.corners[3].y = -2500;
    const struct {
        const TrackPlan* plan;
        int width, height;
    } cases[] = {{&wide, 800, 600}, {&tall, 800, 600}, {&wide, 1280, 1024}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plan->name + " " + std::to_string(c.width));
        PlanFrame f = planFrame(*c.plan, c.width, c.height);
        for (const Corner& corner : c.plan->corners) {
            double px = 0.0, py = 0.0, x = 0.0, y = 0.0;
            planPixelOf(f, corner.x, corner.y, px, py);
            EXPECT_GE(px, f.left);
            EXPECT_LE(px, f.left + f.width);
            EXPECT_GE(py, f.top);
            EXPECT_LE(py, f.top + f.height);
            planPointAt(f, px, py, x, y);
            EXPECT_NEAR(x, corner.x, 1e-9);
            EXPECT_NEAR(y, corner.y, 1e-9);
        }
        double northX = 0.0, northY = 0.0, southX = 0.0, southY = 0.0;
        planPixelOf(f, 0, 100, northX, northY);
        planPixelOf(f, 0, -100, southX, southY);
        EXPECT_LT(northY, southY) << "north is up";
    }
}

TEST(PlanView, TheRoadsEdgesLieHalfTheWidthEitherSideOfTheCorners)
{
    TrackPlan plan = defaultPlan("edges");
    BuiltTrack built;
    ASSERT_FALSE(planFaulty(checkPlan(plan, &built)));
    PlanRoad road = planRoadEdges(built);
    ASSERT_EQ(road.left.size(), road.right.size());
    ASSERT_GT(road.left.size(), 100u);
    for (size_t i = 0; i + 1 < road.left.size(); i += 2) {
        const double apart = std::hypot(road.left[i] - road.right[i], road.left[i + 1] - road.right[i + 1]);
        EXPECT_NEAR(apart, plan.width, 1e-6);
        // In the plan's own coordinates: inside the rectangle's corners, give or take half the road.
        EXPECT_GE(road.left[i], -plan.width);
        EXPECT_LE(road.left[i], 600 + plan.width);
        EXPECT_GE(road.left[i + 1], -plan.width);
        EXPECT_LE(road.left[i + 1], 400 + plan.width);
    }
}
