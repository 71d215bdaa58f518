// The configuration file's setting lines and its rewriting, as plain text in
// and out, and saveConfig on a real per-user folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "shell/config.h"
#include "shell/game.h"
#include "user_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string tenNumbers = "800 600 0 2 3 0 1 2 3 0\n";

// Binds a key as the settings screen does, whichever action loses it.
void bind(Settings& s, Action action, SDLKey key)
{
    Action lost;
    bindKey(s.keys, action, key, lost);
}

std::string rewritten(const std::string& text, void (*change)(Settings&))
{
    ConfigText file = parseConfig(text);
    Settings now = file.settings;
    change(now);
    return configWithSettings(file, now);
}

} // namespace

TEST(ConfigText, EveryEarlierFormReadsAsBeforeAndStaysByteIdentical)
{
    // The forms files have had: ten numbers, eleven, comments anywhere, no
    // final line break, short files, words that are no numbers.
    const std::string forms[] = {
        tenNumbers,
        "1024 768 1\n2 3 0 1\n2 3 0\n",
        "800 600 0 2 3 0 1 2 3 0 35",
        "# window\n1280 #width\n720 0 1 2 3 4 5 6 7 # trailing\n# quiet\n0\n",
        "640 480",
        "",
        "wide 600 yes 1 2 3 4 5 6 7 loud",
        "800 600 0 2 3 0 1 2 3 0 250 extra words\n",
        "\r\n1024\t768 0 2 3 0 1 2 3 0\r\n",
    };
    for (const std::string& text : forms) {
        SCOPED_TRACE(text);
        Game old;
        std::istringstream in(text);
        readConfigFrom(old, in);
        ConfigText file = parseConfig(text);
        const Settings& s = file.settings;
        EXPECT_EQ(s.screenWidth, old.screenWidth);
        EXPECT_EQ(s.screenHeight, old.screenHeight);
        EXPECT_EQ(s.fullscreen, old.fullscreen);
        EXPECT_EQ(s.joystick.steerAxis, old.joySteerAxis);
        EXPECT_EQ(s.soundVolume, old.soundVolume);
        EXPECT_TRUE(s.keys == defaultKeyBindings());
        EXPECT_EQ(s.axes.deadZone, 15);
        EXPECT_EQ(file.problem, "");
        EXPECT_EQ(configWithSettings(file, s), text);
    }
    // The values themselves, for two of them.
    Settings s = parseConfig("# window\n1280 #width\n720 0 1 2 3 4 5 6 7 # trailing\n# quiet\n0\n").settings;
    EXPECT_EQ(s.screenWidth, 1280);
    EXPECT_EQ(s.joystick.steerAxis, 7);
    EXPECT_EQ(s.soundVolume, 0);
    EXPECT_EQ(parseConfig("800 600 0 2 3 0 1 2 3 0 250 extra words\n").settings.soundVolume, 100);
}

TEST(ConfigText, SettingLinesFollowTheNumbers)
{
    ConfigText file = parseConfig(tenNumbers + "bind throttle w\nbind throttle up\nbind left a\nbind right left shift\n"
                                               "bind restart none\ndeadzone 20\ninvert steer on\ncamera above\n"
                                               "ghost off\nghost opacity 55\ncolours blue-orange\ninfo clean\n"
                                               "button restart 6\n");
    const Settings& s = file.settings;
    EXPECT_EQ(file.problem, "");
    EXPECT_EQ(s.restartButton, 6);
    EXPECT_EQ(s.soundVolume, 80) << "a setting word is no volume";
    EXPECT_EQ(keysOf(s.keys, Action::throttle), (std::vector<SDLKey>{SDLK_w, SDLK_UP}));
    EXPECT_EQ(keysOf(s.keys, Action::brake), std::vector<SDLKey>{SDLK_DOWN});
    EXPECT_EQ(keysOf(s.keys, Action::left), std::vector<SDLKey>{SDLK_a});
    EXPECT_EQ(keysOf(s.keys, Action::right), std::vector<SDLKey>{SDLK_LSHIFT});
    EXPECT_TRUE(keysOf(s.keys, Action::restart).empty());
    EXPECT_EQ(s.axes.deadZone, 20);
    EXPECT_TRUE(s.axes.invertSteer);
    EXPECT_FALSE(s.axes.invertThrottle);
    EXPECT_EQ(s.camera, RaceCamera::above);
    EXPECT_FALSE(s.ghostShown);
    EXPECT_EQ(s.ghostOpacity, 55);
    EXPECT_EQ(s.colours, DeltaColours::blueOrange);
    EXPECT_EQ(s.info, RaceInfo::clean);

    // A short file ends its numbers at the first setting line; a comment
    // after a key ends it, and '#' alone is a key.
    file = parseConfig("640 480\nbind brake s # back\nbind left #\n");
    EXPECT_EQ(file.settings.screenWidth, 640);
    EXPECT_EQ(file.settings.joystick.throttleButton, 0);
    EXPECT_EQ(keysOf(file.settings.keys, Action::brake), std::vector<SDLKey>{SDLK_s});
    EXPECT_EQ(keysOf(file.settings.keys, Action::left), std::vector<SDLKey>{SDLK_HASH});
    // A key bound twice ends with the later action, as on the screen.
    file = parseConfig(tenNumbers + "bind brake up\n");
    EXPECT_TRUE(keysOf(file.settings.keys, Action::throttle).empty());
    EXPECT_EQ(keysOf(file.settings.keys, Action::brake), std::vector<SDLKey>{SDLK_UP});
}

TEST(ConfigText, ABadLineKeepsEveryOtherSettingAndIsReportedOnce)
{
    const std::string bad[] = {
        "bind throttle wq",   "bind jump w",        "bind throttle",       "deadzone 60",     "deadzone -1",
        "deadzone 2o",        "invert roll on",     "invert steer maybe",  "camera overhead", "ghost sometimes",
        "ghost opacity 101",  "colours red-green",  "info",                "volume 30",       "bind throttle w\nbind throttle s\nbind throttle d",
        "button restart 256", "button brake 2",     "button restart",
    };
    const std::string before = tenNumbers + "# mine\ncamera above\n";
    const std::string after = "deadzone 10\nbind left a\n";
    for (const std::string& line : bad) {
        SCOPED_TRACE(line);
        const std::string text = before + line + "\n" + after;
        ConfigText file = parseConfig(text);
        const Settings& s = file.settings;
        EXPECT_EQ(s.camera, RaceCamera::above);
        EXPECT_EQ(s.axes.deadZone, 10);
        EXPECT_EQ(keysOf(s.keys, Action::left), std::vector<SDLKey>{SDLK_a});
        EXPECT_EQ(s.screenWidth, 800);
        EXPECT_NE(file.problem.find("line "), std::string::npos) << file.problem;
        EXPECT_NE(file.problem.find(line.substr(line.rfind('\n') + 1)), std::string::npos) << file.problem;
        // The line stays in the file when something else changes.
        Settings now = s;
        now.ghostShown = false;
        EXPECT_NE(configWithSettings(file, now).find(line + "\n"), std::string::npos);
    }
    // The line is shown as a screen can show it.
    ConfigText odd = parseConfig(tenNumbers + "camera \x1b[2J" + std::string(100, 'x') + "\r\n");
    EXPECT_EQ(odd.problem.find('\x1b'), std::string::npos) << odd.problem;
    EXPECT_LT(odd.problem.size(), 150u) << odd.problem;
    ConfigText two = parseConfig(tenNumbers + "camera x\nghost y\n");
    EXPECT_NE(two.problem.find("line 2"), std::string::npos) << two.problem;
    EXPECT_NE(two.problem.find("and 1 more"), std::string::npos) << two.problem;
}

TEST(ConfigText, AChangeRewritesOnlyItsOwnWordsAndLines)
{
    const struct {
        const char* what;
        std::string text;
        void (*change)(Settings&);
        std::string expected;
    } cases[] = {
        {"a number in place, its comment kept", "# size\n1024 #w\n768 1 2 3 0 1 2 3 0\n",
         [](Settings& s) { s.screenWidth = 1280; }, "# size\n1280 #w\n768 1 2 3 0 1 2 3 0\n"},
        {"fullscreen", tenNumbers, [](Settings& s) { s.fullscreen = true; }, "800 600 1 2 3 0 1 2 3 0\n"},
        {"the volume added after the tenth", "800 600 0 2 3 0 1 2 3 0 # pad\nbind left a\n",
         [](Settings& s) { s.soundVolume = 40; }, "800 600 0 2 3 0 1 2 3 0 40 # pad\nbind left a\n"},
        {"the volume replaced", "800 600 0 2 3 0 1 2 3 0 250\n", [](Settings& s) { s.soundVolume = 5; },
         "800 600 0 2 3 0 1 2 3 0 5\n"},
        {"a short file completed", "640 480\n", [](Settings& s) { s.joystick.steerAxis = 4; },
         "640 480 0 0 0 0 0 0 0 4\n"},
        {"numbers before the setting lines", "# only comments\nghost off\n", [](Settings& s) { s.screenWidth = 9; },
         "# only comments\n9 0 0 0 0 0 0 0 0 0\nghost off\n"},
        {"a setting line in place, its comment kept", tenNumbers + "# view\ncamera above # nice\n# end\n",
         [](Settings& s) { s.camera = RaceCamera::chase; }, tenNumbers + "# view\ncamera chase # nice\n# end\n"},
        {"a new setting at the end", tenNumbers + "# end", [](Settings& s) { s.info = RaceInfo::clean; },
         tenNumbers + "# end\ninfo clean\n"},
        {"an action's lines replaced at the first", tenNumbers + "bind left a\nfoo bar\nbind left j\n",
         [](Settings& s) { clearAction(s.keys, Action::left); }, tenNumbers + "bind left none\nfoo bar\n"},
        {"a stolen key rewrites both actions", tenNumbers + "bind throttle w\n",
         [](Settings& s) { bind(s, Action::brake, SDLK_w); },
         tenNumbers + "bind throttle none\nbind brake down\nbind brake w\n"},
        {"keys named as SDL names them", tenNumbers,
         [](Settings& s) { bind(s, Action::restart, SDLK_KP_PLUS); bind(s, Action::left, SDLK_LSHIFT); },
         tenNumbers + "bind left left\nbind left left shift\nbind restart backspace\nbind restart [+]\n"},
        {"an empty file needs no numbers for zeros", "", [](Settings& s) { s.axes.deadZone = 0; },
         "deadzone 0\n"},
        {"an empty file gets its numbers first", "# mine\n", [](Settings& s) { s.screenWidth = 1; },
         "# mine\n1 0 0 0 0 0 0 0 0 0\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewritten(c.text, c.change), c.expected) << c.what;
}

TEST(ConfigText, EverySettingRoundTrips)
{
    Settings s = parseConfig(tenNumbers).settings;
    s.screenWidth = 1920;
    s.fullscreen = true;
    s.joystick.brakeButton = -1;
    s.restartButton = 9;
    s.soundVolume = 0;
    for (auto [action, key] : {std::pair<Action, SDLKey>{Action::throttle, SDLK_w}, {Action::throttle, SDLK_SPACE},
                               {Action::brake, SDLK_HASH}, {Action::left, SDLK_RIGHT}, {Action::right, SDLK_PAGEDOWN}})
        bind(s, action, key);
    clearAction(s.keys, Action::restart);
    s.axes = {50, true, true, false};
    s.camera = RaceCamera::above;
    s.ghostShown = false;
    s.ghostOpacity = 0;
    s.colours = DeltaColours::blueOrange;
    s.info = RaceInfo::clean;
    for (const std::string& start : {tenNumbers, std::string(""), std::string("# hand written\n")}) {
        SCOPED_TRACE(start);
        const std::string text = configWithSettings(parseConfig(start), s);
        ConfigText back = parseConfig(text);
        EXPECT_EQ(back.problem, "") << text;
        EXPECT_TRUE(back.settings == s) << text;
        EXPECT_EQ(configWithSettings(back, back.settings), text);
    }
}

TEST(ConfigText, AnyChangeToAnyFileReadsBackAsTheSettingsWritten)
{
    const std::string files[] = {
        "",
        tenNumbers,
        "640 480",
        "# top\n800 600 0 2 3 0 1 2 3 0 35 # v\n",
        "800 600 0 2 3 0 1 2 3 0\nloud\n",
        tenNumbers + "bind throttle w\nbind throttle s\nbind throttle d\nbind brake qq\n",
        tenNumbers + "bind brake up\ndeadzone 99\ncamera above\ncamera chase\nmystery line\n",
        "# no numbers\nghost off\n# after\n",
        "1 2 3\nbind left a",
        "camera x\n# mid\nghost off\n",
        // Left holds the default key of throttle, which has no line.
        tenNumbers + "bind left up\n",
    };
    void (*const changes[])(Settings&) = {
        [](Settings& s) { s.screenHeight = 720; },
        [](Settings& s) { s.soundVolume = 12; },
        [](Settings& s) { s.camera = RaceCamera::above; },
        [](Settings& s) {
            s.restartButton = 4;
            s.joystick.leftButton = -1;
        },
        [](Settings& s) { bind(s, Action::throttle, SDLK_UP); bind(s, Action::throttle, SDLK_e); },
        [](Settings& s) {
            bind(s, Action::brake, SDLK_w);
            clearAction(s.keys, Action::left);
            s.axes.invertBrake = true;
            s.ghostOpacity = 100;
        },
    };
    for (const std::string& text : files) {
        for (size_t c = 0; c < std::size(changes); ++c) {
            SCOPED_TRACE(text + " / change " + std::to_string(c));
            ConfigText file = parseConfig(text);
            Settings now = file.settings;
            changes[c](now);
            const std::string written = configWithSettings(file, now);
            EXPECT_TRUE(parseConfig(written).settings == now) << written;
            // Comments and lines the game does not know are still there.
            for (const char* kept : {"# top", "# v", "# no numbers", "# after", "mystery line"})
                if (text.find(kept) != std::string::npos) {
                    EXPECT_NE(written.find(kept), std::string::npos) << kept << " in " << written;
                }
        }
    }
}

class ConfigSave : public UserFolderTest {
protected:
    void SetUp() override
    {
        UserFolderTest::SetUp();
        path = folder + "/Vantor/config.txt";
    }
    std::string path;
};

TEST_F(ConfigSave, UntouchedSettingsLeaveTheFileAloneAndAChangeIsWrittenAndReadBack)
{
    const std::string text = "# mine\n1024 768 0 2 3 0 1 2 3 0 70\nunknown words\nbind left a\n";
    writeText(path, text);
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    readConfig();
    EXPECT_EQ(game.screenWidth, 1024);
    EXPECT_NE(configProblem().find("unknown words"), std::string::npos);
    // The window SDL opened differs from the file: no setting changed.
    game.screenWidth = 1280;
    EXPECT_TRUE(saveConfig());
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced";
    EXPECT_EQ(readFile(path), text);

    game.settings.camera = RaceCamera::above;
    std::string error;
    ASSERT_TRUE(saveConfig(&error)) << error;
    EXPECT_EQ(readFile(path), text + "camera above\n");
    // Saved once, the same settings write nothing more.
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    EXPECT_TRUE(saveConfig());
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    game = Game();
    readConfig();
    EXPECT_EQ(game.settings.camera, RaceCamera::above);
    EXPECT_EQ(keysOf(game.settings.keys, Action::left), std::vector<SDLKey>{SDLK_a});
}

TEST_F(ConfigSave, WithoutAFileAChangeCreatesOneAndNoChangeNone)
{
    readConfig();
    EXPECT_TRUE(saveConfig());
    EXPECT_FALSE(fs::exists(path));
    game.settings.info = RaceInfo::clean;
    ASSERT_TRUE(saveConfig());
    EXPECT_EQ(readFile(path), "800 600 0 2 3 0 1 2 3 0\ninfo clean\n");
    game = Game();
    readConfig();
    EXPECT_EQ(game.settings.info, RaceInfo::clean);
    EXPECT_EQ(game.screenWidth, 800);
}

TEST_F(ConfigSave, WhatIsNoRegularFileOfItsOwnIsNeverReplaced)
{
    const std::string elsewhere = folder + "/elsewhere.txt";
    writeText(elsewhere, tenNumbers);
    for (const char* kind : {"symlink", "fifo", "folder", "huge"}) {
        SCOPED_TRACE(kind);
        fs::remove_all(path);
        fs::create_directories(folder + "/Vantor");
        if (std::string(kind) == "symlink")
            ASSERT_EQ(symlink(elsewhere.c_str(), path.c_str()), 0);
        else if (std::string(kind) == "fifo")
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        else if (std::string(kind) == "folder")
            fs::create_directories(path);
        else
            writeText(path, tenNumbers + std::string(maxConfigFileBytes, ' '));
        game = Game();
        readConfig();
        game.settings.ghostShown = false;
        std::string error;
        EXPECT_FALSE(saveConfig(&error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(readFile(elsewhere), tenNumbers);
        if (std::string(kind) == "symlink") {
            EXPECT_TRUE(fs::is_symlink(path));
        }
        if (std::string(kind) == "huge") {
            EXPECT_EQ(fs::file_size(path), tenNumbers.size() + maxConfigFileBytes);
        }
    }
}
