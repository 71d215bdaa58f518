#include <gtest/gtest.h>

#include "gui_env.h"
#include "save/save_file.h"

namespace {

ButtonTrack* trackButton(int row, int column)
{
    return static_cast<ButtonTrack*>(game.menuTrack->rows[row][column]);
}

ButtonTalker* backButton() { return game.menuTrack->rows[3][0]; }

void giveMedal(const std::string& name, int medal) { game.save.records[name].medal = medal; }

std::vector<int> states()
{
    std::vector<int> s;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            s.push_back(static_cast<int>(trackButton(r, c)->medal));
    return s;
}

}  // namespace

class TrackMenu : public GuiTest {};

TEST_F(TrackMenu, GridIsNamedColumnThenRowAndLaidOut96Apart)
{
    EXPECT_EQ(trackNameAt(0, 0), "00");
    EXPECT_EQ(trackNameAt(1, 3), "31");
    EXPECT_EQ(trackNameAt(2, 4), "42");
    ASSERT_EQ(game.menuTrack->rows.size(), 4u);
    EXPECT_EQ(placeOf(trackButton(0, 0)), (Place{200, 170}));
    EXPECT_EQ(placeOf(trackButton(2, 4)), (Place{584, 362}));
    EXPECT_EQ(trackButton(1, 2)->getWidth(), 64);
    EXPECT_EQ(trackButton(1, 3)->row, 1);
    EXPECT_EQ(trackButton(1, 3)->column, 3);
    EXPECT_EQ(placeOf(backButton()), (Place{490, 550}));
    EXPECT_EQ(backButton()->row, 3);
}

TEST_F(TrackMenu, FreshSaveOpensOnlyTheFirstTrackAndFocusesIt)
{
    std::vector<int> expected(15, 0);
    expected[0] = 1;
    EXPECT_EQ(states(), expected);
    EXPECT_EQ(focusedWidget(), trackButton(0, 0));
    EXPECT_EQ(game.menuTrack->selected, trackButton(0, 0));
    EXPECT_TRUE(game.save.records.empty()) << "refresh looks records up without inserting";
}

TEST_F(TrackMenu, BronzeOpensTheRightAndLowerNeighboursOnly)
{
    giveMedal("00", 2);
    openTrackMenu(game);
    EXPECT_EQ(states(), (std::vector<int>{2, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // A finish without a medal opens nothing.
    giveMedal("10", 1);
    openTrackMenu(game);
    EXPECT_EQ(states(), (std::vector<int>{2, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Within one pass: a gold on "10" opens "20", and so on down the column.
    giveMedal("10", 4);
    giveMedal("11", 3);
    openTrackMenu(game);
    EXPECT_EQ(states(), (std::vector<int>{2, 4, 1, 0, 0, 1, 3, 0, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(TrackMenu, ArrowKeysFollowTheNavigationRules)
{
    // Right and Left refuse locked tracks; Down onto a locked track goes to "back".
    expectFocusPath({{SDLK_RIGHT, trackButton(0, 0)}, {SDLK_LEFT, trackButton(0, 0)}, {SDLK_DOWN, backButton()}});
    EXPECT_EQ(game.menuTrack->selected, backButton());
    // Down from "back" to "00"; Up from the top row to "back", Up from "back" to row 0.
    expectFocusPath({{SDLK_DOWN, trackButton(0, 0)}, {SDLK_UP, backButton()}, {SDLK_UP, trackButton(0, 0)}});
}

TEST_F(TrackMenu, LeftAndRightWrapWithinTheRow)
{
    for (const char* name : {"00", "10", "20", "30"})
        giveMedal(name, 2);
    openTrackMenu(game);
    pressKey(SDLK_LEFT);
    EXPECT_EQ(focusedWidget(), trackButton(0, 4));
    EXPECT_EQ(game.menuTrack->selected, trackButton(0, 4));
    expectFocusPath({{SDLK_RIGHT, trackButton(0, 0)}});
    // "40" is open but has no medal, so "41" below it stays locked.
    game.menuTrack->focusRight(trackButton(0, 3));
    EXPECT_EQ(focusedWidget(), trackButton(0, 4));
    expectFocusPath({{SDLK_DOWN, backButton()}});
    game.menuTrack->focusRight(trackButton(0, 2));
    expectFocusPath({{SDLK_DOWN, trackButton(1, 3)}});
}

TEST_F(TrackMenu, DownFromTheLastRowGoesBackAndUpKeepsTheColumn)
{
    giveMedal("00", 2);
    giveMedal("01", 2);
    openTrackMenu(game);
    expectFocusPath({{SDLK_DOWN, trackButton(1, 0)}, {SDLK_DOWN, trackButton(2, 0)}, {SDLK_DOWN, backButton()},
                     {SDLK_UP, trackButton(0, 0)}});
    pressKey(SDLK_DOWN);
    expectFocusPath({{SDLK_UP, trackButton(0, 0)}});
}

TEST_F(TrackMenu, EnterOnATrackMakesItCurrentAndOpensThePlayMenu)
{
    game.run.ticks = 77;
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(game.save.trackName, "00");
    EXPECT_EQ(game.run.ticks, 0);
    EXPECT_FALSE(game.menuTrack->container->isVisible());
    EXPECT_TRUE(game.menuPlay->container->isVisible());
    EXPECT_EQ(focusedWidget(), game.menuPlay->playButton);
    EXPECT_EQ(game.menuPlay->playButton->getCaption(), "play 00");
}

TEST_F(TrackMenu, PlayUsesTheSelectedColumnThenRow)
{
    giveMedal("30", 2);
    giveMedal("31", 0);
    openTrackMenu(game);
    ASSERT_EQ(trackButton(1, 3)->medal, TrackState::open);
    game.menuTrack->focusDown(trackButton(0, 3));
    EXPECT_EQ(game.menuTrack->selected, trackButton(1, 3));
    menuAction(game.menuTrack, nullptr, "play");
    EXPECT_EQ(game.save.trackName, "31");
}

TEST_F(TrackMenu, ClickOnAnOpenTrackStartsThatTrack)
{
    giveMedal("00", 2);
    openTrackMenu(game);
    // "10" is at (296, 170) with top at (0, 0) for the 800 x 600 window.
    clickAt(296 + 20, 170 + 20);
    EXPECT_EQ(game.save.trackName, "10");
    EXPECT_TRUE(game.menuPlay->container->isVisible());
}

TEST_F(TrackMenu, ClickOnALockedTrackDoesNothing)
{
    clickAt(392 + 20, 170 + 20);
    EXPECT_EQ(game.save.trackName, "00");
    EXPECT_TRUE(game.menuTrack->container->isVisible());
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_EQ(focusedWidget(), trackButton(0, 0));
    // An action raised by a locked button, however it came, starts nothing.
    game.menuTrack->action(gcn::ActionEvent(trackButton(0, 2), "play"));
    EXPECT_TRUE(game.menuTrack->container->isVisible());
}

TEST_F(TrackMenu, BackEndsTheGameAndOtherIdsAreIgnored)
{
    menuAction(game.menuTrack, nullptr, "name");
    EXPECT_TRUE(game.running);
    EXPECT_TRUE(game.menuTrack->container->isVisible());
    pressKey(SDLK_DOWN);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_FALSE(game.running);
}

TEST_F(TrackMenu, TheBottomRowGoesRoundInScreenOrderAndMyTracksOpensItsScreen)
{
    ButtonTalker* settings = game.menuTrack->rows[3][1];
    ButtonTalker* myTracks = game.menuTrack->rows[3][2];
    ASSERT_EQ(myTracks->getCaption(), "my tracks");
    EXPECT_EQ(myTracks->getY(), 550);
    EXPECT_LT(myTracks->getX() + myTracks->getWidth(), settings->getX()) << "clear of settings";
    pressKey(SDLK_DOWN);
    ASSERT_EQ(focusedWidget(), backButton());
    // Up from any of them goes to the first track, as from "back".
    expectFocusPath({{SDLK_LEFT, settings}, {SDLK_LEFT, myTracks}, {SDLK_LEFT, backButton()}, {SDLK_RIGHT, myTracks},
                     {SDLK_RIGHT, settings}, {SDLK_RIGHT, backButton()}, {SDLK_RIGHT, myTracks},
                     {SDLK_UP, trackButton(0, 0)}});
    pressKey(SDLK_DOWN);
    pressKey(SDLK_RIGHT);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(game.screen, Screen::myTracks);
    EXPECT_FALSE(game.menuTrack->container->isVisible());
    escapeInMenus(game);
    EXPECT_EQ(game.screen, Screen::trackMenu);
}
