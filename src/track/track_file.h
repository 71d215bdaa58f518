#pragma once
// A track and the reading of its road from "track.track": control points in,
// segments with rails and centres out. No textures are touched, so the
// headless tools and the simulation read roads exactly as the game does.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "track/geometry.h"

struct Track {
    std::string name;
    std::vector<TrackSegment> segments;
    // Changes whenever the road is replaced, so that a compiled drawing of it
    // can tell it is stale; 0 for a road built by code.
    uint64_t revision = 0;
};

// Largest "track.track" read: over 20 000 control points (the longest
// track has about a hundred).
const size_t maxTrackFileBytes = 1024u * 1024u;

// Reads dataRoot/tracks/NAME/track.track into the track: the name, a new
// revision and one segment per control point, lap counters 0 and no texture
// slots held. A missing file or one that is not a regular file within
// maxTrackFileBytes, fewer than three control points, a negative count, a
// file shorter than its count, a coordinate that is not finite or fewer than
// three distinct control points leave no segments and give false.
// Segments already there are dropped as they are: a track holding road
// textures is cleared first (clearTrack).
bool readTrackRoad(Track& track, const std::string& dataRoot, const std::string& name);

// A value for Track::revision that no track of this process has had yet.
uint64_t newTrackRevision();
