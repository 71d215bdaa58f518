#pragma once
// A loaded track: its name and one segment per control point of its
// "track.track" file, with the road textures named by "textures.txt".

#include <string>
#include <vector>

#include "track/geometry.h"

struct Track {
    std::string name;
    std::vector<TrackSegment> segments;
};

// Replaces the track with dataDir/tracks/NAME. A missing or malformed file
// leaves it empty under the new name.
void loadTrack(Track& track, std::string name);
// Gives the road textures back and removes every segment.
void clearTrack(Track& track);
