// Start-up of the real game binary, each test under its own Xvfb server.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include <sys/stat.h>
#include <unistd.h>

#include "game_process.h"
#include "sound_analysis.h"
#include "user_folder.h"

namespace fs = std::filesystem;

namespace {

class Startup : public ::testing::Test {
protected:
    std::string root, home;

    void SetUp() override
    {
        root = makeTempDir("startup");
        ASSERT_FALSE(root.empty());
        home = root + "/home";
        fs::create_directories(home);
        ASSERT_TRUE(generateContent(root + "/data"));
    }
    void TearDown() override { fs::remove_all(root); }

    std::string errPath() const { return root + "/stderr.txt"; }
    std::string errText() const { return readFile(errPath()); }

    // The per-user configuration file.
    void configure(const std::string& text)
    {
        fs::create_directories(home + "/.config/Vantor");
        writeText(home + "/.config/Vantor/config.txt", text);
    }

    // Starts the game on x, first starting x at width by height when given,
    // and waits for its start-up lines and its window.
    ::testing::AssertionResult launch(XServer& x, GameProcess& game, int width = 0, int height = 0)
    {
        if (width > 0 && !x.start(width, height))
            return ::testing::AssertionFailure() << "no X server at " << width << "x" << height;
        if (!game.startAndWait(root, home, x, errPath(), 30000))
            return ::testing::AssertionFailure() << game.output << game.failure;
        if (!x.waitForGameWindow(10000))
            return ::testing::AssertionFailure() << "no game window";
        return ::testing::AssertionSuccess();
    }

    void expectWindowSize(const XServer& x, int width, int height)
    {
        int w = 0, h = 0, left = 0, top = 0;
        ASSERT_TRUE(x.gameWindow(w, h, left, top));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(width, height));
    }

    // The screen once the menus have had time to draw.
    Picture settledShot(const XServer& x)
    {
        sleepMs(1500);
        Picture shot;
        const std::string png = root + "/shot.png";
        if (!x.screenshot(png) || !shot.load(png))
            ADD_FAILURE() << "no screenshot";
        return shot;
    }

    // Share of the border's left band (rows 100 to 499) that the shot shows
    // with the border's top left corner at (x, y).
    double borderAt(const Picture& shot, int x, int y)
    {
        Picture border;
        if (shot.rgba.empty() || !border.load(root + "/data/gui/border.tga"))
            return 0.0;
        return opaqueMatch(shot, border, x, y + 100, 0, 100, 12, 400);
    }
};

}  // namespace

TEST_F(Startup, FreshStartPrintsItsLinesOpensTheWindowAndEndsOnSigterm)
{
    XServer x;
    GameProcess game;
    ASSERT_TRUE(launch(x, game, 1280, 1024));
    EXPECT_EQ(game.output, startupLines());
    expectWindowSize(x, 800, 600);
    // The border frames the 800 x 600 menu area from the window's corner.
    EXPECT_GT(borderAt(settledShot(x), 0, 0), 0.95);

    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_EQ(game.output, startupLines()) << "nothing printed after start-up";
    // Nothing is written to the per-user folder by a start-up.
    EXPECT_FALSE(fs::exists(home + "/.local/share/Vantor/game.save"));
}

TEST_F(Startup, ConfiguredFullscreen1024x768CentresTheMenus)
{
    configure("1024 768 1 2 3 0 1 2 3 0\n");
    XServer x;
    GameProcess game;
    ASSERT_TRUE(launch(x, game, 1024, 768));
    EXPECT_EQ(game.output, startupLines());
    expectWindowSize(x, 1024, 768);
    // top sits at (1024 / 2 - 400, 768 / 2 - 300) = (112, 84).
    const Picture shot = settledShot(x);
    EXPECT_GT(borderAt(shot, 112, 84), 0.95);
    EXPECT_LT(borderAt(shot, 0, 0), 0.5);
    EXPECT_EQ(game.terminate(10000), 0);
}

TEST_F(Startup, MissingFontStillStartsAndPrintsEveryLine)
{
    fs::remove(root + "/data/gui/techyfontbig.png");
    XServer x;
    GameProcess game;
    ASSERT_TRUE(launch(x, game, 1280, 1024));
    EXPECT_EQ(game.output, startupLines());
    sleepMs(500);
    EXPECT_TRUE(game.running());
    EXPECT_EQ(game.terminate(10000), 0);
}

TEST_F(Startup, NoDisplayEndsWithAnErrorInsteadOfACrash)
{
    XServer none;
    none.number = 9999; // nothing listens there
    GameProcess game;
    ASSERT_TRUE(game.start(root, home, none, root + "/stderr.txt"));
    EXPECT_EQ(game.waitExit(20000), 1);
    EXPECT_EQ(game.output.rfind("Starting game...\n", 0), 0u);
    EXPECT_EQ(game.output.find("Load track"), std::string::npos);
}

TEST_F(Startup, WithoutADisplayOneLineSaysSoAndNothingElse)
{
    // No display named at all, and one named that nothing serves, with SDL
    // left to choose its driver: it falls back to one without OpenGL.
    for (const char* display : {"-u DISPLAY", "DISPLAY=:9999"}) {
        SCOPED_TRACE(display);
        int status = -1;
        std::string err = runCommand("cd '" + root + "' && env -u SDL_VIDEODRIVER " + display + " HOME='" + home +
                                         "' '" VANTOR_BUILD_DIR "/vantor' </dev/null 2>&1 >/dev/null",
                                     &status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(err, "no display: set DISPLAY or start from a desktop\n");
    }
}

TEST_F(Startup, TheWindowIsNamedVantorAndCarriesTheGeneratedIcon)
{
    for (bool withIcon : {true, false}) {
        SCOPED_TRACE(withIcon ? "icon present" : "icon missing");
        if (!withIcon)
            fs::remove(root + "/data/gui/icon.png");
        XServer x;
        GameProcess game;
        ASSERT_TRUE(launch(x, game, 1280, 1024));
        std::smatch m;
        std::string tree = x.x("xwininfo -root -tree");
        ASSERT_TRUE(std::regex_search(tree, m, std::regex("(0x[0-9a-f]+) \"Vantor\": \\(\"vantor\" \"vantor\"\\)")))
            << tree;
        const std::string hints = x.x("xprop -id " + m[1].str() + " WM_NAME WM_HINTS");
        EXPECT_NE(hints.find("WM_NAME(STRING) = \"Vantor\""), std::string::npos) << hints;
        EXPECT_EQ(hints.find("bitmap id # to use for icon") != std::string::npos, withIcon) << hints;
        EXPECT_EQ(game.output, startupLines());
        EXPECT_EQ(game.terminate(10000), 0);
    }
}

TEST_F(Startup, ConfiguredSizesOfZeroOrBelowOpenADisplaySizedWindowWithItsMenusCentred)
{
    // Zero from a file that ends early, a negative size typed by hand, and a
    // full screen larger than the display, which has no video mode.
    for (const char* config : {"0 0\n", "-640 -480 0 2 3 0 1 2 3 0\n", "4000 3000 1 2 3 0 1 2 3 0\n"}) {
        SCOPED_TRACE(config);
        configure(config);
        XServer x;
        GameProcess game;
        ASSERT_TRUE(launch(x, game, 1024, 768));
        std::string lines = game.output;
        if (config[0] == '4') {
            // One line says why the window is smaller than configured.
            const size_t at = lines.find("Cannot open a 4000x3000 window");
            ASSERT_NE(at, std::string::npos) << lines;
            lines.erase(at, lines.find('\n', at) + 1 - at);
        }
        EXPECT_EQ(lines, startupLines());
        expectWindowSize(x, 1024, 768);
        EXPECT_GT(borderAt(settledShot(x), 112, 84), 0.95) << "the menus are laid out for the window opened";
        EXPECT_EQ(game.terminate(10000), 0);
    }
}

TEST_F(Startup, WithoutAnAudioDeviceTheGameStartsPlaysAndEndsAsBefore)
{
    XServer x;
    GameProcess game;
    game.env = {{"SDL_AUDIODRIVER", "nosuchdevice"}};
    ASSERT_TRUE(launch(x, game, 800, 600));
    EXPECT_EQ(game.output, startupLines());
    EXPECT_GT(borderAt(settledShot(x), 0, 0), 0.95) << "the menus are up";
    // Track "00", play, through the countdown, Escape back to the menu.
    x.key("Return");
    sleepMs(1500);
    x.key("Return");
    sleepMs(4500);
    x.key("Escape");
    sleepMs(1000);
    EXPECT_TRUE(game.running());
    EXPECT_EQ(game.terminate(10000), 0);
    EXPECT_EQ(game.output, startupLines());
    const std::string err = errText();
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(Startup, VolumeZeroInTheConfigurationGivesASilentRecording)
{
    configure("800 600 0 2 3 0 1 2 3 0\n0\n");
    XServer x;
    const std::string recording = root + "/audio.raw";
    GameProcess game;
    game.env = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", recording}, {"SDL_DISKAUDIODELAY", "23"}};
    ASSERT_TRUE(launch(x, game, 800, 600));
    EXPECT_EQ(game.output, startupLines());
    sleepMs(1000);
    // Menu moves and selects, the countdown, the start and the engine.
    x.key("Down Up Return");
    sleepMs(1500);
    x.key("Return");
    sleepMs(1000);
    x.keyDown("Up");
    sleepMs(4000);
    x.keyUp("Up");
    x.key("m");
    sleepMs(500);
    x.key("Escape");
    sleepMs(500);
    EXPECT_EQ(game.terminate(10000), 0);
    std::vector<double> s = readRawSamples(recording);
    ASSERT_GT(s.size(), 22050u * 5) << "the device ran all along";
    double peak = 0.0;
    for (double v : s)
        peak = std::max(peak, std::abs(v));
    EXPECT_EQ(peak, 0.0) << "nothing is heard, even after M unmutes";
}

// A FIFO, the endless device /dev/zero or a folder in place of every file the
// game reads at start-up and on opening track 00, fonts, sounds (with an
// audio device, so that they are read) and shared ghosts included: each is
// refused without waiting, and the game reaches its menus and opens the
// track as if the file were missing.
TEST_F(Startup, AFifoADeviceOrAFolderInPlaceOfAnyGameFileNeitherHangsNorCrashes)
{
    std::vector<std::string> files = {
        home + "/.config/Vantor/config.txt",    home + "/.local/share/Vantor/game.save",
        root + "/data/tracks/00/track.track",   root + "/data/tracks/00/textures.txt",
        root + "/data/tracks/00/area.tris",     root + "/data/tracks/00/area.png",
        root + "/data/tracks/00/times.txt",     root + "/data/ships/ship.tris",
        root + "/data/ships/ship.tga",          root + "/data/gui/rpgfont.png",
        root + "/data/gui/techyfontbig.png",    root + "/data/gui/techyfontbigh.png",
        root + "/data/gui/medalGold.tga",       root + "/data/gui/border.tga",
        root + "/data/gui/trackSel.tga",        root + "/data/gui/track00.tga",
        root + "/data/tex_road/asphalt.png",    root + "/data/gui/techyfontahead.png",
        root + "/data/gui/techyfontbehind.png", root + "/data/gui/medalSilver.tga",
        root + "/data/gui/medalBronze.tga",     root + "/data/gui/trackUnsel.tga",
        home + "/.local/share/Vantor/ghosts/00-friend-5000.vghost"};
    for (const auto& entry : fs::directory_iterator(root + "/data/sounds"))
        files.push_back(entry.path().string());
    for (const auto& entry : fs::directory_iterator(root + "/data/tex_road"))
        files.push_back(entry.path().string());
    std::sort(files.begin() + 2, files.end());
    files.erase(std::unique(files.begin() + 2, files.end()), files.end());
    ASSERT_GE(files.size(), 40u);
    XServer x;
    ASSERT_TRUE(x.start(1280, 1024));
    for (const char* kind : {"fifo", "zero", "folder"}) {
        SCOPED_TRACE(kind);
        for (const std::string& path : files) {
            fs::remove_all(path);
            fs::create_directories(fs::path(path).parent_path());
            if (std::string(kind) == "fifo")
                ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
            else if (std::string(kind) == "zero")
                ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0) << path;
            else
                fs::create_directories(path + "/inside");
        }
        GameProcess game;
        game.env = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", root + "/audio.raw"}};
        ASSERT_TRUE(launch(x, game));
        EXPECT_EQ(game.output, startupLines());
        // Enter opens the play menu of track 00, which loads its files again.
        x.key("Return");
        sleepMs(1000);
        EXPECT_TRUE(game.running());
        EXPECT_EQ(game.terminate(10000), 0);
        // Nothing was written over the save file's stand-in.
        struct stat st;
        ASSERT_EQ(lstat(files[1].c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
    }
}

// A window larger than the display put the menus off-screen, and a huge one
// ended the game on an X error: each opens at the display's size, said once.
TEST_F(Startup, AWindowLargerThanTheDisplayOpensAtTheDisplaysSizeAndSaysSoOnce)
{
    for (const char* config : {"4000 3000 0 2 3 0 1 2 3 0\n", "100000 100000 0 2 3 0 1 2 3 0\n"}) {
        SCOPED_TRACE(config);
        configure(config);
        XServer x;
        GameProcess game;
        ASSERT_TRUE(launch(x, game, 1024, 768));
        EXPECT_EQ(game.output, startupLines());
        expectWindowSize(x, 1024, 768);
        EXPECT_GT(borderAt(settledShot(x), 112, 84), 0.95) << "the menus are on the screen";
        EXPECT_EQ(game.terminate(10000), 0);
        const std::string err = errText();
        const std::string line = "larger than the 1024x768 display; opening 1024x768\n";
        const size_t at = err.find(line);
        EXPECT_NE(at, std::string::npos) << err;
        EXPECT_EQ(err.find(line, at + 1), std::string::npos) << "said once: " << err;
    }
}
