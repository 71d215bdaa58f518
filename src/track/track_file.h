#pragma once
// A track and the reading of its road from "track.track": control points in,
// segments with rails and centres out. No textures are touched, so the
// headless tools and the simulation read roads exactly as the game does.

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

// Reads dataRoot/tracks/NAME/track.track into the track: the name, a new
// revision and one segment per control point, lap counters 0 and no texture
// slots held. A missing file, fewer than three control points, a negative
// count or a file shorter than its count leaves no segments and gives false.
// Segments already there are dropped as they are: a track holding road
// textures is cleared first (clearTrack).
bool readTrackRoad(Track& track, const std::string& dataRoot, const std::string& name);

// A value for Track::revision that no track of this process has had yet.
uint64_t newTrackRevision();
