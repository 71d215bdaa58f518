#include <gtest/gtest.h>

#include <filesystem>

#include "gui_env.h"
#include "save/save_file.h"
#include "shell/screens.h"
#include "shell/main_loop.h"
#include "shell/paths.h"
#include "shell/race_end.h"

namespace {

// A race on "00" as the play menu starts it, with ticks records driven.
void raceWith(int ticks)
{
    game.save.trackName = "00";
    showScreen(Screen::playMenu);
    game.menuPlay->refresh();
    game.menuPlay->action(gcn::ActionEvent(nullptr, "play"));
    for (int i = 0; i < ticks; ++i)
        game.run.controls.push_back(ControlInput{0.0f, 0.0f, 1.0f});
}

// Five stored runs, the best of them the ghost, as five finishes leave them.
void fillFiveScores()
{
    TrackRecord& record = game.save.records["00"];
    record.name = "00";
    record.medal = 1;
    record.ghostRun.assign(1000, ControlInput{0.0f, 0.0f, 1.0f});
    std::vector<ScoreEntry>& scores = record.scores;
    for (int32_t t : {1000, 1100, 1200, 1300, 1400}) {
        ScoreEntry e;
        e.playerName = "old";
        e.shipName = "ship";
        e.ticks = t;
        e.date = 1;
        scores.push_back(e);
    }
}

void expectMenusUpWith(MenuPlay* expectedVisible)
{
    EXPECT_FALSE(game.inRace);
    EXPECT_FALSE(game.hud->container->isVisible());
    EXPECT_TRUE(game.borderIcon->isVisible());
    EXPECT_EQ(game.top->getX(), 0);
    EXPECT_EQ(game.top->getY(), 0);
    EXPECT_EQ(SDL_ShowCursor(-1), 1);
    if (expectedVisible) {
        EXPECT_TRUE(game.menuPlay->container->isVisible());
    }
}

}  // namespace

class RaceEnd : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        std::filesystem::remove(savePath());
    }
};

TEST_F(RaceEnd, FirstFinishAsksForTheNameAndDoneRecordsItOnce)
{
    raceWith(1250);
    finishRun();
    expectMenusUpWith(nullptr);
    EXPECT_EQ(game.run.ticks, 1250);
    EXPECT_TRUE(game.menuSaveScore->container->isVisible());
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_EQ(game.menuSaveScore->timeLabel->getCaption(), "0:12.50");
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "ace");
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->nameBox);
    EXPECT_TRUE(game.save.records["00"].scores.empty()) << "nothing stored before done";

    // Type over the name, Enter moves to "done", Enter there stores it.
    pressKey(SDLK_BACKSPACE, '\b');
    pressKey(SDLK_BACKSPACE, '\b');
    pressKey(SDLK_BACKSPACE, '\b');
    pressKey(SDLK_z, 'z');
    pressKey(SDLK_o, 'o');
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "zo");
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->doneButton);
    pressKey(SDLK_RETURN, '\r');

    EXPECT_EQ(game.save.playerName, "zo");
    EXPECT_FALSE(game.menuSaveScore->container->isVisible());
    EXPECT_TRUE(game.menuPlay->container->isVisible());
    ASSERT_EQ(game.save.records["00"].scores.size(), 1u);
    EXPECT_EQ(game.save.records["00"].scores[0].ticks, 1250);
    EXPECT_EQ(game.menuPlay->scoreLabels[0]->getCaption(), "0:12.50 zo");
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:12.50");

    SaveData onDisk;
    loadSaveFile(onDisk, savePath());
    ASSERT_EQ(onDisk.records["00"].scores.size(), 1u);
    EXPECT_EQ(onDisk.playerName, "zo");
    EXPECT_GE(onDisk.records["00"].ghostRun.size(), 1250u);
}

TEST_F(RaceEnd, UpAndDownOnDoneReturnToTheNameBox)
{
    raceWith(10);
    finishRun();
    // In the box the arrows move the caret; on "done" both go back to the box.
    pressKey(SDLK_DOWN);
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->nameBox);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->doneButton);
    pressKey(SDLK_UP);
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->nameBox);
    game.menuSaveScore->focusDown(nullptr);
    pressKey(SDLK_DOWN);
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->nameBox);
    EXPECT_TRUE(game.save.records["00"].scores.empty());
}

TEST_F(RaceEnd, EmptyNameIsStoredAsEmpty)
{
    game.save.playerName = "";
    raceWith(500);
    finishRun();
    game.menuSaveScore->action(gcn::ActionEvent(nullptr, "done"));
    EXPECT_EQ(game.save.records["00"].scores.at(0).playerName, "");
    EXPECT_EQ(game.menuPlay->scoreLabels[0]->getCaption(), "0:05.00 ");
}

TEST_F(RaceEnd, RunOutsideTheFiveBestGoesStraightToThePlayMenuAndIsStored)
{
    fillFiveScores();
    raceWith(1450);
    finishRun();
    expectMenusUpWith(game.menuPlay);
    EXPECT_FALSE(game.menuSaveScore->container->isVisible());
    EXPECT_EQ(game.save.records["00"].scores.size(), 6u);
    EXPECT_EQ(game.save.records["00"].scores.back().ticks, 1450);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:14.50");
    SaveData onDisk;
    loadSaveFile(onDisk, savePath());
    EXPECT_EQ(onDisk.records["00"].scores.size(), 6u);
}

TEST_F(RaceEnd, RunEqualToTheFifthBestIsAHighScore)
{
    fillFiveScores();
    raceWith(1400);
    finishRun();
    EXPECT_TRUE(game.menuSaveScore->container->isVisible());
}

TEST_F(RaceEnd, LeavingTheRoadReturnsWithoutRecordingAndKeepsTheLastTime)
{
    game.run.ticks = 325;
    raceWith(50);
    loseRace();
    expectMenusUpWith(game.menuPlay);
    EXPECT_EQ(game.run.ticks, 325);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:03.25");
    EXPECT_TRUE(game.save.records["00"].scores.empty());
    EXPECT_FALSE(std::filesystem::exists(savePath()));
}

TEST_F(RaceEnd, EscapeDiscardsTheRun)
{
    game.run.ticks = 321;
    raceWith(50);
    abortRace();
    expectMenusUpWith(game.menuPlay);
    EXPECT_EQ(game.run.ticks, 0);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last -:--.--");
    EXPECT_TRUE(game.save.records["00"].scores.empty());
    EXPECT_FALSE(std::filesystem::exists(savePath()));
}

TEST_F(RaceEnd, TopIsCentredInALargerWindow)
{
    game.screenWidth = 1024;
    game.screenHeight = 768;
    raceWith(5);
    loseRace();
    EXPECT_EQ(game.top->getX(), 112);
    EXPECT_EQ(game.top->getY(), 84);
}

TEST_F(RaceEnd, TabNeverMovesTheFocusIntoAHiddenMenu)
{
    auto tabAround = [](const char* where) {
        for (int i = 0; i < 30; ++i) {
            pressKey(SDLK_TAB, '\t');
            gcn::Widget* focused = focusedWidget();
            ASSERT_NE(focused, nullptr) << where;
            for (gcn::Widget* w = focused; w; w = w->getParent())
                ASSERT_TRUE(w->isVisible()) << where << " after " << i + 1 << " tabs";
        }
    };
    tabAround("track menu");
    resetGame();
    raceWith(10);
    finishRun();
    game.menuSaveScore->focusDown(nullptr);
    tabAround("score-saving menu");
}
