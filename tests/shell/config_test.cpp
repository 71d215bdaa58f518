#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "shell/config.h"
#include "shell/game.h"
#include "shell/paths.h"
#include "user_folder.h"

namespace fs = std::filesystem;

static Game readFrom(const std::string& text)
{
    Game g;
    std::istringstream in(text);
    readConfigFrom(g, in);
    return g;
}

// Throttle, brake, left and right buttons, then throttle, brake and steering axes.
static void expectJoystick(const Game& g, int tb, int bb, int lb, int rb, int ta, int ba, int sa)
{
    EXPECT_EQ((std::vector<int>{g.joyThrottleButton, g.joyBrakeButton, g.joyLeftButton, g.joyRightButton,
                                g.joyThrottleAxis, g.joyBrakeAxis, g.joySteerAxis}),
              (std::vector<int>{tb, bb, lb, rb, ta, ba, sa}));
}

// The window size a configuration gave, width then height.
static std::pair<int, int> sizeOf(const Game& g) { return {g.screenWidth, g.screenHeight}; }

TEST(Config, TenValuesOverThreeLinesSetWindowAndJoystick)
{
    Game g = readFrom("1024 768 1\n2 3 0 1\n2 3 0\n");
    EXPECT_EQ(sizeOf(g), std::make_pair(1024, 768));
    EXPECT_TRUE(g.fullscreen);
    expectJoystick(g, 2, 3, 0, 1, 2, 3, 0);

    // No line break after the last value, other numbers, negatives switch off.
    g = readFrom("640 480 0 5 -1 7 8 -1 4 1");
    EXPECT_EQ(g.screenWidth, 640);
    EXPECT_FALSE(g.fullscreen);
    expectJoystick(g, 5, -1, 7, 8, -1, 4, 1);
}

TEST(Config, CommentWordsHideTheRestOfTheirLine)
{
    Game plain = readFrom("1280 720 0 1 2 3 4 5 6 7\n");
    Game commented = readFrom("# window size 9999\n1280 #width 1\n720 0 1 2 3 4 5 6 7 # trailing\n");
    EXPECT_EQ(sizeOf(commented), sizeOf(plain));
    expectJoystick(commented, 1, 2, 3, 4, 5, 6, 7);

    // A '#' inside a word is no comment: atoi reads the digits before it.
    Game g = readFrom("800#x 600 0 1 2 3 4 5 6 7");
    EXPECT_EQ(sizeOf(g), std::make_pair(800, 600));

    // Very long comment lines are discarded whole.
    g = readFrom("# " + std::string(5000, 'x') + " 1 2 3\n1 2 0 0 0 0 0 0 0 0");
    EXPECT_EQ(sizeOf(g), std::make_pair(1, 2));
}

TEST(Config, ShortOrGarbledFilesGiveZeros)
{
    Game g = readFrom("640 480");
    EXPECT_EQ(sizeOf(g), std::make_pair(640, 480));
    EXPECT_FALSE(g.fullscreen);
    expectJoystick(g, 0, 0, 0, 0, 0, 0, 0);

    g = readFrom("wide 600 yes 1 2 3 4 5 6 7");
    EXPECT_EQ(g.screenWidth, 0);
    EXPECT_FALSE(g.fullscreen);

    g = readFrom("");
    EXPECT_EQ(sizeOf(g), std::make_pair(0, 0));
}

TEST(Config, AnEleventhValueSetsTheSoundVolumeWithinZeroToAHundred)
{
    EXPECT_EQ(Game().soundVolume, 80);
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0\n").soundVolume, 80) << "ten values keep the default";
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0 # volume later\n").soundVolume, 80);
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0 35").soundVolume, 35);
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0\n# quiet\n0\n").soundVolume, 0);
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0 250").soundVolume, 100);
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0 -20").soundVolume, 0);
    EXPECT_EQ(readFrom("800 600 0 2 3 0 1 2 3 0 loud").soundVolume, 0) << "a word that is not a number";
    // The ten values before it read as always.
    Game g = readFrom("1024 768 1 5 6 7 8 9 10 11 50 99");
    EXPECT_EQ(g.screenWidth, 1024);
    expectJoystick(g, 5, 6, 7, 8, 9, 10, 11);
    EXPECT_EQ(g.soundVolume, 50);
}

TEST(Config, NextTokenReturnsACommentWordAtEndOfFile)
{
    std::istringstream in("12 #last");
    EXPECT_EQ(nextToken(in), "12");
    EXPECT_EQ(nextToken(in), "#last");
    EXPECT_EQ(nextToken(in), "");
}

class ConfigFile : public UserFolderTest {
protected:
    void SetUp() override
    {
        UserFolderTest::SetUp();
        dir = folder;
        fs::create_directories(dir / "Vantor");
    }
    fs::path dir;
};

TEST_F(ConfigFile, MissingFileKeepsTheDefaults)
{
    readConfig();
    EXPECT_EQ(sizeOf(game), std::make_pair(800, 600));
    EXPECT_FALSE(game.fullscreen);
    expectJoystick(game, 2, 3, 0, 1, 2, 3, 0);
}

TEST_F(ConfigFile, FileUnderAppDataIsRead)
{
    std::ofstream(dir / "Vantor" / "config.txt") << "1024 768 1\n2 3 0 1\n2 3 0\n";
    readConfig();
    EXPECT_EQ(sizeOf(game), std::make_pair(1024, 768));
    EXPECT_TRUE(game.fullscreen);
}

TEST_F(ConfigFile, AnythingButASmallRegularFileKeepsTheDefaultsWithoutBlocking)
{
    const std::string path = (dir / "Vantor" / "config.txt").string();
    for (const char* kind : {"fifo", "zero", "folder", "huge"}) {
        fs::remove_all(path);
        if (std::string(kind) == "fifo")
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        else if (std::string(kind) == "zero")
            ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
        else if (std::string(kind) == "folder")
            fs::create_directories(path);
        else
            std::ofstream(path) << "1024 768 1 2 3 0 1 2 3 0\n" << std::string(maxConfigFileBytes, ' ');
        game = Game();
        readConfig();
        EXPECT_EQ(sizeOf(game), std::make_pair(800, 600)) << kind;
    }
}
