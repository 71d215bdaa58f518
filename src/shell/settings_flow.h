#pragma once
// The settings screen's part of the flow: opening and leaving it, and every
// change it asks for, applied at once and saved (only when a setting
// changed; the file keeps its comments and unknown lines).

#include <string>

struct Game;
union SDL_Event;

// Shows the settings screen; its first opening says the configuration's
// problem line, if it has one.
void openSettings(Game& g);
// Back to the track menu.
void leaveSettings(Game& g);
void focusSetting(Game& g, int row);
// Left (-1), Right (1) or Enter (0) on a row: a value changed, a control
// waiting for its key, mute toggled, or "back".
void changeSetting(Game& g, int row, int direction);
// A key press while a control waits for its key, taken before the menus see
// it; false for every other event.
bool settingsTakesEvent(Game& g, const SDL_Event& event);
// The settings in g.settings put to work in the running game, then saved.
void commitSettings(Game& g);
