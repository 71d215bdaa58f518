#pragma once
// The game's loading of a track: the road of its "track.track" (read by the
// core's track_file) and the road textures "textures.txt" names.

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "track/track_file.h"

// Replaces the track with dataDir/tracks/NAME and acquires its road textures.
// A missing file, fewer than three control points, a negative count or a file
// shorter than its count leaves it empty under the new name.
void loadTrack(Track& track, std::string name);
// Gives the road textures back and removes every segment.
void clearTrack(Track& track);

// The two road texture files of each of segmentCount segments, in the order
// A0, B0, A1, B1, ...: dataDir/tex_road/WORD.png for whitespace-separated
// words; missing words name dataDir/tex_road/.png.
std::vector<std::string> readTextureNames(std::istream& words, std::size_t segmentCount);
