#include "save/rivals.h"

#include <algorithm>
#include <cstdio>

#include "save/ghost_file.h"
#include "save/runs.h"
#include "sim/race_constants.h"

bool operator==(const Rival& a, const Rival& b) { return a.kind == b.kind && a.path == b.path; }

bool hasBestRun(const TrackRecord* record) { return record && !record->scores.empty() && !record->ghostRun.empty(); }

TrackState earnedMedal(const TrackRecord* record, const MedalSeconds& times)
{
    if (!record || record->scores.empty())
        return TrackState::open;
    int32_t best = record->scores.front().ticks;
    for (const ScoreEntry& s : record->scores)
        best = std::min(best, s.ticks);
    return medalFor(best, times.gold, times.silver, times.bronze, tickSeconds);
}

namespace {

// Gold, silver, bronze: the index of each medal in the lists below.
const RivalKind medalKinds[3] = {RivalKind::gold, RivalKind::silver, RivalKind::bronze};
const char* const medalWords[3] = {"gold", "silver", "bronze"};
const TrackState medalStates[3] = {TrackState::gold, TrackState::silver, TrackState::bronze};

double secondsOf(const MedalSeconds& times, int medal)
{
    return medal == 0 ? times.gold : medal == 1 ? times.silver : times.bronze;
}

// Hundredths as "S.HH".
std::string hundredths(int64_t ticks)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(ticks / 100),
                  static_cast<long long>(ticks % 100));
    return text;
}

// The index of the best medal earned, 3 for none.
int earnedIndex(TrackState medal)
{
    for (int m = 0; m < 3; ++m)
        if (medal == medalStates[m])
            return m;
    return 3;
}

} // namespace

MedalGhostRuns readMedalGhosts(const std::string& dataDir, const std::string& trackName)
{
    MedalGhostRuns out;
    if (!isTrackName(trackName))
        return out;
    for (int m = 0; m < 3; ++m) {
        GhostFile ghost;
        const std::string path = dataDir + "/tracks/" + trackName + "/" + medalWords[m] + ".vghost";
        // A file checks against the track it names, which must be this one.
        if (!verifyGhostFile(dataDir, path, ghost).empty() || ghost.trackName != trackName)
            continue;
        out.offered[m] = true;
        out.ticks[m] = ghost.ticks;
        out.runs[m] = std::move(ghost.records);
    }
    return out;
}

std::vector<Rival> defaultRivals(const TrackRecord* record, const MedalSeconds& times, const bool offered[3])
{
    std::vector<Rival> rivals;
    if (hasBestRun(record))
        rivals.push_back(Rival{RivalKind::bestRun, ""});
    const int earned = earnedIndex(earnedMedal(record, times));
    const int next = earned - 1;
    if (next >= 0 && offered[next])
        rivals.push_back(Rival{medalKinds[next], ""});
    return rivals;
}

bool toggleRival(std::vector<Rival>& rivals, const Rival& rival)
{
    auto found = std::find(rivals.begin(), rivals.end(), rival);
    if (found != rivals.end()) {
        rivals.erase(found);
        return true;
    }
    if (rivals.size() >= maxRivals)
        return false;
    rivals.push_back(rival);
    return true;
}

std::vector<Rival> addableRivals(const bool offered[3], bool bestRunAddable, const std::vector<std::string>& filePaths)
{
    std::vector<Rival> rivals;
    for (int m = 0; m < 3; ++m)
        if (offered[m])
            rivals.push_back(Rival{medalKinds[m], ""});
    if (bestRunAddable)
        rivals.push_back(Rival{RivalKind::bestRun, ""});
    for (const std::string& path : filePaths)
        rivals.push_back(Rival{RivalKind::file, path});
    return rivals;
}

Rival stepAmong(const std::vector<Rival>& candidates, const Rival& shown, int step)
{
    if (candidates.empty())
        return shown;
    auto found = std::find(candidates.begin(), candidates.end(), shown);
    if (found == candidates.end())
        return candidates.front();
    const long n = long(candidates.size());
    const long at = long(found - candidates.begin()) + (step < 0 ? -1 : 1);
    return candidates[size_t((at + n) % n)];
}

std::string nextToBeatLine(int32_t ticks, const MedalSeconds& times)
{
    int64_t limits[3];
    for (int m = 0; m < 3; ++m)
        limits[m] = medalLimitTicks(secondsOf(times, m), tickSeconds);
    const int earned = earnedIndex(medalFor(ticks, times.gold, times.silver, times.bronze, tickSeconds));
    std::string line;
    if (earned < 3)
        line = std::string(medalWords[earned]) + " beaten by " + hundredths(limits[earned] - ticks);
    const int next = earned - 1;
    if (next >= 0) {
        if (!line.empty())
            line += ", ";
        line += std::string(medalWords[next]) + ": " + hundredths(ticks - limits[next]) + " to go";
    }
    return line;
}
