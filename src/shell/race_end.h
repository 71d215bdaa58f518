#pragma once
// The three ways a race ends in the game, each returning to the menus.

// The player's ship completed its laps: judge and record the run.
void finishRun();
// The player's ship left the road: back to the play menu, nothing recorded.
void loseRace();
// Escape (or joystick button 8 or 9) during a race: the run is discarded.
void abortRace();
