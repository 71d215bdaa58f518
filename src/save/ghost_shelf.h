#pragma once
// The ghost files a player keeps in the "ghosts" folder beside the save file,
// and the rival the play menu offers from them. Every file is read and
// replayed once; a file is looked at again only when it changes (path,
// device, inode, size, modification time) or when the track it names does.
// The verdicts can be kept between starts (ghost_checks.h), so a file
// already judged is not replayed again. Looking is spread over calls, a few
// reads and at most a set number of replays at a time, so a full folder
// never holds up a frame. Only files that replay true on the current track
// are ever offered. Nothing here touches the save data.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "save/ghost_checks.h"
#include "save/ghost_file.h"

struct Track;
struct TrackRecord;

// At most this many ghost files are looked at, in file-name order.
constexpr size_t maxShelfFiles = 1000;

struct ShelfEntry {
    std::string path;
    // The file's identity when it was seen.
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    // Whether the kept verdicts were asked about it.
    bool consulted = false;
    // Read, or known from the kept verdicts.
    bool looked = false;
    // When looked: whether it could be read, and why not.
    bool readable = false;
    std::string reason;
    // The track the file names, when readable.
    std::string namedTrack;
    // ghost holds the file's contents.
    bool loaded = false;
    GhostFile ghost;
    // The verdict for the track hash it was replayed against, if it was.
    bool checked = false;
    Sha256Digest checkedHash{};
    bool verified = false;
};

struct GhostShelf {
    std::string folder;
    std::string trackName;
    Sha256Digest trackHash{};
    bool haveHash = false;
    // Every ghost file seen, in file-name order.
    std::vector<ShelfEntry> entries;
    // Indexes into entries of the verified files for trackName.
    std::vector<size_t> offered;
    // Indexes of the files that cannot be read and the files for trackName that failed.
    std::vector<size_t> rejectedEntries;
    int rejected = 0;
    // Files not yet judged for trackName.
    size_t pending = 0;
    // Ghost files beyond maxShelfFiles, not looked at.
    size_t notLookedAt = 0;
    // The rival: "" for the track's best run, else the offered file's path.
    std::string rivalPath;
    // The rival chosen on each track, by file name; "" for the best run.
    std::map<std::string, std::string> chosen;
    // Verdicts kept from earlier starts.
    std::vector<GhostCheck> keptChecks;
    // Something was judged since the verdicts were last taken for keeping.
    bool judgedSinceKept = false;
};

// How much one call may do.
struct ShelfBudget {
    size_t reads = SIZE_MAX;
    size_t replays = SIZE_MAX;
};

// What one call did.
struct ShelfWork {
    size_t reads = 0;
    size_t replays = 0;
};

// Looks at folder again for trackName, whose track file hashes to trackHash
// (haveHash false when it cannot be read: nothing is then verified): lists
// and stats the files, reads none. A rival chosen on the track stays chosen
// while its file stays verified.
void beginShelf(GhostShelf& shelf, const std::string& folder, const std::string& trackName,
                const Sha256Digest& trackHash, bool haveHash);

// Judges pending files within budget, replaying on track (the current
// track's road). A file whose records are the track's best run (best, when
// given) is not offered twice.
ShelfWork stepShelf(GhostShelf& shelf, Track& track, const TrackRecord* best, ShelfBudget budget);

// beginShelf and every file judged at once.
void refreshShelf(GhostShelf& shelf, const std::string& folder, const std::string& trackName, Track& track,
                  const Sha256Digest& trackHash, bool haveHash);

// Steps the rival: the best run, then each offered file in order, then the
// best run again. The choice is remembered for the track.
void cycleRival(GhostShelf& shelf);

// The offered entry that is the rival, or null for the best run.
const ShelfEntry* rivalEntry(const GhostShelf& shelf);

// The records the ghost ship replays: the rival file's, else record's ghost run.
const std::vector<ControlInput>* rivalRecords(const GhostShelf& shelf, const TrackRecord& record);

// The shelf's line: "1 ghost file rejected: NAME: REASON", "N ghost files
// rejected", how many files are still being checked and how many were not
// looked at, joined by "; "; "" for nothing to say.
std::string rejectedLine(const GhostShelf& shelf);

// The verdicts worth keeping for the next start: every file judged, and the
// kept verdict of every file present but not judged in this session.
std::vector<GhostCheck> checksToKeep(const GhostShelf& shelf);
