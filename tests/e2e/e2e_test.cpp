// The whole game from the menus, driven like a player: the real build/vantor
// under its own Xvfb, keys through xdotool, screens read back as screenshots
// (kept under the build folder in e2e-shots/ for a person to look at) and
// compared with the project's own font and menu images.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "audio/sound_cues.h"
#include "audio/wav_file.h"
#include "design/medal_times.h"
#include "design/plan_edit.h"
#include "design/track_package.h"
#include "sim/race_constants.h"
#include "game_process.h"
#include "gui/hud.h"
#include "sim/time_text.h"
#include "sound_analysis.h"
#include "save/ghost_file.h"
#include "save/save_file.h"
#include "shell/settings_rules.h"
#include "shell/analysis_view.h"
#include "sim/practice.h"
#include "sim/run_compare.h"
#include "track/track_file.h"
#include "design/track_package.h"
#include "design/track_share.h"
#include "save/progress.h"
#include "save/sha256.h"

namespace fs = std::filesystem;

namespace {

// Where the texts of the 800 x 600 menu area are drawn (the window is
// 800 x 600, so the area starts at the window's corner): a label draws its
// text vertically centred, a text button at its own corner.
const int kSmallTextDy = 40 / 2 - 19 / 2;      // 40-pixel labels, 19-pixel font
const int kBigTextDy40 = 40 / 2 - 36 / 2;      // 40-pixel labels, 36-pixel font
const int kBigTextDy45 = 45 / 2 - 36 / 2;      // the HUD's 45-pixel labels
const int kSmallTextDy45 = 45 / 2 - 19 / 2;    // the HUD's small-font lines

class EndToEnd : public ::testing::Test {
protected:
    std::string root, home, data, shots;
    XServer x;
    FontImage small, big, highlight;
    int shotCount = 0;

    void SetUp() override
    {
        root = makeTempDir("e2e");
        ASSERT_FALSE(root.empty());
        home = root + "/home";
        data = root + "/data";
        fs::create_directories(home);
        ASSERT_TRUE(generateContent(data));
        ASSERT_TRUE(small.load(data + "/gui/rpgfont.png", fontGlyphOrder()));
        ASSERT_TRUE(big.load(data + "/gui/techyfontbig.png", fontGlyphOrder()));
        ASSERT_TRUE(highlight.load(data + "/gui/techyfontbigh.png", fontGlyphOrder()));
        ASSERT_EQ(small.height, 19);
        ASSERT_EQ(big.height, 36);
        shots = std::string(VANTOR_BUILD_DIR) + "/e2e-shots";
        fs::create_directories(shots);
        ASSERT_TRUE(x.start(800, 600));
    }
    void TearDown() override
    {
        x.stop();
        fs::remove_all(root);
    }

    std::string savePath() const { return home + "/.local/share/Vantor/game.save"; }

    void startGame(GameProcess& game)
    {
        ASSERT_TRUE(game.startAndWait(root, home, x, root + "/stderr.txt", 30000)) << game.output << game.failure;
        ASSERT_TRUE(x.waitForGameWindow(10000));
        sleepMs(800);
    }

    // A screenshot, kept as e2e-shots/<test>-<name>.png.
    Picture shot(const std::string& name)
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string path = shots + "/" + info->name() + "-" + name + ".png";
        Picture pic;
        EXPECT_TRUE(x.screenshot(path)) << path;
        EXPECT_TRUE(pic.load(path)) << path;
        return pic;
    }

    // A screenshot that is not one flat colour.
    Picture screen(const std::string& name)
    {
        Picture pic = shot(name);
        EXPECT_GT(pic.distinctColours(), 50u) << name << " looks blank";
        return pic;
    }

    // Takes screenshots until the text shows at (tx, ty) or ms have passed.
    bool waitForText(const FontImage& font, const std::string& text, int tx, int ty, int ms,
                     Picture& last)
    {
        std::string path = root + "/poll.png";
        for (int waited = 0; waited < ms; waited += 500) {
            if (x.screenshot(path) && last.load(path) && font.match(last, text, tx, ty) > 0.9)
                return true;
            sleepMs(500);
        }
        return false;
    }

    // After a finish on the funnel driven with full throttle and full left
    // steering: the save holds one score of ticks and a best run whose first
    // ticks records are exactly that control.
    void expectOneFullLockRunStored(int ticks, const char* oneScore, const char* sameTicks)
    {
        SaveData saved;
        loadSaveFile(saved, savePath());
        ASSERT_EQ(saved.records.count("00"), 1u);
        const TrackRecord& record = saved.records["00"];
        ASSERT_EQ(record.scores.size(), 1u) << oneScore;
        EXPECT_EQ(record.scores[0].ticks, ticks) << sameTicks;
        ASSERT_GE(record.ghostRun.size(), size_t(ticks));
        for (int i = 0; i < ticks; ++i) {
            const ControlInput& c = record.ghostRun[i];
            ASSERT_TRUE(c.steer == 1.0f && c.brake == 0.0f && c.throttle == 1.0f) << "record " << i;
        }
    }

    bool playMenuUp(Picture& shotOut, int ms = 20000)
    {
        return waitForText(highlight, "play 00", 300, 100, ms, shotOut);
    }

    // Track "00" replaced by a wide funnel around (-25, 0): its floor rises
    // half a metre per metre outward from the start, so gravity holds a ship
    // that is driven with throttle and full left steering on an orbit
    // around the funnel's centre, counter-clockwise like the segments.
    void writeFunnelTrack()
    {
        const double cx = -25.0, cy = 0.0, inner = 2.0, outer = 120.0, slope = 0.5;
        const int n = 32;
        const double pi = 3.14159265358979323846;
        double r0 = std::hypot(cx, cy);
        Bytes file;
        file.i32(n);
        for (int i = 0; i < n; ++i) {
            double a = 2.0 * pi * i / n;
            for (int k = 0; k < 4; ++k) {
                double r = inner + (outer - inner) * k / 3.0;
                // File units are hundredths of metres.
                file.f32(float((cx + r * std::cos(a)) / 100.0));
                file.f32(float((cy + r * std::sin(a)) / 100.0));
                file.f32(float(slope * (r - r0) / 100.0));
            }
        }
        writeFile(data + "/tracks/00/track.track", file.data);
        std::string words;
        for (int i = 0; i < n; ++i)
            words += "asphalt asphalt\n";
        writeText(data + "/tracks/00/textures.txt", words);
    }

    // Race ticks of the held throttle and left steering on track "00", as the
    // headless simulator runs them; 0 unless it finishes.
    int simulatedFinishTicks()
    {
        std::string out = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-sim race --data '" +
                                     data + "' --track 00 --hold 1,0,1 --max-ticks 20000");
        int ticks = 0;
        if (std::sscanf(out.c_str(), "finish %d", &ticks) != 1)
            return 0;
        return ticks;
    }

    // From the track menu: "00", "play", and throttle with left steering held
    // from the countdown on, so that every race tick records (1, 0, 1).
    void raceWithHeldKeys()
    {
        startRaceOn00();
        x.keyDown("Up Left");
    }

    // A save whose track "00" holds run as its best run, the medal, and one
    // score a player and time, dated from 1000 on.
    void seedTrack00(std::vector<ControlInput> run, int medal,
                     const std::vector<std::pair<std::string, int>>& scores)
    {
        SaveData seed;
        TrackRecord& record = seed.records["00"];
        record.name = "00";
        record.medal = medal;
        record.ghostRun = std::move(run);
        for (const auto& [player, ticks] : scores) {
            ScoreEntry e;
            e.playerName = player;
            e.shipName = "ship";
            e.ticks = ticks;
            e.date = 1000 + int(record.scores.size());
            record.scores.push_back(e);
        }
        ASSERT_TRUE(writeSaveFile(seed, savePath()));
    }

    // From the track menu: "00", then "play"; the countdown has begun.
    void startRaceOn00()
    {
        x.key("Return");
        Picture menu;
        ASSERT_TRUE(playMenuUp(menu));
        x.key("Return");
        sleepMs(700);
    }

    // The funnel as track "00", and the ticks the held keys take to finish
    // it in the simulator, more than atLeast and well under a minute.
    void prepareFunnel(int& ticks, int atLeast = 0)
    {
        writeFunnelTrack();
        ticks = simulatedFinishTicks();
        ASSERT_GT(ticks, atLeast) << "the test track must finish under held keys";
        ASSERT_LT(ticks, 6000);
    }

    // Waits for the score-saving menu, then lets the held keys go; a shot
    // named missing is kept when the menu never came.
    bool highScoreAsked(int ms, const std::string& held, const std::string& missing, Picture& saving)
    {
        const bool asked = waitForText(big, "You got a high score!", 300, 100 + kBigTextDy40, ms, saving);
        x.keyUp(held);
        if (!asked)
            shot(missing);
        return asked;
    }

    // The offered name confirmed with "done", then the play menu is up.
    void confirmNameToPlayMenu(Picture& after)
    {
        x.key("Return");
        sleepMs(300);
        x.key("Return");
        ASSERT_TRUE(playMenuUp(after));
    }
};

std::string scoreLine(int ticks, const std::string& name) { return formatTicks(ticks) + " " + name; }

// Buffer swaps the probe has counted, 0 before the first.
unsigned long long swapCount(const std::string& path)
{
    std::ifstream in(path);
    unsigned long long n = 0;
    in >> n;
    return n;
}

// Frames a second the game draws over ms, by the probe's count.
double framesPerSecond(const std::string& counter, int ms)
{
    auto t0 = std::chrono::steady_clock::now();
    unsigned long long s0 = swapCount(counter);
    sleepMs(ms);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return double(swapCount(counter) - s0) / seconds;
}

bool isExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

}  // namespace

TEST_F(EndToEnd, FreshStartOpensOnlyTheFirstTrackAndBackQuits)
{
    GameProcess game;
    startGame(game);
    Picture menu = screen("track-menu");
    Picture picture, selectedFrame;
    ASSERT_TRUE(picture.load(data + "/gui/track00.tga"));
    ASSERT_TRUE(selectedFrame.load(data + "/gui/trackSel.tga"));
    // "00" at (200, 170) shows its picture in the selection frame; "10" at
    // (296, 170) is locked and shows no picture.
    EXPECT_GT(opaqueMatch(menu, picture, 216, 186, 16, 16, 32, 32), 0.9);
    EXPECT_GT(opaqueMatch(menu, selectedFrame, 200, 170), 0.9);
    Picture other;
    if (!other.load(data + "/gui/track10.tga"))
        other = picture;
    EXPECT_LT(opaqueMatch(menu, other, 312, 186, 16, 16, 32, 32), 0.5);
    EXPECT_LT(opaqueMatch(menu, selectedFrame, 296, 170), 0.5);
    EXPECT_GT(big.match(menu, "back", 490, 550), 0.9);
    Picture gold;
    ASSERT_TRUE(gold.load(data + "/gui/medalGold.tga"));
    EXPECT_LT(opaqueMatch(menu, gold, 200, 170), 0.5) << "no medal before a finish";

    // Right refuses the locked neighbour: the focus stays on "00".
    x.key("Right");
    sleepMs(400);
    Picture afterRight = shot("after-right");
    EXPECT_GT(opaqueMatch(afterRight, selectedFrame, 200, 170), 0.9);
    EXPECT_LT(opaqueMatch(afterRight, selectedFrame, 296, 170), 0.5);

    // Down onto the locked "01" goes to "back", drawn in the highlight font.
    x.key("Down");
    Picture onBack;
    EXPECT_TRUE(waitForText(highlight, "back", 490, 550, 15000, onBack))
        << highlight.match(onBack, "back", 490, 550);
    EXPECT_LT(opaqueMatch(onBack, selectedFrame, 200, 170), 0.5);

    x.key("Return");
    EXPECT_EQ(game.waitExit(10000), 0);
    EXPECT_EQ(game.output, startupLines());
    EXPECT_FALSE(fs::exists(savePath()));
}

TEST_F(EndToEnd, PlayMenuCountdownDrivingAndEscapeWithoutSaving)
{
    GameProcess game;
    startGame(game);
    x.key("Return");
    Picture menu;
    ASSERT_TRUE(playMenuUp(menu)) << "the play menu names track 00 on its focused button";
    menu = screen("play-menu");
    for (int i = 0; i < 5; ++i)
        EXPECT_GT(small.match(menu, "-:--.--", 300, 300 + 20 * i + kSmallTextDy), 0.9) << i;
    EXPECT_GT(small.match(menu, "last -:--.--", 300, 250 + kSmallTextDy), 0.9);
    // Gold, silver and bronze beside their target times.
    Picture medal;
    const std::pair<const char*, int> medals[] = {
        {"medalGold", 200}, {"medalSilver", 350}, {"medalBronze", 500}};
    for (auto [file, mx] : medals) {
        ASSERT_TRUE(medal.load(data + "/gui/" + file + ".tga"));
        EXPECT_GT(opaqueMatch(menu, medal, mx, 170), 0.9) << file;
    }

    x.key("Return");
    auto countdownDigit = [&](const Picture& pic) {
        double best = 0.0;
        for (const char* d : {"3", "2", "1"})
            best = std::max(best, big.match(pic, d, 390, 310 + kBigTextDy45));
        return best;
    };
    // The frame that handles "play" still draws the HUD's captions from before
    // the race; a countdown frame proper also shows the empty run's time.
    auto countdownFrame = [&](const Picture& pic) {
        return countdownDigit(pic) > 0.9 && big.match(pic, "0:00.00", 650, 10 + kBigTextDy45) > 0.9;
    };
    // Polled without a pause and bounded by the clock: the countdown lasts
    // three seconds, and on a loaded machine one screenshot can take more.
    Picture countdown;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!countdownFrame(countdown) && std::chrono::steady_clock::now() < giveUp)
        countdown = shot("countdown");
    EXPECT_GT(countdownDigit(countdown), 0.9) << "a countdown digit in the middle";
    EXPECT_GT(big.match(countdown, "0:00.00", 650, 10 + kBigTextDy45), 0.9);
    EXPECT_GT(countdown.distinctColours(), 50u);
    EXPECT_GT(big.match(countdown, "  0 mph", 600, 550 + kBigTextDy45), 0.9);

    // Throttle from the countdown on, until the countdown has gone and the
    // speed has changed.
    x.keyDown("Up");
    sleepMs(2500);
    Picture race;
    for (int waited = 0; waited < 10000; waited += 300) {
        race = shot("race");
        if (countdownDigit(race) < 0.5 && big.match(race, "  0 mph", 600, 550 + kBigTextDy45) < 0.5)
            break;
        sleepMs(300);
    }
    x.keyUp("Up");
    EXPECT_GT(race.distinctColours(), 50u);
    EXPECT_LT(big.match(race, "  0 mph", 600, 550 + kBigTextDy45), 0.5) << "the speed changed";
    EXPECT_LT(countdownDigit(race), 0.5);
    EXPECT_GT(big.match(race, "0:0", 650, 10 + kBigTextDy45), 0.9) << "the HUD's race time is up";

    x.key("Escape");
    Picture back;
    ASSERT_TRUE(playMenuUp(back));
    EXPECT_GT(small.match(back, "last -:--.--", 300, 250 + kSmallTextDy), 0.9);
    EXPECT_GT(small.match(back, "-:--.--", 300, 300 + kSmallTextDy), 0.9);
    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_FALSE(fs::exists(savePath())) << "an abandoned run is never stored";
}

TEST_F(EndToEnd, FinishedRaceAsksForTheNameAndStoresScoreGhostAndMedal)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks));

    GameProcess game;
    startGame(game);
    raceWithHeldKeys();
    Picture saving;
    ASSERT_TRUE(highScoreAsked(ticks * 10 + 20000, "Up Left", "no-finish", saving));
    saving = screen("score-saving-menu");
    EXPECT_GT(big.match(saving, formatTicks(ticks), 300, 150 + kBigTextDy40), 0.9);
    EXPECT_FALSE(fs::exists(savePath())) << "nothing is stored before done";

    // The caret stands after "ace" (the steering key held into the menu does
    // nothing there); End keeps it there, three backspaces clear the name.
    x.key("End BackSpace BackSpace BackSpace");
    x.type("tester");
    Picture after;
    ASSERT_NO_FATAL_FAILURE(confirmNameToPlayMenu(after));
    after = screen("play-menu-after-finish");
    EXPECT_GT(small.match(after, scoreLine(ticks, "tester"), 300, 300 + kSmallTextDy), 0.9);
    EXPECT_GT(small.match(after, "last " + formatTicks(ticks), 300, 250 + kSmallTextDy), 0.9);

    ASSERT_NO_FATAL_FAILURE(
        expectOneFullLockRunStored(ticks, "one run stored", "the game ran the same physics as the simulator"));
    SaveData saved;
    loadSaveFile(saved, savePath());
    EXPECT_EQ(saved.playerName, "tester");
    EXPECT_EQ(saved.records["00"].scores[0].playerName, "tester");
    EXPECT_EQ(saved.records["00"].medal, 4) << "well inside the gold time";
    int verify = -1;
    std::string report = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-sim verify --data '" +
                                        data + "' '" + savePath() + "' 2>&1",
                                    &verify);
    EXPECT_EQ(verify, 0) << report;
    EXPECT_EQ(game.terminate(10000), 0);

    // A new start shows the stored time, and the gold has opened "10".
    GameProcess again;
    startGame(again);
    Picture selectedFrame;
    ASSERT_TRUE(selectedFrame.load(data + "/gui/trackSel.tga"));
    x.key("Right");
    sleepMs(400);
    Picture restartMenu = shot("restart-track-menu");
    EXPECT_GT(opaqueMatch(restartMenu, selectedFrame, 296, 170), 0.9);
    // "00" wears its gold over the picture, under the plain frame.
    Picture gold;
    ASSERT_TRUE(gold.load(data + "/gui/medalGold.tga"));
    EXPECT_GT(opaqueMatch(restartMenu, gold, 200, 170), 0.8);
    x.key("Left");
    sleepMs(300);
    x.key("Return");
    Picture restarted;
    ASSERT_TRUE(playMenuUp(restarted));
    EXPECT_GT(small.match(restarted, scoreLine(ticks, "tester"), 300, 300 + kSmallTextDy), 0.9);
    EXPECT_GT(small.match(restarted, "last -:--.--", 300, 250 + kSmallTextDy), 0.9);
    EXPECT_EQ(again.terminate(10000), 0);
}

TEST_F(EndToEnd, RunOutsideTheFiveBestGoesBackToThePlayMenuAndIsStored)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks, 200));

    // Five faster runs already stored, the fastest as the ghost.
    ASSERT_NO_FATAL_FAILURE(seedTrack00(std::vector<ControlInput>(100, ControlInput{0.0f, 0.0f, 1.0f}), 4,
                                        {{"pro", 100}, {"pro", 101}, {"pro", 102}, {"pro", 103}, {"pro", 104}}));

    GameProcess game;
    startGame(game);
    raceWithHeldKeys();
    SaveData saved;
    for (int waited = 0; waited < ticks * 10 + 20000; waited += 500) {
        saved = SaveData();
        loadSaveFile(saved, savePath());
        if (saved.records["00"].scores.size() == 6)
            break;
        sleepMs(500);
    }
    x.keyUp("Up Left");
    if (saved.records["00"].scores.size() != 6)
        shot("no-finish");
    ASSERT_EQ(saved.records["00"].scores.size(), 6u);
    EXPECT_EQ(saved.records["00"].scores.back().ticks, ticks);
    EXPECT_EQ(saved.records["00"].scores.back().playerName, "ace");
    EXPECT_EQ(saved.records["00"].ghostRun.size(), 100u) << "a slower run never becomes the ghost";

    Picture menu;
    ASSERT_TRUE(playMenuUp(menu)) << "straight back to the play menu";
    menu = screen("play-menu-slow-run");
    EXPECT_LT(big.match(menu, "You got a high score!", 300, 100 + kBigTextDy40), 0.5);
    EXPECT_GT(small.match(menu, "last " + formatTicks(ticks), 300, 250 + kSmallTextDy), 0.9);
    EXPECT_GT(small.match(menu, scoreLine(100, "pro"), 300, 300 + kSmallTextDy), 0.9);
    EXPECT_EQ(game.terminate(10000), 0);
}

TEST_F(EndToEnd, IdleMenusDrawAtMostSixtyFramesASecond)
{
    // A small window without the scenery and the road: frames as cheap as on
    // a fast graphics card, several hundred a second without pacing even on
    // a busy machine.
    writeText(home + "/.config/Vantor/config.txt", "160 120 0 2 3 0 1 2 3 0\n");
    const std::string counter = root + "/swaps";
    const char* asan = std::getenv("ASAN_OPTIONS");
    GameProcess game;
    // A sanitizer build wants its runtime first in the library list; the
    // probe only wraps the swap and the replay of compiled lists.
    game.env = {{"LD_PRELOAD", std::string(VANTOR_BUILD_DIR) + "/libvantor_swap_count.so"},
                {"VANTOR_SWAP_COUNT", counter},
                {"VANTOR_SKIP_LISTS", "1"},
                {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
    startGame(game);
    ASSERT_GT(swapCount(counter), 0u) << "the probe counts the game's frames";
    double trackMenu = framesPerSecond(counter, 3000);
    x.key("Return");
    sleepMs(1000);
    double playMenu = framesPerSecond(counter, 3000);
    EXPECT_LE(trackMenu, 62.0);
    EXPECT_LE(playMenu, 62.0);
    EXPECT_GT(trackMenu, 1.0) << "the menus are still drawn";
    EXPECT_GT(playMenu, 1.0);

    // In a race at most 120, and the HUD's frame rate reads what is drawn:
    // the caption "% 3d fps" at the label's place that the screen shows best.
    // The label averages the last 64 race frames, and the first of them holds
    // the whole time spent in the menus: measure once it has left the ring.
    unsigned long long raceStart = swapCount(counter);
    x.key("Return");
    for (int waited = 0; waited < 40000 && swapCount(counter) < raceStart + 100; waited += 100)
        sleepMs(100);
    sleepMs(500);
    double race = framesPerSecond(counter, 2000);
    Picture hud = shot("race-fps");
    int shown = 0;
    double best = 0.0;
    for (int fps = 1; fps <= 999; ++fps) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "% 3d fps", fps);
        double m = small.match(hud, caption, 10, 20 + 45 / 2 - 19 / 2);
        if (m > best) {
            best = m;
            shown = fps;
        }
    }
    EXPECT_LE(race, 122.0);
    EXPECT_GT(best, 0.9) << "the frame-rate label is drawn";
    EXPECT_NEAR(shown, race, 3.0 + 0.3 * race) << "the label averages the last 64 frames";
    EXPECT_EQ(game.terminate(10000), 0);
}

// The build installed as a player would install it, staged under a
// temporary DESTDIR with a prefix of its own, and started through its
// launcher from an unrelated folder.
TEST(Install, TheInstalledLauncherStartsTheGameFromAnyFolder)
{
    const std::string root = makeTempDir("install");
    ASSERT_FALSE(root.empty());
    const std::string prefix = root + "/stage/opt/vantor-test";
    int status = -1;
    std::string log = runCommand("DESTDIR='" + root + "/stage' '" + VANTOR_CMAKE_COMMAND + "' --install '" +
                                     VANTOR_BUILD_DIR + "' --prefix /opt/vantor-test 2>&1",
                                 &status);
    ASSERT_EQ(status, 0) << log;
    EXPECT_TRUE(isExecutable(prefix + "/bin/vantor"));
    EXPECT_TRUE(isExecutable(prefix + "/bin/vantor-sim"));
    EXPECT_TRUE(isExecutable(prefix + "/libexec/vantor/vantor"));
    for (const char* file : {"/share/vantor/data/tracks/00/track.track", "/share/vantor/data/tracks/42/area.tris",
                             "/share/vantor/data/ships/ship.tris", "/share/vantor/data/gui/techyfontbig.png",
                             "/share/icons/hicolor/128x128/apps/vantor.png", "/share/man/man6/vantor.6",
                             "/share/man/man6/vantor-sim.6"})
        EXPECT_TRUE(fs::is_regular_file(prefix + file)) << file;
    const std::string desktop = prefix + "/share/applications/vantor.desktop";
    std::string verdict = runCommand("desktop-file-validate '" + desktop + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << verdict;
    EXPECT_EQ(verdict, "") << "no errors, warnings or hints";
    for (const char* page : {"vantor.6", "vantor-sim.6"}) {
        std::ifstream in(prefix + "/share/man/man6/" + page);
        std::string first;
        std::getline(in, first);
        EXPECT_EQ(first.rfind(".TH VANTOR", 0), 0u) << page << " is a manual page in section 6: " << first;
        EXPECT_NE(first.find(" 6 "), std::string::npos) << page;
    }

    // The installed simulator reads the installed content.
    std::string race = runCommand("'" + prefix + "/bin/vantor-sim' race --data '" + prefix +
                                      "/share/vantor/data' --track 00 --hold 0,0,0 --max-ticks 50 2>&1",
                                  &status);
    EXPECT_EQ(status, 0) << race;
    EXPECT_EQ(race, "unfinished 50\n");

    const std::string elsewhere = root + "/elsewhere", home = root + "/home";
    fs::create_directories(elsewhere);
    fs::create_directories(home);
    XServer x;
    ASSERT_TRUE(x.start(800, 600));
    GameProcess game;
    game.binary = prefix + "/bin/vantor";
    ASSERT_TRUE(game.startAndWait(elsewhere, home, x, root + "/stderr.txt", 30000)) << game.output << game.failure;
    ASSERT_TRUE(x.waitForGameWindow(10000));
    EXPECT_EQ(game.output, startupLines());
    // The track menu, drawn with the installed fonts: found only when the
    // game runs in the content's folder.
    FontImage big;
    ASSERT_TRUE(big.load(prefix + "/share/vantor/data/gui/techyfontbig.png", fontGlyphOrder()));
    Picture menu;
    bool shown = false;
    for (int waited = 0; waited < 15000 && !shown; waited += 500) {
        sleepMs(500);
        shown = x.screenshot(root + "/menu.png") && menu.load(root + "/menu.png") &&
                big.match(menu, "back", 490, 550) > 0.9;
    }
    EXPECT_TRUE(shown) << "the track menu's back button";
    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "nothing is written into the working directory";
    x.stop();
    fs::remove_all(root);
}

TEST(Install, TheDebianPackageHoldsTheGameAndDeclaresItsDependencies)
{
    const std::string root = makeTempDir("deb");
    ASSERT_FALSE(root.empty());
    int status = -1;
    std::string log = runCommand("cd '" + root + "' && '" + VANTOR_CPACK_COMMAND + "' -G DEB --config '" +
                                     VANTOR_BUILD_DIR + "/CPackConfig.cmake' -B '" + root + "' 2>&1",
                                 &status);
    ASSERT_EQ(status, 0) << log;
    std::string deb;
    for (const fs::directory_entry& e : fs::directory_iterator(root))
        if (e.path().extension() == ".deb")
            deb = e.path().string();
    ASSERT_FALSE(deb.empty()) << log;

    std::string info = runCommand("dpkg-deb --info '" + deb + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << info;
    EXPECT_NE(info.find("Package: vantor\n"), std::string::npos) << info;
    std::smatch depends;
    ASSERT_TRUE(std::regex_search(info, depends, std::regex("\\n Depends: ([^\\n]*)"))) << info;
    // The libraries the game links, found by dpkg-shlibdeps.
    for (const char* package : {"libc6", "libstdc++6", "libsdl1.2debian", "libsdl-mixer1.2", "libguichan",
                                "libfreeimageplus3", "libglu1-mesa", "libgl1"})
        EXPECT_NE(depends[1].str().find(package), std::string::npos) << package << " in " << depends[1];

    std::string contents = runCommand("dpkg-deb --contents '" + deb + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << contents;
    for (const char* file : {"./usr/bin/vantor\n", "./usr/bin/vantor-sim\n", "./usr/libexec/vantor/vantor\n",
                             "./usr/share/vantor/data/tracks/42/track.track\n",
                             "./usr/share/applications/vantor.desktop\n",
                             "./usr/share/icons/hicolor/128x128/apps/vantor.png\n",
                             "./usr/share/man/man6/vantor.6\n",
                             "./usr/share/doc/vantor/copyright\n"})
        EXPECT_NE(contents.find(file), std::string::npos) << file;
    fs::remove_all(root);
}

// The race heard through SDL's disk audio driver, which writes what the game
// plays to a file of raw samples at about the pace of a real device (behind
// it on a loaded machine). On track "00" with only the throttle held the ship
// leaves the road after the number of race ticks the headless simulator
// finds. The race's sounds are placed on the stream by their ticks, so in the
// recording they stand exactly as far apart as the ticks, whatever the load.
TEST_F(EndToEnd, ARaceIsHeardCountdownEngineAndTheFall)
{
    std::string out = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-sim race --data '" + data +
                                 "' --track 00 --hold 0,0,1");
    int lossTicks = 0;
    ASSERT_EQ(std::sscanf(out.c_str(), "offroad %d", &lossTicks), 1) << out;
    ASSERT_GT(lossTicks, 600) << "long enough to hear the engine rise";

    const std::string recording = root + "/audio.raw";
    const double rate = 22050.0;
    GameProcess game;
    game.env = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", recording}, {"SDL_DISKAUDIODELAY", "23"}};
    startGame(game);
    startRaceOn00();
    x.keyDown("Up");
    Picture back;
    bool ended = playMenuUp(back, lossTicks * 10 + 30000);
    x.keyUp("Up");
    ASSERT_TRUE(ended) << "the ship leaves the road and the play menu comes back";
    // A writer that runs behind (a loaded machine) is given the time to
    // reach the fall and let it play out; then the game ends so that the file
    // is complete.
    std::vector<double> s;
    for (int waited = 0; waited < 60000; waited += 1000) {
        sleepMs(1000);
        s = readRawSamples(recording);
        std::vector<double> starts = toneOnsets(s, 1760.0, rate, 220, 0.15);
        if (!starts.empty() && s.size() > size_t((starts.front() + lossTicks * 0.01 + 2.0) * rate))
            break;
    }
    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_EQ(game.output, startupLines());

    s = readRawSamples(recording);
    ASSERT_GT(s.size(), size_t(rate * 12)) << "the recording covers the race";
    std::vector<double> starts = toneOnsets(s, 1760.0, rate, 220, 0.15);
    ASSERT_FALSE(starts.empty()) << "the start tone";
    double start = starts.front();

    // Three beeps a second apart, and the start tone a second after the last.
    std::vector<double> beeps;
    for (double t : toneOnsets(s, 880.0, rate, 220, 0.15))
        if (t < start)
            beeps.push_back(t);
    ASSERT_EQ(beeps.size(), 3u) << "one beep for each of 3, 2, 1";
    EXPECT_NEAR(beeps[1] - beeps[0], 1.0, 0.03);
    EXPECT_NEAR(beeps[2] - beeps[1], 1.0, 0.03);
    EXPECT_NEAR(start - beeps[2], 0.99, 0.03);

    // The fall, on the tick that left the road.
    WavSound fall;
    ASSERT_TRUE(readWavFile(data + "/sounds/" + soundCueFile(SoundCue::leaveRoad), fall));
    size_t fallAt = 0;
    double match = bestMatch(s, toFractions(fall.samples), 2048, size_t(start * rate), s.size(), fallAt);
    // Up is still held when the play menu comes back, so the key's repeats
    // click through the menu over the fall; unrelated sound correlates far
    // below this with the noise of the fall.
    EXPECT_GT(match, 0.8) << "the leaving-the-road sound";
    EXPECT_NEAR(fallAt / rate - start, (lossTicks - 1) * 0.01, 0.03);

    // The engine's note rises while the throttle is held from rest; in the
    // countdown it idles lower than any of them.
    auto engineHz = [&](double at) {
        return dominantFrequency(s, size_t(at * rate), 8192, rate, 50.0, 450.0);
    };
    double idle = engineHz(beeps[1] + 0.3);
    double early = engineHz(start + 0.8), middle = engineHz(start + 2.0), late = engineHz(start + 3.2);
    EXPECT_LT(idle, early);
    EXPECT_LT(early, middle);
    EXPECT_LT(middle, late);
    EXPECT_GT(late, 1.25 * early) << idle << " " << early << " " << middle << " " << late;
}

TEST_F(EndToEnd, WatchPlaysTheBestRunToItsFinishAndLeavesTheSaveFileAlone)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks, 300));

    // The held-keys run as the best run, with records to spare after its
    // finish: the replay must stop at the finish, not where the records end.
    ASSERT_NO_FATAL_FAILURE(
        seedTrack00(std::vector<ControlInput>(size_t(ticks) + 250, ControlInput{1.0f, 0.0f, 1.0f}), 4, {{"ace", ticks}}));
    const std::string saveBefore = readFile(savePath());
    ASSERT_FALSE(saveBefore.empty());

    GameProcess game;
    startGame(game);
    x.key("Return");
    Picture menu;
    ASSERT_TRUE(playMenuUp(menu));
    EXPECT_GT(big.match(menu, "watch", 300, 480), 0.9) << "a best run offers watching";
    x.key("Down");
    Picture onWatch;
    ASSERT_TRUE(waitForText(highlight, "watch", 300, 480, 15000, onWatch));
    x.key("Return");

    // The replay's HUD, then the camera behind and above the ship.
    Picture first;
    ASSERT_TRUE(waitForText(small, "replay x1 chase", 10, 40 + kSmallTextDy45, 15000, first))
        << "the playback line of the replay";
    x.key("Right");
    Picture behind;
    ASSERT_TRUE(waitForText(small, "replay x1 behind", 10, 40 + kSmallTextDy45, 15000, behind));
    // Past the countdown, slowed to a quarter so that a loaded machine still
    // sees the race: the picture moves.
    sleepMs(3000);
    x.key("Down Down");
    Picture racing;
    ASSERT_TRUE(waitForText(small, "replay x1/4 behind", 10, 40 + kSmallTextDy45, 15000, racing));
    racing = screen("watch-behind");
    sleepMs(1500);
    Picture later = screen("watch-behind-later");
    int changed = 0;
    for (size_t i = 0; i + 3 < later.rgba.size() && i + 3 < racing.rgba.size(); i += 4)
        changed += !sameColour(&later.rgba[i], &racing.rgba[i], 8);
    EXPECT_GT(changed, 2000) << "frames change as the replay runs";

    // Four times as fast to the end: the HUD stops at the best score's time.
    x.key("Up Up Up Up");
    const std::string finish = formatTicks(ticks);
    Picture end;
    bool ended = false;
    for (int waited = 0; waited < ticks * 10 / 4 + 20000 && !ended; waited += 400) {
        end = shot("watch-end");
        ended = small.match(end, "replay x4 behind end", 10, 40 + kSmallTextDy45) > 0.9;
        sleepMs(400);
    }
    ASSERT_TRUE(ended) << "the replay reached its end";
    EXPECT_GT(big.match(end, finish, 650, 10 + kBigTextDy45), 0.9) << "ended at " << finish;

    x.key("Escape");
    Picture back;
    ASSERT_TRUE(waitForText(highlight, "watch", 300, 480, 15000, back)) << "back on the play menu";
    EXPECT_GT(big.match(back, "play 00", 300, 100), 0.9);
    EXPECT_GT(small.match(back, scoreLine(ticks, "ace"), 300, 300 + kSmallTextDy), 0.9);
    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_EQ(readFile(savePath()), saveBefore) << "watching never writes the save file";
}

// R during a race starts the track again at once: the keys held through the
// restart drive the new race from its first tick, and only the new race is
// stored, with exactly the simulator's tick count. The first attempt is
// driven differently (braked, no throttle), so a run holding any of its
// records, or a restart that kept them, cannot pass for the new one.
TEST_F(EndToEnd, RestartWithRDiscardsTheAttemptAndTheNewRaceMatchesTheSimulator)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks, 200));

    GameProcess game;
    startGame(game);
    startRaceOn00();
    x.keyDown("Down Left");
    // The countdown, then two seconds of the braked attempt.
    sleepMs(3000 + 2000);
    x.keyDown("Up");
    x.keyUp("Down");
    x.key("r");
    EXPECT_FALSE(fs::exists(savePath())) << "the abandoned attempt is not stored";

    Picture saving;
    ASSERT_TRUE(highScoreAsked(ticks * 10 + 30000, "Up Left", "no-finish-after-restart", saving));
    EXPECT_FALSE(fs::exists(savePath())) << "nothing is stored before done";
    Picture after;
    ASSERT_NO_FATAL_FAILURE(confirmNameToPlayMenu(after));

    ASSERT_NO_FATAL_FAILURE(expectOneFullLockRunStored(ticks, "one race stored, the restarted one", "the restarted race ran as one started from the menu"));
    EXPECT_EQ(game.terminate(10000), 0);
}

// Two copies of the game on one save, each on its own display: the second
// says the save is in use and writes nothing; every run of the first is kept.
TEST_F(EndToEnd, ASecondGameOnTheSameSaveSaysSoAndWritesNothing)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks));
    fs::create_directories(fs::path(savePath()).parent_path());

    GameProcess first;
    startGame(first);
    XServer other;
    ASSERT_TRUE(other.start(800, 600));
    GameProcess second;
    ASSERT_TRUE(second.startAndWait(root, home, other, root + "/stderr2.txt", 30000)) << second.failure;
    ASSERT_TRUE(other.waitForGameWindow(10000));
    // The first frames of a game can take a while on a loaded machine.
    Picture notice;
    std::string path = root + "/second.png";
    double noticeMatch = 0.0;
    for (int waited = 0; waited < 20000 && noticeMatch <= 0.9; waited += 500) {
        if (other.screenshot(path) && notice.load(path))
            noticeMatch = small.match(notice, "another game is using this save; runs of this session will not be saved",
                                      20, 470 + kSmallTextDy);
        if (noticeMatch <= 0.9)
            sleepMs(500);
    }
    EXPECT_GT(noticeMatch, 0.9);
    if (noticeMatch <= 0.9)
        fs::copy_file(path, shots + "/second-game-track-menu.png", fs::copy_options::overwrite_existing);

    // Both finish a race; the second's high score goes through its name menu.
    auto race = [&](XServer& server) {
        server.key("Return");
        sleepMs(1500);
        server.key("Return");
        sleepMs(700);
        server.keyDown("Up Left");
    };
    auto finishAndDone = [&](XServer& server) {
        Picture saving;
        std::string poll = root + "/poll-" + server.display().substr(1) + ".png";
        bool asked = false;
        for (int waited = 0; waited < ticks * 10 + 20000 && !asked; waited += 500) {
            asked = server.screenshot(poll) && saving.load(poll) &&
                    big.match(saving, "You got a high score!", 300, 100 + kBigTextDy40) > 0.9;
            if (!asked)
                sleepMs(500);
        }
        server.keyUp("Up Left");
        server.key("Return");
        sleepMs(300);
        server.key("Return");
        sleepMs(1000);
        return asked;
    };
    race(x);
    race(other);
    ASSERT_TRUE(finishAndDone(x));
    ASSERT_TRUE(finishAndDone(other));
    SaveData saved;
    ASSERT_TRUE(loadSaveFile(saved, savePath()));
    ASSERT_EQ(saved.records["00"].scores.size(), 1u) << "only the first game's run";
    const std::string afterFirst = readFile(savePath());

    // The first races again: its two runs are both there, the second's write never happened.
    race(x);
    ASSERT_TRUE(finishAndDone(x));
    saved = SaveData();
    ASSERT_TRUE(loadSaveFile(saved, savePath()));
    EXPECT_EQ(saved.records["00"].scores.size(), 2u);
    EXPECT_NE(readFile(savePath()), afterFirst);
    EXPECT_EQ(second.terminate(10000), 0);
    EXPECT_EQ(first.terminate(10000), 0);
    EXPECT_TRUE(fs::exists(savePath() + ".lock"));
    other.stop();
}

// A content folder the player cannot read is named once on standard error,
// and a missing road keeps the play menu from starting a race.
TEST_F(EndToEnd, AMissingRoadIsSaidInThePlayMenuAndAnUnreadableContentFolderAtStartUp)
{
    fs::remove(data + "/tracks/00/track.track");
    GameProcess game;
    startGame(game);
    x.key("Return");
    Picture menu;
    ASSERT_TRUE(waitForText(small, "track 00 could not be loaded", 20, 60 + kSmallTextDy, 20000, menu));
    EXPECT_LT(highlight.match(menu, "play 00", 300, 100), 0.5) << "no play";
    x.key("Return");
    sleepMs(1500);
    EXPECT_FALSE(fs::exists(savePath())) << "nothing recorded";
    EXPECT_EQ(game.terminate(10000), 0);

    fs::rename(data, root + "/elsewhere");
    GameProcess blind;
    ASSERT_TRUE(blind.startAndWait(root, home, x, root + "/stderr.txt", 30000)) << blind.failure;
    EXPECT_EQ(blind.terminate(10000), 0);
    std::string err = readFile(root + "/stderr.txt");
    EXPECT_NE(err.find("cannot read the content folder " + root + "/data: no such file or directory\n"),
              std::string::npos)
        << err;
    fs::rename(root + "/elsewhere", data);
}

TEST_F(EndToEnd, LettersBoundInTheConfigurationDriveTheRaceToTheArrowsFinishTick)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks, 200));
    const std::string config = home + "/.config/Vantor/config.txt";
    fs::create_directories(home + "/.config/Vantor");
    const std::string text = "800 600 0 2 3 0 1 2 3 0 80\n# letters\nbind throttle w\nbind brake s\n"
                             "bind left a\nbind right d\nbind restart q\n";
    writeText(config, text);

    GameProcess game;
    startGame(game);
    startRaceOn00();
    // Braked with the letter for the first attempt. The right arrow, bound to
    // nothing now, stays held to the finish: were it still steering, the
    // records would hold no steering at all.
    x.keyDown("s a Right");
    sleepMs(3000 + 1500);
    x.keyDown("w");
    x.keyUp("s");
    x.key("q");

    Picture saving;
    ASSERT_TRUE(highScoreAsked(ticks * 10 + 30000, "w a Right", "no-finish-with-letters", saving));
    Picture after;
    ASSERT_NO_FATAL_FAILURE(confirmNameToPlayMenu(after));

    ASSERT_NO_FATAL_FAILURE(expectOneFullLockRunStored(ticks, "the letter restart dropped the braked attempt", "the letters made the arrows' records"));
    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_EQ(readFile(config), text) << "no setting changed, so the file is untouched";
}

TEST_F(EndToEnd, SettingsScreenBindsAKeySetsTheVolumeAndTheNextStartFindsThem)
{
    const std::string config = home + "/.config/Vantor/config.txt";
    fs::create_directories(home + "/.config/Vantor");
    writeText(config, "800 600 0 2 3 0 1 2 3 0\n# mine\ncamera sideways\n");
    // Rows of the settings screen: 22 pixels apart from y = 60, text at x = 150.
    auto rowY = [](int row) { return 60 + row * 22; };
    const int statusY = 60 + settingsRowCount * 22 + 8 + (30 / 2 - 19 / 2);

    GameProcess game;
    startGame(game);
    // From "00" down to "back", left to "settings" (right goes round to "my tracks").
    x.key("Down");
    sleepMs(200);
    x.key("Left");
    sleepMs(200);
    shot("track-menu-settings-focused");
    x.key("Return");
    Picture settings;
    ASSERT_TRUE(waitForText(small, "  volume 80", 150, rowY(2), 5000, settings)) << "the settings screen opens";
    EXPECT_GT(small.match(settings, "configuration line 3", 60, statusY), 0.9) << "the unusable line is said";
    for (const char* step : {"Down", "Down", "Right"}) {
        x.key(step);
        sleepMs(200);
    }
    for (int i = 0; i < 7; ++i) {
        x.key("Down");
        sleepMs(150);
    }
    x.key("Return");
    sleepMs(400);
    x.key("w");
    sleepMs(400);
    settings = screen("settings-after-binding");
    EXPECT_GT(small.match(settings, "* throttle: up, w", 150, rowY(9)), 0.9);
    EXPECT_GT(small.match(settings, "  volume 90", 150, rowY(2)), 0.9);
    EXPECT_GT(small.match(settings, "w bound to throttle", 60, statusY), 0.9);
    x.key("Escape");
    sleepMs(400);
    EXPECT_EQ(game.terminate(10000), 0);

    const std::string written = readFile(config);
    EXPECT_EQ(written.rfind("800 600 0 2 3 0 1 2 3 0 90\n# mine\ncamera sideways\n", 0), 0u)
        << "numbers, comment and the unknown line kept in place:\n" << written;
    EXPECT_NE(written.find("bind throttle up\nbind throttle w\n"), std::string::npos) << written;

    GameProcess again;
    startGame(again);
    x.key("Down");
    sleepMs(200);
    x.key("Left");
    sleepMs(200);
    x.key("Return");
    ASSERT_TRUE(waitForText(small, "  volume 90", 150, rowY(2), 5000, settings)) << "the volume kept";
    EXPECT_GT(small.match(settings, "  throttle: up, w", 150, rowY(9)), 0.9) << "the binding kept";
    x.key("Escape");
    sleepMs(400);
    EXPECT_EQ(again.terminate(10000), 0);
    EXPECT_EQ(readFile(config), written) << "a start that changes nothing leaves the file alone";
}

TEST_F(EndToEnd, AFinishOpensTheAnalysisAgainstTheBestRunAndPracticeKeepsNothing)
{
    int ticks = 0;
    ASSERT_NO_FATAL_FAILURE(prepareFunnel(ticks));
    // A best run that steers harder: faster overall, so the held keys lose
    // somewhere and the analysis has a worst sector to mark.
    std::vector<ControlInput> best(size_t(ticks) + 100, ControlInput{1.2f, 0.0f, 1.0f});
    Track track;
    ASSERT_TRUE(readTrackRoad(track, data, "00"));
    const std::vector<ControlInput> held(size_t(ticks), ControlInput{1.0f, 0.0f, 1.0f});
    const RunAnalysis expected = analyseRun(track, held, best, {}, defaultGravity);
    ASSERT_EQ(expected.referenceOutcome, RaceOutcome::finish);
    ASSERT_LT(expected.referenceTicks, ticks);
    ASSERT_GE(expected.worstSector, 0);
    const AnalysisView view = analysisView(expected, "best run");

    ASSERT_NO_FATAL_FAILURE(seedTrack00(best, 0, {{"pro", int(expected.referenceTicks)}}));

    // The state the player takes over in practice at the worst sector: the
    // reference's after its crossing of the joint that opens it.
    const JointKey joint = practiceJoint(expected.layout, view.practiceSector);
    const int64_t crossing = practiceCrossingTick(track, best, joint.lap, joint.segment, defaultGravity);
    ASSERT_GT(crossing, 0);
    ShipState atCrossing;
    {
        Track copy = track;
        RaceSession session;
        beginRace(session, copy, atCrossing, nullptr, defaultGravity);
        stepRaceWith(session, best, countdownTicks + crossing);
    }
    const std::string practiceState = root + "/practice-state.bin";

    GameProcess game;
    game.env = {{"VANTOR_PRACTICE_STATE", practiceState}};
    startGame(game);
    raceWithHeldKeys();
    Picture saving;
    ASSERT_TRUE(highScoreAsked(ticks * 10 + 20000, "Up Left", "no-finish", saving));

    // Enter in the name box moves to "done", Down to "analysis".
    x.key("Return");
    sleepMs(300);
    x.key("Down");
    sleepMs(300);
    x.key("Return");
    Picture analysis;
    const bool shown = waitForText(big, "against best run", 40, 21, 10000, analysis);
    analysis = screen("analysis");
    ASSERT_TRUE(shown);
    EXPECT_GT(small.match(analysis, view.referenceLine, 40, 91), 0.9) << view.referenceLine;
    EXPECT_GT(small.match(analysis, view.worstLine, 40, 181), 0.9) << view.worstLine;

    // The worst sector preselected for practice: its race begins at once, and
    // Escape comes back here with nothing written.
    x.key("Return");
    for (int waited = 0; waited < 15000 && !fs::exists(practiceState); waited += 250)
        sleepMs(250);
    shot("practice");
    std::ifstream stateFile(practiceState, std::ios::binary);
    std::vector<char> state((std::istreambuf_iterator<char>(stateFile)), std::istreambuf_iterator<char>());
    ASSERT_EQ(state.size(), sizeof(ShipState)) << "the practice reached its crossing";
    EXPECT_EQ(std::memcmp(state.data(), &atCrossing, sizeof(ShipState)), 0) << "the reference's exact state";
    x.key("Escape");
    Picture back;
    ASSERT_TRUE(waitForText(big, "against best run", 40, 21, 10000, back));
    SaveData untouched;
    ASSERT_TRUE(loadSaveFile(untouched, savePath()));
    EXPECT_EQ(untouched.records["00"].scores.size(), 1u);
    // The finish itself is kept in the history; the practice adds nothing.
    size_t kept = 0;
    const std::string history = home + "/.local/share/Vantor/history/00";
    for (const auto& entry : fs::directory_iterator(history))
        kept += entry.path().extension() == ".vghost" ? 1 : 0;
    EXPECT_EQ(kept, 1u);

    // Escape again: the run still waits for its name, "done" focused stores it.
    x.key("Escape");
    ASSERT_TRUE(waitForText(big, "You got a high score!", 300, 100 + kBigTextDy40, 10000, back));
    x.key("Return");
    Picture after;
    ASSERT_TRUE(playMenuUp(after));
    after = screen("play-menu-after-analysis");
    SaveData saved;
    ASSERT_TRUE(loadSaveFile(saved, savePath()));
    ASSERT_EQ(saved.records["00"].scores.size(), 2u);
    EXPECT_EQ(saved.records["00"].scores[1].ticks, ticks);
    EXPECT_EQ(saved.records["00"].ghostRun.size(), best.size()) << "the slower run is not the best";
    EXPECT_EQ(game.terminate(10000), 0);
}

namespace {

// Pixels of the screenshot inside the rectangle whose colour is near rgb.
int pixelsNear(const Picture& pic, int x0, int y0, int x1, int y1, int r, int g, int b, int tolerance)
{
    int n = 0;
    for (int y = std::max(y0, 0); y < y1 && y < pic.height; ++y)
        for (int x = std::max(x0, 0); x < x1 && x < pic.width; ++x) {
            const unsigned char* p = pic.at(x, y);
            n += std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
        }
    return n;
}

// Pixels of a frame that differ from the same view without the ghosts.
int changedPixels(const Picture& frame, const Picture& empty, int y0, int y1)
{
    int n = 0;
    for (int y = y0; y < y1 && y < frame.height && y < empty.height; ++y)
        for (int x = 0; x < frame.width && x < empty.width; ++x)
            n += !sameColour(frame.at(x, y), empty.at(x, y), 24);
    return n;
}

// Pixels of a frame that are the font's fill in tint (the fill a shade of
// white, from 1.0 at the glyphs' top to about 0.8 at their bottom) laid over
// the same view without the ghosts at an opacity of at least minAlpha: with
// the ghosts at their usual 0.3 (two over each other make 0.51) only the name
// tags are drawn that opaque, and a tag in another colour (or the ship's own
// orange and red paint) does not fit.
int tagPixels(const Picture& frame, const Picture& empty, int y0, int y1, const float tint[3], double minAlpha)
{
    const double t[3] = {255.0 * tint[0], 255.0 * tint[1], 255.0 * tint[2]};
    const double tt = t[0] * t[0] + t[1] * t[1] + t[2] * t[2];
    int n = 0;
    for (int y = y0; y < y1 && y < frame.height && y < empty.height; ++y)
        for (int x = 0; x < frame.width && x < empty.width; ++x) {
            const unsigned char* p = frame.at(x, y);
            const unsigned char* e = empty.at(x, y);
            if (sameColour(p, e, 24))
                continue;
            bool fits = false;
            for (double alpha = minAlpha; alpha <= 1.0001 && !fits; alpha += 0.02) {
                // What the tag adds over the view, alpha times its colour.
                double d[3];
                for (int c = 0; c < 3; ++c)
                    d[c] = p[c] - (1.0 - alpha) * e[c];
                const double k = (d[0] * t[0] + d[1] * t[1] + d[2] * t[2]) / tt;
                const double shade = k / alpha;
                if (shade < 0.75 || shade > 1.05)
                    continue;
                fits = true;
                for (int c = 0; c < 3; ++c)
                    fits = fits && std::abs(d[c] - k * t[c]) <= 12.0;
            }
            n += fits;
        }
    return n;
}

}  // namespace

// The best run and the gold ghost race together: the second ghost is drawn in
// its own colour on the road, each carries its name tag in its colour, and the
// map shows a dot in each ghost's colour.
TEST_F(EndToEnd, ARaceWithTheBestRunAndAMedalGhostDrawsBothAndTheirDots)
{
    GhostFile silver;
    std::string reason;
    ASSERT_TRUE(readGhostFile(data + "/tracks/00/silver.vghost", silver, reason)) << reason;
    // The silver ghost's own run as the best: silver is earned, so the race
    // takes the gold ghost beside it.
    ASSERT_NO_FATAL_FAILURE(seedTrack00(silver.records, 3, {{"ace", int(silver.ticks)}}));

    GameProcess game;
    startGame(game);
    x.key("Return");
    Picture menu;
    ASSERT_TRUE(playMenuUp(menu));
    menu = screen("play-menu-ghosts");
    EXPECT_GT(small.match(menu, "ghosts: best run, gold", 20, 520 + kSmallTextDy), 0.9);
    x.key("Return");

    // The player stays at the start, so the camera stands still: what
    // changes between frames is the ghosts driving away.
    // Shots over sixteen seconds of the clock, however fast they come: the
    // two ghosts part on the map only some seconds into the race.
    std::vector<Picture> frames;
    const auto enough = std::chrono::steady_clock::now() + std::chrono::seconds(16);
    while (frames.size() < 40 && std::chrono::steady_clock::now() < enough) {
        frames.push_back(shot("race-ghosts-" + std::to_string(frames.size())));
        sleepMs(250);
    }
    ASSERT_GE(frames.size(), 6u);
    // By then both ghosts are far beyond the view.
    const Picture& empty = frames.back();

    // The map's square: 150 pixels, 10 in from the bottom-left corner.
    const int mapX0 = 10, mapY0 = 600 - 160, mapX1 = 160, mapY1 = 590;
    // Each dot drawn at 80 percent over the map's dark pane.
    auto dot = [](float c) { return int(255.0f * 0.8f * c + 0.5f); };
    int paleDot = 0, orangeDot = 0, drawn = 0;
    for (const Picture& frame : frames) {
        paleDot = std::max(paleDot, pixelsNear(frame, mapX0, mapY0, mapX1, mapY1, dot(0.6f), dot(0.85f), dot(1.0f), 30));
        orangeDot = std::max(orangeDot, pixelsNear(frame, mapX0, mapY0, mapX1, mapY1, dot(1.0f), dot(0.55f), dot(0.15f), 30));
        // Above the map, below the HUD's top lines; not the countdown, when
        // the faded ghosts sit on the camera and change most of the view.
        const int changed = changedPixels(frame, empty, 100, mapY0);
        if (changed < 800 * (mapY0 - 100) / 10)
            drawn = std::max(drawn, changed);
    }
    // The best run's white and the gold ghost's orange.
    const float white[3] = {1.0f, 1.0f, 1.0f}, orange[3] = {1.0f, 0.55f, 0.15f};
    int whiteTagged = 0, orangeTagged = 0;
    for (const Picture& frame : frames) {
        const int orangeHere = tagPixels(frame, empty, 100, mapY0, orange, 0.6);
        orangeTagged = std::max(orangeTagged, orangeHere);
        // The countdown's digits are as light as the white tag; the tags show
        // only once the ghosts have left the player, both at once.
        if (orangeHere > 40)
            whiteTagged = std::max(whiteTagged, tagPixels(frame, empty, 100, mapY0, white, 0.6));
    }
    EXPECT_GT(orangeTagged, 40) << "\"gold\" over its ghost in the gold ghost's orange";
    EXPECT_GT(whiteTagged, 40) << "\"best run\" over its ghost in the best run's white";
    EXPECT_GT(paleDot, 4) << "the best run's dot on the map, in the ghost's pale blue";
    EXPECT_GT(orangeDot, 4) << "the gold ghost's dot on the map, in its own orange";
    EXPECT_GT(drawn, 300) << "the ghosts drawn on the road ahead";
    EXPECT_EQ(game.terminate(10000), 0);
}

// The window's size changed on the settings screen takes effect at once: the
// window takes the new size, the menus are drawn centred in it with their
// fonts, and a race then draws the textured road and the HUD along the new
// window's edges.
TEST_F(EndToEnd, AWindowSizeChosenInTheSettingsAppliesAtOnceAndTheGameKeepsDrawing)
{
    // A display large enough for the next size up.
    x.stop();
    ASSERT_TRUE(x.start(1280, 1024));
    const std::string config = home + "/.config/Vantor/config.txt";

    GameProcess game;
    startGame(game);
    int w = 0, h = 0, left = 0, top = 0;
    ASSERT_TRUE(x.gameWindow(w, h, left, top));
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    // From "00" down to "back", left to "settings".
    x.key("Down");
    sleepMs(200);
    x.key("Left");
    sleepMs(200);
    x.key("Return");
    Picture settings;
    ASSERT_TRUE(waitForText(small, "* window 800 x 600", left + 150, top + 60, 5000, settings))
        << "the settings screen opens on the window line";
    x.key("Right");
    for (int waited = 0; waited < 5000 && !(w == 1024 && h == 768); waited += 100) {
        sleepMs(100);
        x.gameWindow(w, h, left, top);
    }
    ASSERT_EQ(w, 1024) << "the window takes the new width at once";
    ASSERT_EQ(h, 768);
    // The 800 x 600 menu area sits in the middle of the larger window.
    const int cx = left + (1024 - 800) / 2, cy = top + (768 - 600) / 2;
    ASSERT_TRUE(waitForText(small, "* window 1024 x 768", cx + 150, cy + 60, 5000, settings))
        << "the menu drawn, centred, with its font reloaded";
    settings = screen("settings-1024");
    EXPECT_GT(small.match(settings, "  volume 80", cx + 150, cy + 60 + 2 * 22), 0.9);
    EXPECT_NE(readFile(config).find("1024 768 0"), std::string::npos) << "kept for the next start";

    x.key("Escape");
    sleepMs(400);
    x.key("Return");
    Picture menu;
    ASSERT_TRUE(waitForText(highlight, "play 00", cx + 300, cy + 100, 20000, menu)) << "the play menu, centred";
    x.key("Return");
    // After the countdown: the race time along the new window's right edge.
    Picture race;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool timed = false;
    while (!timed && std::chrono::steady_clock::now() < giveUp) {
        sleepMs(300);
        race = shot("race-1024");
        timed = big.match(race, "0:0", left + 1024 - 150, top + 10 + kBigTextDy45) > 0.9 &&
                big.match(race, "0:00.00", left + 1024 - 150, top + 10 + kBigTextDy45) < 0.9;
    }
    EXPECT_TRUE(timed) << "the HUD's race time runs at the window's right edge";
    // The road ahead of the ship fills the lower middle of the window with
    // its asphalt texture (grey, 72 74 78 at full light).
    const int road = pixelsNear(race, left + 312, top + 500, left + 712, top + 700, 72, 74, 78, 45);
    EXPECT_GT(road, 4000) << "the road is drawn with its texture";
    x.key("Escape");
    sleepMs(400);
    EXPECT_EQ(game.terminate(10000), 0);
}

TEST_F(EndToEnd, TheEditorMakesATrackFromAFewKeysAndSavesItAmongMyTracks)
{
    const std::string folder = home + "/.local/share/Vantor/tracks/track1";
    GameProcess game;
    startGame(game);
    // From "00" down to "back", right round to "my tracks"; on the empty list
    // "play" has the focus, and "new" is three to its right.
    for (const char* step : {"Down", "Right", "Return"}) {
        x.key(step);
        sleepMs(300);
    }
    Picture seen;
    ASSERT_TRUE(waitForText(small, "no tracks of your own yet", 150, 70 + 24 / 2 - 19 / 2, 5000, seen)) << "my tracks opens";
    for (const char* step : {"Right", "Right", "Right", "Return"}) {
        x.key(step);
        sleepMs(300);
    }
    ASSERT_TRUE(waitForText(small, "theme meadow", 30, 48, 5000, seen)) << "the editor opens on a new plan";
    EXPECT_GT(small.match(seen, "no fault", 30, 84), 0.9) << "the default plan is sound";
    screen("editor-new");

    // The second corner's radius up two steps, a corner inserted after it, saved.
    for (const char* step : {"Tab", "q", "q", "i", "F2"}) {
        x.key(step);
        sleepMs(300);
    }
    Picture saved;
    ASSERT_TRUE(waitForText(small, "saved (not validated)", 30, 534, 8000, saved)) << "the save is said";
    TrackPlan plan;
    PlanFault fault;
    ASSERT_TRUE(readPlan(readFile(folder + "/plan.txt"), plan, fault)) << describeFault(fault);
    EXPECT_EQ(plan.name, "track1");
    ASSERT_EQ(plan.corners.size(), 5u);
    EXPECT_EQ(plan.corners[1].radius, defaultPlan("x").corners[1].radius + 2 * planRadiusStep);
    EXPECT_EQ(plan.corners[2].x, 600.0);
    EXPECT_EQ(plan.corners[2].y, 200.0);
    EXPECT_TRUE(fs::is_regular_file(folder + "/track.track"));
    EXPECT_FALSE(fs::exists(folder + "/author.vghost")) << "not validated before a test drive";

    // A fault shows at once; undo takes it back.
    for (int i = 0; i < 14; ++i)
        x.key("a");
    ASSERT_TRUE(waitForText(small, "corner 3: RADIUS", 30, 84, 5000, seen)) << "the fault names its corner";
    screen("editor-fault");
    x.key("u");
    sleepMs(300);
    x.key("Escape");
    ASSERT_TRUE(waitForText(small, "* track1", 150, 70, 8000, seen)) << "back on my tracks with the new track";
    ASSERT_TRUE(readPlan(readFile(folder + "/plan.txt"), plan, fault));
    EXPECT_EQ(plan.corners[2].radius, planRadiusRange.lo + planRadiusStep) << "Escape kept the change";
    EXPECT_EQ(game.terminate(10000), 0);
}

TEST_F(EndToEnd, ATestDriveToTheFinishValidatesTheNewTrackAndSetsItsMedals)
{
    // The autopilot's run on the default plan, which the game is fed as its
    // controls; the content tool drives it on the same road the editor builds.
    const std::string autopilot = root + "/autopilot";
    fs::create_directories(autopilot);
    writeText(root + "/plan.txt", formatPlan(defaultPlan("track1")));
    int status = -1;
    std::string out = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-content track '" + root + "/plan.txt' '" +
                                     autopilot + "' 2>&1",
                                 &status);
    ASSERT_EQ(status, 0) << out;
    const std::string fed = autopilot + "/tracks/track1/author.vghost";
    GhostFile expected;
    std::string why;
    const std::string fedBytes = readFile(fed);
    ASSERT_TRUE(decodeGhost(reinterpret_cast<const uint8_t*>(fedBytes.data()), fedBytes.size(), expected, why)) << why;

    const std::string folder = home + "/.local/share/Vantor/tracks/track1";
    GameProcess game;
    game.env = {{"VANTOR_FEED_RECORDS", fed}};
    startGame(game);
    for (const char* step : {"Down", "Right", "Return", "Right", "Right", "Right", "Return"}) {
        x.key(step);
        sleepMs(300);
    }
    Picture seen;
    ASSERT_TRUE(waitForText(small, "no fault", 30, 84, 5000, seen)) << "the editor opens on a sound plan";
    x.key("Return");
    const int raceMs = 3000 + static_cast<int>(expected.ticks) * 10;
    ASSERT_TRUE(waitForText(small, "validated in " + formatTicks(expected.ticks), 30, 534, raceMs + 30000, seen))
        << "the finish comes back to the editor validated";
    EXPECT_GT(small.match(seen, "validated: author time " + formatTicks(expected.ticks), 30, 102), 0.9);
    screen("validated");

    GhostFile author;
    EXPECT_EQ(verifyGhostFile(home + "/.local/share/Vantor", folder + "/author.vghost", author), "");
    EXPECT_EQ(author.ticks, expected.ticks);
    EXPECT_EQ(author.records.size(), expected.records.size());
    EXPECT_EQ(readFile(folder + "/times.txt"), medalTimesText(medalTimesFrom(expected.ticks * tickSeconds)));

    x.key("Escape");
    ASSERT_TRUE(waitForText(small, "* track1", 150, 70, 8000, seen)) << "my tracks lists it";
    EXPECT_LT(small.match(seen, "* track1   (not driven", 150, 70), 0.9) << "as driven to the finish";
    // Down to "play", right along the row to "edit": the saved plan, still validated.
    for (const char* step : {"Down", "Right", "Right", "Right", "Right", "Return"}) {
        x.key(step);
        sleepMs(300);
    }
    EXPECT_TRUE(waitForText(small, "validated: author time " + formatTicks(expected.ticks), 30, 102, 8000, seen))
        << "edit opens the saved plan with its validation";
    EXPECT_EQ(game.terminate(10000), 0);
}

TEST_F(EndToEnd, MyTracksRacesAPlayersTrackAndTakesInOnlyASharedTrackThatHolds)
{
    // Held throttle and left steering finish only the funnel: it becomes track
    // "00" for the simulator and the road of the player's track "ridge", which
    // the content tool builds from a plan beside the save file.
    writeFunnelTrack();
    const int ticks = simulatedFinishTicks();
    ASSERT_GT(ticks, 0);
    const std::string mine = home + "/.local/share/Vantor";
    const std::string tracks = mine + "/tracks";
    fs::create_directories(mine);
    writeText(root + "/ridge.txt", "plan 1\nname ridge\ntheme alpine\nroad basalt\n"
                                   "corner 0 0 120 0 0\ncorner 900 0 90 5 10\ncorner 900 600 80 20 10 14\n"
                                   "corner 0 600 100 10 0\n");
    int built = -1;
    const std::string said = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-content track '" + root +
                                            "/ridge.txt' '" + mine + "' 2>&1",
                                        &built);
    ASSERT_EQ(built, 0) << said;
    fs::copy_file(data + "/tracks/00/track.track", tracks + "/ridge/track.track",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(data + "/tracks/00/textures.txt", tracks + "/ridge/textures.txt",
                  fs::copy_options::overwrite_existing);
    const std::string road = readFile(tracks + "/ridge/track.track");
    const std::string ridgeName =
        playerTrackName("ridge", hexDigest(sha256(reinterpret_cast<const uint8_t*>(road.data()), road.size())));

    // A friend's track as one file, and the same file with one byte of its run changed.
    TrackPlan hillPlan;
    PlanFault fault;
    TrackPackage hill;
    ASSERT_TRUE(readPlan("plan 1\nname hill\ntheme meadow\nroad asphalt\ncorner 0 0 100 0 0\n"
                         "corner 800 0 100 10 0\ncorner 800 500 100 0 0\ncorner 0 500 100 -10 0\n",
                         hillPlan, fault) &&
                buildTrackPackage(hillPlan, hill, fault))
        << describeFault(fault);
    std::vector<uint8_t> shared = encodeSharedTrack(SharedTrack{formatPlan(hillPlan), hill.author});
    writeFile(tracks + "/hill.vtrack", std::vector<char>(shared.begin(), shared.end()));
    std::fill(shared.begin() + shared.size() / 2, shared.begin() + shared.size() / 2 + 600, 0);
    writeFile(tracks + "/bent.vtrack", std::vector<char>(shared.begin(), shared.end()));

    GameProcess game;
    startGame(game);
    // From "00" down to "back", right round to "my tracks".
    x.key("Down");
    sleepMs(200);
    x.key("Right");
    sleepMs(200);
    x.key("Return");
    // Lines 24 pixels apart from y = 70, text at x = 150; under the list, 20-pixel labels
    // from y = 416, the message first.
    Picture list;
    ASSERT_TRUE(waitForText(small, "  ridge", 150, 94, 30000, list)) << "the shared track is taken in before it";
    list = screen("my-tracks");
    EXPECT_GT(small.match(list, "* hill", 150, 70), 0.9) << "taken in and chosen";
    EXPECT_GT(small.match(list, "bent.vtrack: its author run does not hold", 40, 436 + (20 / 2 - 19 / 2)), 0.9)
        << "the tampered file is refused by name";
    EXPECT_TRUE(fs::exists(tracks + "/hill/author.vghost"));
    EXPECT_FALSE(fs::exists(tracks + "/bent")) << "a refused file builds nothing";

    x.key("Down");
    sleepMs(300);
    x.key("Return");
    Picture menu;
    ASSERT_TRUE(waitForText(highlight, "play ridge", 300, 100, 20000, menu)) << "its play menu";
    x.key("Return");
    sleepMs(700);
    x.keyDown("Up Left");
    Picture saving;
    const bool asked = waitForText(big, "You got a high score!", 300, 100 + kBigTextDy40, ticks * 10 + 20000, saving);
    x.keyUp("Up Left");
    ASSERT_TRUE(asked) << "the player's track races to a finish";
    x.key("Return");
    sleepMs(300);
    x.key("Return");
    Picture after;
    ASSERT_TRUE(waitForText(highlight, "play ridge", 300, 100, 20000, after));
    after = screen("my-track-play-menu-after-finish");
    EXPECT_GT(small.match(after, scoreLine(ticks, "ace"), 300, 300 + kSmallTextDy), 0.9);

    SaveData saved;
    loadSaveFile(saved, savePath());
    EXPECT_EQ(saved.trackName, ridgeName);
    ASSERT_EQ(saved.records.count(ridgeName), 1u) << "recorded under its own name";
    EXPECT_EQ(saved.records[ridgeName].scores.size(), 1u);
    EXPECT_EQ(saved.records[ridgeName].scores[0].ticks, ticks);
    for (int r = 0; r < trackGridRows; ++r)
        for (int c = 0; c < trackGridColumns; ++c)
            EXPECT_EQ(saved.records.count(trackNameAt(r, c)), 0u) << "the grid is untouched";

    // Escape goes back to "my tracks", then to the track menu.
    x.key("Escape");
    Picture back;
    EXPECT_TRUE(waitForText(small, "* ridge", 150, 94, 10000, back)) << "back in my tracks";
    EXPECT_EQ(game.terminate(10000), 0);
}
