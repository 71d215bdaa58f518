#include "save/history_sectors.h"

#include <map>
#include <sys/stat.h>

#include "save/ghost_file.h"
#include "save/run_history.h"
#include "sim/replay.h"
#include "sim/splits.h"
#include "track/track_file.h"

namespace {

bool sameLayout(const SectorLayout& a, const SectorLayout& b)
{
    return a.segmentCount == b.segmentCount && a.startJoint == b.startJoint && a.sectorsPerLap == b.sectorsPerLap;
}

// The sector times of a run file that holds on track, or false.
bool sectorTicksOf(const std::string& path, const Track& track, const Sha256Digest& trackHash, double gravity,
                   const SectorLayout& layout, std::vector<int64_t>& ticks)
{
    GhostFile ghost;
    std::string reason;
    if (!readGhostFile(path, ghost, reason) || ghost.physics != physicsVersion || ghost.trackHash != trackHash ||
        ghost.records.size() != ghost.ticks)
        return false;
    // One replay both checks the run and gives its crossings.
    Track copy = track;
    RunSplits splits;
    resetSplits(splits, static_cast<int32_t>(copy.segments.size()));
    ReplaySetup setup;
    setup.controls = ghost.records;
    setup.gravity = gravity;
    setup.onTick = [&splits](const TickReport& report) { noteSplitTick(splits, report); };
    const ReplayResult result = replayRace(copy, setup);
    if (result.outcome != RaceOutcome::finish || result.raceTicks != int64_t(ghost.ticks))
        return false;
    ticks = runSectorTicks(layout, splits);
    return true;
}

}  // namespace

bool refreshHistorySectors(HistorySectors& sectors, const std::string& folder, const Track& track,
                           const Sha256Digest& trackHash, double gravity, size_t maxReplays)
{
    const SectorLayout layout = sectorLayout(track, gravity);
    if (sectors.folder != folder || sectors.trackHash != trackHash || !sameLayout(sectors.layout, layout)) {
        sectors = HistorySectors();
        sectors.folder = folder;
        sectors.trackHash = trackHash;
        sectors.layout = layout;
    }
    std::map<std::string, HistorySectorFile> known;
    for (HistorySectorFile& f : sectors.files)
        known.emplace(f.name, std::move(f));
    sectors.files.clear();
    sectors.complete = true;
    size_t replays = 0;
    for (const HistoryEntry& entry : listHistory(folder)) {
        const std::string path = folder + "/" + entry.fileName;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            continue;
        HistorySectorFile file;
        file.name = entry.fileName;
        file.size = static_cast<int64_t>(st.st_size);
        file.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        const auto found = known.find(file.name);
        if (found != known.end() && found->second.size == file.size && found->second.modifiedNs == file.modifiedNs) {
            sectors.files.push_back(std::move(found->second));
            continue;
        }
        if (replays >= maxReplays) {
            sectors.complete = false;
            continue;
        }
        ++replays;
        file.usable = sectorTicksOf(path, track, trackHash, gravity, layout, file.ticks);
        sectors.files.push_back(std::move(file));
    }
    return sectors.complete;
}

std::vector<std::vector<int64_t>> historySectorTicks(const HistorySectors& sectors)
{
    std::vector<std::vector<int64_t>> ticks;
    for (const HistorySectorFile& f : sectors.files) {
        if (f.usable)
            ticks.push_back(f.ticks);
    }
    return ticks;
}
