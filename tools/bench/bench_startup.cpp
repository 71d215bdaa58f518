// Start-up: wall time from starting the real game to its first finished
// frame (the track menu), content loading included. The game runs with the
// probe library preloaded, which ends it right after its first buffer swap,
// with a fresh per-user folder and the content folder's parent as working
// directory.
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "bench.h"

std::string benchFolder()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

int spawnGame(const std::string& workDir, const std::string& home, const std::string& game,
              const std::string& probe, const std::vector<std::pair<std::string, std::string>>& extra)
{
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (chdir(workDir.c_str()) != 0)
        _exit(126);
    freopen("/dev/null", "w", stdout);
    setenv("HOME", home.c_str(), 1);
    unsetenv("APPDATA");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("LD_PRELOAD", probe.c_str(), 1);
    for (const auto& [name, value] : extra)
        setenv(name.c_str(), value.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    execl(game.c_str(), game.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

bool gameWorkDir(const BenchOptions& options, const char* figure, std::string& workDir)
{
    char resolved[PATH_MAX];
    if (!realpath(options.data.c_str(), resolved)) {
        std::fprintf(stderr, "vantor-bench: no content folder %s\n", options.data.c_str());
        return false;
    }
    const std::string data = resolved;
    if (data.size() < 5 || data.compare(data.size() - 5, 5, "/data") != 0) {
        std::fprintf(stderr, "vantor-bench: the %s figure needs a content folder named data\n", figure);
        return false;
    }
    workDir = data.substr(0, data.size() - 5);
    return true;
}

int benchStartup(const BenchOptions& options)
{
    using Clock = std::chrono::steady_clock;
    std::printf("== start-up: process start to the first track-menu frame\n");
    std::string workDir;
    if (!gameWorkDir(options, "start-up", workDir))
        return 1;
    const std::string bin = benchFolder();
    const std::string game = bin + "/vantor";
    const std::string probe = bin + "/libvantor_first_frame.so";
    if (access(game.c_str(), X_OK) != 0 || access(probe.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "vantor-bench: needs %s and %s\n", game.c_str(), probe.c_str());
        return 1;
    }
    char pattern[] = "/tmp/vantor-bench-home-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string home = pattern;

    std::vector<double> samples;
    int status = 0;
    for (int k = 0; k < options.startups; ++k) {
        std::fflush(stdout);
        Clock::time_point start = Clock::now();
        pid_t pid = spawnGame(workDir, home, game, probe, {});
        int rc = 0;
        if (pid < 0 || waitpid(pid, &rc, 0) != pid || !WIFEXITED(rc) || WEXITSTATUS(rc) != 0) {
            std::fprintf(stderr, "vantor-bench: the game did not reach its first frame\n");
            status = 1;
            break;
        }
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::string cmd = "rm -rf '" + home + "'";
    if (std::system(cmd.c_str()) != 0)
        status = 1;
    if (!samples.empty()) {
        FrameStats s = frameStats(samples);
        std::printf("start-ups %zu: median %.1f ms, max %.1f ms (goal under 1000 ms)\n", s.count, s.median, s.max);
    }
    return status;
}
