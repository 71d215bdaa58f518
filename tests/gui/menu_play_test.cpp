#include <gtest/gtest.h>

#include "gui_env.h"
#include "gui/hud.h"
#include "save/ghost_file.h"
#include "save/ghost_shelf.h"
#include "save/runs.h"
#include "save/save_file.h"
#include "shell/main_loop.h"
#include "shell/paths.h"
#include "shell/race_rivals.h"
#include "shell/flow.h"
#include "shell/screens.h"
#include "shell/shelf_files.h"
#include "shell/watch_screen.h"
#include "sim/autopilot.h"
#include "sim/replay.h"

namespace {

ScoreEntry score(int32_t ticks, int32_t date, const std::string& name) { return {name, "ship", ticks, date}; }

std::vector<std::string> scoreLines()
{
    std::vector<std::string> lines;
    for (gcn::Label* l : game.menuPlay->scoreLabels)
        lines.push_back(l->getCaption());
    return lines;
}

void openPlayMenu(const std::string& track)
{
    game.save.trackName = track;
    showScreen(Screen::playMenu);
    openPlayMenu(game);
}

// The autopilot's finished run on the loaded track "00" as player's ghost file.
GhostFile finishedGhost(const std::string& player)
{
    GhostFile g;
    g.trackName = "00";
    EXPECT_TRUE(hashTrackFile(dataDir, "00", g.trackHash));
    g.playerName = player;
    AutopilotRun run = driveWithAutopilot(game.track, AutopilotSettings{}, 180000);
    EXPECT_EQ(run.result.outcome, RaceOutcome::finish);
    g.ticks = static_cast<uint32_t>(run.result.raceTicks);
    g.records = run.controls;
    return g;
}

// The menu frames that judge the ghost files, until none is pending; at most
// one replay in each.
int settleShelf()
{
    auto replays = [] {
        size_t n = 0;
        for (const ShelfEntry& e : game.ghosts.entries)
            n += e.checked;
        return n;
    };
    int frames = 0;
    while (game.ghosts.pending > 0 && frames < 10000) {
        const size_t before = replays();
        stepPlayMenu(game);
        EXPECT_LE(replays() - before, menuFrameShelfBudget.replays);
        ++frames;
    }
    return frames;
}

// One key press through SDL's queue, as a watch frame reads it.
void queueKey(SDLKey sym)
{
    SDL_Event event = keyDownEvent(sym);
    SDL_PushEvent(&event);
}

void brakeRecord() { game.run.controls.push_back(ControlInput{0.0f, 1.0f, 0.0f}); }
void ignoreTick(const TickReport&) {}

}  // namespace

class PlayMenu : public GuiTest {};

TEST_F(PlayMenu, TrackWithoutRecordsShowsEmptyLines)
{
    openPlayMenu("20");
    EXPECT_TRUE(game.menuPlay->container->isVisible());
    EXPECT_EQ(game.menuPlay->playButton->getCaption(), "play 20");
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last -:--.--");
    EXPECT_EQ(scoreLines(), std::vector<std::string>(5, "-:--.--"));
    EXPECT_EQ(focusedWidget(), game.menuPlay->playButton);
    EXPECT_EQ(game.save.records.count("20"), 1u) << "the lookup inserts an empty record";
}

TEST_F(PlayMenu, NamesFromTheSaveFileAreDrawnAtABoundedLength)
{
    game.save.records["00"].scores = {score(1000, 1, std::string(5 * 1024 * 1024, 'w'))};
    openPlayMenu("00");
    EXPECT_EQ(scoreLines()[0], "0:10.00 " + std::string(64, 'w'));
}

TEST_F(PlayMenu, ShowsTheFiveBestSortedWithNames)
{
    std::vector<ScoreEntry>& scores = game.save.records["00"].scores;
    scores = {score(1400, 5, "eve"), score(1000, 1, "ann"), score(1300, 4, ""),
              score(1200, 3, "cid"), score(9000, 7, "slow"), score(1100, 2, "bob"),
              score(1000, 9, "new")};
    openPlayMenu("00");
    EXPECT_EQ(scoreLines(), (std::vector<std::string>{"0:10.00 new", "0:10.00 ann",
                                                      "0:11.00 bob", "0:12.00 cid",
                                                      "0:13.00 "}));
    EXPECT_EQ(game.save.records["00"].scores.front().playerName, "new")
        << "the stored list is sorted too";
}

TEST_F(PlayMenu, LastLineUsesTheTickLength)
{
    game.run.ticks = 57;
    openPlayMenu("00");
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:00.57");
    game.run.ticks = 6123;
    openPlayMenu(game);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 1:01.23");
}

TEST_F(PlayMenu, MedalTimesComeFromTheTracksAreaOnEveryRefresh)
{
    writeText(dataDir + "/tracks/32/times.txt", "61.5 75 90.25\n");
    openPlayMenu("32");
    for (auto [label, caption] : {std::pair<int, const char*>{0, "1:01.50 "}, {1, "1:15.00 "}, {2, "1:30.25 "}})
        EXPECT_EQ(game.menuPlay->medalTimeLabels[label]->getCaption(), caption);
    writeText(dataDir + "/tracks/32/times.txt", "10 20 30\n");
    openPlayMenu(game);
    EXPECT_EQ(game.menuPlay->medalTimeLabels[0]->getCaption(), "0:10.00 ");
    EXPECT_EQ(game.area.name, "32");
    EXPECT_EQ(game.track.name, "32");
}

TEST_F(PlayMenu, EqualScoresKeepTheirRecordedOrderThroughARefresh)
{
    for (int i = 0; i < 17; ++i) {
        game.save.playerName = "n" + std::to_string(i);
        game.save.trackName = "00";
        ::Run run;
        run.ticks = 4321;
        recordRun(game.save, run, 60.0, 70.0, 80.0, 0.01, 5);
    }
    openPlayMenu("00");
    const std::vector<ScoreEntry>& scores = game.save.records["00"].scores;
    ASSERT_EQ(scores.size(), 17u);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(scores[size_t(i)].playerName, "n" + std::to_string(i));
    EXPECT_EQ(game.menuPlay->scoreLabels[4]->getCaption(), "0:43.21 n4");
}

TEST_F(PlayMenu, RefreshHandsTheGhostRunToTheCurrentRun)
{
    TrackRecord& record = game.save.records["00"];
    record.ghostRun = {ControlInput{0.5f, 0.0f, 1.0f}, ControlInput{-0.25f, 0.0f, 1.0f}};
    record.ghostStart.fill(7);
    game.run.controls.resize(40);
    openPlayMenu("00");
    ASSERT_EQ(game.run.controls.size(), 2u);
    EXPECT_EQ(game.run.controls[1].steer, -0.25f);
    EXPECT_EQ(game.run.startState[199], 7);
}

TEST_F(PlayMenu, UpAndDownAlternateLeftAndRightDoNothing)
{
    openPlayMenu("00");
    ButtonTalker* back = game.menuPlay->buttons.back();
    EXPECT_FALSE(game.menuPlay->watchButton->isVisible()) << "no best run, nothing to watch";
    EXPECT_FALSE(game.menuPlay->rivalButton->isVisible()) << "no ghost files, no rival";
    EXPECT_FALSE(game.menuPlay->rejectedLabel->isVisible());
    ButtonTalker* ghosts = game.menuPlay->ghostsButton;
    EXPECT_TRUE(ghosts->isVisible()) << "the track ships medal ghosts";
    expectFocusPath({{SDLK_DOWN, ghosts}, {SDLK_DOWN, back}, {SDLK_DOWN, game.menuPlay->playButton},
                     {SDLK_UP, back}});
    pressKey(SDLK_LEFT);
    expectFocusPath({{SDLK_RIGHT, back}, {SDLK_UP, ghosts}});
    // Left and Right on the ghosts button show another medal, the focus stays.
    const std::string shown = ghosts->getCaption();
    expectFocusPath({{SDLK_RIGHT, ghosts}});
    EXPECT_NE(ghosts->getCaption(), shown);
    pressKey(SDLK_LEFT);
    EXPECT_EQ(ghosts->getCaption(), shown);
    // Enter adds the shown medal ghost or takes it out, and the line says so.
    pressKey(SDLK_RETURN, '\r');
    EXPECT_NE(ghosts->getCaption(), shown);
    EXPECT_EQ(game.menuPlay->ghostsLabel->getCaption(), raceGhostsLine(game));
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(ghosts->getCaption(), shown);
    EXPECT_EQ(game.menuPlay->ghostsLabel->getCaption(), raceGhostsLine(game));
    expectFocusPath({{SDLK_UP, game.menuPlay->playButton}});
}

TEST_F(PlayMenu, PlayStartsTheRaceWithTheHudOverTheWindow)
{
    openPlayMenu("00");
    game.run.controls.resize(10);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_TRUE(game.inRace);
    EXPECT_EQ(game.countdownMs, 3000);
    EXPECT_TRUE(game.run.controls.empty());
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_FALSE(game.borderIcon->isVisible());
    EXPECT_TRUE(game.hud->container->isVisible());
    EXPECT_EQ(placeOf(game.top), (Place{0, 0}));
    EXPECT_EQ(SDL_ShowCursor(-1), 0);
}

TEST_F(PlayMenu, BackReturnsToTheRefreshedTrackMenu)
{
    game.save.records["00"].medal = 2;
    openPlayMenu("00");
    pressKey(SDLK_UP);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_TRUE(game.menuTrack->container->isVisible());
    EXPECT_EQ(static_cast<ButtonTrack*>(game.menuTrack->rows[0][1])->medal, TrackState::open);
    EXPECT_EQ(focusedWidget(), game.menuTrack->rows[0][0]);
}

TEST_F(PlayMenu, WatchShowsWithABestRunAndJoinsTheWrapAround)
{
    game.save.records["00"].ghostRun.assign(50, ControlInput{0.0f, 0.0f, 1.0f});
    openPlayMenu("00");
    ButtonTalker* watch = game.menuPlay->watchButton;
    ButtonTalker* back = game.menuPlay->buttons.back();
    // A best run on a loaded road can also be practised from a joint.
    ButtonTalker* practice = game.menuPlay->practiceButton;
    ASSERT_TRUE(watch->isVisible());
    ASSERT_TRUE(practice->isVisible());
    EXPECT_FALSE(game.menuPlay->analysisButton->isVisible()) << "no finish to analyse yet";
    EXPECT_EQ(watch->getCaption(), "watch");
    expectFocusPath({{SDLK_DOWN, game.menuPlay->ghostsButton}, {SDLK_DOWN, watch}, {SDLK_DOWN, practice},
                     {SDLK_DOWN, back}, {SDLK_DOWN, game.menuPlay->playButton}, {SDLK_UP, back},
                     {SDLK_UP, practice}, {SDLK_UP, watch}});

    // Another track without a best run hides it again.
    openPlayMenu("01");
    EXPECT_FALSE(watch->isVisible());
    expectFocusPath({{SDLK_DOWN, game.menuPlay->ghostsButton}, {SDLK_DOWN, back}});

    // So does a best run whose road is missing.
    game.save.records["gone"].ghostRun.assign(50, ControlInput{0.0f, 0.0f, 1.0f});
    openPlayMenu("gone");
    EXPECT_FALSE(watch->isVisible());
}

TEST_F(PlayMenu, WatchPlaysTheBestRunAndEscapeComesBackLeavingRunAndSaveAlone)
{
    TrackRecord& record = game.save.records["00"];
    record.ghostRun.assign(400, ControlInput{0.0f, 0.0f, 1.0f});
    record.scores.push_back(ScoreEntry{});
    openPlayMenu("00");
    const std::vector<ControlInput> runBefore = game.run.controls;
    const SaveData saveBefore = game.save;
    // Past the ghosts button to "watch".
    pressKey(SDLK_DOWN);
    pressKey(SDLK_DOWN);
    pressKey(SDLK_RETURN, '\r');
    ASSERT_TRUE(game.watching);
    EXPECT_FALSE(game.inRace);
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_FALSE(game.borderIcon->isVisible());
    EXPECT_TRUE(game.hud->container->isVisible());
    EXPECT_TRUE(game.hud->playbackLabel->isVisible());
    EXPECT_EQ(game.top->getX(), 0);
    EXPECT_EQ(game.watch.run.size(), 400u);

    // Four seconds at double speed: the countdown and 501 race ticks would
    // pass, but the run ends after its 400 records.
    queueKey(SDLK_UP);
    runWatchFrame(game, game.watchFrameMs + 4000.0);
    EXPECT_EQ(watchSpeed(game.watch), 2.0);
    EXPECT_TRUE(game.watch.ended);
    EXPECT_EQ(watchRaceTicks(game.watch), 400);
    EXPECT_EQ(game.hud->timeLabel->getCaption(), "0:04.00");
    EXPECT_EQ(game.hud->playbackLabel->getCaption(), "replay x2 chase end");

    // The Escape leaves and is not handed on; the menu is shown as it was.
    queueKey(SDLK_ESCAPE);
    runWatchFrame(game, game.watchFrameMs + 20.0);
    EXPECT_FALSE(game.watching);
    EXPECT_TRUE(game.menuPlay->container->isVisible());
    EXPECT_TRUE(game.borderIcon->isVisible());
    EXPECT_FALSE(game.hud->container->isVisible());
    EXPECT_FALSE(game.hud->playbackLabel->isVisible());
    EXPECT_EQ(focusedWidget(), game.menuPlay->watchButton);
    EXPECT_EQ(SDL_ShowCursor(-1), 1);
    EXPECT_EQ(game.run.controls.size(), runBefore.size());
    EXPECT_EQ(game.save.records.size(), saveBefore.records.size());
    EXPECT_EQ(game.save.records["00"].ghostRun.size(), 400u);
    EXPECT_EQ(game.save.records["00"].scores.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(savePath())) << "watching writes nothing";

    // Enter leaves as well, and does not start the watch again.
    pressKey(SDLK_RETURN, '\r');
    ASSERT_TRUE(game.watching);
    queueKey(SDLK_RETURN);
    runWatchFrame(game, game.watchFrameMs + 20.0);
    EXPECT_FALSE(game.watching);
    EXPECT_TRUE(game.menuPlay->container->isVisible());
}

TEST_F(PlayMenu, AVerifiedDroppedInGhostIsTheRivalTheGhostShipReplays)
{
    openPlayMenu("00");
    GhostFile friendRun = finishedGhost("friend");
    ASSERT_TRUE(writeGhostFile(ghostFolder() + "/friend.vghost", friendRun));
    GhostFile tampered = friendRun;
    tampered.playerName = "cheat";
    // Claims a second less than its records take.
    tampered.ticks -= 100;
    tampered.records.resize(tampered.ticks);
    ASSERT_TRUE(writeGhostFile(ghostFolder() + "/tampered.vghost", tampered));
    openPlayMenu(game);
    EXPECT_EQ(game.ghosts.pending, 1u) << "one replay in the refresh's frame";
    EXPECT_NE(game.menuPlay->rejectedLabel->getCaption().find("checking 1 more"), std::string::npos);
    EXPECT_EQ(settleShelf(), 1);

    MenuPlay* menu = game.menuPlay;
    ASSERT_TRUE(menu->rivalButton->isVisible());
    EXPECT_EQ(menu->rivalButton->getCaption(), "rival: none") << "the track has no best run yet";
    EXPECT_TRUE(menu->rejectedLabel->isVisible());
    EXPECT_EQ(menu->rejectedLabel->getCaption().rfind("1 ghost file rejected: tampered.vghost: ", 0), 0u)
        << menu->rejectedLabel->getCaption();

    // Down reaches the rival; Enter cycles it, never to the tampered file.
    pressKey(SDLK_DOWN);
    ASSERT_EQ(focusedWidget(), menu->rivalButton);
    const std::string friendCaption = "rival: friend " + formatTicks(friendRun.ticks);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(menu->rivalButton->getCaption(), friendCaption);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(menu->rivalButton->getCaption(), "rival: none");
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(menu->rivalButton->getCaption(), friendCaption);
    const std::vector<ControlInput>* rival = raceRivalRun(game);
    ASSERT_NE(rival, nullptr);
    EXPECT_EQ(rival->size(), friendRun.records.size());
    expectFocusPath({{SDLK_DOWN, menu->ghostsButton}, {SDLK_DOWN, menu->buttons.back()},
                     {SDLK_DOWN, menu->playButton}});

    // The race: the ghost ship drives the friend's records while the player brakes.
    pressKey(SDLK_RETURN, '\r');
    ASSERT_TRUE(game.inRace);
    const int raceTicks = 700;
    TickCalls calls{brakeRecord, stepRace, ignoreTick};
    runDueTicks(game, game.nextTickMs + 10.0 * (countdownTicks + raceTicks) - 5.0, calls);
    EXPECT_EQ(game.race.raceTicks, raceTicks);
    EXPECT_EQ(game.race.ghostRun, rival);
    Vec3 ghostAt = game.ghost.state.position;
    abortRace(game);
    EXPECT_EQ(game.race.ghostRun, raceRivalRun(game)) << "the refresh re-read the files; nothing points at the old";

    ReplaySetup setup;
    setup.controls = friendRun.records;
    setup.maxTicks = raceTicks;
    ReplayResult alone = replayRace(game.track, setup);
    EXPECT_EQ(std::vector<double>({ghostAt.x, ghostAt.y, ghostAt.z}),
              std::vector<double>({alone.finalState.position.x, alone.finalState.position.y, alone.finalState.position.z}));

    // Nothing of a ghost file reaches the save data.
    EXPECT_TRUE(game.save.records["00"].scores.empty());
    EXPECT_TRUE(game.save.records["00"].ghostRun.empty());
}

TEST_F(PlayMenu, WithOnlyRejectedFilesThereIsNoRivalButTheCount)
{
    openPlayMenu("00");
    writeText(ghostFolder() + "/junk.vghost", "not a run");
    GhostFile cut = finishedGhost("cut");
    cut.records.resize(cut.records.size() / 2);
    ASSERT_TRUE(writeGhostFile(ghostFolder() + "/cut.vghost", cut));
    openPlayMenu(game);
    settleShelf();
    EXPECT_FALSE(game.menuPlay->rivalButton->isVisible());
    EXPECT_EQ(game.menuPlay->rejectedLabel->getCaption(), "2 ghost files rejected");
    // The hidden rival is skipped.
    expectFocusPath({{SDLK_DOWN, game.menuPlay->ghostsButton}, {SDLK_DOWN, game.menuPlay->buttons.back()}});
    EXPECT_EQ(raceRivalRun(game), &game.save.records["00"].ghostRun);
}

TEST_F(PlayMenu, ATrackWhoseRoadCannotBeLoadedOffersNeitherPlayNorWatch)
{
    const std::string road = dataDir + "/tracks/41/track.track";
    const std::string kept = road + ".kept";
    std::filesystem::rename(road, kept);
    TrackRecord& r = recordFor(game.save, "41");
    r.name = "41";
    r.scores.push_back(score(5000, 1, "ace"));
    r.ghostRun.assign(5000, ControlInput{});
    openPlayMenu("41");
    MenuPlay* menu = game.menuPlay;
    EXPECT_EQ(menu->contentLabel->getCaption(), "track 41 could not be loaded");
    EXPECT_FALSE(menu->playButton->isVisible());
    EXPECT_FALSE(menu->watchButton->isVisible());
    EXPECT_EQ(focusedWidget(), menu->buttons.back());
    pressKey(SDLK_UP);
    pressKey(SDLK_RETURN, '\r');
    EXPECT_FALSE(game.inRace) << "no key starts a race on it";

    std::filesystem::rename(kept, road);
    openPlayMenu("41");
    EXPECT_TRUE(menu->contentLabel->getCaption().empty());
    EXPECT_TRUE(menu->playButton->isVisible());
    EXPECT_TRUE(menu->watchButton->isVisible());
    EXPECT_EQ(r.scores.size(), 1u) << "nothing recorded";
}

TEST_F(PlayMenu, MedalTimesThatCannotBeReadAreSaidAndTheStoredMedalStays)
{
    const std::string times = dataDir + "/tracks/00/times.txt";
    const std::string kept = times + ".kept";
    std::filesystem::rename(times, kept);
    TrackRecord& r = recordFor(game.save, "00");
    r.name = "00";
    r.medal = 4;
    r.scores.push_back(score(5000, 1, "ace"));
    r.ghostRun.assign(5000, ControlInput{});
    for (const char* how : {"missing", "empty", "a folder"}) {
        SCOPED_TRACE(how);
        if (std::string(how) == "empty")
            writeText(times, "");
        if (std::string(how) == "a folder") {
            std::filesystem::remove(times);
            std::filesystem::create_directories(times);
        }
        openPlayMenu("00");
        EXPECT_EQ(game.menuPlay->contentLabel->getCaption(),
                  "medal times of track 00 could not be read; medals are not judged");
        EXPECT_TRUE(game.menuPlay->playButton->isVisible());
        game.run.controls.assign(7000, ControlInput{});
        game.run.ticks = 7000;
        recordRun(game);
        EXPECT_EQ(r.medal, 4) << "the stored gold is never lowered";
    }
    std::filesystem::remove_all(times);
    std::filesystem::rename(kept, times);
    openPlayMenu("00");
    EXPECT_TRUE(game.menuPlay->contentLabel->getCaption().empty());
}
