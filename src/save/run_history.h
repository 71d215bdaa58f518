#pragma once
// Every finished run of a track, kept as a ghost file in "history/NAME"
// beside the save file, and the track's race counts in a small text file
// there. The save file does not change for any of it; each file is written
// through the atomic writer and never over anything it did not write itself.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save/ghost_file.h"
#include "save/save_file.h"

// Run files kept per track; beyond it the oldest go, never the best.
constexpr size_t maxHistoryRuns = 200;

// saveDir/history/NAME; "" when saveDir is empty or NAME cannot name a folder.
std::string historyFolder(const std::string& saveDir, const std::string& trackName);

// "YYYYMMDDTHHMMSS-TICKS.vghost", the date in UTC.
std::string historyFileName(int64_t date, uint32_t ticks);

// A run file of a history folder, as its name tells it.
struct HistoryEntry {
    std::string fileName;
    // "YYYYMMDDTHHMMSS": names sort by it in time order.
    std::string stamp;
    uint32_t ticks = 0;
    // K of a "-K" before ".vghost", given when the plain name was taken; 0 without.
    uint32_t copy = 0;
};

// Whether name has historyFileName's form, with or without a "-K" copy
// number of 2 or more; fills entry when it has.
bool parseHistoryFileName(const std::string& name, HistoryEntry& entry);

// Sorts entries oldest first: by stamp, then copy number, then name.
void sortHistory(std::vector<HistoryEntry>& entries);

// The regular files of folder named as run files, oldest first; empty when
// the folder cannot be read.
std::vector<HistoryEntry> listHistory(const std::string& folder);

// Indexes into oldestFirst of the entries that go so that at most limit
// stay: the oldest first, skipping the best (the fewest ticks, the oldest of
// equal ones), which always stays.
std::vector<size_t> historyToPrune(const std::vector<HistoryEntry>& oldestFirst, size_t limit);

// The ghost file of a finished run of trackName: its records up to its
// finish (not the menu frames after it), driven by playerName at date,
// with the track's hash read from dataDir. False for a run that is a
// practice run, has no finish within its records, or whose track cannot be
// named or read.
bool ghostOfRun(const std::string& trackName, const std::string& playerName, const Run& run, int64_t date,
                const std::string& dataDir, GhostFile& ghost);

// Writes ghost as a new run file into the history of its track in saveDir,
// which must exist (history folders are made inside it), then deletes run
// files over maxHistoryRuns (never the new one). A taken name gets the next free copy number:
// nothing already there is written over. False with error set when nothing
// was written; written, when given, is the new file's path.
bool keepInHistory(const std::string& saveDir, const GhostFile& ghost, std::string* written = nullptr,
                   std::string* error = nullptr);

// How often a track was raced, and how long.
struct TrackStats {
    int64_t started = 0;
    int64_t finished = 0;
    int64_t restarts = 0;
    int64_t offroad = 0;
    // Race ticks driven over all races, countdowns left out.
    int64_t ticksDriven = 0;
};

// How a race ended. An abandoned race (Escape) counts as started only.
enum class RaceEnd { finished, offroad, restarted, abandoned };

// One more race, started and ended as given after raceTicks race ticks.
// Counts stop at their largest value rather than wrap.
void countRace(TrackStats& stats, RaceEnd end, int64_t raceTicks);

// saveDir/history/NAME/stats.txt; "" as historyFolder gives it.
std::string trackStatsPath(const std::string& saveDir, const std::string& trackName);

// The file's text: one "WORD COUNT" line each for started, finished,
// restarts, offroad and ticks.
std::string formatTrackStats(const TrackStats& stats);
// Reads such text; lines it does not know, repeated words and counts that
// are not whole non-negative numbers are passed over.
TrackStats parseTrackStats(const std::string& text);

// Reads the stats of trackName; a missing file gives zero counts. False when
// the file is there but cannot be read (not a regular file, too large, no
// permission): it must then not be written over.
bool readTrackStats(const std::string& saveDir, const std::string& trackName, TrackStats& stats);

// Adds one race to the stats file of trackName: read, counted, written
// atomically. Nothing is written when the file cannot be read or saveDir
// does not exist. False with error set when the count was not stored.
bool countRaceInStats(const std::string& saveDir, const std::string& trackName, RaceEnd end, int64_t raceTicks,
                      std::string* error = nullptr);

// The play menu's line: "12 races, 5 finished, 3 restarts, 2 off the road,
// 0:41:07 driven"; "no races yet" for none.
std::string trackStatsLine(const TrackStats& stats);
