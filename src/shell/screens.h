#pragma once
// Which screen is up. Every change of screen goes through showScreen(), so
// the menus, the HUD, the border and the cursor always agree.

enum class Screen { trackMenu, playMenu, saveScore, race, watch, settings, analysis, myTracks, editor };

// Shows the screen's container and hides the others. The menus sit inside
// the border, centred, with the mouse cursor; the race HUD covers the whole
// window without either, and so does the HUD of a watched run, with its
// playback line. Refreshing a menu's contents is its caller's part.
void showScreen(Screen screen);
