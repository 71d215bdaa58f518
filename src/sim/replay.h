#pragma once
// A race without a window: what the race start does to the track and the
// player's ship, the countdown with full brake, then one race tick per control
// record, the race rules after every step as for the player. The headless
// simulator, save verification and the benchmarks drive the game's own
// physics and rules through it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/control.h"
#include "sim/race_session.h"
#include "sim/ship.h"

struct Track;

struct ReplayResult {
    RaceOutcome outcome = RaceOutcome::unfinished;
    // Race ticks run, countdown not included; for a finish, the run's time.
    int64_t raceTicks = 0;
    // The ship right after the reset (control all zero, as in a fresh game).
    ShipState startState;
    // The ship after the last tick run.
    ShipState finalState;
};

// Called after every tick's step and rules. tick counts from 1 at the first
// countdown tick; countdown is true for ticks 1 to countdownTicks.
using ReplayTrace = std::function<void(int64_t tick, bool countdown, const ShipState& state)>;

// Chooses a race tick's record from the ship as the previous tick left it;
// raceTick counts from 0.
using ReplayDriver = std::function<ControlInput(const ShipState& state, int64_t raceTick)>;

struct ReplaySetup {
    // One race tick per record, in order.
    std::vector<ControlInput> controls;
    // When set, drives instead of the records until the race ends or maxTicks.
    ReplayDriver driver;
    // Repeat the single record of controls on every race tick instead.
    bool hold = false;
    // Stop after this many race ticks; negative for no limit beyond the records.
    int64_t maxTicks = -1;
    // m/s^2, as the game uses it.
    double gravity = defaultGravity;
};

// Resets the track's laps and a fresh ship, runs the countdown and the race
// through stepRace(), one tick after another, without a ghost.
// A held record or a driver without maxTicks runs until the race ends. The track's lap
// counters are left as the race left them.
ReplayResult replayRace(Track& track, const ReplaySetup& setup, const ReplayTrace& trace = nullptr);

// "finish N", "offroad N" or "unfinished N", N the race ticks run.
std::string outcomeLine(const ReplayResult& result);

// One trace line, without the line break: TICK PHASE PX PY PZ VX VY VZ SEGMENT U T,
// PHASE "c" or "r", the doubles printed exactly with %a.
std::string traceLine(int64_t tick, bool countdown, const ShipState& state);
