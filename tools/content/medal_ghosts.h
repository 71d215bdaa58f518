#pragma once
// Medal ghosts: for every medal of every track a run that finishes just inside
// the medal's time, so a player can race gold rather than read a number. The
// autopilot drives each one with its top speed capped; a search over the cap
// lands the finish in the medal's window.

#include <cstdint>
#include <string>
#include <vector>

#include "save/ghost_file.h"
#include "sim/autopilot.h"

// The medals in the order times.txt lists them; also the ghosts' player names
// and file names (gold.vghost ...).
extern const char* const medalNames[3];

// Race ticks a medal ghost may finish on: last is the slowest finish that
// still earns the medal, first lies 0.30 s under it.
struct MedalWindow {
    int64_t first = 0;
    int64_t last = 0;
};

// The window of a medal time in seconds, with the medal rule's comparison
// (a finish of b ticks earns it when b <= seconds / tickSeconds).
MedalWindow medalWindow(double seconds);

// One race of the autopilot with its planned speed capped at topSpeed m/s.
struct CappedDrive {
    double topSpeed = 0.0;
    ReplayResult result;
    // One record per race tick run.
    std::vector<ControlInput> controls;
    // m/s, the fastest the ship went in the race ticks.
    double fastest = 0.0;
};

CappedDrive driveCapped(Track& track, const AutopilotPath& path, double topSpeed, int64_t maxTicks);

// A race of a search: its cap, its outcome and the race ticks it ran.
struct CapSample {
    double cap = 0.0;
    double ticks = 0.0;
    RaceOutcome outcome = RaceOutcome::unfinished;
};

// The outcome of a search for a finish inside a window.
struct MedalSearch {
    bool found = false;
    // The last race driven: the one in the window when found.
    CappedDrive drive;
    // Races driven, the last one included.
    int32_t races = 0;
};

// Searches the cap for a finish inside window, at most maxRaces races. With
// nothing known the autopilot races uncapped first; each next cap comes from
// the nearest too fast and too slow races so far, those of known included,
// and every race is added to known, so the next medal's search starts where
// this one ended. Deterministic: the same track, window and known races give
// the same races.
MedalSearch searchMedalDrive(Track& track, const AutopilotPath& path, const MedalWindow& window,
                             std::vector<CapSample>& known, int32_t maxRaces = 24);

// The ghost file of a drive: player name medal, date 0 so the bytes do not
// depend on when the tool ran.
GhostFile medalGhost(const std::string& medal, const std::string& trackName, const Sha256Digest& trackHash,
                     const CappedDrive& drive);

// The three medal ghosts of a track, gold, silver, bronze, for these medal
// times in seconds; each search starts from the races of the ones before.
// error names the first medal out of the autopilot's reach ("" when none is).
struct MedalGhosts {
    GhostFile ghosts[3];
    int32_t races = 0;
    std::string error;
};

MedalGhosts driveMedalGhosts(Track& track, const Sha256Digest& trackHash, const double seconds[3]);

// Writes bytes to path, created readable by all or truncated first when it is
// a regular file. A link, FIFO, device or folder in its place is left alone
// and gives false.
bool writeContentFile(const std::string& path, const std::vector<uint8_t>& bytes);
