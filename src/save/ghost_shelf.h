#pragma once
// The ghost files a player keeps in the "ghosts" folder beside the save file,
// and the rival the play menu offers from them. Every file is read and
// replayed once; a file is looked at again only when it changes (path,
// device, inode, size, modification time) or when the track it names does.
// Only files that replay true on the current track are ever offered. Nothing
// here touches the save data.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save/ghost_file.h"

struct Track;
struct TrackRecord;

// At most this many ghost files are looked at, in file-name order.
constexpr size_t maxShelfFiles = 256;

struct ShelfEntry {
    std::string path;
    // The file's identity when it was read.
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    // Whether it could be read, and why not.
    bool readable = false;
    std::string reason;
    GhostFile ghost;
    // The verdict for the track hash it was replayed against, if it was.
    bool checked = false;
    Sha256Digest checkedHash{};
    bool verified = false;
};

struct GhostShelf {
    std::string folder;
    std::string trackName;
    // Every ghost file seen, in file-name order.
    std::vector<ShelfEntry> entries;
    // Indexes into entries of the verified files for trackName.
    std::vector<size_t> offered;
    // Files that cannot be read, and files for trackName that failed.
    int rejected = 0;
    // The rival: "" for the track's best run, else the offered file's path.
    std::string rivalPath;
};

// Looks at folder again for trackName, whose track file hashes to trackHash
// (haveHash false when it cannot be read: nothing is then verified) and is
// loaded into track for the replays. A rival chosen on the same track stays
// chosen while its file stays verified; otherwise the best run is the rival.
void refreshShelf(GhostShelf& shelf, const std::string& folder, const std::string& trackName, Track& track,
                  const Sha256Digest& trackHash, bool haveHash);

// Steps the rival: the best run, then each offered file in order, then the
// best run again.
void cycleRival(GhostShelf& shelf);

// The offered entry that is the rival, or null for the best run.
const ShelfEntry* rivalEntry(const GhostShelf& shelf);

// The records the ghost ship replays: the rival file's, else record's ghost run.
const std::vector<ControlInput>* rivalRecords(const GhostShelf& shelf, const TrackRecord& record);

// "1 ghost file rejected", "N ghost files rejected", or "" for none.
std::string rejectedLine(const GhostShelf& shelf);
