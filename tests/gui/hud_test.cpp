#include <gtest/gtest.h>
#include <guichan.hpp>

#include <tuple>

#include "gui/hud.h"
#include "gui_env.h"
#include "shell/game.h"
#include "shell/views.h"
#include "sim/watch.h"

class HudCaptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetGameState();
        buildHud(hud);
    }
    void TearDown() override
    {
        delete hud.container;
        resetGameState();
    }
    // A watch on a road of four segments, the watched ship alone on it.
    void watchFourSegments(Watch& watch)
    {
        game.track.segments.resize(4);
        watch.track = &game.track;
        watch.session.track = &game.track;
        watch.session.player = &watch.ship;
    }
    // Labels belong to the container; delete them with it.
    Hud hud;
};

TEST_F(HudCaptions, BuildsFiveLabelsLaidOutForTheScreen)
{
    game.screenWidth = 1024;
    game.screenHeight = 768;
    Hud wide;
    buildHud(wide);
    EXPECT_FALSE(wide.container->isOpaque());
    EXPECT_EQ(wide.container->getWidth(), 1024);
    EXPECT_EQ(wide.container->getHeight(), 768);
    EXPECT_EQ(placeOf(wide.speedLabel), (Place{824, 718}));
    EXPECT_EQ(wide.timeLabel->getX(), 874);
    EXPECT_EQ(placeOf(wide.countdownLabel), (Place{502, 394}));
    EXPECT_EQ(wide.lapLabel->getY(), 0);
    EXPECT_EQ(wide.fpsLabel->getY(), 20);
    for (auto [label, caption] : {std::pair<gcn::Label*, const char*>{wide.speedLabel, "100 mph"},
                                  {wide.lapLabel, "lap 2 seg 0"}, {wide.timeLabel, "1:59.99"},
                                  {wide.fpsLabel, "60 fps"}, {wide.countdownLabel, "3"}})
        EXPECT_EQ(label->getCaption(), caption);
    EXPECT_FALSE(wide.playbackLabel->isVisible()) << "a race shows no playback line";
    EXPECT_EQ(wide.playbackLabel->getY(), 40);
    for (gcn::Label* l : {wide.speedLabel, wide.lapLabel, wide.timeLabel, wide.fpsLabel,
                          wide.countdownLabel, wide.playbackLabel}) {
        EXPECT_EQ(l->getWidth(), 500);
        EXPECT_EQ(l->getHeight(), 45);
        EXPECT_EQ(l->getParent(), wide.container);
    }
    delete wide.container;
}

TEST_F(HudCaptions, TimeCountsRecordsAtOneHundredPerSecond)
{
    // Exact hundredths of the record count, as every other time on screen.
    const std::pair<size_t, const char*> cases[] = {{57, "0:00.57"}, {8599, "1:25.99"}, {6123, "1:01.23"}, {123, "0:01.23"}};
    for (auto [records, caption] : cases) {
        game.run.controls.resize(records);
        updateHud(hud, raceHudView(game));
        EXPECT_EQ(hud.timeLabel->getCaption(), caption) << records;
    }
}

TEST_F(HudCaptions, FrameRateAveragesTheRing)
{
    updateHud(hud, raceHudView(game));
    EXPECT_EQ(hud.fpsLabel->getCaption(), " 33 fps");
    for (double& ms : game.frameTimesMs)
        ms = 5.0;
    updateHud(hud, raceHudView(game));
    EXPECT_EQ(hud.fpsLabel->getCaption(), " 200 fps");
}

TEST_F(HudCaptions, SpeedInMilesPerHourPaddedToThree)
{
    const std::pair<Vec3, const char*> cases[] = {
        {Vec3{0.0, 0.0, 0.0}, "  0 mph"}, {Vec3{30.0, 40.0, 0.0}, " 111 mph"}, {Vec3{0.0, 0.0, 500.0}, " 1118 mph"}};
    for (auto [velocity, caption] : cases) {
        game.player.state.velocity = velocity;
        updateHud(hud, raceHudView(game));
        EXPECT_EQ(hud.speedLabel->getCaption(), caption);
    }
}

TEST_F(HudCaptions, LapAndSegmentOnlyForASegmentOfTheTrack)
{
    updateHud(hud, raceHudView(game));
    EXPECT_EQ(hud.lapLabel->getCaption(), "lap 2 seg 0") << "no segments: caption kept";
    game.track.segments.resize(13);
    game.track.segments[7].lap = 1;
    // Off the track's segments the last caption stays.
    const std::pair<int, const char*> cases[] = {
        {7, "lap  1 seg  7"}, {12, "lap  0 seg  12"}, {-1, "lap  0 seg  12"}, {13, "lap  0 seg  12"}};
    for (auto [segment, caption] : cases) {
        game.player.state.segment = segment;
        updateHud(hud, raceHudView(game));
        EXPECT_EQ(hud.lapLabel->getCaption(), caption) << segment;
    }
}

TEST_F(HudCaptions, CountdownShowsWholeSecondsLeftThenNothing)
{
    const std::pair<int, const char*> cases[] = {{3000, "4"}, {2999, "3"}, {2000, "3"},
                                                 {1999, "2"}, {999, "1"},  {1, "1"},
                                                 {0, ""},     {-10, ""}};
    for (auto [ms, caption] : cases) {
        game.countdownMs = ms;
        updateHud(hud, raceHudView(game));
        EXPECT_EQ(hud.countdownLabel->getCaption(), caption) << ms << " ms";
    }
}

TEST_F(HudCaptions, WatchedRunShowsItsOwnTimeSpeedLapCountdownAndPlayback)
{
    game.run.controls.resize(9000);
    game.player.state.velocity = Vec3{100.0, 0.0, 0.0};
    Watch watch;
    watchFourSegments(watch);
    watch.session.ticks = 150;
    updateHud(hud, watchHudView(game, watch));
    EXPECT_EQ(hud.countdownLabel->getCaption(), "2") << "1500 ms of the countdown left";
    EXPECT_EQ(hud.timeLabel->getCaption(), "0:00.00");
    EXPECT_EQ(hud.speedLabel->getCaption(), "  0 mph") << "the watched ship, not the player's";
    EXPECT_EQ(hud.playbackLabel->getCaption(), "replay x1 chase");

    watch.session.ticks = countdownTicks + 6123;
    watch.session.raceTicks = 6123;
    watch.ship.velocity = Vec3{30.0, 40.0, 0.0};
    watch.ship.segment = 3;
    game.track.segments[3].lap = 2;
    watch.speedIndex = 0;
    watch.paused = true;
    watch.camera = WatchCamera::trackside;
    updateHud(hud, watchHudView(game, watch));
    EXPECT_EQ(hud.timeLabel->getCaption(), "1:01.23") << "the race's own time format";
    EXPECT_EQ(hud.speedLabel->getCaption(), " 111 mph");
    EXPECT_EQ(hud.lapLabel->getCaption(), "lap  2 seg  3");
    EXPECT_EQ(hud.countdownLabel->getCaption(), "");
    EXPECT_EQ(hud.playbackLabel->getCaption(), "replay x1/4 trackside paused");
}

TEST_F(HudCaptions, WatchedRunShowsNoComparisonOfTheLastRace)
{
    // What a finished race leaves in the live splits.
    game.splits.haveDelta = true;
    game.splits.delta = 110;
    game.splits.haveLap = true;
    game.splits.lap = 2;
    game.splits.lapTime = 2490;
    game.splits.lapEndTick = 5000;
    game.race.raceTicks = 5010;
    updateHud(hud, raceHudView(game));
    ASSERT_EQ(hud.deltaLabel->getCaption(), "+1.10");
    ASSERT_NE(hud.lapTimeLabel->getCaption(), "");

    Watch watch;
    watchFourSegments(watch);
    watch.session.ticks = countdownTicks + 5005;
    watch.session.raceTicks = 5005;
    updateHud(hud, watchHudView(game, watch));
    EXPECT_EQ(hud.deltaLabel->getCaption(), "");
    EXPECT_EQ(hud.lapTimeLabel->getCaption(), "");
    EXPECT_EQ(hud.timeLabel->getCaption(), "0:50.05");
}

TEST_F(HudCaptions, DifferenceToTheRivalUnderTheTimeGreenAheadRedBehind)
{
    ASSERT_TRUE(ensureGame()) << "needs an X display (run under xvfb-run)";
    resetGameState();
    Hud race;
    buildHud(race);
    ASSERT_NE(game.fontAhead, nullptr);
    ASSERT_NE(game.fontBehind, nullptr);
    EXPECT_EQ(race.deltaLabel->getX(), race.timeLabel->getX());
    EXPECT_GT(race.deltaLabel->getY(), race.timeLabel->getY());

    updateHud(race, raceHudView(game));
    EXPECT_EQ(race.deltaLabel->getCaption(), "") << "nothing before the first joint";
    EXPECT_EQ(race.lapTimeLabel->getCaption(), "");

    game.splits.haveDelta = true;
    for (auto [delta, caption, font] : {std::tuple<int64_t, const char*, gcn::Font*>{-42, "-0.42", game.fontAhead},
                                        {110, "+1.10", game.fontBehind}}) {
        game.splits.delta = delta;
        updateHud(race, raceHudView(game));
        EXPECT_EQ(race.deltaLabel->getCaption(), caption);
        EXPECT_EQ(race.deltaLabel->getFont(), font);
    }

    // A completed lap shows for three seconds of race time.
    game.splits.haveLap = true;
    game.splits.lap = 1;
    game.splits.lapTime = 2510;
    game.splits.haveLapDelta = true;
    game.splits.lapDelta = -7;
    game.splits.lapEndTick = 3000;
    game.race.raceTicks = 3299;
    updateHud(race, raceHudView(game));
    EXPECT_EQ(race.lapTimeLabel->getCaption(), "lap 1  0:25.10  -0.07");
    game.race.raceTicks = 3300;
    updateHud(race, raceHudView(game));
    EXPECT_EQ(race.lapTimeLabel->getCaption(), "");
    delete race.container;
}
