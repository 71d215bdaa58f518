#pragma once
// Medal target times from the time a good drive takes on a track.

#include "design/track_design.h"

struct MedalTimes {
    double gold = 0.0, silver = 0.0, bronze = 0.0;
};

// Seconds for the race (the rest of the start segment and two laps, from rest)
// by a speed profile along the centre line: each point no faster than the grip
// allows through its bend, reached and left within the engine's and brakes' limits.
double estimateRaceSeconds(const BuiltTrack& track);
// Seconds the autopilot takes for the race, or -1 when it does not finish.
double autopilotSeconds(const BuiltTrack& track);
// Gold 1.06, silver 1.2 and bronze 1.5 times the reference, each rounded up to a second.
MedalTimes medalTimesFrom(double referenceSeconds);
