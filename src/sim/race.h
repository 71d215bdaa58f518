#pragma once
// The race rules: lap counters kept in the track segments, the finish at the
// third lap, and leaving the road.

struct Track;

// Sets every segment's lap counter to 0.
void resetLaps(Track& track);
