#pragma once
// Judging and keeping finished runs: the order of scores, the five-best
// threshold, medals, and recording a run into the save data and its file.

#include <cstdint>
#include <string>

#include "save/progress.h"
#include "save/save_file.h"

// Whether a run of ticks enters the five best of record: always while it holds
// fewer than five scores, else when ticks is at most the fifth best's.
bool isHighScore(const TrackRecord& record, int32_t ticks);

// The medal of a best run of bestTicks against target times in seconds:
// open for none, else bronze, silver or gold. Each target is tested on its
// own, in the order bronze, silver, gold, and the last that holds wins.
TrackState medalFor(int32_t bestTicks, double goldSeconds, double silverSeconds, double bronzeSeconds,
                 double stepSeconds);

// The slowest finish in ticks that earns a medal of seconds by medalFor's
// comparison (4.35 s at 0.01 s a tick allows 434 ticks).
int64_t medalLimitTicks(double seconds, double stepSeconds);

// Adds run as a finished run on save.trackName, recorded at date (low 32 bits
// of the calendar time): the score entry under save.playerName, the scores
// sorted, the run made the ghost when the track has none or when it beats the
// best score recorded so far, and the medal recomputed from the best score.
// True when the run became the ghost. A practice run changes nothing.
bool recordRun(SaveData& save, const Run& run, double goldSeconds, double silverSeconds, double bronzeSeconds,
               double stepSeconds, int32_t date);

// Writes run, a finished run of save.trackName, into the track's history in
// saveDir (save/run_history.h) under save.playerName. Call it while run still
// holds the run's own records. Nothing is written for a practice run or when
// the track cannot be read; false then or when the write failed.
bool keepFinishedRun(const SaveData& save, const Run& run, const std::string& saveDir, int64_t date);

// The folder of the game's ghost files: "ghosts" beside the save file, "" when
// there is no save folder.
std::string ghostFolder();

// A new best run as a file to share, in folder: only the run's own ticks are
// written, not the records the menus appended after its finish. A run that
// cannot show its track's hash is not written, and a failed write is not
// worth a word on screen, since the save file keeps the run.
void writeRunGhost(const SaveData& save, const Run& run, int64_t date, const std::string& folder);
