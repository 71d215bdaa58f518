#include "shell/settings_flow.h"

#include <SDL.h>

#include "audio/sound.h"
#include "gui/menu_settings.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/screens.h"

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

static void refreshSettings(Game& g)
{
    if (g.menuSettings)
        g.menuSettings->refresh(settingsView(g.settings, sound.muted, g.settingsScreen), g.settingsScreen.focused);
}

void openSettings(Game& g)
{
    g.settingsScreen.binding = false;
    g.settingsScreen.message.clear();
    g.settingsScreen.focused = 0;
    sayConfigProblem(g.settingsScreen, configProblem());
    showScreen(Screen::settings);
    refreshSettings(g);
}

void leaveSettings(Game& g)
{
    g.settingsScreen.binding = false;
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
    } else if (rowAction(which, action)) {
        if (direction == 0) {
            g.settingsScreen.binding = true;
            g.settingsScreen.bindingAction = action;
        }
    } else {
        g.settingsScreen.message.clear();
        if (stepSetting(g.settings, which, direction, offeredSizes(g))) {
            if (which == SettingsRow::windowSize || which == SettingsRow::fullscreen)
                g.settingsScreen.message = "the window takes this size at the next start";
            commitSettings(g);
        }
    }
    refreshSettings(g);
}

bool settingsTakesEvent(Game& g, const SDL_Event& event)
{
    if (g.screen != Screen::settings || !g.settingsScreen.binding || event.type != SDL_KEYDOWN)
        return false;
    if (bindPressedKey(g.settings, g.settingsScreen, event.key.keysym.sym))
        commitSettings(g);
    refreshSettings(g);
    return true;
}
