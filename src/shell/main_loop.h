#pragma once
// The frame loop and its fixed-step clock: 100 ticks per second of simulated
// time whatever the frame rate, a 3000 ms countdown with both ships held, then
// one recorded control per tick.

struct Game;
struct Ship;

// What one tick calls out to; the game uses the real input and physics, the
// clock tests substitute recorders.
struct TickCalls {
    void (*pollInput)();
    void (*stepShip)(Ship& ship, bool isPlayer);
};

// The real collaborators: pollInput() and the game's stepShip().
TickCalls gameTickCalls();

// Arms the countdown and the clock at nowMs, resets laps and both ships,
// empties the run and snapshots the player's start state.
void startRaceAt(Game& g, double nowMs);
// startRaceAt with the SDL clock, and hides the mouse cursor.
void startRace(Game& g);

// Runs every tick that is due at nowMs (SDL milliseconds).
void runDueTicks(Game& g, double nowMs, const TickCalls& calls);

// One iteration per frame until running is cleared.
void mainLoop();
