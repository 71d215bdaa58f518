#include "save/runs.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "assets/data_dir.h"
#include "save/ghost_file.h"
#include "save/run_history.h"
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
    if (run.practice)
        return false;
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
    // A medal once earned stays: target times that could not be read, or
    // content changed since, must not take it away.
    int32_t medal = static_cast<int32_t>(
        medalFor(record.scores.front().ticks, goldSeconds, silverSeconds, bronzeSeconds, stepSeconds));
    // A stored value no medal has (a damaged file) protects nothing.
    const bool known = record.medal >= int32_t(TrackState::locked) && record.medal <= int32_t(TrackState::gold);
    record.medal = known ? std::max(record.medal, medal) : medal;
    return becomesGhost;
}

std::string ghostFolder()
{
    std::string dir = saveDirectory();
    return dir.empty() ? dir : dir + "/ghosts";
}

void writeRunGhost(const SaveData& save, const Run& run, int64_t date, const std::string& folder)
{
    GhostFile ghost;
    if (folder.empty() || !ghostOfRun(save.trackName, save.playerName, run, date, dataDir, ghost))
        return;
    writeGhostFile(folder + "/" + ghostFileName(ghost), ghost);
}

bool keepFinishedRun(const SaveData& save, const Run& run, const std::string& saveDir, int64_t date)
{
    GhostFile ghost;
    return ghostOfRun(save.trackName, save.playerName, run, date, dataDir, ghost) && keepInHistory(saveDir, ghost);
}
