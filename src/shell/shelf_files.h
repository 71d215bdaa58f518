#pragma once
// The game's side of the ghost shelf: the kept verdicts and the rival
// choices read at start-up and written beside the save, and the share of the
// checking each menu frame does.

#include <string>

#include "save/ghost_shelf.h"

struct Game;

// Each menu frame reads at most a few files and replays at most one: a
// replay of a long run takes tens of milliseconds.
constexpr ShelfBudget menuFrameShelfBudget{4, 1};

// Beside the ghosts folder: the verdicts, and the rival of each track.
std::string ghostChecksPath();
std::string rivalChoicePath();

// Start-up: what the last session kept.
void loadShelfMemory(Game& g);

// One frame's share of the checking on the loaded track; the verdicts are
// written once nothing is pending. True when the play menu's rival and line
// may have changed.
bool stepGhostChecks(Game& g);

// After the rival changed: the choice per track, written beside the save.
void keepRivalChoice(Game& g);
