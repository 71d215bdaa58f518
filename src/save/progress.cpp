#include "save/progress.h"

#include <algorithm>

std::string trackNameAt(int row, int column) { return std::to_string(column) + std::to_string(row); }

// The medal stored for the track at a grid place, 0 without a record.
static int32_t storedMedal(const SaveData& save, int row, int column)
{
    auto found = save.records.find(trackNameAt(row, column));
    return found == save.records.end() ? 0 : found->second.medal;
}

TrackState trackState(const SaveData& save, int row, int column)
{
    const int32_t medal = storedMedal(save, row, column);
    if (medal != 0)
        return static_cast<TrackState>(medal);
    const int32_t bronze = static_cast<int32_t>(TrackState::bronze);
    const bool opened = (row == 0 && column == 0) || (row > 0 && storedMedal(save, row - 1, column) >= bronze) ||
                        (row == 0 && column > 0 && storedMedal(save, 0, column - 1) >= bronze);
    return opened ? TrackState::open : TrackState::locked;
}

bool scoreBefore(const ScoreEntry& a, const ScoreEntry& b)
{
    if (a.ticks != b.ticks)
        return a.ticks < b.ticks;
    return a.date > b.date;
}

void sortScores(std::vector<ScoreEntry>& scores) { std::stable_sort(scores.begin(), scores.end(), scoreBefore); }
