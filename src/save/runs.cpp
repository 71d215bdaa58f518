#include "save/runs.h"

#include <algorithm>
#include <ctime>

#include "shell/game.h"
#include "shell/paths.h"

bool scoreBefore(const ScoreEntry& a, const ScoreEntry& b)
{
    if (a.ticks != b.ticks)
        return a.ticks < b.ticks;
    return a.date > b.date;
}

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

int32_t medalFor(int32_t bestTicks, double goldSeconds, double silverSeconds, double bronzeSeconds,
                 double stepSeconds)
{
    double b = static_cast<double>(bestTicks);
    int32_t medal = 1;
    if (b <= bronzeSeconds / stepSeconds)
        medal = 2;
    if (b <= silverSeconds / stepSeconds)
        medal = 3;
    if (b <= goldSeconds / stepSeconds)
        medal = 4;
    return medal;
}

void recordRun(SaveData& save, const Run& run, double goldSeconds, double silverSeconds, double bronzeSeconds,
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
    if ((record.ghostRun.empty() || faster) && !run.controls.empty()) {
        record.ghostRun = run.controls;
        record.ghostStart = run.startState;
    }

    record.scores.push_back({save.playerName, save.shipName, run.ticks, date});
    // Stable, so entries equal in ticks and date keep the order they were added in.
    std::stable_sort(record.scores.begin(), record.scores.end(), scoreBefore);
    record.medal = medalFor(record.scores.front().ticks, goldSeconds, silverSeconds, bronzeSeconds, stepSeconds);
}

bool recordRun()
{
    int32_t date = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr))));
    recordRun(game.save, game.run, game.area.goldSeconds, game.area.silverSeconds, game.area.bronzeSeconds,
           game.stepSeconds, date);
    return storeSaveFile(game.save, savePath(), game.saveStatus);
}
