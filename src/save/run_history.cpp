#include "save/run_history.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <limits>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/regular_file.h"
#include "sim/race_constants.h"

namespace {

// Largest stats file read: a few short lines.
const size_t maxStatsFileBytes = 4096;

// Copy numbers tried after the plain name before giving up.
const uint32_t maxCopyNumber = 99;

bool isDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether anything at all, a dangling link included, has this name.
bool nameTaken(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool allDigits(const std::string& s, size_t from, size_t count)
{
    if (from + count > s.size())
        return false;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
    }
    return true;
}

// A whole decimal number without sign or leading zero, within limit.
bool parseNumber(const std::string& s, uint64_t limit, uint64_t& value)
{
    if (s.empty() || s.size() > 20 || (s.size() > 1 && s[0] == '0') || !allDigits(s, 0, s.size()))
        return false;
    value = 0;
    for (char c : s) {
        const uint64_t digit = uint64_t(c - '0');
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

int64_t saturatingAdd(int64_t a, int64_t b)
{
    if (b > 0 && a > std::numeric_limits<int64_t>::max() - b)
        return std::numeric_limits<int64_t>::max();
    return a + b;
}

bool failWith(std::string* error, const std::string& words)
{
    if (error)
        *error = words;
    return false;
}

std::string withCopy(const std::string& name, uint32_t copy)
{
    if (copy == 0)
        return name;
    const size_t dot = name.rfind(".vghost");
    return name.substr(0, dot) + "-" + std::to_string(copy) + ".vghost";
}

}  // namespace

std::string historyFolder(const std::string& saveDir, const std::string& trackName)
{
    if (saveDir.empty() || !isTrackName(trackName))
        return "";
    return saveDir + "/history/" + trackName;
}

std::string historyFileName(int64_t date, uint32_t ticks)
{
    const std::time_t t = static_cast<std::time_t>(date);
    std::tm utc{};
    char stamp[32] = "00000000T000000";
    // A date beyond what four digits of year hold is written as the epoch
    // rather than as a name that sorts out of order.
    if (gmtime_r(&t, &utc) && utc.tm_year + 1900 >= 0 && utc.tm_year + 1900 <= 9999)
        std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
    return std::string(stamp) + "-" + std::to_string(ticks) + ".vghost";
}

bool parseHistoryFileName(const std::string& name, HistoryEntry& entry)
{
    const std::string suffix = ".vghost";
    if (name.size() < 15 + 2 + suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    if (!allDigits(name, 0, 8) || name[8] != 'T' || !allDigits(name, 9, 6) || name[15] != '-')
        return false;
    const std::string rest = name.substr(16, name.size() - 16 - suffix.size());
    const size_t dash = rest.find('-');
    uint64_t ticks = 0;
    uint64_t copy = 0;
    if (!parseNumber(rest.substr(0, dash), std::numeric_limits<uint32_t>::max(), ticks))
        return false;
    if (dash != std::string::npos && (!parseNumber(rest.substr(dash + 1), maxCopyNumber, copy) || copy < 2))
        return false;
    entry.fileName = name;
    entry.stamp = name.substr(0, 15);
    entry.ticks = static_cast<uint32_t>(ticks);
    entry.copy = static_cast<uint32_t>(copy);
    return true;
}

void sortHistory(std::vector<HistoryEntry>& entries)
{
    std::sort(entries.begin(), entries.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
        if (a.stamp != b.stamp)
            return a.stamp < b.stamp;
        if (a.copy != b.copy)
            return a.copy < b.copy;
        return a.fileName < b.fileName;
    });
}

std::vector<HistoryEntry> listHistory(const std::string& folder)
{
    std::vector<HistoryEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return entries;
    while (const dirent* e = readdir(dir)) {
        HistoryEntry entry;
        if (parseHistoryFileName(e->d_name, entry) && isRegularFile(folder + "/" + entry.fileName))
            entries.push_back(entry);
    }
    closedir(dir);
    sortHistory(entries);
    return entries;
}

std::vector<size_t> historyToPrune(const std::vector<HistoryEntry>& oldestFirst, size_t limit)
{
    std::vector<size_t> gone;
    if (oldestFirst.size() <= limit)
        return gone;
    size_t best = 0;
    for (size_t i = 1; i < oldestFirst.size(); ++i) {
        if (oldestFirst[i].ticks < oldestFirst[best].ticks)
            best = i;
    }
    const size_t excess = oldestFirst.size() - std::max<size_t>(limit, 1);
    for (size_t i = 0; i < oldestFirst.size() && gone.size() < excess; ++i) {
        if (i != best)
            gone.push_back(i);
    }
    return gone;
}

bool ghostOfRun(const std::string& trackName, const std::string& playerName, const Run& run, int64_t date,
                const std::string& dataDir, GhostFile& ghost)
{
    if (run.practice || run.ticks <= 0 || size_t(run.ticks) > run.controls.size() || !isTrackName(trackName))
        return false;
    GhostFile made;
    made.trackName = trackName;
    if (!hashTrackFile(dataDir, trackName, made.trackHash))
        return false;
    made.playerName = playerName.substr(0, maxGhostPlayerNameBytes);
    made.date = date;
    made.ticks = static_cast<uint32_t>(run.ticks);
    made.startState = run.startState;
    made.records.assign(run.controls.begin(), run.controls.begin() + run.ticks);
    ghost = std::move(made);
    return true;
}

bool keepInHistory(const std::string& saveDir, const GhostFile& ghost, std::string* written, std::string* error)
{
    const std::string folder = historyFolder(saveDir, ghost.trackName);
    if (folder.empty())
        return failWith(error, "no history folder for track " + ghost.trackName);
    // The history lives in the save folder; a missing one is not made here.
    if (!isDirectory(saveDir))
        return failWith(error, "no save folder " + saveDir);
    const std::string plain = historyFileName(ghost.date, ghost.ticks);
    std::string path;
    for (uint32_t copy = 0; copy <= maxCopyNumber && path.empty(); copy = copy == 0 ? 2 : copy + 1) {
        const std::string candidate = folder + "/" + withCopy(plain, copy);
        if (!nameTaken(candidate))
            path = candidate;
    }
    if (path.empty())
        return failWith(error, "every name for " + plain + " is taken");
    // The save folder exists; only the history's own folders are made in it.
    AtomicWrite how;
    how.createFolders = true;
    if (!writeFileAtomically(path, encodeGhost(ghost), error, how))
        return false;
    if (written)
        *written = path;

    // The new run stays even when a clock set back made it the oldest.
    std::vector<HistoryEntry> others = listHistory(folder);
    const std::string newName = path.substr(folder.size() + 1);
    others.erase(std::remove_if(others.begin(), others.end(),
                                [&](const HistoryEntry& e) { return e.fileName == newName; }),
                 others.end());
    for (size_t i : historyToPrune(others, maxHistoryRuns - 1))
        unlink((folder + "/" + others[i].fileName).c_str());
    return true;
}

void countRace(TrackStats& stats, RaceEnd end, int64_t raceTicks)
{
    stats.started = saturatingAdd(stats.started, 1);
    if (end == RaceEnd::finished)
        stats.finished = saturatingAdd(stats.finished, 1);
    else if (end == RaceEnd::offroad)
        stats.offroad = saturatingAdd(stats.offroad, 1);
    else if (end == RaceEnd::restarted)
        stats.restarts = saturatingAdd(stats.restarts, 1);
    stats.ticksDriven = saturatingAdd(stats.ticksDriven, std::max<int64_t>(raceTicks, 0));
}

std::string trackStatsPath(const std::string& saveDir, const std::string& trackName)
{
    const std::string folder = historyFolder(saveDir, trackName);
    return folder.empty() ? folder : folder + "/stats.txt";
}

std::string formatTrackStats(const TrackStats& stats)
{
    return "started " + std::to_string(stats.started) + "\nfinished " + std::to_string(stats.finished) +
           "\nrestarts " + std::to_string(stats.restarts) + "\noffroad " + std::to_string(stats.offroad) +
           "\nticks " + std::to_string(stats.ticksDriven) + "\n";
}

TrackStats parseTrackStats(const std::string& text)
{
    TrackStats stats;
    struct Field {
        const char* word;
        int64_t TrackStats::*value;
        bool seen;
    } fields[] = {{"started", &TrackStats::started, false},
                  {"finished", &TrackStats::finished, false},
                  {"restarts", &TrackStats::restarts, false},
                  {"offroad", &TrackStats::offroad, false},
                  {"ticks", &TrackStats::ticksDriven, false}};
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        const std::string word = line.substr(0, space);
        uint64_t value = 0;
        if (!parseNumber(line.substr(space + 1), uint64_t(std::numeric_limits<int64_t>::max()), value))
            continue;
        for (Field& f : fields) {
            if (word == f.word && !f.seen) {
                stats.*f.value = static_cast<int64_t>(value);
                f.seen = true;
            }
        }
    }
    return stats;
}

bool readTrackStats(const std::string& saveDir, const std::string& trackName, TrackStats& stats)
{
    const std::string path = trackStatsPath(saveDir, trackName);
    if (path.empty())
        return false;
    const FileRead file = readRegularFile(path, maxStatsFileBytes);
    if (file.status == FileStatus::missing) {
        stats = TrackStats();
        return true;
    }
    if (file.status != FileStatus::ok)
        return false;
    stats = parseTrackStats(asText(file));
    return true;
}

bool countRaceInStats(const std::string& saveDir, const std::string& trackName, RaceEnd end, int64_t raceTicks,
                      std::string* error)
{
    const std::string path = trackStatsPath(saveDir, trackName);
    if (path.empty())
        return failWith(error, "no history folder for track " + trackName);
    if (!isDirectory(saveDir))
        return failWith(error, "no save folder " + saveDir);
    TrackStats stats;
    if (!readTrackStats(saveDir, trackName, stats))
        return failWith(error, "cannot read " + path);
    // A dangling link reads as missing; it is not replaced either.
    if (nameTaken(path) && !isRegularFile(path))
        return failWith(error, path + " is not a regular file");
    countRace(stats, end, raceTicks);
    const std::string text = formatTrackStats(stats);
    AtomicWrite how;
    how.createFolders = true;
    return writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()), error, how);
}

std::string trackStatsLine(const TrackStats& stats)
{
    if (stats.started <= 0)
        return "no races yet";
    const int64_t seconds = stats.ticksDriven / ticksPerSecond;
    char driven[48];
    std::snprintf(driven, sizeof driven, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    const auto plural = [](int64_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return plural(stats.started, "race", "races") + ", " + std::to_string(stats.finished) + " finished, " +
           plural(stats.restarts, "restart", "restarts") + ", " + std::to_string(stats.offroad) + " off the road, " +
           driven + " driven";
}
