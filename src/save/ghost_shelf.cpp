#include "save/ghost_shelf.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unordered_map>

#include "save/save_file.h"
#include "track/track_file.h"

namespace {

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Names of the ".vghost" files in folder, sorted, at most maxShelfFiles; the
// count of the others goes to beyond.
std::vector<std::string> ghostFileNames(const std::string& folder, size_t& beyond)
{
    std::vector<std::string> names;
    beyond = 0;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name[0] != '.' && endsWith(name, ".vghost"))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    if (names.size() > maxShelfFiles) {
        beyond = names.size() - maxShelfFiles;
        names.resize(maxShelfFiles);
    }
    return names;
}

int64_t modifiedNsOf(const struct stat& st) { return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec; }

bool sameFile(const ShelfEntry& e, const struct stat& st)
{
    return e.device == uint64_t(st.st_dev) && e.inode == uint64_t(st.st_ino) && e.size == int64_t(st.st_size) &&
           e.modifiedNs == modifiedNsOf(st);
}

std::string fileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether e needs nothing more to be judged on the shelf's track.
bool judged(const ShelfEntry& e, const GhostShelf& shelf)
{
    if (!e.looked)
        return false;
    if (!e.readable || e.namedTrack != shelf.trackName || !shelf.haveHash)
        return true;
    if (!e.checked || e.checkedHash != shelf.trackHash)
        return false;
    // A verified file must be in memory to be raced against.
    return !e.verified || e.loaded;
}

// The same records as the track's best run, which the menu offers already.
bool isBestRun(const ShelfEntry& e, const TrackRecord* best)
{
    if (!best || best->scores.empty() || best->ghostRun.size() < e.ghost.records.size())
        return false;
    int32_t bestTicks = best->scores.front().ticks;
    for (const ScoreEntry& s : best->scores)
        bestTicks = std::min(bestTicks, s.ticks);
    return int64_t(e.ghost.ticks) == int64_t(bestTicks) &&
           std::equal(e.ghost.records.begin(), e.ghost.records.end(), best->ghostRun.begin(),
                      [](const ControlInput& a, const ControlInput& b) {
                          return a.steer == b.steer && a.brake == b.brake && a.throttle == b.throttle;
                      });
}

void tally(GhostShelf& shelf, const TrackRecord* best)
{
    shelf.offered.clear();
    shelf.rejectedEntries.clear();
    shelf.pending = 0;
    for (size_t i = 0; i < shelf.entries.size(); ++i) {
        const ShelfEntry& e = shelf.entries[i];
        if (!judged(e, shelf))
            ++shelf.pending;
        else if (!e.readable)
            shelf.rejectedEntries.push_back(i);
        // Files for other tracks wait for their own track's menu.
        else if (e.namedTrack != shelf.trackName || !shelf.haveHash)
            continue;
        else if (!e.verified)
            shelf.rejectedEntries.push_back(i);
        else if (!isBestRun(e, best))
            shelf.offered.push_back(i);
    }
    shelf.rejected = static_cast<int>(shelf.rejectedEntries.size());
    if (!rivalEntry(shelf))
        shelf.rivalPath.clear();
    // The rival chosen on this track before, once its file is verified again.
    auto wanted = shelf.chosen.find(shelf.trackName);
    if (shelf.rivalPath.empty() && wanted != shelf.chosen.end() && !wanted->second.empty())
        for (size_t i : shelf.offered)
            if (fileNameOf(shelf.entries[i].path) == wanted->second)
                shelf.rivalPath = shelf.entries[i].path;
}

bool pathBefore(const GhostCheck& a, const GhostCheck& b) { return a.path < b.path; }

// The kept verdict for e's file as it is now, or null; keptChecks sorted by path.
const GhostCheck* keptCheckFor(const GhostShelf& shelf, const ShelfEntry& e)
{
    GhostCheck key;
    key.path = e.path;
    auto found = std::lower_bound(shelf.keptChecks.begin(), shelf.keptChecks.end(), key, pathBefore);
    for (; found != shelf.keptChecks.end() && found->path == e.path; ++found)
        if (found->size == e.size && found->modifiedNs == e.modifiedNs)
            return &*found;
    return nullptr;
}

// Takes a verdict kept from an earlier start for the same file.
void consult(ShelfEntry& e, const GhostShelf& shelf)
{
    e.consulted = true;
    if (const GhostCheck* kept = keptCheckFor(shelf, e)) {
        const GhostCheck& c = *kept;
        e.looked = true;
        e.readable = c.verdict != GhostVerdict::unreadable;
        e.reason = c.reason;
        e.namedTrack = c.trackName;
        if (c.verdict == GhostVerdict::verified || c.verdict == GhostVerdict::failed) {
            e.checked = true;
            e.checkedHash = c.trackHash;
            e.verified = c.verdict == GhostVerdict::verified;
        }
    }
}

}  // namespace

void beginShelf(GhostShelf& shelf, const std::string& folder, const std::string& trackName,
                const Sha256Digest& trackHash, bool haveHash)
{
    if (shelf.folder != folder || shelf.trackName != trackName)
        shelf.rivalPath.clear();
    if (shelf.folder != folder)
        shelf.entries.clear();
    shelf.folder = folder;
    shelf.trackName = trackName;
    shelf.trackHash = trackHash;
    shelf.haveHash = haveHash;
    // Looked up by path, a thousand times on a full folder.
    if (!std::is_sorted(shelf.keptChecks.begin(), shelf.keptChecks.end(), pathBefore))
        std::stable_sort(shelf.keptChecks.begin(), shelf.keptChecks.end(), pathBefore);

    std::unordered_map<std::string, size_t> seen;
    for (size_t i = 0; i < shelf.entries.size(); ++i)
        seen.emplace(shelf.entries[i].path, i);
    std::vector<ShelfEntry> entries;
    for (const std::string& name : ghostFileNames(folder, shelf.notLookedAt)) {
        std::string path = folder + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0)
            continue;
        auto cached = seen.find(path);
        if (cached != seen.end() && sameFile(shelf.entries[cached->second], st)) {
            entries.push_back(std::move(shelf.entries[cached->second]));
            continue;
        }
        ShelfEntry e;
        e.path = path;
        e.device = uint64_t(st.st_dev);
        e.inode = uint64_t(st.st_ino);
        e.size = int64_t(st.st_size);
        e.modifiedNs = modifiedNsOf(st);
        entries.push_back(std::move(e));
    }
    shelf.entries = std::move(entries);
    tally(shelf, nullptr);
}

ShelfWork stepShelf(GhostShelf& shelf, Track& track, const TrackRecord* best, ShelfBudget budget)
{
    ShelfWork work;
    for (ShelfEntry& e : shelf.entries) {
        if (!e.consulted)
            consult(e, shelf);
        if (judged(e, shelf))
            continue;
        if (!e.loaded) {
            if (work.reads >= budget.reads)
                break;
            ++work.reads;
            e.looked = true;
            e.readable = readGhostFile(e.path, e.ghost, e.reason);
            e.loaded = e.readable;
            e.namedTrack = e.readable ? e.ghost.trackName : std::string();
            if (!e.readable)
                e.ghost = GhostFile();
            shelf.judgedSinceKept = true;
            if (judged(e, shelf))
                continue;
        }
        if (!e.checked || e.checkedHash != shelf.trackHash) {
            if (work.replays >= budget.replays)
                break;
            ++work.replays;
            e.reason = checkGhost(e.ghost, shelf.trackHash, track);
            e.verified = e.reason.empty();
            e.checked = true;
            e.checkedHash = shelf.trackHash;
            shelf.judgedSinceKept = true;
        }
    }
    tally(shelf, best);
    return work;
}

void refreshShelf(GhostShelf& shelf, const std::string& folder, const std::string& trackName, Track& track,
                  const Sha256Digest& trackHash, bool haveHash)
{
    beginShelf(shelf, folder, trackName, trackHash, haveHash);
    stepShelf(shelf, track, nullptr, ShelfBudget());
}

const ShelfEntry* rivalEntry(const GhostShelf& shelf)
{
    if (shelf.rivalPath.empty())
        return nullptr;
    for (size_t i : shelf.offered)
        if (shelf.entries[i].path == shelf.rivalPath)
            return &shelf.entries[i];
    return nullptr;
}

void cycleRival(GhostShelf& shelf)
{
    const ShelfEntry* current = rivalEntry(shelf);
    size_t next = 0;
    if (current) {
        while (next < shelf.offered.size() && &shelf.entries[shelf.offered[next]] != current)
            ++next;
        ++next;
    }
    shelf.rivalPath = next < shelf.offered.size() ? shelf.entries[shelf.offered[next]].path : std::string();
    shelf.chosen[shelf.trackName] = fileNameOf(shelf.rivalPath);
}

const std::vector<ControlInput>* rivalRecords(const GhostShelf& shelf, const TrackRecord& record)
{
    const ShelfEntry* rival = rivalEntry(shelf);
    return rival ? &rival->ghost.records : &record.ghostRun;
}

std::string rejectedLine(const GhostShelf& shelf)
{
    std::vector<std::string> parts;
    if (shelf.rejected == 1) {
        const ShelfEntry& e = shelf.entries[shelf.rejectedEntries.front()];
        parts.push_back("1 ghost file rejected: " + fileNameOf(e.path).substr(0, 40) + ": " + e.reason);
    } else if (shelf.rejected > 1) {
        parts.push_back(std::to_string(shelf.rejected) + " ghost files rejected");
    }
    if (shelf.pending > 0)
        parts.push_back("checking " + std::to_string(shelf.pending) + " more");
    if (shelf.notLookedAt > 0)
        parts.push_back(std::to_string(shelf.notLookedAt) + " not looked at (over " + std::to_string(maxShelfFiles) +
                        ")");
    std::string line;
    for (const std::string& p : parts)
        line += (line.empty() ? "" : "; ") + p;
    return line;
}

std::vector<GhostCheck> checksToKeep(const GhostShelf& shelf)
{
    std::vector<GhostCheck> keep;
    for (const ShelfEntry& e : shelf.entries) {
        GhostCheck c;
        c.path = e.path;
        c.size = e.size;
        c.modifiedNs = e.modifiedNs;
        if (!e.looked) {
            // Present but not judged here: its verdict from before still holds.
            if (const GhostCheck* kept = keptCheckFor(shelf, e))
                keep.push_back(*kept);
            continue;
        }
        c.reason = e.reason;
        c.trackName = e.namedTrack;
        if (!e.readable)
            c.verdict = GhostVerdict::unreadable;
        else if (e.checked) {
            c.verdict = e.verified ? GhostVerdict::verified : GhostVerdict::failed;
            c.trackHash = e.checkedHash;
        } else
            c.verdict = GhostVerdict::otherTrack;
        keep.push_back(std::move(c));
    }
    return keep;
}
