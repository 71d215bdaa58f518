// The "my tracks" screen through its widgets: the list's keys and clicks, the
// bottom row, and what reaches the flow.
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/menu_my_tracks.h"
#include "gui_env.h"
#include "shell/my_tracks_flow.h"
#include "shell/paths.h"

namespace {

class MyTracksMenu : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        // Twenty folders with a plan: more than the screen shows at once.
        for (int i = 0; i < 20; ++i)
            writeText(saveDirectory() + "/tracks/t" + std::to_string(100 + i) + "/plan.txt", "plan 1\n");
        openMyTracks(game);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(saveDirectory() + "/tracks");
        openTrackMenu(game);
    }
    MenuMyTracks& menu() { return *game.menuMyTracks; }
};

} // namespace

TEST_F(MyTracksMenu, UpAndDownChooseAndScrollTheListIntoTheBottomRow)
{
    ASSERT_EQ(game.screen, Screen::myTracks);
    EXPECT_TRUE(menu().container->isVisible());
    EXPECT_FALSE(game.menuTrack->container->isVisible());
    ASSERT_EQ(game.myTracks.tracks.size(), 20u);
    EXPECT_EQ(focusedWidget(), menu().rows[0]);
    EXPECT_EQ(menu().rows[0]->getCaption(), "t100   (not driven to the finish yet)");

    for (int i = 0; i < 15; ++i)
        pressKey(SDLK_DOWN);
    EXPECT_EQ(game.myTracks.chosen, 15);
    EXPECT_EQ(focusedWidget(), menu().rows[size_t(myTracksShownRows - 1)]) << "the chosen line stays in sight";
    EXPECT_EQ(menu().rows[0]->getCaption().substr(0, 4), "t102");
    for (int i = 0; i < 10; ++i)
        pressKey(SDLK_DOWN);
    EXPECT_EQ(game.myTracks.chosen, 19);
    EXPECT_EQ(focusedWidget(), menu().buttons.front()) << "past the last line, the bottom row";
    pressKey(SDLK_RIGHT);
    EXPECT_EQ(focusedWidget(), menu().buttons[1]);
    pressKey(SDLK_LEFT);
    pressKey(SDLK_LEFT);
    EXPECT_EQ(focusedWidget(), menu().buttons.back()) << "round to back";
    pressKey(SDLK_UP);
    EXPECT_EQ(focusedWidget(), menu().rows[size_t(myTracksShownRows - 1)]) << "up to the chosen line";
    for (int i = 0; i < 25; ++i)
        pressKey(SDLK_UP);
    EXPECT_EQ(game.myTracks.chosen, 0);
    EXPECT_EQ(focusedWidget(), menu().rows[0]);
}

TEST_F(MyTracksMenu, AClickChoosesALineAndBackLeaves)
{
    // Lines 24 pixels apart from y = 70, from x = 150.
    clickAt(200, 70 + 3 * 24 + 10);
    EXPECT_EQ(game.myTracks.chosen, 3);
    EXPECT_EQ(game.screen, Screen::myTracks) << "a click on another line only chooses it";
    menuAction(&menu(), menu().buttons[2], "delete");
    EXPECT_TRUE(game.myTracks.askingDelete);
    EXPECT_NE(menu().lineLabels[0]->getCaption().find("delete t103?"), std::string::npos);
    pressKey(SDLK_DOWN);
    EXPECT_FALSE(game.myTracks.askingDelete) << "choosing another takes the question back";
    EXPECT_TRUE(std::filesystem::exists(saveDirectory() + "/tracks/t103"));
    menuAction(&menu(), menu().buttons.back(), "back");
    EXPECT_EQ(game.screen, Screen::trackMenu);
}
