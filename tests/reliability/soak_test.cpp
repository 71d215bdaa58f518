// Soak: the real game under a seeded random sequence of key presses across
// the menus and races (Enter, Escape, arrows, held throttle with steering,
// typing and erasing in the name box) for minutes, then its window closed.
// It must never crash, end with status 0 every time, and leave a save file
// whose every best run replays to its stored time. When the keys walk out of
// the game through the menus, it is started again on the same save file.
#include <random>
#include <sstream>

#include "reliability.h"
#include "save/runs.h"
#include "save/save_file.h"

namespace {

// A save holding the autopilot's run on track 00 as the best score and the
// ghost, so the soak races against a ghost, meets the score lists and can
// reach the tracks a medal unlocks. False when the bot could not finish.
bool seedSave(const std::string& root, const std::string& path)
{
    const std::string data = root + "/data";
    int status = -1;
    std::string out = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-sim bot --data '" + data +
                                     "' --track 00 --out '" + root + "/bot.ctl'",
                                 &status);
    int ticks = 0;
    if (status != 0 || std::sscanf(out.c_str(), "finish %d", &ticks) != 1)
        return false;
    std::ifstream in(root + "/bot.ctl", std::ios::binary);
    ::Run run;
    ControlInput c;
    while (in.read(reinterpret_cast<char*>(&c), sizeof c))
        run.controls.push_back(c);
    run.ticks = ticks;
    double gold = 0, silver = 0, bronze = 0;
    std::ifstream times(data + "/tracks/00/times.txt");
    if (!(times >> gold >> silver >> bronze))
        return false;
    SaveData save;
    save.trackName = "00";
    recordRun(save, run, gold, silver, bronze, 0.01, 1765150000);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return writeSaveFile(save, path);
}

using Clock = std::chrono::steady_clock;

// One random action; returns a description for the failure message.
std::string randomAction(const XServer& x, std::mt19937& rng)
{
    std::uniform_int_distribution<int> pick(0, 99);
    const int roll = pick(rng);
    std::string keys;
    if (roll < 28) {
        keys = "Return";
    } else if (roll < 40) {
        keys = "Escape";
    } else if (roll < 62) {
        static const char* arrows[] = {"Up", "Down", "Left", "Right"};
        keys = arrows[pick(rng) % 4];
    } else if (roll < 75) {
        // Typing, as in the name box: letters, digits, erasing.
        std::uniform_int_distribution<int> length(1, 6);
        const int n = length(rng);
        for (int i = 0; i < n; ++i) {
            const int c = pick(rng);
            if (c < 15)
                keys += " BackSpace";
            else if (c < 25)
                keys += " " + std::to_string(c % 10);
            else
                keys += std::string(" ") + static_cast<char>('a' + c % 26);
        }
    } else {
        // Driving: throttle held, a few steering taps, released again.
        x.keyDown("Up");
        std::uniform_int_distribution<int> hold(300, 3500);
        const int ms = hold(rng);
        for (int waited = 0; waited < ms; waited += 250) {
            if (pick(rng) < 30)
                x.x(std::string("xdotool key --delay 120 ") + (pick(rng) % 2 ? "Left" : "Right"));
            sleepMs(250);
        }
        x.keyUp("Up");
        return "drive " + std::to_string(ms) + " ms";
    }
    x.x("xdotool key --delay 40 " + keys);
    return keys;
}

} // namespace

TEST_F(GameFolders, SoakOfRandomKeysNeverCrashesAndLeavesAVerifiedSave)
{
    // About three minutes in the normal build, one in the slower sanitized one.
    const int seconds = envSeconds("VANTOR_SOAK_SECONDS", sanitizedBuild ? 60 : 170);
    const unsigned seed = static_cast<unsigned>(envSeconds("VANTOR_SOAK_SEED", 20261208));
    std::mt19937 rng(seed);
    ASSERT_TRUE(seedSave(root, savePath()));
    XServer x;
    ASSERT_TRUE(x.start(1280, 1024));
    ASSERT_TRUE(waitForClients(x, 20000));

    const Clock::time_point start = Clock::now();
    int sessions = 0;
    int actions = 0;
    std::string last;
    for (;;) {
        GameProcess game;
        const std::string err = root + "/stderr" + std::to_string(sessions) + ".txt";
        ASSERT_TRUE(game.startAndWait(root, home, x, err, 60000)) << game.failure;
        ++sessions;
        ASSERT_TRUE(x.waitForGameWindow(20000));
        // Keys go to the window under the pointer.
        x.x("xdotool mousemove 400 300");
        sleepMs(500);
        while (secondsSince(start) < seconds && game.running()) {
            last = randomAction(x, rng);
            ++actions;
            std::uniform_int_distribution<int> pause(30, 400);
            sleepMs(pause(rng));
            game.drain();
        }
        if (game.running()) {
            // The window may just be going away after a last "back".
            const bool asked = closeGameWindow(x.display());
            EXPECT_TRUE(asked || game.waitExit(5000) == 0) << "no game window to close";
            EXPECT_EQ(game.waitExit(30000), 0) << "seed " << seed << ", after " << actions << " actions\n"
                                               << readFile(err);
            break;
        }
        // Walked out through the track menu's "back": a clean end, then on again.
        ASSERT_EQ(game.waitExit(5000), 0) << "seed " << seed << ", action " << actions << " (" << last << ")\n"
                                          << readFile(err);
        ASSERT_LT(sessions, 200);
    }
    std::printf("soak: seed %u, %d actions, %d sessions, %.0f s\n", seed, actions, sessions, secondsSince(start));

    {
        int status = -1;
        std::string out = runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-sim verify --data '" + root +
                                         "/data' '" + savePath() + "' 2>&1",
                                     &status);
        EXPECT_EQ(status, 0) << out;
        std::printf("verify: %s", out.c_str());
    }
}
