#pragma once
// Verdicts on ghost files kept between starts in a small text file beside
// the ghosts folder, so a folder of hundreds of files is replayed once, not
// on every start. A verdict holds only for the same path, size and
// modification time, and a replay's verdict only for the same track hash.

#include <cstdint>
#include <string>
#include <vector>

#include "save/sha256.h"

enum class GhostVerdict { unreadable, otherTrack, verified, failed };

struct GhostCheck {
    std::string path;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    GhostVerdict verdict = GhostVerdict::unreadable;
    // The track the file names (not for unreadable).
    std::string trackName;
    // The track hash replayed against (verified and failed only).
    Sha256Digest trackHash{};
    std::string reason;
};

// Longest file of kept verdicts read back.
constexpr size_t maxGhostChecksBytes = 1024 * 1024;

std::string encodeGhostChecks(const std::vector<GhostCheck>& checks);
// Lines that do not parse are skipped: a damaged file costs replays, nothing else.
std::vector<GhostCheck> decodeGhostChecks(const std::string& text);
