#pragma once
// The game's physics step: the pure step with the current track, gravity and
// tick length, followed for the player by the race rules with the game's
// end-of-race handling.

struct Ship;
struct RaceHooks;

void stepShip(Ship& ship, bool isPlayer);

// The game's race ends: inRace, finishRun() and loseRace().
RaceHooks gameRaceHooks();
