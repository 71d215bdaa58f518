#pragma once
// The game's flow: every change of game state happens here, in one
// direction from what the player did (a key in a race, an intent from a
// menu, a tick's report) to the save file and the screen. The menus, the HUD
// and the renderer only show what the flow and the views hand them.

#include <string>
#include <vector>

#include "sim/control.h"

struct Game;
struct MenuIntent;
struct TickReport;

// Arms the countdown and the clock at nowMs, begins the race session (laps
// and both ships reset), empties the run and snapshots the player's start
// state; the ghost replays the rival, whose splits are replayed once.
void startRaceAt(Game& g, double nowMs);
// startRaceAt with the SDL clock, and the engine sound.
void startRace(Game& g);

// The records the ghost ship replays in this race and the live splits
// compare with: the rival chosen on the play menu (a verified ghost file, or
// the track's best run); null when the ghost is switched off.
const std::vector<ControlInput>* raceRivalRun(Game& g);

// The player's ship completed its laps: judge the run and record it at once,
// or ask for a name first when it enters the five best.
void finishRun(Game& g);
// The player's ship left the road: back to the play menu, nothing recorded.
void loseRace(Game& g);
// Escape (or joystick button 8 or 9) during a race: the run is discarded.
void abortRace(Game& g);
// R or Backspace during a race: the run is discarded as with Escape and the
// same track starts again from the countdown, the HUD staying up.
void restartRace(Game& g);

// What the game does after a tick: the sound's cues, then a finish or a loss
// ends the race with the note the play menu shows.
void actOnTick(Game& g, const TickReport& report);

// Records g.run on the current track against the loaded area's target
// times, then rewrites the save file when the save status allows it. False
// when the file was not written: the run is kept in memory anyway (the next
// successful write stores it with the rest) and the status says why. A run
// that became the best and was stored is also written as a ghost file. A
// practice run records nothing.
bool recordRun(Game& g);

// Writes the finished g.run into the current track's history beside the save
// file: not for practice, nor in a session that may not write the save.
bool keepFinishedRun(Game& g);

// The play menu's loading half for the current track: the road and its area
// read again, the scores sorted, the ghost files looked at again, and the
// stored best run handed to the current run (a run that finishes outside the
// five best is recorded after this, so it can only store the best run again),
// and the track's race stats read.
void loadPlayMenu(Game& g);
// Shows the play menu: the loading half, then its lines (without the menu,
// neither).
void openPlayMenu(Game& g);
// Shows the track menu with every track's state.
void openTrackMenu(Game& g);

// A track chosen in the track menu: it becomes the current track, with no
// last time and no notes, and its play menu opens.
void chooseTrack(Game& g, const std::string& trackName);
// "done" in the score-saving menu: the name is kept and the run recorded
// under it, then the play menu opens with the new entry.
void confirmName(Game& g, const std::string& name);
// The play menu's "rival": the next rival, shown on its button.
void nextRival(Game& g);

// The play menu's ghosts button: Enter adds the medal ghost it shows or
// takes it out; Left and Right (step -1, 1) show the next one.
void toggleGhost(Game& g);
void showNextGhost(Game& g, int step);

// One play-menu frame's share of judging the ghost files, and the rival
// button and the files' line when it changed them.
void stepPlayMenu(Game& g);

// Starts watching the best run of the current track on the loaded road, the
// wall clock at nowMs (frameClockMs milliseconds). False, and nothing started, when
// the track has no best run or no road.
bool startWatchAt(Game& g, double nowMs);
// Back to the play menu with the watch button focused; the play menu is not
// refreshed, so nothing it hands to the current run changes.
void leaveWatch(Game& g);

// Escape in the menus: the play menu goes back to the track menu; the track
// menu asks once whether to quit, and a second Escape takes the question
// back. The score-saving menu has only "done".
void escapeInMenus(Game& g);
// Enter while the track menu asks: the game ends.
void confirmQuit(Game& g);

// Acts on one menu intent, and on every intent the menus queued.
void actOnIntent(Game& g, const MenuIntent& intent);
void actOnIntents(Game& g);
