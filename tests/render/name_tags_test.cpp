// Where a ghost's name tag stands on the window and how faded it is: the
// placing matches the race scene's own projection and hides the tag wherever
// the ghost is not in view.
#include "render/name_tags.h"

#include <gtest/gtest.h>

#include <GL/glu.h>
#include <cmath>
#include <limits>

#include "gl_window.h"
#include "render/scene.h"

namespace {

// Looking along +y from the origin, z up, unless a case rolls the camera.
CameraPose lookingNorth(Vec3 up = Vec3{0.0, 0.0, 1.0})
{
    return CameraPose{Vec3{0.0, 0.0, 0.0}, Vec3{0.0, 1.0, 0.0}, up};
}

TEST(NameTags, TheTagStandsWhereItsAnchorProjectsAndFadesWithDistance)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // 1 / tan(35 degrees), and over the aspect of 800 by 600.
    const double focal = 1.4281480067421144;
    struct Case {
        const char* what;
        Vec3 anchor;
        float fade;
        Vec3 up;
        bool shown;
        double x, y;
        float alpha;
    };
    const Vec3 zUp{0.0, 0.0, 1.0};
    const Case cases[] = {
        {"straight ahead", {0.0, 10.0, 0.0}, 1.0f, zUp, true, 400.0, 300.0, 1.0f},
        {"above the view's centre", {0.0, 10.0, 2.0}, 1.0f, zUp, true, 400.0, 300.0 * (1.0 - focal * 0.2), 1.0f},
        {"right of it", {3.0, 10.0, 0.0}, 1.0f, zUp, true, 400.0 * (1.0 + focal * 0.75 * 0.3), 300.0, 1.0f},
        {"a rolled camera turns the view", {2.0, 10.0, 0.0}, 1.0f, {1.0, 0.0, 0.0}, true, 400.0,
         300.0 * (1.0 - focal * 0.2), 1.0f},
        {"clear up to 40 m", {0.0, 40.0, 0.0}, 1.0f, zUp, true, 400.0, 300.0, 1.0f},
        {"half way out", {0.0, 100.0, 0.0}, 1.0f, zUp, true, 400.0, 300.0, 0.5f},
        {"with the ghost's own fade", {0.0, 100.0, 0.0}, 0.5f, zUp, true, 400.0, 300.0, 0.25f},
        {"gone at 160 m", {0.0, 160.0, 0.0}, 1.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"a ghost faded out on the player", {0.0, 10.0, 0.0}, 0.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"behind the camera", {0.0, -10.0, 0.0}, 1.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"nearer than the near plane", {0.0, 0.05, 0.0}, 1.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"off the right edge", {20.0, 10.0, 0.0}, 1.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"over the top edge", {0.0, 10.0, 8.0}, 1.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"no place at all", {nan, 10.0, 0.0}, 1.0f, zUp, false, 0.0, 0.0, 0.0f},
        {"no fade at all", {0.0, 10.0, 0.0}, float(nan), zUp, false, 0.0, 0.0, 0.0f},
    };
    for (const Case& c : cases) {
        const TagPlace place = nameTagPlace(lookingNorth(c.up), 800, 600, c.anchor, c.fade);
        ASSERT_EQ(place.shown, c.shown) << c.what;
        if (!c.shown)
            continue;
        EXPECT_NEAR(place.x, c.x, 1e-6) << c.what;
        EXPECT_NEAR(place.y, c.y, 1e-6) << c.what;
        EXPECT_NEAR(place.alpha, c.alpha, 1e-6) << c.what;
    }
    // A camera with no direction or no up shows no tag rather than a wrong one.
    EXPECT_FALSE(nameTagPlace(CameraPose{}, 800, 600, Vec3{0.0, 10.0, 0.0}, 1.0f).shown);
    EXPECT_FALSE(nameTagPlace(lookingNorth(Vec3{0.0, 1.0, 0.0}), 800, 600, Vec3{0.0, 10.0, 0.0}, 1.0f).shown);
    EXPECT_FALSE(nameTagPlace(lookingNorth(), 0, 600, Vec3{0.0, 10.0, 0.0}, 1.0f).shown);
}

TEST(NameTags, TheAnchorRidesAboveTheShipAlongItsOwnUp)
{
    ShipState pose;
    pose.position = Vec3{5.0, -3.0, 2.0};
    // Right, forward and up rows of a ship lying on its left side.
    pose.orientation.m[0] = 0.0, pose.orientation.m[2] = -1.0;
    pose.orientation.m[4] = 1.0;
    pose.orientation.m[6] = 1.0;
    const Vec3 anchor = tagAnchor(pose);
    EXPECT_DOUBLE_EQ(anchor.x, 5.0 + tagHeight);
    EXPECT_DOUBLE_EQ(anchor.y, -3.0);
    EXPECT_DOUBLE_EQ(anchor.z, 2.0);
}

TEST(NameTags, TagsThatWouldCoverEachOtherStackNearestLowest)
{
    struct Case {
        const char* what;
        std::vector<TagBox> boxes;
        std::vector<double> tops;
    };
    const Case cases[] = {
        {"apart", {{0, 100, 40, 19}, {50, 100, 40, 19}}, {100, 100}},
        {"on one spot", {{0, 100, 40, 19}, {0, 100, 40, 19}, {0, 100, 40, 19}}, {100, 81, 62}},
        {"half over", {{0, 100, 40, 19}, {20, 110, 40, 19}}, {100, 81}},
        {"touching edges", {{0, 100, 40, 19}, {40, 100, 40, 19}, {0, 119, 40, 19}}, {100, 100, 119}},
        {"lifted into a third", {{0, 100, 40, 19}, {100, 81, 40, 19}, {30, 100, 80, 19}}, {100, 81, 62}},
        {"clear of a lifted one", {{0, 100, 40, 19}, {100, 81, 40, 19}, {60, 100, 40, 19}}, {100, 81, 100}},
    };
    for (const Case& c : cases) {
        std::vector<TagBox> boxes = c.boxes;
        liftOverlappingTags(boxes);
        ASSERT_EQ(boxes.size(), c.tops.size()) << c.what;
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_DOUBLE_EQ(boxes[i].top, c.tops[i]) << c.what << " " << i;
            EXPECT_DOUBLE_EQ(boxes[i].left, c.boxes[i].left) << c.what << " " << i;
        }
    }
}

// The scene's own matrices, as the race drew with them, put every point where
// the tag's placing puts it.
TEST(NameTags, ThePlacingAgreesWithTheSceneProjection)
{
    if (!openGlWindow())
        GTEST_SKIP() << "no display";
    const int w = glWindowWidth(), h = glWindowHeight();
    RaceView view;
    view.screenWidth = w;
    view.screenHeight = h;
    view.camera = CameraPose{Vec3{12.0, -4.0, 3.0}, Vec3{13.0, -3.5, 2.9}, Vec3{0.1, 0.0, 1.0}};
    drawRaceScene(view);
    GLdouble model[16], projection[16];
    GLint viewport[4] = {0, 0, w, h};
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    int shown = 0;
    for (int i = 0; i < 200; ++i) {
        // Points spread around and mostly in front of the camera.
        const Vec3 p{12.0 + 40.0 * std::sin(i * 0.37), -4.0 + 30.0 * std::cos(i * 0.11) + 20.0,
                     3.0 + 6.0 * std::sin(i * 0.73)};
        const TagPlace place = nameTagPlace(view.camera, w, h, p, 1.0f);
        GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
        ASSERT_EQ(gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz), GL_TRUE);
        const bool inView = wz > 0.0 && wz < 1.0 && wx >= 0.0 && wx <= w && wy >= 0.0 && wy <= h;
        if (length(sub(p, view.camera.eye)) >= tagGoneDistance)
            continue;
        EXPECT_EQ(place.shown, inView) << i;
        if (!place.shown || !inView)
            continue;
        ++shown;
        EXPECT_NEAR(place.x, wx, 1e-3) << i;
        EXPECT_NEAR(place.y, h - wy, 1e-3) << i;
    }
    EXPECT_GT(shown, 20);
}

} // namespace
