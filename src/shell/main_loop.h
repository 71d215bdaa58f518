#pragma once
// The frame loop and its fixed-step clock: 100 ticks per second of simulated
// time whatever the frame rate, a 3000 ms countdown with both ships held, then
// one recorded control per tick.

#include "sim/control.h"

struct Game;
struct RaceSession;
struct TickReport;

// What one tick calls out to; the game uses the real input, race step and
// race ends, the clock tests substitute recorders.
struct TickCalls {
    // Appends the race tick's record to the run (and may abandon the race).
    void (*pollInput)();
    TickReport (*step)(RaceSession& session, const ControlInput* record);
    // Acts on what the tick did, once it is over: a finish or a loss ends the race.
    void (*afterTick)(const TickReport& report);
};

// The real collaborators: pollInput(), stepRace() and the game's race ends.
TickCalls gameTickCalls();

// Arms the countdown and the clock at nowMs, begins the race session (laps
// and both ships reset), empties the run and snapshots the player's start state.
void startRaceAt(Game& g, double nowMs);
// startRaceAt with the SDL clock.
void startRace(Game& g);

// Runs every tick that is due at nowMs (SDL milliseconds): a countdown tick,
// or a race tick that polls input for its record; each through calls.step
// with the current track's best run as the ghost's, then calls.afterTick.
void runDueTicks(Game& g, double nowMs, const TickCalls& calls);

// One iteration per frame until running is cleared.
void mainLoop();
