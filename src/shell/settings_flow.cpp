#include "shell/settings_flow.h"

#include <SDL.h>

#include "audio/sound.h"
#include "gui/menu_settings.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/screens.h"
#include "shell/video_mode.h"

static std::vector<WindowSize> offeredSizes(const Game& g)
{
    std::vector<WindowSize> modes;
    WindowSize desktop;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Rect** listed = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_OPENGL);
        // Null for none, -1 for "any size".
        if (listed && listed != reinterpret_cast<SDL_Rect**>(-1))
            for (int i = 0; listed[i]; ++i) {
                modes.push_back({listed[i]->w, listed[i]->h});
                if (listed[i]->w > desktop.width)
                    desktop = {listed[i]->w, listed[i]->h};
            }
    }
    return windowSizes(modes, desktop, {g.settings.screenWidth, g.settings.screenHeight});
}

static std::vector<int16_t> joystickAxisValues()
{
    std::vector<int16_t> values;
    if (!joystick)
        return values;
    for (int i = 0; i < SDL_JoystickNumAxes(joystick); ++i)
        values.push_back(SDL_JoystickGetAxis(joystick, i));
    return values;
}

// The steering axis as read now, for the bar beside the dead zone.
static std::string liveAxisLine(const Game& g)
{
    const int32_t axis = g.settings.joystick.steerAxis;
    if (!joystick || axis < 0 || axis >= SDL_JoystickNumAxes(joystick))
        return "";
    return axisBarText(SDL_JoystickGetAxis(joystick, axis), g.settings.axes.deadZone, g.settings.axes.invertSteer);
}

static void refreshSettings(Game& g)
{
    if (g.menuSettings)
        g.menuSettings->refresh(settingsView(g.settings, sound.muted, g.settingsScreen), g.settingsScreen.focused);
}

void openSettings(Game& g)
{
    g.settingsScreen.binding = false;
    g.settingsScreen.capturingAxis = false;
    g.settingsScreen.message.clear();
    g.settingsScreen.focused = 0;
    sayConfigProblem(g.settingsScreen, configProblem());
    showScreen(Screen::settings);
    refreshSettings(g);
}

void leaveSettings(Game& g)
{
    g.settingsScreen.binding = false;
    g.settingsScreen.capturingAxis = false;
    openTrackMenu(g);
}

void focusSetting(Game& g, int row)
{
    if (row < 0 || row >= settingsRowCount)
        return;
    g.settingsScreen.focused = row;
    refreshSettings(g);
}

void commitSettings(Game& g)
{
    g.joyThrottleButton = g.settings.joystick.throttleButton;
    g.joyBrakeButton = g.settings.joystick.brakeButton;
    g.joyLeftButton = g.settings.joystick.leftButton;
    g.joyRightButton = g.settings.joystick.rightButton;
    g.joyThrottleAxis = g.settings.joystick.throttleAxis;
    g.joyBrakeAxis = g.settings.joystick.brakeAxis;
    g.joySteerAxis = g.settings.joystick.steerAxis;
    g.ghostEnabled = g.settings.ghostShown;
    g.soundVolume = g.settings.soundVolume;
    setSoundVolume(g.settings.soundVolume);
    std::string error;
    if (!saveConfig(&error))
        g.settingsScreen.message = "not saved: " + error;
}

void changeSetting(Game& g, int row, int direction)
{
    if (row < 0 || row >= settingsRowCount)
        return;
    g.settingsScreen.focused = row;
    const SettingsRow which = static_cast<SettingsRow>(row);
    Action action;
    if (which == SettingsRow::back) {
        if (direction == 0)
            leaveSettings(g);
        return;
    }
    if (which == SettingsRow::mute) {
        toggleMute();
    } else if (rowAxis(g.settings, which) && direction == 0) {
        g.settingsScreen.capturingAxis = true;
        g.settingsScreen.axisRow = which;
        g.settingsScreen.capture = startAxisCapture(joystickAxisValues());
    } else if (rowAction(which, action)) {
        if (direction == 0) {
            g.settingsScreen.binding = true;
            g.settingsScreen.bindingAction = action;
        }
    } else {
        g.settingsScreen.message.clear();
        const Settings before = g.settings;
        if (stepSetting(g.settings, which, direction, offeredSizes(g))) {
            const bool display = which == SettingsRow::windowSize || which == SettingsRow::fullscreen;
            // A mode that could not open is not kept for the next start.
            if (display && !applyVideoMode(g)) {
                g.settings.screenWidth = before.screenWidth;
                g.settings.screenHeight = before.screenHeight;
                g.settings.fullscreen = before.fullscreen;
            }
            commitSettings(g);
        }
    }
    refreshSettings(g);
}

bool settingsTakesEvent(Game& g, const SDL_Event& event)
{
    if (g.screen != Screen::settings)
        return false;
    SettingsScreen& screen = g.settingsScreen;
    if (screen.capturingAxis) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            screen.capturingAxis = false;
            screen.message = "axis unchanged";
        } else if (event.type == SDL_JOYAXISMOTION) {
            if (bindCapturedAxis(g.settings, screen, feedAxisCapture(screen.capture, event)))
                commitSettings(g);
        } else {
            return event.type == SDL_KEYDOWN;
        }
        refreshSettings(g);
        return true;
    }
    if (event.type == SDL_JOYAXISMOTION) {
        // The live bar follows the stick while the dead zone is being set.
        const SettingsRow focused = static_cast<SettingsRow>(screen.focused);
        if (focused == SettingsRow::deadZone || rowAxis(g.settings, focused)) {
            screen.message = liveAxisLine(g);
            refreshSettings(g);
        }
        return false;
    }
    if (!screen.binding)
        return false;
    if (event.type == SDL_JOYBUTTONDOWN) {
        const int button = capturedButton(event);
        if (button < 0)
            return false;
        if (bindPressedButton(g.settings, screen, button))
            commitSettings(g);
        refreshSettings(g);
        return true;
    }
    if (event.type != SDL_KEYDOWN)
        return false;
    if (bindPressedKey(g.settings, g.settingsScreen, event.key.keysym.sym))
        commitSettings(g);
    refreshSettings(g);
    return true;
}
