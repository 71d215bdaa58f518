#pragma once
// The ways a race ends in the game: three return to the menus, a restart
// begins the same track again.

// The player's ship completed its laps: judge and record the run.
void finishRun();
// The player's ship left the road: back to the play menu, nothing recorded.
void loseRace();
// Escape (or joystick button 8 or 9) during a race: the run is discarded.
void abortRace();
// R or Backspace during a race: the run is discarded as with Escape and the
// same track starts again from the countdown, the HUD staying up.
void restartRace();
