#pragma once
// Ghost files (".vghost"): one finished run that anyone can check, shared as a
// small file. The layout is described in docs/ghost-format.md. A ghost file
// names its track and carries the SHA-256 of the track's "track.track" bytes;
// it is trusted only after its records have been replayed on that track to a
// finish at exactly its stated tick. Nothing here draws or needs a window.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save/save_file.h"
#include "save/sha256.h"
#include "sim/control.h"
#include "sim/race_constants.h"

struct Track;

// The first eight bytes of every ghost file.
extern const char ghostMagic[8];
constexpr uint32_t ghostFormatVersion = 1;
// Bounds the reader holds every file to before it allocates anything.
constexpr size_t maxGhostTrackNameBytes = 64;
constexpr size_t maxGhostPlayerNameBytes = 256;
// An hour of race ticks.
constexpr uint32_t maxGhostRecords = hourTicks;
constexpr size_t maxGhostFileBytes = 8 * 1024 * 1024;

struct GhostFile {
    uint32_t physics = physicsVersion;
    std::string trackName;
    Sha256Digest trackHash{};
    std::string playerName;
    // Seconds since 1970-01-01 00:00 UTC at which the run was recorded.
    int64_t date = 0;
    // The run's time in race ticks: its finish comes on this tick.
    uint32_t ticks = 0;
    // The player's ship right after the reset, carried and never interpreted.
    StateImage startState{};
    // One per race tick from the first.
    std::vector<ControlInput> records;
};

// Whether name can stand for a folder under "tracks/": 1 to 64 letters,
// digits, '_', '-' or '.', not starting with '.'.
bool isTrackName(const std::string& name);

// The file image of ghost, byte for byte.
std::vector<uint8_t> encodeGhost(const GhostFile& ghost);
// Reads a file image. On a fault returns false with reason set to a short
// text ("truncated", "not a ghost file", ...); ghost is then unspecified.
bool decodeGhost(const uint8_t* bytes, size_t size, GhostFile& ghost, std::string& reason);

bool readGhostFile(const std::string& path, GhostFile& ghost, std::string& reason);
// Crash-safe as the save file: temporary file, flush, rename. Missing
// folders are created, as for the game's own ghost folder.
bool writeGhostFile(const std::string& path, const GhostFile& ghost);

// The SHA-256 of dataDir/tracks/NAME/track.track; false when it cannot be read.
bool hashTrackFile(const std::string& dataDir, const std::string& name, Sha256Digest& digest);

// Checks ghost against the track it names, loaded into track, whose file
// hashes to trackHash: the hash must match and the records must replay from
// the start to a finish on exactly ghost.ticks with no record left over.
// Returns "" when the ghost holds, else the reason it is rejected. Leaves
// the track's lap counters as the replay left them.
std::string checkGhost(const GhostFile& ghost, const Sha256Digest& trackHash, Track& track);

// Reads the ghost file at path and checks it against its track in dataDir:
// "" when it holds, else the reason it is rejected. ghost keeps what was read.
std::string verifyGhostFile(const std::string& dataDir, const std::string& path, GhostFile& ghost);

// "TRACK-PLAYER-TICKS.vghost", the player name reduced to characters safe in
// any file system.
std::string ghostFileName(const GhostFile& ghost);
