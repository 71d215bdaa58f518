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
// True when the run became the ghost.
bool recordRun(SaveData& save, const Run& run, double goldSeconds, double silverSeconds, double bronzeSeconds,
               double stepSeconds, int32_t date);

// The game's recording of game.run on the current track against the loaded
// area's target times, followed by rewriting the save file at savePath()
// when game.saveStatus allows it. False when the file was not written: the
// run is kept in memory anyway (the next successful write stores it with the
// rest) and game.saveStatus.writeError says why. A run that became the ghost
// and was stored is also written as a ghost file into the "ghosts" folder
// beside the save file (ghostFolder()).
bool recordRun();

// The folder of the game's ghost files: "ghosts" beside the save file, "" when
// there is no save folder.
std::string ghostFolder();
