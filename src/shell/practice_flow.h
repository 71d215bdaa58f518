#pragma once
// After a finish: the analysis of the run against its reference, and
// practice from one of the reference's joints. Practice begins in exactly
// the state the reference had at the joint (sim/practice.h): the reference
// drives the last seconds before it on screen, then the player takes over.
// A practice run is never stored: runMayBeStored is the one rule every path
// to the save file, the history and the stats asks.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save/history_sectors.h"
#include "save/save_file.h"
#include "shell/analysis_view.h"
#include "shell/screens.h"
#include "sim/control.h"
#include "sim/run_compare.h"

struct Game;
struct TickReport;

// The session's last finished race and what it raced against.
struct FinishedRun {
    // Empty before the first finish.
    std::string trackName;
    std::vector<ControlInput> records;
    std::vector<ControlInput> reference;
    std::string referenceName;
};

struct AnalysisState {
    FinishedRun last;
    // The figures of last, worked out when the screen first opens for it.
    bool analysed = false;
    RunAnalysis analysis;
    AnalysisView view;
    // The sector times of the track's kept runs, looked at again on each
    // opening (only new files are replayed).
    HistorySectors history;
    bool historyPending = false;
    // Where "back" goes: the score-saving menu or the play menu.
    Screen returnTo = Screen::playMenu;

    // Practice: the run it starts from (the ghost replays it too), the
    // sector it begins (at the joint that closes the sector before), and
    // the race tick of the reference's crossing there.
    std::vector<ControlInput> reference;
    std::string referenceName;
    SectorLayout layout;
    int32_t sector = 0;
    int64_t crossingTick = -1;
    // Where Escape, a loss or a finish of practice goes back to.
    Screen practiceReturn = Screen::playMenu;
    // The last practice's section times against the reference, or why it
    // could not start.
    std::string practiceLine;
    // The game's run as practice found it, put back when practice ends.
    Run heldRun;
    // Set by a restart within a tick's poll, taken by leadInRecord.
    bool restarted = false;
};

// Whether the current run may reach the save file, the history, the best
// run or the stats: never a practice run.
bool runMayBeStored(const Game& g);

// Keeps the finished run of the current race and its reference (the rival
// the ghost replayed, else the track's best run before it) for the analysis.
void noteFinishedRun(Game& g);

// Whether the analysis can be shown for the current track: a finished run
// on it with a reference, and a road.
bool analysisOffered(const Game& g);

// The analysis screen for the last finished run; "back" returns to from.
// False, and nothing shown, when analysisOffered is not.
bool openAnalysis(Game& g, Screen from);
// Kept runs replayed when the analysis first opens, and each frame after
// while it is up: a long history is looked at over several frames.
constexpr size_t analysisOpenReplays = 8;
constexpr size_t analysisFrameReplays = 1;
// What the theoretical best says until every kept run is known.
constexpr const char* theoreticalPendingLine = "theoretical best: looking at the kept runs";
// One frame's share of that, and the theoretical best once it is done.
void stepAnalysis(Game& g);
// "back" or Escape on the analysis screen.
void leaveAnalysis(Game& g);

// Whether the play menu offers practice: a reference run and a road.
bool practiceOffered(const Game& g);
// The sectors practice can begin: those of the analysis with a common
// crossing, or every lap sector when the track has no analysis.
std::vector<int32_t> practiceChoices(const Game& g);
// The practice button's caption for the chosen sector.
std::string practiceButtonCaption(const Game& g);
// Left (-1) or right (+1) on the practice button: the joint before or after.
void choosePracticeSector(Game& g, int32_t step);

// "practice" on the analysis screen (against its reference) or on the play
// menu (against the race's rival, else the best run), at nowMs.
bool practiceFromAnalysis(Game& g, double nowMs);
bool practiceFromPlayMenu(Game& g, double nowMs);
// Begins practice again at the chosen joint; false (and a line saying so)
// when the reference never crosses it.
bool startPracticeAt(Game& g, double nowMs);

// After a race tick's poll: while the reference still drives (up to its
// crossing tick) the tick's record is the reference's, not the keys'. False
// when the poll restarted practice: the new start takes no record now, and
// its ticks begin on the next frame.
bool leadInRecord(Game& g);
// After a tick of practice: with VANTOR_PRACTICE_STATE set (by the game's
// tests), the player's ship state after the crossing tick is written there
// as its raw bytes, the state the player takes over.
void notePracticeTick(Game& g, const TickReport& report);

// R in practice: begins it again at the same joint.
void restartPractice(Game& g, double nowMs);

// A practice race ended: by its finish (the section times against the
// reference are noted), a loss or Escape; back where it began, nothing kept.
void finishPractice(Game& g);
void endPractice(Game& g, const std::string& note);
