#pragma once
// Shared tracks (".vtrack"): a player's track handed on as one file, the plan
// and its author run. Nothing else travels: the receiving game builds the
// road from the plan and offers the track only once the author run, replayed
// on that road, finishes on exactly its stated tick. The layout is described
// in docs/track-plan.md.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "design/track_plan.h"
#include "save/ghost_file.h"

// The first eight bytes of every shared track.
extern const char sharedTrackMagic[8];
constexpr uint32_t sharedTrackVersion = 1;
constexpr size_t maxSharedTrackBytes = 16 + maxPlanBytes + maxGhostFileBytes;

struct SharedTrack {
    // The plan's text as its author's game wrote it.
    std::string planText;
    GhostFile author;
};

std::vector<uint8_t> encodeSharedTrack(const SharedTrack& shared);
// Reads the layout only: sizes within bounds, the ghost file well formed.
// False with a short reason otherwise.
bool decodeSharedTrack(const uint8_t* bytes, size_t size, SharedTrack& shared, std::string& reason);

// The whole proof: the file decodes, its plan reads and makes a road, the
// author run names that plan's track and carries the hash of that road's
// "track.track", and it replays on the road to a finish at its stated tick.
// Returns "" and fills plan and built when the track holds, else the reason
// on one line.
std::string verifySharedTrack(const uint8_t* bytes, size_t size, SharedTrack& shared, TrackPlan& plan,
                              BuiltTrack& built);

// "NAME.vtrack".
std::string sharedTrackFileName(const TrackPlan& plan);
