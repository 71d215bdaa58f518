#pragma once
// One race, one tick at a time: the countdown with both ships braked, then
// race ticks that step the player with its record and the race rules and the
// ghost with its clamped record. The game's loop, the headless replay and
// every tool step races through stepRace(); what a tick did comes back as a
// TickReport, and the caller acts on a finish or a loss after the tick.

#include <cstdint>
#include <vector>

#include "sim/control.h"
#include "sim/race_constants.h"
#include "sim/ship.h"

struct Track;

enum class RaceOutcome { finish, offroad, unfinished };

// A ghost beyond the first: its own ship and records, raced as the first is.
struct GhostLane {
    ShipState* ship = nullptr;
    const std::vector<ControlInput>* run = nullptr;
};

struct RaceSession {
    // The road; its segments carry the lap counters.
    Track* track = nullptr;
    ShipState* player = nullptr;
    // Null for a race without a ghost ship.
    ShipState* ghost = nullptr;
    // The ghost's records; a race tick past the end keeps the last one. The
    // ghost is stepped only while the race is on and the run is not empty.
    const std::vector<ControlInput>* ghostRun = nullptr;
    // Further ghosts, stepped in order after the first by the same rules;
    // beginRace resets their ships.
    std::vector<GhostLane> moreGhosts;
    double gravity = defaultGravity;
    // Ticks run so far, countdown included, and race ticks among them.
    int64_t ticks = 0;
    int64_t raceTicks = 0;
    // Cleared by a finish or a loss, or by the caller when it abandons the
    // race; a tick of a race that is off runs no rules' ends.
    bool on = false;
    RaceOutcome outcome = RaceOutcome::unfinished;
};

// What one tick did, for the caller to act on after it.
struct TickReport {
    // Both ships held with full brake; no record was used.
    bool countdown = false;
    // From 1 at the first countdown tick.
    int64_t tick = 0;
    // From 1 at the first race tick; 0 in the countdown.
    int64_t raceTick = 0;
    // The player's segment after the tick (-1 before any step found the road)
    // and the one before it.
    int32_t segment = -1;
    int32_t previousSegment = -1;
    // The lap counter of the segment under the player after the tick, as the
    // HUD shows it (0 off any segment), and before it.
    int32_t lap = 0;
    int32_t previousLap = 0;
    bool finished = false;
    bool leftRoad = false;
};

// Resets the track's laps, the player, the ghost and every ship of
// moreGhosts onto the road, empties the tick counts and sets the race on.
// The ghost may be null.
void beginRace(RaceSession& session, Track& track, ShipState& player, ShipState* ghost, double gravity);

// Whether the next tick is a countdown tick.
bool inCountdown(const RaceSession& session);

// Milliseconds of countdown left, as the HUD counts them: 3000 at the start,
// 10 less per tick, 0 once the race ticks run.
int32_t countdownMsLeft(const RaceSession& session);

// Runs one tick. A countdown tick ignores record; a race tick steps the player
// with *record (or keeps its last control when record is null). The race rules
// run after the player's step in both; the ghosts step after the player, the
// first ghost first, and in a race tick only while the race is still on.
TickReport stepRace(RaceSession& session, const ControlInput* record);

