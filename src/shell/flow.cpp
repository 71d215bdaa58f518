#include "shell/flow.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "audio/sound.h"
#include "gui/intents.h"
#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "gui/menu_track.h"
#include "render/camera.h"
#include "save/run_history.h"
#include "save/runs.h"
#include "shell/editor_flow.h"
#include "shell/frame_pacing.h"
#include "shell/game.h"
#include "shell/my_tracks.h"
#include "shell/my_tracks_flow.h"
#include "shell/paths.h"
#include "shell/practice_flow.h"
#include "shell/race_rivals.h"
#include "shell/screens.h"
#include "shell/settings_flow.h"
#include "shell/shelf_files.h"
#include "shell/views.h"
#include "sim/race_session.h"
#include "sim/splits.h"
#include "track/track.h"

const std::vector<ControlInput>* raceRivalRun(Game& g)
{
    if (!g.ghostEnabled)
        return nullptr;
    return rivalRecords(g.ghosts, recordFor(g.save, g.save.trackName));
}

void startRaceAt(Game& g, double nowMs)
{
    g.inRace = true;
    g.nextTickMs = nowMs;
    // Resolved once: nothing the rivals' records live in changes while the
    // race is on, and every race end that looks at the ghost files again
    // resolves them anew.
    resolveRaceGhosts(g);
    beginRace(g.race, g.track, g.player.state, &g.ghost.state, g.area.gravity);
    // A start or a restart draws nothing between the old place and the new.
    resetPose(g.playerPose, g.player.state);
    resetPose(g.ghostPose, g.ghost.state);
    for (size_t i = 0; i + 1 < maxRivals; ++i)
        resetPose(g.rivals.poses[i], g.rivals.ships[i]);
    g.drawFraction = 1.0;
    g.countdownMs = countdownMsLeft(g.race);
    g.run.controls.clear();
    std::memcpy(g.run.startState.data(), &g.player.state, sizeof(ShipState));
    beginLiveSplits(g.splits, g.track, g.race.ghostRun, g.race.gravity);
    g.raceNote.clear();
}

void startRace(Game& g)
{
    startRaceAt(g, frameClockMs());
    startEngine();
}

void loadPlayMenu(Game& g)
{
    // A player's track edited since it was chosen races under its new road's records.
    g.save.trackName = currentTrackName(g.save.trackName);
    // Read every time: a finished run comes back here with fresh files.
    loadTrack(g.track, g.save.trackName);
    loadArea(g.area, g.save.trackName);
    TrackRecord& record = recordFor(g.save, g.save.trackName);
    sortScores(record.scores);

    Sha256Digest trackHash{};
    bool haveHash = hashTrackFile(dataDir, g.save.trackName, trackHash);
    // The files are judged over the next frames; this frame does its share.
    beginShelf(g.ghosts, ghostFolder(), g.save.trackName, trackHash, haveHash);
    stepShelf(g.ghosts, g.track, &record, menuFrameShelfBudget);
    // The shelf's files were read anew: the race that just ended must not keep
    // pointing at the records it held before.
    g.race.ghostRun = raceRivalRun(g);
    dropExtraGhosts(g);
    loadRaceRivals(g);

    g.run.controls = record.ghostRun;
    std::memcpy(g.run.startState.data(), record.ghostStart.data(), g.run.startState.size());

    g.trackStats = TrackStats();
    g.haveTrackStats = readTrackStats(saveDirectory(), g.save.trackName, g.trackStats);
}

void openPlayMenu(Game& g)
{
    showScreen(Screen::playMenu);
    // The loading half belongs to the menu's refresh: a game without its
    // menus (the headless tests of the loop) reads no files here.
    if (!g.menuPlay)
        return;
    loadPlayMenu(g);
    g.menuPlay->refresh(playMenuView(g));
}

void openTrackMenu(Game& g)
{
    g.askingQuit = false;
    showScreen(Screen::trackMenu);
    if (g.menuTrack)
        g.menuTrack->refresh(trackMenuView(g));
}

// The stats file of the current track counts one more race; only while this
// session may write beside the save file, and never for practice.
static void countRace(Game& g, RaceEnd end)
{
    if (!g.saveStatus.writable || !runMayBeStored(g))
        return;
    countRaceInStats(saveDirectory(), g.save.trackName, end, g.race.raceTicks);
}

bool keepFinishedRun(Game& g)
{
    // Not after start-up said the session's runs will not be saved.
    if (!g.saveStatus.writable || !runMayBeStored(g))
        return false;
    return keepFinishedRun(g.save, g.run, saveDirectory(), static_cast<int64_t>(std::time(nullptr)));
}

bool recordRun(Game& g)
{
    // A practice run can reach no score, best run or file by any path.
    if (!runMayBeStored(g))
        return false;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    int32_t date = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(now)));
    // Without the track's own target times a run earns no medal: the
    // defaults would hand out medals the track's times do not give.
    const Area& area = g.area;
    bool newBest = area.timesRead ? recordRun(g.save, g.run, area.goldSeconds, area.silverSeconds,
                                              area.bronzeSeconds, g.stepSeconds, date)
                                  : recordRun(g.save, g.run, 0.0, 0.0, 0.0, g.stepSeconds, date);
    bool saved = false;
    if (!g.saveStatus.writable || lockForWriting(g.saveLock, savePath(), g.saveStatus))
        saved = storeSaveFile(g.save, savePath(), g.saveStatus);
    // The ghost file goes with a stored best run only.
    if (newBest && saved)
        writeRunGhost(g.save, g.run, now, ghostFolder());
    return saved;
}

void finishRun(Game& g)
{
    if (g.editor.testDriving) {
        finishTestDrive(g);
        return;
    }
    if (!runMayBeStored(g)) {
        finishPractice(g);
        return;
    }
    g.inRace = false;
    TrackRecord& record = recordFor(g.save, g.save.trackName);
    record.name = g.save.trackName;
    g.run.ticks = static_cast<int32_t>(g.run.controls.size());
    noteFinishedRun(g);
    // Kept while the run holds its own records: the play menu's loading half
    // puts the best run there before a slow run is recorded.
    keepFinishedRun(g);
    countRace(g, RaceEnd::finished);
    if (!isHighScore(record, g.run.ticks)) {
        // The play menu hands the best run to the current run before it is
        // recorded, so a slow run adds its score but never becomes the best.
        openPlayMenu(g);
        recordRun(g);
        // The menu was filled before the write; its line must say how the write went.
        if (g.menuPlay)
            g.menuPlay->showSaveResult(g.saveStatus.writeError);
        return;
    }
    showScreen(Screen::saveScore);
    if (g.menuSaveScore)
        g.menuSaveScore->show(saveScoreView(g));
}

void loseRace(Game& g)
{
    if (g.editor.testDriving) {
        endTestDrive(g, g.raceNote);
        return;
    }
    if (!runMayBeStored(g)) {
        endPractice(g, g.raceNote);
        return;
    }
    g.inRace = false;
    countRace(g, RaceEnd::offroad);
    openPlayMenu(g);
}

void abortRace(Game& g)
{
    if (g.editor.testDriving) {
        endTestDrive(g, "abandoned");
        return;
    }
    if (!runMayBeStored(g)) {
        endPractice(g, "");
        return;
    }
    countRace(g, RaceEnd::abandoned);
    g.run.controls.clear();
    g.run.ticks = 0;
    g.inRace = false;
    openPlayMenu(g);
}

void restartRace(Game& g)
{
    if (g.editor.testDriving) {
        endTestDrive(g, "abandoned");
        return;
    }
    // R in practice begins it again at the same joint.
    if (!runMayBeStored(g)) {
        restartPractice(g, frameClockMs());
        return;
    }
    countRace(g, RaceEnd::restarted);
    g.run.controls.clear();
    showScreen(Screen::race);
    startRace(g);
}

void actOnTick(Game& g, const TickReport& report)
{
    soundAfterTick(report);
    notePracticeTick(g, report);
    if (report.finished) {
        g.raceNote = lapTimesLine(g.splits.own);
        finishRun(g);
    } else if (report.leftRoad) {
        g.raceNote = offRoadLine(report.raceTick, report.lap);
        loseRace(g);
    }
}

void chooseTrack(Game& g, const std::string& trackName)
{
    g.save.trackName = trackName;
    g.run.ticks = 0;
    // Said once: the line is gone when the player comes back.
    g.saveStatus.startNotice.clear();
    g.raceNote.clear();
    openPlayMenu(g);
}

void confirmName(Game& g, const std::string& name)
{
    g.save.playerName = shownName(name);
    recordRun(g);
    openPlayMenu(g);
}

void nextRival(Game& g)
{
    cycleRival(g.ghosts);
    keepRivalChoice(g);
    g.race.ghostRun = raceRivalRun(g);
    if (g.menuPlay) {
        g.menuPlay->showRival(!g.ghosts.offered.empty(), rivalCaption(g));
        g.menuPlay->showGhosts(ghostsButtonCaption(g), raceGhostsLine(g));
    }
}

void toggleGhost(Game& g)
{
    toggleShownRival(g);
    if (g.menuPlay)
        g.menuPlay->showGhosts(ghostsButtonCaption(g), raceGhostsLine(g));
}

void showNextGhost(Game& g, int step)
{
    stepRivalCursor(g, step);
    if (g.menuPlay)
        g.menuPlay->showGhosts(ghostsButtonCaption(g), raceGhostsLine(g));
}

void stepPlayMenu(Game& g)
{
    if (g.screen != Screen::playMenu || !g.menuPlay || !stepGhostChecks(g))
        return;
    // The shelf judged more files: the rival may now be one of them.
    g.race.ghostRun = raceRivalRun(g);
    g.menuPlay->showRival(!g.ghosts.offered.empty(), rivalCaption(g));
    g.menuPlay->showGhosts(ghostsButtonCaption(g), raceGhostsLine(g));
    g.menuPlay->showRejected(rejectedLine(g.ghosts));
}

bool startWatchAt(Game& g, double nowMs)
{
    const TrackRecord& record = recordFor(g.save, g.save.trackName);
    if (record.ghostRun.empty() || g.track.segments.empty())
        return false;
    // The track's medal ghosts go along, hidden until the player shows them.
    std::vector<std::vector<ControlInput>> medals;
    for (int m = 0; m < 3; ++m)
        if (g.rivals.medals.offered[m])
            medals.push_back(g.rivals.medals.runs[m]);
    beginWatch(g.watch, g.track, record.ghostRun, medals, g.area.gravity);
    g.watch.cameraPoints = tracksidePoints(g.track);
    g.watching = true;
    g.watchFrameMs = nowMs;
    showScreen(Screen::watch);
    return true;
}

void leaveWatch(Game& g)
{
    g.watching = false;
    showScreen(Screen::playMenu);
    if (g.menuPlay && g.menuPlay->watchButton)
        g.menuPlay->watchButton->requestFocus();
}

void escapeInMenus(Game& g)
{
    if (g.screen == Screen::analysis) {
        leaveAnalysis(g);
    } else if (g.screen == Screen::playMenu) {
        if (playingMyTrack(g))
            openMyTracks(g);
        else
            openTrackMenu(g);
    } else if (g.screen == Screen::myTracks) {
        leaveMyTracks(g);
    } else if (g.screen == Screen::settings) {
        leaveSettings(g);
    } else if (g.screen == Screen::trackMenu) {
        g.askingQuit = !g.askingQuit;
        if (g.menuTrack)
            g.menuTrack->showQuitQuestion(g.askingQuit);
    }
}

void confirmQuit(Game& g)
{
    g.askingQuit = false;
    g.running = false;
}

void actOnIntent(Game& g, const MenuIntent& intent)
{
    switch (intent.kind) {
    case IntentKind::chooseTrack:
        chooseTrack(g, intent.text);
        break;
    case IntentKind::quit:
        g.running = false;
        break;
    case IntentKind::play:
        showScreen(Screen::race);
        startRace(g);
        break;
    case IntentKind::watch:
        startWatchAt(g, frameClockMs());
        break;
    case IntentKind::cycleRival:
        nextRival(g);
        break;
    case IntentKind::toggleGhost:
        toggleGhost(g);
        break;
    case IntentKind::nextGhost:
        showNextGhost(g, intent.text == "left" ? -1 : 1);
        break;
    case IntentKind::backToTracks:
        if (playingMyTrack(g))
            openMyTracks(g);
        else
            openTrackMenu(g);
        break;
    case IntentKind::confirmName:
        confirmName(g, intent.text);
        break;
    case IntentKind::openSettings:
        openSettings(g);
        break;
    case IntentKind::focusSetting:
        focusSetting(g, std::atoi(intent.text.c_str()));
        break;
    case IntentKind::changeSetting: {
        int row = -1, direction = 0;
        if (std::sscanf(intent.text.c_str(), "%d %d", &row, &direction) == 2)
            changeSetting(g, row, direction);
        break;
    }
    case IntentKind::analysis:
        openAnalysis(g, g.screen == Screen::saveScore ? Screen::saveScore : Screen::playMenu);
        break;
    case IntentKind::practice:
        if (g.screen == Screen::analysis)
            practiceFromAnalysis(g, frameClockMs());
        else
            practiceFromPlayMenu(g, frameClockMs());
        break;
    case IntentKind::practiceEarlier:
        choosePracticeSector(g, -1);
        break;
    case IntentKind::practiceLater:
        choosePracticeSector(g, 1);
        break;
    case IntentKind::leaveAnalysis:
        leaveAnalysis(g);
        break;
    case IntentKind::testDrive:
        startTestDrive(g);
        break;
    case IntentKind::newTrack:
        openNewPlan(g);
        break;
    case IntentKind::editTrack:
        if (g.myTracks.chosen >= 0 && static_cast<size_t>(g.myTracks.chosen) < g.myTracks.tracks.size())
            openSavedPlan(g, g.myTracks.tracks[static_cast<size_t>(g.myTracks.chosen)].plan);
        break;
    case IntentKind::openMyTracks:
        openMyTracks(g);
        break;
    case IntentKind::chooseMyTrack:
        chooseMyTrack(g, std::atoi(intent.text.c_str()));
        break;
    case IntentKind::playMyTrack:
        playMyTrack(g);
        break;
    case IntentKind::shareMyTrack:
        shareChosenTrack(g);
        break;
    case IntentKind::deleteMyTrack:
        deleteChosenTrack(g);
        break;
    case IntentKind::leaveMyTracks:
        leaveMyTracks(g);
        break;
    }
}

void actOnIntents(Game& g)
{
    for (const MenuIntent& intent : takeIntents())
        actOnIntent(g, intent);
}
