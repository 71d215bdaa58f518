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

// The lead as a rival: its file, or the best run.
Rival leadRival(const Game& g)
{
    const ShelfEntry* file = rivalEntry(g.ghosts);
    return file ? Rival{RivalKind::file, file->path} : Rival{RivalKind::bestRun, ""};
}

const ShelfEntry* offeredFile(const Game& g, const std::string& path)
{
    for (size_t i : g.ghosts.offered)
        if (g.ghosts.entries[i].path == path)
            return &g.ghosts.entries[i];
    return nullptr;
}

// A file's player as the ghosts button names it: short enough that its
// longest caption stays clear of "back" on the same row.
std::string buttonName(const std::string& playerName) { return playerName.substr(0, 10); }

// The records an added rival races with and its name; null when it cannot
// race now.
const std::vector<ControlInput>* addedRun(const Game& g, const Rival& rival, std::string* name)
{
    const int m = medalIndex(rival.kind);
    if (m >= 0) {
        if (!g.rivals.medals.offered[m] || g.rivals.medals.runs[m].empty())
            return nullptr;
        *name = rivalName(rival.kind);
        return &g.rivals.medals.runs[m];
    }
    if (rival.kind == RivalKind::bestRun) {
        const TrackRecord* record = findRecord(g);
        if (!record || record->ghostRun.empty())
            return nullptr;
        *name = rivalName(rival.kind);
        return &record->ghostRun;
    }
    const ShelfEntry* file = offeredFile(g, rival.path);
    if (!file || file->ghost.records.empty())
        return nullptr;
    *name = file->ghost.playerName.substr(0, 20);
    return &file->ghost.records;
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
        // A medal ghost the track no longer ships is not raced; files stay
        // while the shelf judges them, and race only once verified.
        r.added.erase(std::remove_if(r.added.begin(), r.added.end(),
                                     [&](const Rival& rival) {
                                         const int m = medalIndex(rival.kind);
                                         return m >= 0 && !r.medals.offered[m];
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
}

std::vector<Rival> addableNow(const Game& g)
{
    const bool fileLeads = leadRaces(g) && rivalEntry(g.ghosts);
    std::vector<std::string> files;
    for (size_t i : g.ghosts.offered)
        if (!(fileLeads && g.ghosts.entries[i].path == g.ghosts.rivalPath))
            files.push_back(g.ghosts.entries[i].path);
    return addableRivals(g.rivals.medals.offered, fileLeads && hasBestRun(findRecord(g)), files);
}

Rival shownRival(const Game& g)
{
    const std::vector<Rival> candidates = addableNow(g);
    if (std::find(candidates.begin(), candidates.end(), g.rivals.shown) != candidates.end())
        return g.rivals.shown;
    return candidates.empty() ? g.rivals.shown : candidates.front();
}

void stepRivalCursor(Game& g, int step) { g.rivals.shown = stepAmong(addableNow(g), shownRival(g), step); }

void toggleShownRival(Game& g)
{
    const std::vector<Rival> candidates = addableNow(g);
    if (candidates.empty())
        return;
    const Rival shown = shownRival(g);
    RaceRivals& r = g.rivals;
    // The lead holds the first place of the set; added rivals that can no
    // longer race, or that became the lead, give their places up.
    std::vector<Rival> set;
    const bool leads = leadRaces(g);
    if (leads)
        set.push_back(leadRival(g));
    const size_t lead = set.size();
    std::string name;
    for (const Rival& rival : r.added)
        if (!(leads && rival == set.front()) && addedRun(g, rival, &name))
            set.push_back(rival);
    if (!toggleRival(set, shown))
        return;
    r.added.assign(set.begin() + long(lead), set.end());
    r.shown = shown;
    r.addedTrack = g.save.trackName;
    r.addedByPlayer = true;
}

std::string ghostsButtonCaption(const Game& g)
{
    if (addableNow(g).empty())
        return "";
    const Rival shown = shownRival(g);
    const bool racing = std::find(g.rivals.added.begin(), g.rivals.added.end(), shown) != g.rivals.added.end();
    std::string label = rivalName(shown.kind);
    if (shown.kind == RivalKind::file)
        if (const ShelfEntry* file = offeredFile(g, shown.path))
            label = buttonName(file->ghost.playerName);
    return "ghost " + label + (racing ? ": racing" : ": add");
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
    const bool leads = !runs.empty();
    const Rival lead = leadRival(g);
    for (const Rival& rival : g.rivals.added) {
        std::string name;
        if (runs.size() >= maxRivals || (leads && rival == lead))
            continue;
        const std::vector<ControlInput>* run = addedRun(g, rival, &name);
        if (!run)
            continue;
        runs.push_back(run);
        if (names)
            names->push_back(name);
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
