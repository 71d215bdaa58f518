#include "save/ghost_shelf.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

#include "track/track_file.h"

namespace {

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Names of the ".vghost" files in folder, sorted, at most maxShelfFiles.
std::vector<std::string> ghostFileNames(const std::string& folder)
{
    std::vector<std::string> names;
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
    if (names.size() > maxShelfFiles)
        names.resize(maxShelfFiles);
    return names;
}

bool sameFile(const ShelfEntry& e, const struct stat& st)
{
    return e.device == uint64_t(st.st_dev) && e.inode == uint64_t(st.st_ino) && e.size == int64_t(st.st_size) &&
           e.modifiedNs == int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

void refreshShelf(GhostShelf& shelf, const std::string& folder, const std::string& trackName, Track& track,
                  const Sha256Digest& trackHash, bool haveHash)
{
    if (shelf.folder != folder || shelf.trackName != trackName)
        shelf.rivalPath.clear();
    if (shelf.folder != folder)
        shelf.entries.clear();
    shelf.folder = folder;
    shelf.trackName = trackName;

    std::vector<ShelfEntry> entries;
    for (const std::string& name : ghostFileNames(folder)) {
        std::string path = folder + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0)
            continue;
        auto cached = std::find_if(shelf.entries.begin(), shelf.entries.end(),
                                   [&](const ShelfEntry& e) { return e.path == path && sameFile(e, st); });
        if (cached != shelf.entries.end()) {
            entries.push_back(std::move(*cached));
            continue;
        }
        ShelfEntry e;
        e.path = path;
        e.device = uint64_t(st.st_dev);
        e.inode = uint64_t(st.st_ino);
        e.size = int64_t(st.st_size);
        e.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        e.readable = readGhostFile(path, e.ghost, e.reason);
        if (!e.readable)
            e.ghost = GhostFile();
        entries.push_back(std::move(e));
    }
    shelf.entries = std::move(entries);

    shelf.offered.clear();
    shelf.rejected = 0;
    for (size_t i = 0; i < shelf.entries.size(); ++i) {
        ShelfEntry& e = shelf.entries[i];
        if (!e.readable) {
            ++shelf.rejected;
            continue;
        }
        // Files for other tracks wait for their own track's menu.
        if (e.ghost.trackName != trackName || !haveHash)
            continue;
        if (!e.checked || e.checkedHash != trackHash) {
            e.reason = checkGhost(e.ghost, trackHash, track);
            e.verified = e.reason.empty();
            e.checked = true;
            e.checkedHash = trackHash;
        }
        if (e.verified)
            shelf.offered.push_back(i);
        else
            ++shelf.rejected;
    }
    if (!rivalEntry(shelf))
        shelf.rivalPath.clear();
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
}

const std::vector<ControlInput>* rivalRecords(const GhostShelf& shelf, const TrackRecord& record)
{
    const ShelfEntry* rival = rivalEntry(shelf);
    return rival ? &rival->ghost.records : &record.ghostRun;
}

std::string rejectedLine(const GhostShelf& shelf)
{
    if (shelf.rejected == 0)
        return "";
    if (shelf.rejected == 1)
        return "1 ghost file rejected";
    return std::to_string(shelf.rejected) + " ghost files rejected";
}
