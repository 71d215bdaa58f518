// Idle: the real game left in its track menu, as a player leaves it on the
// desktop, at 800 x 600, in a 160 x 120 window where the renderer is fast,
// and there once more without the scenery and the road, frames as cheap as
// on a fast graphics card. The game runs with the swap-counting probe preloaded; frames per
// second come from the count, CPU time from /proc (all of the game's threads,
// the renderer's included).
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "bench.h"

namespace {

using Clock = std::chrono::steady_clock;

// Swaps counted so far, 0 before the first.
unsigned long long swapCount(const std::string& path)
{
    std::ifstream in(path);
    unsigned long long n = 0;
    in >> n;
    return n;
}

// User and system CPU seconds of the process, all threads.
double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    // After the command come state (field 3) and on to utime (14), stime (15).
    std::istringstream fields(stat.substr(close + 2));
    std::string word;
    unsigned long long utime = 0, stime = 0;
    for (int field = 3; field <= 15 && fields >> word; ++field) {
        if (field == 14)
            utime = std::stoull(word);
        if (field == 15)
            stime = std::stoull(word);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

void sleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// One idle measurement; false when the game did not come up.
bool idleAt(const std::string& workDir, const std::string& bin, int width, int height, bool cheapFrames,
            int seconds, double& fps, double& cpuPercent)
{
    char pattern[] = "/tmp/vantor-bench-idle-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    const std::string home = pattern;
    const std::string configDir = home + "/.config/Vantor";
    mkdir((home + "/.config").c_str(), 0700);
    mkdir(configDir.c_str(), 0700);
    std::ofstream(configDir + "/config.txt") << width << " " << height << " 0 2 3 0 1 2 3 0\n";
    const std::string counter = home + "/swaps";
    const std::string game = bin + "/vantor";
    const std::string probe = bin + "/libvantor_swap_count.so";

    std::fflush(stdout);
    std::vector<std::pair<std::string, std::string>> extra = {{"VANTOR_SWAP_COUNT", counter}};
    if (cheapFrames)
        extra.push_back({"VANTOR_SKIP_LISTS", "1"});
    pid_t pid = spawnGame(workDir, home, game, probe, extra);
    bool ok = pid > 0;
    // Up once the first frame is out; then a second to settle.
    for (int waited = 0; ok && swapCount(counter) == 0; waited += 50) {
        if (waited > 30000 || waitpid(pid, nullptr, WNOHANG) != 0)
            ok = false;
        else
            sleepSeconds(0.05);
    }
    if (ok) {
        sleepSeconds(1.0);
        Clock::time_point t0 = Clock::now();
        unsigned long long s0 = swapCount(counter);
        double c0 = cpuSeconds(pid);
        sleepSeconds(seconds);
        double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        fps = double(swapCount(counter) - s0) / wall;
        cpuPercent = 100.0 * (cpuSeconds(pid) - c0) / wall;
    }
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::string cmd = "rm -rf '" + home + "'";
    return std::system(cmd.c_str()) == 0 && ok;
}

}  // namespace

int benchIdle(const BenchOptions& options)
{
    std::printf("== idle in the track menu: frames per second and CPU time of the game's process\n");
    std::string workDir;
    if (!gameWorkDir(options, "idle", workDir))
        return 1;
    const std::string bin = benchFolder();
    if (access((bin + "/vantor").c_str(), X_OK) != 0 || access((bin + "/libvantor_swap_count.so").c_str(), R_OK) != 0) {
        std::fprintf(stderr, "vantor-bench: needs the game and libvantor_swap_count.so in %s\n", bin.c_str());
        return 1;
    }
    struct Case {
        int width, height;
        bool cheapFrames;
    };
    const Case cases[] = {{800, 600, false}, {160, 120, false}, {160, 120, true}};
    int status = 0;
    for (const Case& c : cases) {
        const char* what = c.cheapFrames ? " without scenery and road" : "";
        double fps = 0.0, cpu = 0.0;
        if (!idleAt(workDir, bin, c.width, c.height, c.cheapFrames, options.idleSeconds,
                    fps, cpu)) {
            std::fprintf(stderr, "vantor-bench: the game did not come up at %d x %d%s\n", c.width, c.height, what);
            status = 1;
            continue;
        }
        std::printf("idle %d x %d%s over %d s: %.1f frames per second, CPU %.0f %% of one core (goal at most 60 fps)\n",
                    c.width, c.height, what, options.idleSeconds, fps, cpu);
    }
    return status;
}
