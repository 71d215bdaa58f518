// Memory: the real game under valgrind's memcheck, from start-up through
// races to the window's close. No invalid read or write, no use of
// uninitialised memory, and nothing lost that grows with play: three races
// lose exactly what one race loses (the one-off losses inside X11, SDL and
// the GL driver at start-up).
#include <regex>

#include "reliability.h"

namespace {

struct Memcheck {
    long long errors = -1;
    long long lostBytes = -1;
    long long allocations = -1;
    int exitStatus = -1;
    std::string log;
};

long long number(const std::string& log, const std::string& pattern)
{
    std::smatch m;
    if (!std::regex_search(log, m, std::regex(pattern)))
        return -1;
    std::string digits;
    for (char c : std::string(m[1]))
        if (c != ',')
            digits += c;
    return std::stoll(digits);
}

} // namespace

class Memory : public GameFolders {
protected:
    // Start-up, the play menu of track 00, races of three seconds of
    // throttle each abandoned with Escape, then the window closed.
    Memcheck session(int races)
    {
        Memcheck result;
        XServer x;
        if (!x.start(1280, 1024) || !waitForClients(x, 20000))
            return result;
        const std::string log = root + "/memcheck" + std::to_string(races) + ".log";
        GameProcess game;
        // Errors only for bad accesses and uninitialised values; leaks are
        // compared by their totals.
        game.wrapper = {"valgrind", "--tool=memcheck", "--leak-check=full", "--errors-for-leak-kinds=none",
                        "--num-callers=30", "--log-file=" + log,
                        "--suppressions=" + std::string(VANTOR_SOURCE_DIR) + "/tests/reliability/valgrind.supp"};
        // Sound on, through SDL's file writer: the mixing thread is checked too.
        game.env = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", root + "/audio" + std::to_string(races) + ".raw"},
                    {"SDL_DISKAUDIODELAY", "23"}};
        if (!game.startAndWait(root, home, x, root + "/stderr.txt", 240000)) {
            result.log = game.failure;
            return result;
        }
        if (!x.waitForGameWindow(60000))
            return result;
        sleepMs(8000);
        x.x("xdotool mousemove 400 300");
        x.x("xdotool key Return");
        sleepMs(6000);
        for (int r = 0; r < races; ++r) {
            x.x("xdotool key Return");
            sleepMs(6000);
            x.keyDown("Up");
            sleepMs(3000);
            x.keyUp("Up");
            x.x("xdotool key Escape");
            sleepMs(6000);
        }
        closeGameWindow(x.display());
        result.exitStatus = game.waitExit(240000);
        result.log = readFile(log);
        result.errors = number(result.log, "ERROR SUMMARY: ([0-9,]+) errors");
        const long long definite = number(result.log, "definitely lost: ([0-9,]+) bytes");
        const long long indirect = number(result.log, "indirectly lost: ([0-9,]+) bytes");
        // No leak at all prints no summary lines.
        result.lostBytes = (definite < 0 ? 0 : definite) + (indirect < 0 ? 0 : indirect);
        result.allocations = number(result.log, "total heap usage: ([0-9,]+) allocs");
        return result;
    }
};

TEST_F(Memory, NoInvalidAccessAndNoLeakGrowingWithPlay)
{
    if (sanitizedBuild)
        GTEST_SKIP() << "valgrind cannot run a program built with AddressSanitizer";
    int status = -1;
    runCommand("valgrind --version", &status);
    ASSERT_EQ(status, 0) << "valgrind is missing (scripts/setup.sh installs it)";

    const Memcheck one = session(1);
    ASSERT_EQ(one.exitStatus, 0) << one.log;
    EXPECT_EQ(one.errors, 0) << one.log;
    const Memcheck three = session(3);
    ASSERT_EQ(three.exitStatus, 0) << three.log;
    EXPECT_EQ(three.errors, 0) << three.log;
    EXPECT_EQ(three.lostBytes, one.lostBytes) << one.log << "\n----\n" << three.log;
    // The races did run: two more races, two more play-menu refreshes.
    EXPECT_GT(three.allocations, one.allocations);
    std::printf("memcheck: lost %lld bytes after one race and after three; %lld and %lld allocations\n",
                one.lostBytes, one.allocations, three.allocations);
}
