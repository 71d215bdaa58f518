#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "audio/sound.h"
#include "gui_env.h"
#include "save/save_file.h"
#include "save/save_status.h"
#include "shell/screens.h"
#include "shell/input.h"
#include "shell/main_loop.h"
#include "shell/paths.h"
#include "shell/flow.h"
#include "sim/autopilot.h"
#include "sim/splits.h"

namespace {

// A race on "00" as the play menu starts it, with ticks records driven.
void raceWith(int ticks)
{
    game.save.trackName = "00";
    showScreen(Screen::playMenu);
    openPlayMenu(game);
    menuAction(game.menuPlay, nullptr, "play");
    game.run.controls.insert(game.run.controls.end(), size_t(ticks), ControlInput{0.0f, 0.0f, 1.0f});
}

// Five stored runs, the best of them the ghost, as five finishes leave them.
void fillFiveScores()
{
    TrackRecord& record = game.save.records["00"];
    record.name = "00";
    record.medal = 1;
    record.ghostRun.assign(1000, ControlInput{0.0f, 0.0f, 1.0f});
    for (int32_t t : {1000, 1100, 1200, 1300, 1400})
        record.scores.push_back({"old", "ship", t, 1});
}

// Drives the race on through the game's own tick loop and race ends until
// they end it, the records chosen by drive; false if it does not end.
ControlInput (*driver)(const ShipState&) = nullptr;
void drivenPoll() { game.run.controls.push_back(driver(game.player.state)); }
bool driveUntilTheRaceEnds(ControlInput (*drive)(const ShipState&))
{
    driver = drive;
    TickCalls calls = gameTickCalls();
    calls.pollInput = drivenPoll;
    runDueTicks(game, game.nextTickMs + 10.0 * (299 + 20000), calls);
    return !game.inRace;
}

void expectMenusUpWith(MenuPlay* expectedVisible)
{
    EXPECT_FALSE(game.inRace);
    EXPECT_FALSE(game.hud->container->isVisible());
    EXPECT_TRUE(game.borderIcon->isVisible());
    EXPECT_EQ(placeOf(game.top), (Place{0, 0}));
    EXPECT_EQ(SDL_ShowCursor(-1), 1);
    if (expectedVisible) {
        EXPECT_TRUE(game.menuPlay->container->isVisible());
    }
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names of the damaged-file copies beside the save file.
std::vector<std::string> damagedCopies()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(saveDirectory(), error))
        if (entry.path().filename().string().rfind("game.save.damaged-", 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

// What start-up does with the save file.
void startWithSaveFile()
{
    resetGameState();
    game.saveStatus = openSaveFile(game.save, savePath(), std::time(nullptr));
    openTrackMenu(game);
}

// A finished run on "00" as the player makes it: the track button, "play",
// the race, and "done" in the name menu when the run is a high score.
void finishRunOn00(int ticks)
{
    menuAction(game.menuTrack, game.menuTrack->rows[0][0], "play");
    menuAction(game.menuPlay, nullptr, "play");
    game.run.controls.insert(game.run.controls.end(), size_t(ticks), ControlInput{0.0f, 0.0f, 1.0f});
    finishRun(game);
    if (game.menuSaveScore->container->isVisible())
        menuAction(game.menuSaveScore, nullptr, "done");
}

// Makes every write into the save folder fail until allow(): a read-only
// folder for a normal user; for root, who writes anywhere, a file system of
// 16 KiB mounted over the folder in a mount namespace of this thread alone,
// or where mounting is not allowed, a 4 KiB limit on the size of any file
// this process writes.
struct SaveFolderBlocker {
    std::string folder = saveDirectory();
    bool mounted = false;
    bool limited = false;
    rlimit oldLimit{};
    void (*oldHandler)(int) = SIG_DFL;
    // The words a failed write gives.
    std::string reason;

    void block()
    {
        std::filesystem::create_directories(folder);
        if (geteuid() != 0) {
            chmod(folder.c_str(), 0500);
            reason = "permission denied";
            return;
        }
        if (mounted || (unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k,mode=0700") == 0)) {
            mounted = true;
            reason = "no space left on device";
            return;
        }
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit small = oldLimit;
        small.rlim_cur = 4096;
        oldHandler = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        limited = true;
        reason = "file too large";
    }
    void allow()
    {
        if (mounted)
            mount("tmpfs", folder.c_str(), "tmpfs", MS_REMOUNT, "size=4m,mode=0700");
        else if (limited)
            restoreLimit();
        else
            chmod(folder.c_str(), 0700);
    }
    void restoreLimit()
    {
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        signal(SIGXFSZ, oldHandler);
        limited = false;
    }
    ~SaveFolderBlocker()
    {
        if (mounted)
            umount2(folder.c_str(), MNT_DETACH);
        else if (limited)
            restoreLimit();
        else
            chmod(folder.c_str(), 0700);
    }
};

}  // namespace

class RaceEnds : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        std::filesystem::remove(savePath());
    }
};

TEST_F(RaceEnds, FirstFinishAsksForTheNameAndDoneRecordsItOnce)
{
    raceWith(1250);
    finishRun(game);
    expectMenusUpWith(nullptr);
    EXPECT_EQ(game.run.ticks, 1250);
    EXPECT_TRUE(game.menuSaveScore->container->isVisible());
    EXPECT_FALSE(game.menuPlay->container->isVisible());
    EXPECT_EQ(game.menuSaveScore->timeLabel->getCaption(), "0:12.50");
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "ace");
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->nameBox);
    EXPECT_TRUE(game.save.records["00"].scores.empty()) << "nothing stored before done";

    // Type over the name, Enter moves to "done", Enter there stores it.
    for (auto [key, unicode] : {std::pair<SDLKey, char>{SDLK_BACKSPACE, '\b'}, {SDLK_BACKSPACE, '\b'},
                                {SDLK_BACKSPACE, '\b'}, {SDLK_z, 'z'}, {SDLK_o, 'o'}, {SDLK_RETURN, '\r'}})
        pressKey(key, Uint16(unicode));
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "zo");
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->doneButton);
    pressKey(SDLK_RETURN, '\r');

    EXPECT_EQ(game.save.playerName, "zo");
    EXPECT_FALSE(game.menuSaveScore->container->isVisible());
    EXPECT_TRUE(game.menuPlay->container->isVisible());
    ASSERT_EQ(game.save.records["00"].scores.size(), 1u);
    EXPECT_EQ(game.save.records["00"].scores[0].ticks, 1250);
    EXPECT_EQ(game.menuPlay->scoreLabels[0]->getCaption(), "0:12.50 zo");
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:12.50");

    SaveData onDisk;
    loadSaveFile(onDisk, savePath());
    ASSERT_EQ(onDisk.records["00"].scores.size(), 1u);
    EXPECT_EQ(onDisk.playerName, "zo");
    EXPECT_GE(onDisk.records["00"].ghostRun.size(), 1250u);
}

TEST_F(RaceEnds, MTypesIntoTheNameBoxAndMutesOnceTheFocusHasLeftIt)
{
    raceWith(1250);
    finishRun(game);
    ASSERT_EQ(focusedWidget(), game.menuSaveScore->nameBox);
    bool muted = sound.muted;
    auto typeM = [] {
        SDL_Event e = keyDownEvent(SDLK_m, 'm');
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        pollInput();
        game.gui->logic();
    };
    typeM();
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "acem");
    EXPECT_EQ(sound.muted, muted);
    pressKey(SDLK_RETURN, '\r');
    ASSERT_EQ(focusedWidget(), game.menuSaveScore->doneButton);
    typeM();
    EXPECT_NE(sound.muted, muted);
    typeM();
    EXPECT_EQ(sound.muted, muted);
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "acem");
}

TEST_F(RaceEnds, UpAndDownOnDoneReturnToTheNameBox)
{
    raceWith(10);
    finishRun(game);
    // In the box the arrows move the caret; on "done" both go back to the box.
    expectFocusPath({{SDLK_DOWN, game.menuSaveScore->nameBox}});
    pressKey(SDLK_RETURN, '\r');
    EXPECT_EQ(focusedWidget(), game.menuSaveScore->doneButton);
    expectFocusPath({{SDLK_UP, game.menuSaveScore->nameBox}});
    game.menuSaveScore->focusDown(nullptr);
    expectFocusPath({{SDLK_DOWN, game.menuSaveScore->nameBox}});
    EXPECT_TRUE(game.save.records["00"].scores.empty());
}

TEST_F(RaceEnds, EmptyNameIsStoredAsEmpty)
{
    game.save.playerName = "";
    raceWith(500);
    finishRun(game);
    menuAction(game.menuSaveScore, nullptr, "done");
    EXPECT_EQ(game.save.records["00"].scores.at(0).playerName, "");
    EXPECT_EQ(game.menuPlay->scoreLabels[0]->getCaption(), "0:05.00 ");
}

TEST_F(RaceEnds, RunOutsideTheFiveBestGoesStraightToThePlayMenuAndIsStored)
{
    fillFiveScores();
    raceWith(1450);
    finishRun(game);
    expectMenusUpWith(game.menuPlay);
    EXPECT_FALSE(game.menuSaveScore->container->isVisible());
    EXPECT_EQ(game.save.records["00"].scores.size(), 6u);
    EXPECT_EQ(game.save.records["00"].scores.back().ticks, 1450);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:14.50");
    SaveData onDisk;
    loadSaveFile(onDisk, savePath());
    EXPECT_EQ(onDisk.records["00"].scores.size(), 6u);
}

TEST_F(RaceEnds, RunEqualToTheFifthBestIsAHighScore)
{
    fillFiveScores();
    raceWith(1400);
    finishRun(game);
    EXPECT_TRUE(game.menuSaveScore->container->isVisible());
}

TEST_F(RaceEnds, LeavingTheRoadReturnsWithoutRecordingAndKeepsTheLastTime)
{
    game.run.ticks = 325;
    raceWith(50);
    loseRace(game);
    expectMenusUpWith(game.menuPlay);
    EXPECT_EQ(game.run.ticks, 325);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:03.25");
    EXPECT_TRUE(game.save.records["00"].scores.empty());
    EXPECT_FALSE(std::filesystem::exists(savePath()));
}

TEST_F(RaceEnds, EscapeDiscardsTheRun)
{
    game.run.ticks = 321;
    raceWith(50);
    abortRace(game);
    expectMenusUpWith(game.menuPlay);
    EXPECT_EQ(game.run.ticks, 0);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last -:--.--");
    EXPECT_TRUE(game.save.records["00"].scores.empty());
    EXPECT_FALSE(std::filesystem::exists(savePath()));
}

TEST_F(RaceEnds, TopIsCentredInALargerWindow)
{
    game.screenWidth = 1024;
    game.screenHeight = 768;
    raceWith(5);
    loseRace(game);
    EXPECT_EQ(placeOf(game.top), (Place{112, 84}));
}

TEST_F(RaceEnds, TabNeverMovesTheFocusIntoAHiddenMenu)
{
    auto tabAround = [](const char* where) {
        for (int i = 0; i < 30; ++i) {
            pressKey(SDLK_TAB, '\t');
            gcn::Widget* focused = focusedWidget();
            ASSERT_NE(focused, nullptr) << where;
            for (gcn::Widget* w = focused; w; w = w->getParent())
                ASSERT_TRUE(w->isVisible()) << where << " after " << i + 1 << " tabs";
        }
    };
    tabAround("track menu");
    resetGame();
    raceWith(10);
    finishRun(game);
    game.menuSaveScore->focusDown(nullptr);
    tabAround("score-saving menu");
}

TEST_F(RaceEnds, ADamagedSaveIsCopiedOnceNamedInTheTrackMenuAndRecoveredByTheNextRun)
{
    SaveData original;
    original.playerName = "zoe";
    for (const char* name : {"00", "01", "10"}) {
        TrackRecord& r = original.records[name];
        r.name = name;
        r.medal = 2;
        r.scores.push_back({"zoe", "ship", 2000, 1});
        r.ghostRun.assign(2000, ControlInput{0.0f, 0.0f, 1.0f});
    }
    // The second record's name length made negative: the reader stops there.
    SaveData firstOnly = original;
    firstOnly.records.erase("01");
    firstOnly.records.erase("10");
    std::vector<uint8_t> damaged = encodeSaveData(original);
    const size_t second = encodeSaveData(firstOnly).size();
    for (size_t i = 0; i < 4; ++i)
        damaged[second + i] = 0xff;
    writeFile(savePath(), std::vector<char>(damaged.begin(), damaged.end()));

    startWithSaveFile();
    std::vector<std::string> copies = damagedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(fileBytes(saveDirectory() + "/" + copies[0]), damaged);
    const std::string notice = game.menuTrack->noticeLabel->getCaption();
    EXPECT_NE(notice.find(copies[0]), std::string::npos) << notice;
    EXPECT_TRUE(game.menuTrack->noticeLabel->isVisible());
    // One line, inside the menu's frame.
    EXPECT_LE(game.fontDefault->getWidth(notice + "-99"), game.menuTrack->noticeLabel->getWidth());
    EXPECT_EQ(game.save.playerName, "zoe");
    EXPECT_EQ(game.save.records.count("01"), 0u);
    EXPECT_EQ(static_cast<ButtonTrack*>(game.menuTrack->rows[1][0])->medal, TrackState::open)
        << "what was read opens its neighbours";

    // A second start on the same file makes no second copy and says the same.
    startWithSaveFile();
    EXPECT_EQ(damagedCopies(), copies);
    EXPECT_EQ(game.menuTrack->noticeLabel->getCaption(), notice);

    // Said once: opening a track takes the line away.
    finishRunOn00(1500);
    EXPECT_TRUE(game.menuPlay->saveErrorLabel->getCaption().empty());
    menuAction(game.menuPlay, nullptr, "back");
    EXPECT_TRUE(game.menuTrack->noticeLabel->getCaption().empty());

    SaveData onDisk;
    ASSERT_TRUE(loadSaveFile(onDisk, savePath()));
    ASSERT_EQ(onDisk.records.size(), 1u);
    ASSERT_EQ(onDisk.records["00"].scores.size(), 2u);
    EXPECT_EQ(onDisk.records["00"].scores[0].ticks, 1500);
    EXPECT_EQ(onDisk.records["00"].scores[1].ticks, 2000);
    EXPECT_EQ(fileBytes(saveDirectory() + "/" + copies[0]), damaged) << "the copy is never written";
    EXPECT_EQ(damagedCopies(), copies);
    for (const std::string& name : copies)
        std::filesystem::remove(saveDirectory() + "/" + name);
}

TEST_F(RaceEnds, AFailedWriteKeepsTheRunSaysSoAndTheNextWriteStoresIt)
{
    SaveFolderBlocker blocker;
    blocker.block();
    // The old file: one short run, written before the folder fills.
    TrackRecord& old = game.save.records["00"];
    old.name = "00";
    old.medal = 1;
    old.scores.push_back({"old", "ship", 3000, 1});
    old.ghostRun.assign(20, ControlInput{0.0f, 0.0f, 1.0f});
    if (geteuid() == 0) {
        ASSERT_TRUE(writeSaveFile(game.save, savePath()));
    } else {
        blocker.allow();
        ASSERT_TRUE(writeSaveFile(game.save, savePath()));
        blocker.block();
    }
    const std::vector<uint8_t> before = fileBytes(savePath());

    finishRunOn00(1250);
    const std::string line = game.menuPlay->saveErrorLabel->getCaption();
    EXPECT_EQ(line, "could not save: " + blocker.reason);
    EXPECT_TRUE(game.menuPlay->saveErrorLabel->isVisible());
    EXPECT_EQ(fileBytes(savePath()), before);
    ASSERT_EQ(game.save.records["00"].scores.size(), 2u) << "the run stays in memory";
    // Leaving and coming back keeps the line until a write succeeds.
    openPlayMenu(game);
    EXPECT_EQ(game.menuPlay->saveErrorLabel->getCaption(), line);

    blocker.allow();
    finishRunOn00(1300);
    EXPECT_TRUE(game.menuPlay->saveErrorLabel->getCaption().empty());
    SaveData onDisk;
    ASSERT_TRUE(loadSaveFile(onDisk, savePath()));
    std::vector<int32_t> ticks;
    for (const ScoreEntry& e : onDisk.records["00"].scores)
        ticks.push_back(e.ticks);
    EXPECT_EQ(ticks, (std::vector<int32_t>{1250, 1300, 3000}));
    std::filesystem::remove(savePath());
}

TEST_F(RaceEnds, AnUnreadableSaveIsNeverReplacedAndTheTrackMenuSaysSo)
{
    struct Case {
        const char* name;
        const char* reason;
    };
    std::vector<Case> cases = {{"fifo", "not a regular file"}, {"folder", "not a regular file"}};
    if (geteuid() != 0)
        cases.push_back({"mode 000", "permission denied"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(savePath());
        std::filesystem::create_directories(saveDirectory());
        const std::vector<uint8_t> kept = encodeSaveData(SaveData());
        if (std::string(c.name) == "fifo")
            ASSERT_EQ(mkfifo(savePath().c_str(), 0600), 0);
        else if (std::string(c.name) == "folder")
            std::filesystem::create_directories(savePath() + "/inside");
        else {
            writeFile(savePath(), std::vector<char>(kept.begin(), kept.end()));
            chmod(savePath().c_str(), 0);
        }
        startWithSaveFile();
        const std::string notice = game.menuTrack->noticeLabel->getCaption();
        EXPECT_EQ(notice, std::string("cannot read the save file: ") + c.reason +
                              "; runs of this session will not be saved");
        EXPECT_LE(game.fontDefault->getWidth(notice), game.menuTrack->noticeLabel->getWidth());
        finishRunOn00(1200);
        EXPECT_EQ(game.menuPlay->saveErrorLabel->getCaption(),
                  "could not save: the save file could not be read at start");
        EXPECT_EQ(game.save.records["00"].scores.size(), 1u);

        struct stat st;
        ASSERT_EQ(lstat(savePath().c_str(), &st), 0);
        if (std::string(c.name) == "fifo")
            EXPECT_TRUE(S_ISFIFO(st.st_mode));
        else if (std::string(c.name) == "folder")
            EXPECT_TRUE(std::filesystem::exists(savePath() + "/inside"));
        else {
            chmod(savePath().c_str(), 0600);
            EXPECT_EQ(fileBytes(savePath()), kept);
        }
        EXPECT_TRUE(damagedCopies().empty());
    }
    std::filesystem::remove_all(savePath());
}

TEST_F(RaceEnds, TheNameBoxTakesABoundedName)
{
    // A name of megabytes from a save file shows cut, with the caret at its end.
    game.save.playerName = std::string(5 * 1024 * 1024, 'n');
    raceWith(10);
    finishRun(game);
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), std::string(64, 'n'));
    pressKey(SDLK_BACKSPACE, '\b');
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), std::string(63, 'n'));
    resetGame();

    raceWith(10);
    finishRun(game);
    for (int i = 0; i < 80; ++i)
        pressKey(SDLK_x, 'x');
    EXPECT_EQ(game.menuSaveScore->nameBox->getText(), "ace" + std::string(61, 'x'));
    menuAction(game.menuSaveScore, nullptr, "done");
    EXPECT_EQ(game.save.playerName.size(), 64u);
}

TEST_F(RaceEnds, LeavingTheRoadIsNamedInThePlayMenuUntilTheNextRaceStarts)
{
    game.run.ticks = 325;
    raceWith(0);
    ASSERT_TRUE(driveUntilTheRaceEnds([](const ShipState&) { return ControlInput{1.0f, 0.0f, 1.0f}; }));
    EXPECT_EQ(game.race.outcome, RaceOutcome::offroad);
    ASSERT_TRUE(game.menuPlay->container->isVisible());
    const std::string line = game.menuPlay->noteLabel->getCaption();
    // The race tick of the loss, and the lap the HUD showed: full left from
    // the start leaves the road in the first lap or before it.
    const std::string lost = offRoadLine(game.race.raceTicks, 0);
    EXPECT_EQ(line.substr(0, lost.size() - 1), lost.substr(0, lost.size() - 1));
    EXPECT_TRUE(line == lost || line == offRoadLine(game.race.raceTicks, 1)) << line;
    EXPECT_GT(game.race.raceTicks, 0);
    EXPECT_EQ(game.menuPlay->noteLabel->getParent(), game.menuPlay->container);
    EXPECT_EQ(game.menuPlay->lastLabel->getCaption(), "last 0:03.25");
    EXPECT_FALSE(std::filesystem::exists(savePath()));

    // Another look at the menu keeps it; the next race start takes it away.
    openPlayMenu(game);
    EXPECT_EQ(game.menuPlay->noteLabel->getCaption(), line);
    pressKey(SDLK_RETURN, '\r');
    ASSERT_TRUE(game.inRace);
    abortRace(game);
    EXPECT_EQ(game.menuPlay->noteLabel->getCaption(), "");
}

TEST_F(RaceEnds, AFinishShowsItsLapTimesWithTheNameBox)
{
    raceWith(0);
    static AutopilotPath path;
    path = buildAutopilotPath(game.track);
    ASSERT_TRUE(driveUntilTheRaceEnds(
        [](const ShipState& s) { return autopilotControl(path, s, AutopilotSettings{}); }));
    ASSERT_EQ(game.race.outcome, RaceOutcome::finish);
    ASSERT_TRUE(game.menuSaveScore->container->isVisible());
    ASSERT_EQ(game.splits.own.lapEndTicks.size(), 3u);
    EXPECT_EQ(game.splits.own.lapEndTicks.back(), game.run.ticks);
    EXPECT_EQ(game.menuSaveScore->lapsLabel->getCaption(), lapTimesLine(game.splits.own));
    EXPECT_EQ(game.menuSaveScore->lapsLabel->getCaption().rfind("laps 0:", 0), 0u);
    menuAction(game.menuSaveScore, nullptr, "done");
    EXPECT_EQ(game.menuPlay->noteLabel->getCaption(), lapTimesLine(game.splits.own));
}
