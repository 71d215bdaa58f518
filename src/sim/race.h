#pragma once
// The race rules: lap counters kept in the track segments, the finish at the
// third lap, and leaving the road. Run after every step of the player's ship,
// countdown included; the ghost never runs them.

#include <cstdint>

struct Track;
struct ShipState;

// How the rules end a race. The game's hook runs the menus; the headless
// simulator's records the outcome. Every member must be set.
struct RaceHooks {
    void* context = nullptr;
    // Whether the race is still on (the game's inRace).
    bool (*raceOn)(void* context) = nullptr;
    // The ship reached lap 3; must end the race.
    void (*finish)(void* context) = nullptr;
    // The ship left the road at an edge, or there is no road; must end the race.
    void (*leaveRoad)(void* context) = nullptr;
};

// The segment under the ship reaching this counter ends the race as won: the
// start line opens lap 1, so a race is finishLap - 1 laps.
const int32_t finishLap = 3;
const int32_t raceLaps = finishLap - 1;

// Sets every segment's lap counter to 0.
void resetLaps(Track& track);

// Advances at most one lap counter (a segment may only catch up with its
// predecessor, so laps count only when driven in order), then ends the race
// through the hooks: finish when the ship's segment has reached lap 3, else a
// loss when trackU is outside [0, 1]. Each end is taken only while the race is
// on, so a finished run is never also lost. On a track without segments, or
// with a position, velocity, trackU or trackT that is not finite, a race on
// is lost at once.
void updateRaceProgress(Track& track, const ShipState& ship, const RaceHooks& hooks);
