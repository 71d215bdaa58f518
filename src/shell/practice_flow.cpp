#include "shell/practice_flow.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "assets/atomic_file.h"
#include "assets/data_dir.h"
#include "audio/sound.h"
#include "gui/menu_analysis.h"
#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "save/run_history.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/paths.h"
#include "shell/shelf_files.h"
#include "sim/practice.h"
#include "sim/splits.h"
#include "sim/time_text.h"

bool runMayBeStored(const Game& g) { return !g.run.practice; }

// The current track's stored best run; null when it has none.
static const std::vector<ControlInput>* bestRun(const Game& g)
{
    const auto found = g.save.records.find(g.save.trackName);
    if (found == g.save.records.end() || found->second.ghostRun.empty())
        return nullptr;
    return &found->second.ghostRun;
}

// The rival file's player, or the best run.
static std::string referenceNameOf(const Game& g, const std::vector<ControlInput>* reference)
{
    const ShelfEntry* rival = g.ghostEnabled ? rivalEntry(g.ghosts) : nullptr;
    if (rival && reference && reference != bestRun(g)) {
        // A shared file may carry a name of any length; the title stays on screen.
        const std::string name = rival->ghost.playerName.substr(0, 20);
        return name.empty() ? "a ghost" : name;
    }
    return "best run";
}

// The rival the race's ghost replays, else the track's best run.
static const std::vector<ControlInput>* referenceRun(const Game& g)
{
    if (g.race.ghostRun && !g.race.ghostRun->empty())
        return g.race.ghostRun;
    return bestRun(g);
}

void noteFinishedRun(Game& g)
{
    FinishedRun& last = g.analysis.last;
    const std::vector<ControlInput>* reference = referenceRun(g);
    last.trackName = g.save.trackName;
    last.records = g.run.controls;
    last.reference = reference ? *reference : std::vector<ControlInput>();
    last.referenceName = referenceNameOf(g, reference);
    g.analysis.analysed = false;
}

bool analysisOffered(const Game& g)
{
    const FinishedRun& last = g.analysis.last;
    return !last.trackName.empty() && last.trackName == g.save.trackName && !last.reference.empty() &&
           !last.records.empty() && !g.track.segments.empty();
}

static void showAnalysis(Game& g)
{
    showScreen(Screen::analysis);
    if (g.menuAnalysis)
        g.menuAnalysis->show(g.analysis.view, practiceButtonCaption(g), g.analysis.practiceLine);
}

// The kept runs' sector times brought up to date by at most replays
// replays; true while some files are still to be looked at.
static bool refreshHistory(Game& g, size_t replays)
{
    Sha256Digest hash{};
    if (!hashTrackFile(dataDir, g.save.trackName, hash))
        return false;
    return !refreshHistorySectors(g.analysis.history, historyFolder(saveDirectory(), g.save.trackName), g.track,
                                  hash, g.area.gravity, replays);
}

void stepAnalysis(Game& g)
{
    AnalysisState& s = g.analysis;
    if (g.screen != Screen::analysis || !s.analysed || !s.historyPending)
        return;
    s.historyPending = refreshHistory(g, analysisFrameReplays);
    if (s.historyPending)
        return;
    // Every kept run is known: the theoretical best over all of them.
    std::vector<std::vector<int64_t>> all = historySectorTicks(s.history);
    all.push_back(runSectorTicks(s.layout, splitsOfRun(g.track, s.last.records, g.area.gravity)));
    all.push_back(runSectorTicks(s.layout, splitsOfRun(g.track, s.last.reference, g.area.gravity)));
    s.analysis.theoreticalBest = theoreticalBest(all);
    s.view.theoreticalLine = analysisView(s.analysis, s.last.referenceName).theoreticalLine;
    if (g.menuAnalysis)
        g.menuAnalysis->showTheoreticalBest(s.view.theoreticalLine);
}

bool openAnalysis(Game& g, Screen from)
{
    if (!analysisOffered(g))
        return false;
    AnalysisState& s = g.analysis;
    if (!s.analysed) {
        s.historyPending = refreshHistory(g, analysisOpenReplays);
        s.analysis = analyseRun(g.track, s.last.records, s.last.reference, historySectorTicks(s.history),
                                g.area.gravity);
        s.view = analysisView(s.analysis, s.last.referenceName);
        if (s.historyPending)
            s.view.theoreticalLine = theoreticalPendingLine;
        s.analysed = true;
    }
    s.returnTo = from;
    s.reference = s.last.reference;
    s.referenceName = s.last.referenceName;
    s.layout = s.analysis.layout;
    s.sector = s.view.practiceSector;
    s.practiceLine.clear();
    showAnalysis(g);
    return true;
}

void leaveAnalysis(Game& g)
{
    if (g.analysis.returnTo == Screen::saveScore) {
        // The menu kept the name as typed: the run still waits for "done".
        showScreen(Screen::saveScore);
        if (g.menuSaveScore)
            g.menuSaveScore->doneButton->requestFocus();
        return;
    }
    openPlayMenu(g);
}

bool practiceOffered(const Game& g)
{
    const bool rival = g.race.ghostRun && !g.race.ghostRun->empty();
    return !g.track.segments.empty() && (rival || bestRun(g));
}

static bool sameRecords(const std::vector<ControlInput>& a, const std::vector<ControlInput>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(ControlInput)) == 0);
}

// The analysis's sectors hold for its own reference only.
static bool choicesFromAnalysis(const Game& g)
{
    const AnalysisState& s = g.analysis;
    return s.analysed && s.last.trackName == g.save.trackName && sameRecords(s.reference, s.last.reference);
}

std::vector<int32_t> practiceChoices(const Game& g)
{
    if (choicesFromAnalysis(g))
        return practiceSectors(g.analysis.view);
    std::vector<int32_t> all;
    for (int32_t sector = 1; sector < sectorCount(g.analysis.layout); ++sector)
        all.push_back(sector);
    return all;
}

std::string practiceButtonCaption(const Game& g)
{
    const int32_t sector = g.analysis.sector;
    if (sector <= 0 || g.analysis.layout.segmentCount <= 0)
        return "practice";
    return "practice from " + sectorLabel(g.analysis.layout, sector);
}

static bool preparePlayMenuPractice(Game& g);

void choosePracticeSector(Game& g, int32_t step)
{
    if (g.screen == Screen::playMenu && !preparePlayMenuPractice(g))
        return;
    const std::vector<int32_t> choices = practiceChoices(g);
    if (choices.empty())
        return;
    AnalysisState& s = g.analysis;
    const auto at = std::find(choices.begin(), choices.end(), s.sector);
    if (at == choices.end()) {
        s.sector = choices.front();
    } else {
        const long index = std::min<long>(long(choices.size()) - 1, std::max<long>(0, (at - choices.begin()) + step));
        s.sector = choices[size_t(index)];
    }
    if (g.screen == Screen::analysis && g.menuAnalysis)
        g.menuAnalysis->showPractice(practiceButtonCaption(g));
    else if (g.screen == Screen::playMenu && g.menuPlay)
        g.menuPlay->showPractice(practiceOffered(g), practiceButtonCaption(g));
}

bool practiceFromAnalysis(Game& g, double nowMs)
{
    if (!g.analysis.analysed || g.analysis.reference.empty())
        return false;
    g.analysis.practiceReturn = Screen::analysis;
    return startPracticeAt(g, nowMs);
}

// The play menu practises against the race's rival, else the best run, at
// the chosen sector when it is one of the choices.
static bool preparePlayMenuPractice(Game& g)
{
    if (!practiceOffered(g))
        return false;
    AnalysisState& s = g.analysis;
    const std::vector<ControlInput>* reference = referenceRun(g);
    s.reference = *reference;
    s.referenceName = referenceNameOf(g, reference);
    s.layout = sectorLayout(g.track, g.area.gravity);
    const std::vector<int32_t> choices = practiceChoices(g);
    if (std::find(choices.begin(), choices.end(), s.sector) == choices.end())
        s.sector = choices.empty() ? 0 : choices.front();
    return true;
}

bool practiceFromPlayMenu(Game& g, double nowMs)
{
    if (!preparePlayMenuPractice(g))
        return false;
    g.analysis.practiceReturn = Screen::playMenu;
    return startPracticeAt(g, nowMs);
}

bool startPracticeAt(Game& g, double nowMs)
{
    AnalysisState& s = g.analysis;
    if (s.sector <= 0 || s.reference.empty() || g.track.segments.empty())
        return false;
    // The run waiting for its name (or the best run the play menu holds) is
    // put back untouched when practice ends.
    if (!g.run.practice)
        s.heldRun = g.run;
    startRaceAt(g, nowMs);
    g.run.practice = true;
    g.race.ghostRun = &s.reference;
    beginLiveSplits(g.splits, g.track, &s.reference, g.area.gravity);
    const JointKey joint = practiceJoint(s.layout, s.sector);
    LiveSplits& splits = g.splits;
    s.crossingTick = beginPractice(g.race, g.track, g.player.state, &g.ghost.state, s.reference, joint.lap,
                                   joint.segment, g.area.gravity, practiceLeadInTicks,
                                   [&splits](const TickReport& report) { noteLiveTick(splits, report); });
    if (s.crossingTick < 0 || !g.race.on) {
        endPractice(g, s.referenceName + " never crossed the joint of " + sectorLabel(s.layout, s.sector));
        return false;
    }
    const size_t driven = std::min(s.reference.size(), size_t(std::max<int64_t>(0, g.race.raceTicks)));
    g.run.controls.assign(s.reference.begin(), s.reference.begin() + long(driven));
    resetPose(g.playerPose, g.player.state);
    resetPose(g.ghostPose, g.ghost.state);
    g.drawFraction = 1.0;
    g.countdownMs = countdownMsLeft(g.race);
    showScreen(Screen::race);
    startEngine();
    return true;
}

bool leadInRecord(Game& g)
{
    AnalysisState& s = g.analysis;
    if (s.restarted) {
        s.restarted = false;
        return false;
    }
    if (g.run.practice && !g.run.controls.empty() && g.race.raceTicks < s.crossingTick &&
        size_t(g.race.raceTicks) < s.reference.size())
        g.run.controls.back() = s.reference[size_t(g.race.raceTicks)];
    return true;
}

void notePracticeTick(Game& g, const TickReport& report)
{
    if (!g.run.practice || report.raceTick != g.analysis.crossingTick)
        return;
    const char* path = std::getenv("VANTOR_PRACTICE_STATE");
    if (!path || !*path)
        return;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&g.player.state);
    writeFileAtomically(path, std::vector<uint8_t>(bytes, bytes + sizeof(ShipState)));
}

void restartPractice(Game& g, double nowMs)
{
    g.analysis.restarted = startPracticeAt(g, nowMs);
}

void finishPractice(Game& g)
{
    AnalysisState& s = g.analysis;
    const RunAnalysis a = analyseRun(g.track, g.run.controls, s.reference, {}, g.area.gravity);
    std::string line = practiceSectionsLine(a, s.sector);
    if (line.empty())
        line = "practice " + formatTicks(a.ticks);
    endPractice(g, line + "  total " + formatDelta(a.difference));
}

void endPractice(Game& g, const std::string& note)
{
    AnalysisState& s = g.analysis;
    g.inRace = false;
    if (g.run.practice)
        g.run = s.heldRun;
    g.run.practice = false;
    s.practiceLine = note;
    if (s.practiceReturn == Screen::analysis) {
        showAnalysis(g);
        return;
    }
    g.raceNote = note;
    openPlayMenu(g);
}
