#pragma once
// The frames of the screen that plays the current track's best run, entered
// from the play menu's "watch" and left with Escape or Enter back to it. Its keys
// never reach the GUI, and it polls no controls, so the current run, the save
// data and the save file stay as they were.

#include "sim/watch.h"

struct Game;

// The SDL key a watch frame acts on, as the viewer's key.
WatchKey watchKeyOf(int sdlKey);

// One watch frame at nowMs: the keys, the playback clock, the HUD. The scene
// is drawn by the caller; Escape and Enter leave through the flow.
void runWatchFrame(Game& g, double nowMs);
