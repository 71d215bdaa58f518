// The race-count file of a track's history, and the names of its run files,
// on arbitrary bytes. Whatever the count reader takes must be counts a player
// could have, and the text written for them must read back the same.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "save/run_history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TrackStats stats = parseTrackStats(std::string(reinterpret_cast<const char*>(data), size));
    if (stats.started < 0 || stats.finished < 0 || stats.restarts < 0 || stats.offroad < 0 || stats.ticksDriven < 0)
        std::abort();
    const std::string text = formatTrackStats(stats);
    if (formatTrackStats(parseTrackStats(text)) != text)
        std::abort();
    if (trackStatsLine(stats).empty())
        std::abort();
    // A run file's name is read exactly: what it yields spells it again.
    HistoryEntry entry;
    const std::string name(reinterpret_cast<const char*>(data), size);
    if (parseHistoryFileName(name, entry)) {
        const std::string copy = entry.copy ? "-" + std::to_string(entry.copy) : "";
        if (entry.stamp + "-" + std::to_string(entry.ticks) + copy + ".vghost" != name)
            std::abort();
    }
    return 0;
}
