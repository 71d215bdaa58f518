#pragma once
// The frame loop and its fixed-step clock: 100 ticks per second of simulated
// time whatever the frame rate, a 3000 ms countdown with both ships held, then
// one recorded control per tick.

#include <vector>

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

// The real collaborators: pollInput(), stepRace() and the flow's actOnTick.
TickCalls gameTickCalls();

// Runs every tick that is due at nowMs (frameClockMs milliseconds): a countdown tick,
// or a race tick that polls input for its record; each through calls.step
// (the ghost replays the rival the race start chose), notes its splits, then
// calls.afterTick.
// A poll that restarts the race ends the frame's ticks: the new countdown
// starts on the next frame.
void runDueTicks(Game& g, double nowMs, const TickCalls& calls);

// After a tick: the states the next frames draw between.
void notePoses(Game& g, const TickReport& report);

// How far the clock at nowMs has gone from the last tick toward the next.
double drawFractionAt(const Game& g, double nowMs);

// One iteration per frame until running is cleared.
void mainLoop();
