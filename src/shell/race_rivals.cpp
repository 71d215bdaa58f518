#include "shell/race_rivals.h"

#include <algorithm>
#include <limits>

#include "assets/data_dir.h"
#include "shell/flow.h"
#include "shell/game.h"

namespace {

const RivalKind medalKinds[3] = {RivalKind::gold, RivalKind::silver, RivalKind::bronze};

int medalIndex(RivalKind kind)
{
    for (int m = 0; m < 3; ++m)
        if (kind == medalKinds[m])
            return m;
    return -1;
}

MedalSeconds medalSeconds(const Game& g)
{
    // Without the track's own times no medal is earned, so none is next.
    if (!g.area.timesRead)
        return MedalSeconds{};
    return MedalSeconds{g.area.goldSeconds, g.area.silverSeconds, g.area.bronzeSeconds};
}

const TrackRecord* findRecord(const Game& g)
{
    auto it = g.save.records.find(g.save.trackName);
    return it == g.save.records.end() ? nullptr : &it->second;
}

// The lead rival's records as raceRivalRun finds them, without adding a
// record for a track never raced.
const std::vector<ControlInput>* leadRun(const Game& g)
{
    static const TrackRecord none;
    if (!g.ghostEnabled)
        return nullptr;
    const TrackRecord* record = findRecord(g);
    return rivalRecords(g.ghosts, record ? *record : none);
}

bool leadRaces(const Game& g)
{
    const std::vector<ControlInput>* lead = leadRun(g);
    return lead && !lead->empty();
}

} // namespace

GhostTint ghostTint(size_t lane)
{
    static const GhostTint tints[maxRivals] = {
        {1.0f, 1.0f, 1.0f}, {1.0f, 0.55f, 0.15f}, {0.3f, 1.0f, 0.4f}, {1.0f, 0.35f, 0.9f}};
    return tints[lane % maxRivals];
}

GhostTint ghostDotTint(size_t lane)
{
    // The first dot keeps the pale blue the map always had for the ghost.
    return lane == 0 ? GhostTint{0.6f, 0.85f, 1.0f} : ghostTint(lane);
}

float ghostOpacity(double distance)
{
    const double clear = 5.0;
    const double touching = 1.5;
    const double far = 0.3;
    const double near = 0.08;
    if (!(distance > touching))
        return float(near);
    if (distance >= clear)
        return float(far);
    return float(near + (far - near) * (distance - touching) / (clear - touching));
}

float tagFade(double distance)
{
    const float nearest = ghostOpacity(0.0);
    const float clear = ghostOpacity(std::numeric_limits<double>::infinity());
    return (ghostOpacity(distance) - nearest) / (clear - nearest);
}

float ghostOpacityFor(double distance, float chosen)
{
    const float clear = ghostOpacity(std::numeric_limits<double>::infinity());
    return chosen * ghostOpacity(distance) / clear;
}

std::string rivalName(RivalKind kind)
{
    switch (kind) {
    case RivalKind::bestRun:
        return "best run";
    case RivalKind::gold:
        return "gold";
    case RivalKind::silver:
        return "silver";
    case RivalKind::bronze:
        return "bronze";
    case RivalKind::file:
        break;
    }
    return "ghost";
}

void loadRaceRivals(Game& g)
{
    RaceRivals& r = g.rivals;
    r.medals = readMedalGhosts(dataDir, g.save.trackName);
    if (r.addedTrack == g.save.trackName && r.addedByPlayer) {
        // A medal ghost the track no longer ships is not raced.
        r.added.erase(std::remove_if(r.added.begin(), r.added.end(),
                                     [&](const Rival& rival) {
                                         const int m = medalIndex(rival.kind);
                                         return m < 0 || !r.medals.offered[m];
                                     }),
                      r.added.end());
    } else {
        r.added.clear();
        for (const Rival& rival : defaultRivals(findRecord(g), medalSeconds(g), r.medals.offered))
            if (medalIndex(rival.kind) >= 0)
                r.added.push_back(rival);
        r.addedTrack = g.save.trackName;
        r.addedByPlayer = false;
    }
    if (r.cursor < 0 || r.cursor > 2 || !r.medals.offered[r.cursor])
        stepRivalCursor(g, 1);
}

void stepRivalCursor(Game& g, int step)
{
    RaceRivals& r = g.rivals;
    const int direction = step < 0 ? -1 : 1;
    int at = std::clamp(r.cursor, 0, 2);
    for (int tries = 0; tries < 3; ++tries) {
        at = (at + direction + 3) % 3;
        if (r.medals.offered[at]) {
            r.cursor = at;
            return;
        }
    }
}

void toggleShownRival(Game& g)
{
    RaceRivals& r = g.rivals;
    if (r.cursor < 0 || r.cursor > 2 || !r.medals.offered[r.cursor])
        return;
    // The lead rival holds the first place of the set, so at most three are added.
    std::vector<Rival> set;
    if (leadRaces(g))
        set.push_back(Rival{RivalKind::bestRun, ""});
    const size_t lead = set.size();
    set.insert(set.end(), r.added.begin(), r.added.end());
    if (!toggleRival(set, Rival{medalKinds[r.cursor], ""}))
        return;
    r.added.assign(set.begin() + long(lead), set.end());
    r.addedTrack = g.save.trackName;
    r.addedByPlayer = true;
}

std::string ghostsButtonCaption(const Game& g)
{
    const RaceRivals& r = g.rivals;
    if (r.cursor < 0 || r.cursor > 2 || !r.medals.offered[r.cursor])
        return "";
    const Rival shown{medalKinds[r.cursor], ""};
    const bool racing = std::find(r.added.begin(), r.added.end(), shown) != r.added.end();
    return "ghost " + rivalName(shown.kind) + (racing ? ": racing" : ": add");
}

std::string raceGhostsLine(const Game& g)
{
    std::vector<std::string> names;
    raceGhostRuns(g, &names);
    std::string line;
    for (const std::string& name : names)
        line += (line.empty() ? "ghosts: " : ", ") + name;
    return line;
}

std::vector<const std::vector<ControlInput>*> raceGhostRuns(const Game& g, std::vector<std::string>* names)
{
    std::vector<const std::vector<ControlInput>*> runs;
    if (names)
        names->clear();
    if (!g.ghostEnabled)
        return runs;
    if (leadRaces(g)) {
        runs.push_back(leadRun(g));
        if (names) {
            const ShelfEntry* file = rivalEntry(g.ghosts);
            names->push_back(file ? file->ghost.playerName.substr(0, 20) : rivalName(RivalKind::bestRun));
        }
    }
    for (const Rival& rival : g.rivals.added) {
        const int m = medalIndex(rival.kind);
        if (m < 0 || !g.rivals.medals.offered[m] || g.rivals.medals.runs[m].empty() || runs.size() >= maxRivals)
            continue;
        runs.push_back(&g.rivals.medals.runs[m]);
        if (names)
            names->push_back(rivalName(rival.kind));
    }
    return runs;
}

void resolveRaceGhosts(Game& g)
{
    const std::vector<const std::vector<ControlInput>*> runs = raceGhostRuns(g, &g.rivals.names);
    g.race.moreGhosts.clear();
    if (runs.empty()) {
        g.race.ghostRun = raceRivalRun(g);
        return;
    }
    g.race.ghostRun = runs.front();
    for (size_t i = 1; i < runs.size(); ++i)
        g.race.moreGhosts.push_back(GhostLane{&g.rivals.ships[i - 1], runs[i]});
}

std::string finishNextToBeat(const Game& g)
{
    if (g.run.ticks <= 0 || g.run.practice || !g.area.timesRead)
        return "";
    return nextToBeatLine(g.run.ticks, medalSeconds(g));
}

void dropExtraGhosts(Game& g)
{
    g.race.moreGhosts.clear();
    g.rivals.names.clear();
}
