// The settings screen's event handling fed by SDL's own queue: joystick
// events pushed as a pad would send them bind an axis and a button, and the
// binding reaches the running game and the configuration file.
#include <gtest/gtest.h>

#include <SDL.h>

#include "shell/game.h"
#include "shell/settings_flow.h"
#include "sdl_queue.h"
#include "user_folder.h"

namespace {

// The global game on the settings screen, its files in a folder of its own,
// SDL's queue through the dummy video driver; no window, no menus.
class SettingsEvents : public UserFolderTest {
protected:
    void SetUp() override
    {
        UserFolderTest::SetUp();
        ASSERT_EQ(startDummySdl(), 0) << SDL_GetError();
        // No file yet: the first change creates it.
        readConfig();
        game.screen = Screen::settings;
    }
    void TearDown() override
    {
        SDL_Quit();
        UserFolderTest::TearDown();
    }

    static void pushAxis(int axis, int value) { pushEvent(joyAxisEvent(0, axis, value)); }
    static void pushButton(int button, Uint8 type = SDL_JOYBUTTONDOWN) { pushEvent(joyButtonEvent(0, button, type)); }
    // Every queued event through the screen's handling, as the input poll
    // hands them over; how many it took.
    static int drain()
    {
        int taken = 0;
        SDL_Event e;
        while (SDL_PollEvent(&e))
            taken += settingsTakesEvent(game, e) ? 1 : 0;
        return taken;
    }
    std::string configText() const { return readFile(folder + "/Vantor/config.txt"); }
};

TEST_F(SettingsEvents, AnAxisIsBoundOnlyWhenMovedPastAThirdFromWhereItRested)
{
    changeSetting(game, static_cast<int>(SettingsRow::throttleAxis), 0);
    ASSERT_TRUE(game.settingsScreen.capturingAxis);
    // A trigger resting at full scale and a noisy stick: nothing is bound.
    for (auto [axis, value] : {std::pair<int, int>{4, 32767}, {4, 32000}, {1, 0}, {1, 9000}, {1, -9000}})
        pushAxis(axis, value);
    EXPECT_EQ(drain(), 5) << "axis motion during a capture is the screen's";
    EXPECT_TRUE(game.settingsScreen.capturingAxis);
    EXPECT_EQ(game.settings.joystick.throttleAxis, 2) << "the default stays";
    // The stick pushed past a third of the range is taken, at once.
    pushAxis(1, -24000);
    EXPECT_EQ(drain(), 1);
    EXPECT_FALSE(game.settingsScreen.capturingAxis);
    EXPECT_EQ(game.settings.joystick.throttleAxis, 1);
    EXPECT_EQ(game.joyThrottleAxis, 1) << "the race reads the new axis from now on";
    EXPECT_EQ(game.settingsScreen.message, "throttle axis 1");
    EXPECT_NE(configText().find("800 600 0 2 3 0 1 1 3 0"), std::string::npos) << configText();

    // Not capturing, the same motion binds nothing and goes on to the menus.
    pushAxis(3, 32767);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(game.settings.joystick.brakeAxis, 3);
}

TEST_F(SettingsEvents, APressedButtonBindsTheWaitingActionAndSaysWhichLostIt)
{
    // Without an action waiting a press is no binding.
    pushButton(3);
    EXPECT_EQ(drain(), 0);
    changeSetting(game, static_cast<int>(SettingsRow::bindRestart), 0);
    ASSERT_TRUE(game.settingsScreen.binding);
    // Motion, a release and another joystick's press leave it waiting.
    pushAxis(0, 30000);
    pushButton(3, SDL_JOYBUTTONUP);
    pushEvent(joyButtonEvent(1, 6));
    drain();
    EXPECT_TRUE(game.settingsScreen.binding);
    EXPECT_EQ(game.settings.restartButton, -1);

    pushButton(3);
    EXPECT_EQ(drain(), 1);
    EXPECT_FALSE(game.settingsScreen.binding);
    EXPECT_EQ(game.settings.restartButton, 3);
    EXPECT_EQ(game.settings.joystick.brakeButton, -1);
    EXPECT_EQ(game.joyBrakeButton, -1) << "the brake no longer reads it";
    EXPECT_EQ(game.settingsScreen.message, "pad button 3 moved from brake to restart");
    const std::string written = configText();
    EXPECT_NE(written.find("800 600 0 2 -1 0 1 2 3 0"), std::string::npos) << written;
    EXPECT_NE(written.find("button restart 3\n"), std::string::npos) << written;

    // Escape while waiting keeps the button.
    changeSetting(game, static_cast<int>(SettingsRow::bindRestart), 0);
    pushEvent(keyDownEvent(SDLK_ESCAPE));
    EXPECT_EQ(drain(), 1);
    EXPECT_EQ(game.settings.restartButton, 3);
    EXPECT_EQ(game.settingsScreen.message, "restart unchanged");
}

} // namespace
