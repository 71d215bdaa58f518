#pragma once
// The sector times of a track's kept runs, for the theoretical best. Each
// run file is replayed once on the track (which also checks it holds) and
// looked at again only when its size or modification time changes; a call
// replays at most a given number of files, so the game can spread the first
// look at a long history over several frames.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save/sha256.h"
#include "sim/run_compare.h"

struct Track;

struct HistorySectorFile {
    std::string name;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    // Replayed on this track to a finish at exactly its stated tick.
    bool usable = false;
    // runSectorTicks of the run, when usable.
    std::vector<int64_t> ticks;
};

struct HistorySectors {
    std::string folder;
    Sha256Digest trackHash{};
    SectorLayout layout;
    // The run files looked at, oldest first.
    std::vector<HistorySectorFile> files;
    // Every run file of the folder has been looked at.
    bool complete = false;
};

// Brings sectors up to date with the run files in folder for track, whose
// file hashes to trackHash, replaying at most maxReplays new or changed
// files. A different folder, hash or layout starts afresh. True when every
// run file is covered.
bool refreshHistorySectors(HistorySectors& sectors, const std::string& folder, const Track& track,
                           const Sha256Digest& trackHash, double gravity, size_t maxReplays);

// The sector times of the usable runs, for theoreticalBest.
std::vector<std::vector<int64_t>> historySectorTicks(const HistorySectors& sectors);
