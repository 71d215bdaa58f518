#pragma once
// The rivals of a race: which ghosts race beside the player, chosen among the
// best run, the track's medal ghosts and verified ghost files, and what the
// player has to beat next. Plain functions of the save data and the medal
// times; the menus show them and the race steps the chosen runs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save/progress.h"
#include "save/save_file.h"

enum class RivalKind { bestRun, gold, silver, bronze, file };

struct Rival {
    RivalKind kind = RivalKind::bestRun;
    // The ghost file's path for a file rival, else empty.
    std::string path;
};

bool operator==(const Rival& a, const Rival& b);

// Ghosts racing at once beside the player.
constexpr size_t maxRivals = 4;

// A track's medal times in seconds, as "times.txt" holds them.
struct MedalSeconds {
    double gold = 0.0;
    double silver = 0.0;
    double bronze = 0.0;
};

// The medal ghosts a data folder ships for one track, gold first.
struct MedalGhostRuns {
    bool offered[3] = {false, false, false};
    std::vector<ControlInput> runs[3];
    uint32_t ticks[3] = {0, 0, 0};
};

// Reads dataDir/tracks/NAME/gold.vghost, silver.vghost and bronze.vghost and
// checks each by replaying it; a file that is missing, does not hold or was
// driven on another track is not offered.
MedalGhostRuns readMedalGhosts(const std::string& dataDir, const std::string& trackName);

// Whether the record holds a best run to race: a score and a ghost run.
bool hasBestRun(const TrackRecord* record);

// The medal the record's best score earns against times by the medal rule;
// open for a record without scores or no record.
TrackState earnedMedal(const TrackRecord* record, const MedalSeconds& times);

// The race's rivals before the player chooses: the best run when there is
// one, then the ghost of the next medal not yet earned (bronze, then silver,
// then gold) when the track offers it; with gold earned the best run alone.
// offered says which medal ghosts the track has, gold first.
std::vector<Rival> defaultRivals(const TrackRecord* record, const MedalSeconds& times, const bool offered[3]);

// Takes rival out of the set when it is in, else adds it at the end while
// fewer than maxRivals race. The first of the set stays the reference the
// deltas compare with. False when nothing changed (the set is full).
bool toggleRival(std::vector<Rival>& rivals, const Rival& rival);

// The rivals that can be raced beside the lead, in the order the play menu
// steps through them: the medal ghosts offered (gold first), the best run
// when the lead is not it, then each verified ghost file by path (the lead's
// own file left out).
std::vector<Rival> addableRivals(const bool offered[3], bool bestRunAddable, const std::vector<std::string>& filePaths);

// The rival after shown (step 1) or before it (step -1) among candidates,
// wrapping; the first when shown is not among them; shown itself when there
// is no candidate.
Rival stepAmong(const std::vector<Rival>& candidates, const Rival& shown, int step);

// After a finish of ticks: the best medal the time earns and its margin
// ("gold beaten by 0.42"), and the next medal above it with the time still to
// find ("silver: 1.37 to go"), joined by ", " when there are both. Margins
// are counted from the slowest finish that still earns the medal.
std::string nextToBeatLine(int32_t ticks, const MedalSeconds& times);
