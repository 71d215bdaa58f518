#include <gtest/gtest.h>

#include "gui_env.h"
#include "save/runs.h"
#include "save/save_file.h"
#include "shell/screens.h"

namespace {

ScoreEntry score(int32_t ticks, int32_t date, const std::string& name)
{
    ScoreEntry e;
    e.playerName = name;
    e.shipName = "ship";
    e.ticks = ticks;
    e.date = date;
    return e;
}

std::vector<std::string> scoreLines()
{
    std::vector<std::string> lines;
    for (gcn::Label* l : game.menuPlay->scoreLabels)
        lines.push_back(l->getCaption());
    return lines;
}

void openPlayMenu(const std::string& track)
{
    game.save.trackName = track;
    showScreen(Screen::playMenu);
    game.menuPlay->refresh();
}

}  // namespace

class PlayMenu : public GuiTest {};

TEST_F(PlayMenu, TrackWithoutRecordsShowsEmptyLines)
{
    openPlayMenu("20");
    EXPECT_TRUE(game.menuPlay->container->isVisible());
    EXPECT_EQ(game.menuPlay->playButton->getCaption(), "play 20");
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last -:--.--");
    EXPECT_EQ(scoreLines(), std::vector<std::string>(5, "-:--.--"));
    EXPECT_EQ(focusedWidget(), game.menuPlay->playButton);
    EXPECT_EQ(game.save.records.count("20"), 1u) << "the lookup inserts an empty record";
}

TEST_F(PlayMenu, ShowsTheFiveBestSortedWithNames)
{
    std::vector<ScoreEntry>& scores = game.save.records["00"].scores;
    scores = {score(1400, 5, "eve"), score(1000, 1, "ann"), score(1300, 4, ""),
              score(1200, 3, "cid"), score(9000, 7, "slow"), score(1100, 2, "bob"),
              score(1000, 9, "new")};
    openPlayMenu("00");
    EXPECT_EQ(scoreLines(), (std::vector<std::string>{"0:10.00 new", "0:10.00 ann",
                                                      "0:11.00 bob", "0:12.00 cid",
                                                      "0:13.00 "}));
    EXPECT_EQ(game.save.records["00"].scores.front().playerName, "new")
        << "the stored list is sorted too";
}

TEST_F(PlayMenu, LastLineUsesTheTickLength)
{
    game.run.ticks = 57;
    openPlayMenu("00");
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:00.57");
    game.run.ticks = 6123;
    game.menuPlay->refresh();
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 1:01.23");
}

TEST_F(PlayMenu, MedalTimesComeFromTheTracksAreaOnEveryRefresh)
{
    writeText(dataDir + "/tracks/32/times.txt", "61.5 75 90.25\n");
    openPlayMenu("32");
    EXPECT_EQ(game.menuPlay->medalTimeLabels[0]->getCaption(), "1:01.50 ");
    EXPECT_EQ(game.menuPlay->medalTimeLabels[1]->getCaption(), "1:15.00 ");
    EXPECT_EQ(game.menuPlay->medalTimeLabels[2]->getCaption(), "1:30.25 ");
    writeText(dataDir + "/tracks/32/times.txt", "10 20 30\n");
    game.menuPlay->refresh();
    EXPECT_EQ(game.menuPlay->medalTimeLabels[0]->getCaption(), "0:10.00 ");
    EXPECT_EQ(game.area.name, "32");
    EXPECT_EQ(game.track.name, "32");
}

TEST_F(PlayMenu, EqualScoresKeepTheirRecordedOrderThroughARefresh)
{
    for (int i = 0; i < 17; ++i) {
        game.save.playerName = "n" + std::to_string(i);
        game.save.trackName = "00";
        ::Run run;
        run.ticks = 4321;
        recordRun(game.save, run, 60.0, 70.0, 80.0, 0.01, 5);
    }
    openPlayMenu("00");
    const std::vector<ScoreEntry>& scores = game.save.records["00"].scores;
    ASSERT_EQ(scores.size(), 17u);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(scores[size_t(i)].playerName, "n" + std::to_string(i));
    EXPECT_EQ(game.menuPlay->scoreLabels[4]->getCaption(), "0:43.21 n4");
}

TEST_F(PlayMenu, RefreshHandsTheGhostRunToTheCurrentRun)
{
    TrackRecord& record = game.save.records["00"];
    record.ghostRun = {ControlInput{0.5f, 0.0f, 1.0f}, ControlInput{-0.25f, 0.0f, 1.0f}};
    record.ghostStart.fill(7);
    game.run.controls.resize(40);
    openPlayMenu("00");
    ASSERT_EQ(game.run.controls.size(), 2u);
    EXPECT_EQ(game.run.controls[1].steer, -0.25f);
    EXPECT_EQ(game.run.startState[199], 7);
}

TEST_F(PlayMenu, UpAndDownAlternateLeftAndRightDoNothing)
{
    openPlayMenu("00");
    ButtonTalker* back = game.menuPlay->buttons[1];
    pressKey(SDLK_DOWN);
    EXPECT_EQ(focusedWidget(), back);
    pressKey(SDLK_DOWN);
    EXPECT_EQ(focusedWidget(), game.menuPlay->playButton);
    pressKey(SDLK_UP);
    EXPECT_EQ(focusedWidget(), back);
    pressKey(SDLK_LEFT);
    pressKey(SDLK_RIGHT);
    EXPECT_EQ(focusedWidget(), back);
    pressKey(SDLK_UP);
    EXPECT_EQ(focusedWidget(), game.menuPlay->playButton);
}

TEST_F(PlayMenu, PlayStartsTheRaceWithTheHudOverTheWindow)
{
    openPlayMenu("00");
    game.run.controls.resize(10);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_TRUE(game.inRace);
    EXPECT_EQ(game.countdownMs, 3000);
    EXPECT_TRUE(game.run.controls.empty());
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_FALSE(game.borderIcon->isVisible());
    EXPECT_TRUE(game.hud->container->isVisible());
    EXPECT_EQ(game.top->getX(), 0);
    EXPECT_EQ(game.top->getY(), 0);
    EXPECT_EQ(SDL_ShowCursor(-1), 0);
}

TEST_F(PlayMenu, BackReturnsToTheRefreshedTrackMenu)
{
    game.save.records["00"].medal = 2;
    openPlayMenu("00");
    pressKey(SDLK_DOWN);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_TRUE(game.menuTrack->container->isVisible());
    EXPECT_EQ(static_cast<ButtonTrack*>(game.menuTrack->rows[0][1])->medal, TrackState::open);
    EXPECT_EQ(focusedWidget(), game.menuTrack->rows[0][0]);
}
