#pragma once
// The screen that plays the current track's best run: entered from the play
// menu's "watch", left with Escape or Enter back to the play menu. Its keys
// never reach the GUI, and it polls no controls, so the current run, the save
// data and the save file stay as they were.

#include "shell/watch.h"

struct Game;

// The SDL key a watch frame acts on, as the viewer's key.
WatchKey watchKeyOf(int sdlKey);

// Starts watching the best run of the current track on the loaded road, the
// wall clock at nowMs (SDL milliseconds). False, and nothing started, when
// the track has no best run or no road.
bool startWatchAt(Game& g, double nowMs);

// One watch frame at nowMs: the keys, the playback clock, the HUD. The scene
// is drawn by the caller.
void runWatchFrame(Game& g, double nowMs);

// Back to the play menu with the watch button focused; the play menu is not
// refreshed, so nothing it hands to the current run changes.
void leaveWatch(Game& g);
