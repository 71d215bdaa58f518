#pragma once
// A loaded track: its name and one segment per control point of its
// "track.track" file, with the road textures named by "textures.txt".

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "track/geometry.h"

struct Track {
    std::string name;
    std::vector<TrackSegment> segments;
    // Changes whenever loadTrack or clearTrack replaces the road, so that a
    // compiled drawing of it can tell it is stale; 0 for a road built by code.
    uint64_t revision = 0;
};

// Largest "track.track" read: over 20 000 control points (the longest
// track has about a hundred).
const size_t maxTrackFileBytes = 1024u * 1024u;
// Largest "textures.txt" read: two short words per control point.
const size_t maxTextureListBytes = 1024u * 1024u;

// Replaces the track with dataDir/tracks/NAME. A missing file or one that is
// not a regular file within maxTrackFileBytes, fewer than three control
// points, a negative count, a file shorter than its count, a coordinate that
// is not finite or fewer than three distinct control points leave it empty
// under the new name.
void loadTrack(Track& track, std::string name);
// Gives the road textures back and removes every segment.
void clearTrack(Track& track);

// The two road texture files of each of segmentCount segments, in the order
// A0, B0, A1, B1, ...: dataDir/tex_road/WORD.png for whitespace-separated
// words; missing words name dataDir/tex_road/.png.
std::vector<std::string> readTextureNames(std::istream& words, std::size_t segmentCount);
