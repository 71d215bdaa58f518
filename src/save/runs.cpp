#include "save/runs.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "assets/data_dir.h"
#include "save/ghost_file.h"
#include "shell/game.h"
#include "shell/paths.h"

bool isHighScore(const TrackRecord& record, int32_t ticks)
{
    // ticks is at most the fifth best exactly when fewer than five scores are
    // strictly faster; counting needs neither sorted scores nor a copy.
    size_t faster = 0;
    for (const ScoreEntry& s : record.scores)
        if (s.ticks < ticks)
            ++faster;
    return faster < 5;
}

TrackState medalFor(int32_t bestTicks, double goldSeconds, double silverSeconds, double bronzeSeconds,
                    double stepSeconds)
{
    double b = static_cast<double>(bestTicks);
    TrackState medal = TrackState::open;
    if (b <= bronzeSeconds / stepSeconds)
        medal = TrackState::bronze;
    if (b <= silverSeconds / stepSeconds)
        medal = TrackState::silver;
    if (b <= goldSeconds / stepSeconds)
        medal = TrackState::gold;
    return medal;
}

int64_t medalLimitTicks(double seconds, double stepSeconds)
{
    return static_cast<int64_t>(std::floor(seconds / stepSeconds));
}

bool recordRun(SaveData& save, const Run& run, double goldSeconds, double silverSeconds, double bronzeSeconds,
               double stepSeconds, int32_t date)
{
    TrackRecord& record = recordFor(save, save.trackName);
    record.name = save.trackName;

    // The ghost shows the fastest run: it is replaced when the new run beats
    // every score so far. Counting the stored ghost's records instead would
    // let a slower run win, since they include the frames spent in the menus.
    // A run without records never becomes the ghost: a scored record must
    // keep a ghost run to be stored and read back.
    bool faster = true;
    if (!record.scores.empty()) {
        int32_t best = record.scores.front().ticks;
        for (const ScoreEntry& s : record.scores)
            best = std::min(best, s.ticks);
        faster = run.ticks < best;
    }
    const bool becomesGhost = (record.ghostRun.empty() || faster) && !run.controls.empty();
    if (becomesGhost) {
        record.ghostRun = run.controls;
        record.ghostStart = run.startState;
    }

    record.scores.push_back({save.playerName, save.shipName, run.ticks, date});
    sortScores(record.scores);
    record.medal = static_cast<int32_t>(
        medalFor(record.scores.front().ticks, goldSeconds, silverSeconds, bronzeSeconds, stepSeconds));
    return becomesGhost;
}

std::string ghostFolder()
{
    std::string dir = saveDirectory();
    return dir.empty() ? dir : dir + "/ghosts";
}

// The new best run as a file to share. Only the run's own ticks are written:
// the records the menus appended after its finish are no part of it. A run
// that cannot show its track's hash is not written, and a failed write is
// not worth a word on screen, since the save file keeps the run.
static void writeRunGhost(const SaveData& save, const Run& run, int64_t date)
{
    GhostFile ghost;
    ghost.trackName = save.trackName;
    if (run.ticks <= 0 || size_t(run.ticks) > run.controls.size() || !isTrackName(ghost.trackName) ||
        !hashTrackFile(dataDir, ghost.trackName, ghost.trackHash))
        return;
    ghost.playerName = save.playerName.substr(0, maxGhostPlayerNameBytes);
    ghost.date = date;
    ghost.ticks = static_cast<uint32_t>(run.ticks);
    ghost.startState = run.startState;
    ghost.records.assign(run.controls.begin(), run.controls.begin() + run.ticks);
    std::string folder = ghostFolder();
    if (!folder.empty())
        writeGhostFile(folder + "/" + ghostFileName(ghost), ghost);
}

bool recordRun()
{
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    int32_t date = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(now)));
    bool newGhost = recordRun(game.save, game.run, game.area.goldSeconds, game.area.silverSeconds,
                              game.area.bronzeSeconds, game.stepSeconds, date);
    bool saved = storeSaveFile(game.save, savePath(), game.saveStatus);
    // The ghost file goes with a stored best run only.
    if (newGhost && saved)
        writeRunGhost(game.save, game.run, now);
    return saved;
}
