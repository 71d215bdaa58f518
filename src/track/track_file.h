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

// Reads trackFolderPath(dataRoot, NAME)/track.track into the track: the name, a new
// revision and one segment per control point, lap counters 0 and no texture
// slots held. A missing file or one that is not a regular file within
// maxTrackFileBytes, fewer than three control points, a negative count, a
// file shorter than its count, a coordinate that is not finite or fewer than
// three distinct control points leave no segments and give false.
// Segments already there are dropped as they are: a track holding road
// textures is cleared first (clearTrack).
bool readTrackRoad(Track& track, const std::string& dataRoot, const std::string& name);

// The player's own tracks live in playerTracksRoot + "/tracks/PLAN/", the
// per-user folder the game sets at start-up ("" in the tools: none). In the
// game such a track goes by "my.PLAN.HASH", HASH being the first 16 hex
// digits of the SHA-256 of its track.track: the prefix and the dots keep it
// apart from the built-in tracks' two digits, and the hash gives an edited
// road records of its own.
extern std::string playerTracksRoot;
constexpr size_t playerTrackHashDigits = 16;
// "my.PLAN.HASH" from PLAN and the hex digits of the hash (the first 16 taken).
std::string playerTrackName(const std::string& plan, const std::string& hashHex);
// PLAN when name is a player track's name, "" otherwise.
std::string playerTrackPlan(const std::string& name);
// What the player reads for a track: PLAN for a player track, else the name.
std::string shownTrackName(const std::string& name);
// The folder of track name: root/tracks/NAME, or the player track's folder
// under playerTracksRoot (root/tracks/NAME when none is set).
std::string trackFolderPath(const std::string& root, const std::string& name);

// A value for Track::revision that no track of this process has had yet.
uint64_t newTrackRevision();
