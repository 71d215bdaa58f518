// The game's flow and what its screens show, as plain functions on a game
// without a window: scoring, race ends, the play menu's lines, the menus' Escape.
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/intents.h"
#include "save/runs.h"
#include "save/progress.h"
#include "shell/flow.h"
#include "shell/my_tracks.h"
#include "shell/my_tracks_flow.h"
#include "shell/game.h"
#include "shell/paths.h"
#include "shell/views.h"
#include "user_folder.h"

namespace {

ScoreEntry score(int32_t ticks, const std::string& name, int32_t date = 1) { return {name, "ship", ticks, date}; }

// A fresh game state with its per-user files in a folder of its own; no menus.
class FlowTest : public UserFolderTest {
protected:
    void SetUp() override
    {
        UserFolderTest::SetUp();
        game.area.goldSeconds = 60.0;
        game.area.silverSeconds = 70.0;
        game.area.bronzeSeconds = 80.0;
        game.area.timesRead = true;
        game.save.trackName = "00";
        takeIntents();
    }
    // One intent as a menu reports it, and the flow acting on it.
    static void act(IntentKind kind, const std::string& text = "") { reportIntent(kind, text); actOnIntents(game); }
    // A race that has just driven ticks records.
    void finishAfter(int ticks)
    {
        game.inRace = true;
        game.run.controls.assign(size_t(ticks), ControlInput{0.0f, 0.0f, 1.0f});
        finishRun(game);
    }
};

TEST_F(FlowTest, PlayMenuShowsTheFiveBestTheLastTimeAndTheTargetsInExactHundredths)
{
    TrackRecord& record = recordFor(game.save, "00");
    for (int32_t t : {8599, 9000, 9100, 9200, 9300, 9400, 9500})
        record.scores.push_back(score(t, t == 9000 ? "" : "ann"));
    game.run.ticks = 57;
    game.area.goldSeconds = 92.0;
    game.area.silverSeconds = 0.29;
    game.raceNote = "laps 0:25.10 0:24.90";

    PlayMenuView view = playMenuView(game);
    EXPECT_EQ(view.playCaption, "play 00");
    EXPECT_EQ(view.lastLine, "last 0:00.57");
    EXPECT_EQ(view.note, "laps 0:25.10 0:24.90");
    ASSERT_EQ(view.scoreLines.size(), 5u);
    EXPECT_EQ(view.scoreLines[0], "1:25.99 ann") << "8599 ticks, not a hundredth low";
    EXPECT_EQ(view.scoreLines[1], "1:30.00 ") << "an empty name keeps the space";
    EXPECT_EQ(view.scoreLines[4], "1:33.00 ann");
    ASSERT_EQ(view.medalLines.size(), 3u);
    EXPECT_EQ(view.medalLines[0], "1:32.00 ");
    EXPECT_EQ(view.medalLines[1], "0:00.28 ") << "the largest time that earns the medal";
    EXPECT_EQ(view.medalLines[2], "1:20.00 ");
    EXPECT_FALSE(view.watchShown) << "no best run";
    EXPECT_FALSE(view.rivalShown);
    EXPECT_EQ(view.rivalCaption, "rival: none");

    game.run.ticks = 0;
    record.ghostRun.assign(10, ControlInput{});
    view = playMenuView(game);
    EXPECT_EQ(view.lastLine, "last -:--.--");
    EXPECT_FALSE(view.watchShown) << "a best run on a road that did not load";
    EXPECT_EQ(view.rivalCaption, "rival: best run");
    game.track.segments.resize(3);
    EXPECT_TRUE(playMenuView(game).watchShown);

    game.save.trackName = "01";
    view = playMenuView(game);
    EXPECT_EQ(view.scoreLines, std::vector<std::string>(5, "-:--.--"));
    EXPECT_EQ(game.save.records.count("01"), 0u) << "showing inserts no record";
}

TEST_F(FlowTest, AFinishOutsideTheFiveBestIsRecordedAtOnceAndWritten)
{
    TrackRecord& record = recordFor(game.save, "00");
    for (int32_t t : {1000, 1100, 1200, 1300, 1400})
        record.scores.push_back(score(t, "old"));
    record.ghostRun.assign(1000, ControlInput{});
    finishAfter(1401);
    EXPECT_FALSE(game.inRace);
    EXPECT_EQ(game.screen, Screen::playMenu);
    EXPECT_EQ(game.run.ticks, 1401);
    ASSERT_EQ(game.save.records["00"].scores.size(), 6u);
    EXPECT_EQ(game.save.records["00"].scores[5].ticks, 1401);
    SaveData back;
    ASSERT_TRUE(loadSaveFile(back, savePath()));
    EXPECT_EQ(back.records["00"].scores.size(), 6u);
}

TEST_F(FlowTest, AHighScoreWaitsForItsNameThenRecordsUnderIt)
{
    game.save.playerName = "ace";
    finishAfter(6500);
    EXPECT_EQ(game.screen, Screen::saveScore);
    EXPECT_TRUE(game.save.records["00"].scores.empty()) << "nothing recorded before done";
    SaveScoreView asked = saveScoreView(game);
    EXPECT_EQ(asked.timeText, "1:05.00");
    EXPECT_EQ(asked.name, "ace");

    // The menus append one record a frame until done.
    game.run.controls.push_back(ControlInput{});
    act(IntentKind::confirmName, "kim");
    EXPECT_EQ(game.screen, Screen::playMenu);
    EXPECT_EQ(game.save.playerName, "kim");
    const TrackRecord& record = game.save.records["00"];
    ASSERT_EQ(record.scores.size(), 1u);
    EXPECT_EQ(record.scores[0].playerName, "kim");
    EXPECT_EQ(record.scores[0].ticks, 6500);
    EXPECT_EQ(record.medal, 3);
    EXPECT_EQ(record.ghostRun.size(), 6501u) << "the menu frame's record goes with it";
    SaveData back;
    ASSERT_TRUE(loadSaveFile(back, savePath()));
    EXPECT_EQ(back.records["00"].scores.size(), 1u);
}

TEST_F(FlowTest, LossAndAbortRecordNothingAndOnlyAbortForgetsTheLastTime)
{
    game.run.ticks = 4321;
    game.inRace = true;
    loseRace(game);
    EXPECT_FALSE(game.inRace);
    EXPECT_EQ(game.run.ticks, 4321);
    game.inRace = true;
    game.run.controls.assign(7, ControlInput{});
    abortRace(game);
    EXPECT_EQ(game.run.ticks, 0);
    EXPECT_TRUE(game.run.controls.empty());
    EXPECT_TRUE(game.save.records["00"].scores.empty());
    EXPECT_FALSE(std::filesystem::exists(savePath()));
}

TEST_F(FlowTest, IntentsChooseATrackAndTheMenusAnswerEscape)
{
    game.run.ticks = 99;
    game.raceNote = "off the road";
    game.saveStatus.startNotice = "notice";
    act(IntentKind::chooseTrack, "12");
    EXPECT_EQ(game.save.trackName, "12");
    EXPECT_EQ(game.run.ticks, 0);
    EXPECT_EQ(game.raceNote, "");
    EXPECT_EQ(game.saveStatus.startNotice, "");
    EXPECT_EQ(game.screen, Screen::playMenu);
    EXPECT_TRUE(takeIntents().empty()) << "acting empties the queue";

    // Escape: the play menu goes back; the track menu asks once, a second
    // Escape takes the question back, Enter on the question quits.
    escapeInMenus(game);
    EXPECT_EQ(game.screen, Screen::trackMenu);
    EXPECT_FALSE(game.askingQuit);
    escapeInMenus(game);
    EXPECT_TRUE(game.askingQuit);
    escapeInMenus(game);
    EXPECT_FALSE(game.askingQuit);
    EXPECT_TRUE(game.running);
    escapeInMenus(game);
    confirmQuit(game);
    EXPECT_FALSE(game.running);

    // The score-saving menu has no way back but "done".
    game.running = true;
    game.screen = Screen::saveScore;
    escapeInMenus(game);
    EXPECT_EQ(game.screen, Screen::saveScore);

    act(IntentKind::quit);
    EXPECT_FALSE(game.running);
}

TEST_F(FlowTest, TheGhostIsShownOnlyWithRivalRecordsAndTheGhostOn)
{
    game.track.segments.resize(2);
    EXPECT_FALSE(ghostShown(game));
    std::vector<ControlInput> rival(20, ControlInput{});
    game.race.ghostRun = &rival;
    // Clear of the player, where no fading applies.
    game.ghost.state.position = Vec3{20.0, 0.0, 0.0};
    RaceView view = raceView(game);
    EXPECT_TRUE(ghostShown(game));
    ASSERT_EQ(view.ships.size(), 1u);
    EXPECT_FLOAT_EQ(view.ships[0].opacity, 0.3f);
    EXPECT_EQ(view.ghostDots.size(), 1u);
    EXPECT_EQ(view.map, &game.trackMap);
    game.ghostEnabled = false;
    EXPECT_TRUE(raceView(game).ships.empty());
    EXPECT_TRUE(raceView(game).ghostDots.empty());

    // A replay draws the watched ship, opaque, and no map.
    Watch watch;
    RaceView watched = watchView(game, watch);
    ASSERT_EQ(watched.ships.size(), 1u);
    EXPECT_EQ(watched.ships[0].model, &game.player);
    EXPECT_FLOAT_EQ(watched.ships[0].opacity, 1.0f);
    EXPECT_EQ(watched.map, nullptr);
}

} // namespace

TEST_F(FlowTest, APlayersTrackRacesUnderItsOwnRecordAndAnEditedRoadStartsAFreshOne)
{
    // Any road will do: nothing here loads it, the names come from its bytes.
    const std::string mine = folder + "/Vantor";
    playerTracksRoot = mine;
    auto writeRoad = [&](float lift) {
        std::vector<std::vector<float>> points;
        for (int i = 0; i < 4; ++i)
            points.push_back({float(i), 0, lift, float(i), 1, lift, float(i), 2, lift, float(i), 3, lift});
        writeFile(mine + "/tracks/loop/track.track", trackBytes(points).data);
    };
    writeRoad(0.0f);
    writeText(mine + "/tracks/loop/plan.txt", "plan 1\nname loop\n");

    act(IntentKind::openMyTracks);
    EXPECT_EQ(game.screen, Screen::myTracks);
    ASSERT_EQ(game.myTracks.tracks.size(), 1u);
    reportIntent(IntentKind::chooseMyTrack, "0");
    act(IntentKind::playMyTrack);
    const std::string first = myTrackRecordName(mine, "loop");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(game.save.trackName, first);
    EXPECT_EQ(game.screen, Screen::playMenu);

    // A gold on it is the player's own: the grid opens nothing more.
    finishAfter(1000);
    confirmName(game, "ace");
    ASSERT_EQ(game.save.records.count(first), 1u);
    EXPECT_EQ(game.save.records[first].scores.size(), 1u);
    EXPECT_EQ(game.save.records[first].medal, 4);
    EXPECT_EQ(trackState(game.save, 0, 1), TrackState::locked);
    EXPECT_EQ(trackState(game.save, 1, 0), TrackState::locked);
    SaveData stored;
    loadSaveFile(stored, savePath());
    EXPECT_EQ(stored.records.count(first), 1u) << "written under its own name";

    // Back from its play menu is "my tracks", and from there the track menu.
    escapeInMenus(game);
    EXPECT_EQ(game.screen, Screen::myTracks);
    act(IntentKind::deleteMyTrack);
    EXPECT_TRUE(game.myTracks.askingDelete) << "asked first";
    escapeInMenus(game);
    EXPECT_FALSE(game.myTracks.askingDelete) << "Escape keeps it";
    EXPECT_EQ(game.screen, Screen::myTracks);

    // The road edited: the next play races a fresh record, the old one keeps its score.
    writeRoad(0.5f);
    act(IntentKind::playMyTrack);
    EXPECT_NE(game.save.trackName, first);
    EXPECT_EQ(game.save.trackName, myTrackRecordName(mine, "loop"));
    EXPECT_TRUE(recordFor(game.save, game.save.trackName).ghostRun.empty()) << "the old best run does not replay";
    EXPECT_EQ(game.save.records[first].scores.size(), 1u);
    escapeInMenus(game);
    escapeInMenus(game);
    EXPECT_EQ(game.screen, Screen::trackMenu);

    reportIntent(IntentKind::openMyTracks);
    reportIntent(IntentKind::deleteMyTrack);
    act(IntentKind::deleteMyTrack);
    EXPECT_FALSE(std::filesystem::exists(mine + "/tracks/loop"));
    EXPECT_TRUE(game.myTracks.tracks.empty());
    EXPECT_EQ(game.save.records[first].scores.size(), 1u) << "deleting keeps the records";
    playerTracksRoot.clear();
}
