#pragma once
// A plan's track as the files the game reads from "tracks/NAME/": built
// whole in memory, so nothing is written for a plan that cannot make a track,
// and then written into a folder without touching anything that is not a
// regular file of the track's own.

#include <cstdint>
#include <string>
#include <vector>

#include "design/medal_times.h"
#include "design/scenery.h"
#include "design/track_plan.h"
#include "save/ghost_file.h"

struct TrackFileImage {
    // File name within the track's folder.
    std::string name;
    std::vector<uint8_t> bytes;
};

struct TrackPackage {
    TrackPlan plan;
    BuiltTrack built;
    Scenery scenery;
    // The author run: the autopilot's race, whose time sets the medals.
    GhostFile author;
    MedalTimes medals;
    // track.track, textures.txt, area.tris, times.txt, plan.txt and
    // author.vghost; the caller encodes scenery.atlas as area.png.
    std::vector<TrackFileImage> files;
};

// The player name of an author run driven by the autopilot.
extern const char autopilotAuthor[];
// Ten minutes of race ticks: no plan's race by the autopilot takes longer.
constexpr int64_t maxAuthorTicks = 60000;

// The bytes of "track.track" and "textures.txt" for a built road.
std::vector<uint8_t> controlPointBytes(const BuiltTrack& track);
std::string textureWordsText(const BuiltTrack& track);
// "GOLD SILVER BRONZE\n", whole seconds.
std::string medalTimesText(const MedalTimes& medals);

// Checks the plan, builds its road and scenery and drives it with the
// autopilot. False with the fault when the plan makes no road or the
// autopilot does not finish it. The same plan always gives the same bytes.
bool buildTrackPackage(const TrackPlan& plan, TrackPackage& package, PlanFault& fault);
// The files of a checked plan and its road with an author run already
// proven on it (a shared track's): the medals follow from the run's time.
bool packageWithAuthor(const TrackPlan& plan, const BuiltTrack& built, const GhostFile& author,
                       TrackPackage& package, PlanFault& fault);

// Writes files into root/tracks/NAME/. root must be a folder; "tracks" and
// NAME are made when missing (and nothing above them), and every file is
// replaced through a temporary file and a rename. Refuses before writing
// anything when root is not a folder, or tracks, NAME or one of the files
// is there but of another kind (refused); failed when a write goes wrong.
enum class FolderWrite { written, refused, failed };
FolderWrite writeTrackFolder(const std::string& root, const std::string& name,
                             const std::vector<TrackFileImage>& files, std::string& error);
