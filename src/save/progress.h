#pragma once
// What the menus show of the player's progress, from the save data alone:
// each track's state in the grid and the order of a track's scores.

#include <cstdint>
#include <string>
#include <vector>

#include "save/save_file.h"

// A track's state in the grid. The values are those a track record stores
// as its medal: a record's medal is open until a finished run earns more.
enum class TrackState : int32_t { locked = 0, open = 1, bronze = 2, silver = 3, gold = 4 };

// The grid of tracks: rows "0" to "2", columns "0" to "4".
constexpr int trackGridRows = 3;
constexpr int trackGridColumns = 5;

// The name of the track at a grid place: its column's digit, then its row's.
std::string trackNameAt(int row, int column);

// The state the track menu shows: the stored medal of a track that has one;
// otherwise open for the first track, for a track below one with at least
// bronze, and for a first-row track right of one with at least bronze;
// otherwise locked.
TrackState trackState(const SaveData& save, int row, int column);

// a before b: fewer ticks, or equal ticks and the newer date. Signed compares.
bool scoreBefore(const ScoreEntry& a, const ScoreEntry& b);

// Puts scores in scoreBefore order; entries equal in both keep the order in
// which they were added.
void sortScores(std::vector<ScoreEntry>& scores);
