// The settings as the race shows them: the lap counter, the camera, the
// ghost's opacity, the delta colours and the clean race info.
#include <gtest/gtest.h>
#include <guichan.hpp>

#include "gui/hud.h"
#include "gui_env.h"
#include "render/camera.h"
#include "shell/game.h"
#include "shell/views.h"

namespace {

class RaceSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetGameState();
        game.track.segments.resize(6);
        game.player.state.segment = 2;
        game.player.state.position = Vec3{10.0, 20.0, 1.0};
        game.player.state.orientation = identity();
    }
    void TearDown() override { resetGameState(); }

    // Gives the race a rival run, so that a ghost is drawn.
    void withGhost()
    {
        rival.assign(10, ControlInput{});
        game.race.ghostRun = &rival;
        game.ghostEnabled = true;
        // Clear of the player, where no fading applies.
        game.ghost.state.position = Vec3{20.0, 0.0, 0.0};
    }
    std::vector<ControlInput> rival;
};

bool same(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

TEST(LapCount, ReadsTheRaceLapsFromTheSegmentCounter)
{
    struct Case {
        int32_t segmentLap;
        const char* text;
    };
    // Before the start line and on the finish line the counter is held in range.
    const Case cases[] = {{-1, "lap 1/2"}, {0, "lap 1/2"}, {1, "lap 1/2"}, {2, "lap 2/2"}, {3, "lap 2/2"}, {9, "lap 2/2"}};
    for (const Case& c : cases)
        EXPECT_EQ(lapCountText(c.segmentLap), c.text) << c.segmentLap;
}

TEST_F(RaceSettings, HudCarriesTheLapCounterOnlyInARace)
{
    game.track.segments[2].lap = 2;
    EXPECT_EQ(raceHudView(game).lapCountText, "lap 2/2");
    game.player.state.segment = -1;
    EXPECT_EQ(raceHudView(game).lapCountText, "lap 1/2") << "off the segments: the first lap";
    EXPECT_EQ(watchHudView(game, game.watch).lapCountText, "");
}

TEST_F(RaceSettings, RaceInfoAndColoursReachTheHudView)
{
    HudView full = raceHudView(game);
    EXPECT_TRUE(full.countersShown);
    EXPECT_FALSE(full.blueOrange);
    EXPECT_FALSE(full.fpsText.empty());

    game.settings.info = RaceInfo::clean;
    game.settings.colours = DeltaColours::blueOrange;
    game.splits.haveDelta = true;
    game.splits.delta = -5;
    HudView clean = raceHudView(game);
    EXPECT_FALSE(clean.countersShown);
    EXPECT_TRUE(clean.blueOrange);
    EXPECT_EQ(clean.deltaText, "-0.05") << "the sign shows whatever the colours";
    game.splits.delta = 5;
    EXPECT_EQ(raceHudView(game).deltaText, "+0.05");
}

TEST_F(RaceSettings, CameraChoiceLooksFromTheChosenPlaceAndShowsTheShipFromAbove)
{
    const ShipState& pose = game.player.state;
    RaceView chase = raceViewAt(game, pose, pose);
    EXPECT_TRUE(same(chase.camera.eye, chaseCamera(pose).eye));
    EXPECT_TRUE(chase.ships.empty()) << "the chase camera never draws the player's ship";

    game.settings.camera = RaceCamera::above;
    RaceView above = raceViewAt(game, pose, pose);
    EXPECT_TRUE(same(above.camera.eye, behindAboveCamera(pose).eye));
    EXPECT_FALSE(same(above.camera.eye, chase.camera.eye));
    EXPECT_TRUE(same(above.camera.centre, behindAboveCamera(pose).centre));
    ASSERT_EQ(above.ships.size(), 1u);
    EXPECT_EQ(above.ships[0].model, &game.player);
    EXPECT_EQ(above.ships[0].opacity, 1.0f);
}

TEST_F(RaceSettings, GhostOpacityFollowsTheSettingWithinRange)
{
    withGhost();
    struct Case {
        int32_t percent;
        float opacity;
    };
    const Case cases[] = {{30, 0.3f}, {100, 1.0f}, {5, 0.05f}, {-20, 0.0f}, {400, 1.0f}};
    for (const Case& c : cases) {
        game.settings.ghostOpacity = c.percent;
        RaceView view = raceView(game);
        ASSERT_EQ(view.ships.size(), 1u);
        EXPECT_EQ(view.ships[0].model, &game.ghost);
        EXPECT_FLOAT_EQ(view.ships[0].opacity, c.opacity) << c.percent;
    }
    game.ghostEnabled = false;
    EXPECT_TRUE(raceView(game).ships.empty());
}

TEST_F(RaceSettings, HudHidesTheCountersAndPicksTheDeltaFontOfTheColours)
{
    ASSERT_TRUE(ensureGame()) << "needs an X display (run under xvfb-run)";
    resetGameState();
    Hud hud;
    buildHud(hud);
    ASSERT_NE(game.fontAheadBlue, nullptr);
    ASSERT_NE(game.fontBehindOrange, nullptr);
    EXPECT_LT(hud.lapCountLabel->getX(), hud.timeLabel->getX());
    EXPECT_EQ(hud.lapCountLabel->getY(), hud.timeLabel->getY());

    struct Case {
        DeltaColours colours;
        int64_t delta;
        gcn::Font* font;
    };
    const Case cases[] = {{DeltaColours::greenRed, -1, game.fontAhead},
                          {DeltaColours::greenRed, 1, game.fontBehind},
                          {DeltaColours::blueOrange, -1, game.fontAheadBlue},
                          {DeltaColours::blueOrange, 1, game.fontBehindOrange}};
    game.splits.haveDelta = true;
    for (const Case& c : cases) {
        game.settings.colours = c.colours;
        game.splits.delta = c.delta;
        updateHud(hud, raceHudView(game));
        EXPECT_EQ(hud.deltaLabel->getFont(), c.font) << c.delta;
    }
    EXPECT_EQ(hud.lapCountLabel->getCaption(), "lap 1/2");
    EXPECT_TRUE(hud.lapLabel->isVisible());
    EXPECT_TRUE(hud.fpsLabel->isVisible());
    game.settings.info = RaceInfo::clean;
    updateHud(hud, raceHudView(game));
    EXPECT_FALSE(hud.lapLabel->isVisible());
    EXPECT_FALSE(hud.fpsLabel->isVisible());
    EXPECT_TRUE(hud.timeLabel->isVisible());
    delete hud.container;
}

}  // namespace
