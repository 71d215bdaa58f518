// Smoothness: the real game driven into a race on the track its menu offers
// first, the throttle held, with the camera-logging probe preloaded. From the
// eye at every buffer swap: the share of moving race frames whose camera
// speed (eye distance over the time since the frame before) differs by more
// than a quarter from that of the frame before. A frame that shows one more
// or one fewer tick than the last counts there, whatever the frame rate.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "bench.h"

namespace {

// The menu background's fixed eye: frames with it are no race frames.
bool menuEye(const CameraSample& s) { return s.x == -300.0 && s.y == 0.0 && s.z == 200.0; }

std::vector<CameraSample> readCameraLog(const std::string& path)
{
    std::vector<CameraSample> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        CameraSample s;
        if (fields >> s.ms >> s.x >> s.y >> s.z)
            out.push_back(s);
    }
    return out;
}

// Enough moving frames, or the race has moved the camera and is over: the
// play menu is back over the menu background.
bool doneWatching(const std::string& path, size_t enough)
{
    const std::vector<CameraSample> samples = readCameraLog(path);
    const size_t moving = cameraJudder(samples).moving;
    return moving >= enough || (moving > 0 && menuEye(samples.back()));
}

} // namespace

CameraJudder cameraJudder(const std::vector<CameraSample>& samples)
{
    CameraJudder j;
    std::vector<double> frameMs;
    double lastSpeed = -1.0;
    for (size_t i = 1; i < samples.size(); ++i) {
        const CameraSample &a = samples[i - 1], &b = samples[i];
        const double dt = b.ms - a.ms;
        const double d = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
        if (menuEye(a) || menuEye(b) || !(dt > 0.0) || !(d > 1e-9)) {
            lastSpeed = -1.0;
            continue;
        }
        const double speed = d / dt;
        ++j.moving;
        frameMs.push_back(dt);
        if (lastSpeed > 0.0) {
            ++j.compared;
            j.uneven += std::fabs(speed - lastSpeed) > 0.25 * lastSpeed;
        }
        lastSpeed = speed;
    }
    j.share = j.compared ? double(j.uneven) / double(j.compared) : 0.0;
    j.medianFrameMs = medianOf(frameMs);
    return j;
}

int benchSmoothness(const BenchOptions& options)
{
    std::printf("== smoothness: the real game racing with the throttle held, the camera's eye at every swap\n");
    std::string workDir;
    if (!gameWorkDir(options, "smoothness", workDir))
        return 1;
    const std::string bin = benchFolder();
    const std::string game = bin + "/vantor";
    const std::string probe = bin + "/libvantor_camera_log.so";
    if (access(game.c_str(), X_OK) != 0 || access(probe.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "vantor-bench: needs %s and %s\n", game.c_str(), probe.c_str());
        return 1;
    }
    int status = 0;
    const int sizes[2][2] = {{800, 600}, {160, 120}};
    for (const auto& size : sizes) {
        char pattern[] = "/tmp/vantor-bench-smooth-XXXXXX";
        if (!mkdtemp(pattern))
            return 1;
        const std::string home = pattern;
        mkdir((home + "/.config").c_str(), 0700);
        mkdir((home + "/.config/Vantor").c_str(), 0700);
        std::ofstream(home + "/.config/Vantor/config.txt") << size[0] << " " << size[1] << " 0 2 3 0 1 2 3 0\n";
        const std::string log = home + "/camera";
        std::fflush(stdout);
        pid_t pid = spawnGame(workDir, home, game, probe, {{"VANTOR_CAMERA_LOG", log}, {"VANTOR_DRIVE", "1"}});
        // Until enough moving frames, the race's end, or two minutes.
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        while (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0 && Clock::now() - start < std::chrono::minutes(2) &&
               !doneWatching(log, size_t(options.smoothFrames)))
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        const CameraJudder j = cameraJudder(readCameraLog(log));
        std::string cmd = "rm -rf '" + home + "'";
        if (std::system(cmd.c_str()) != 0)
            status = 1;
        if (j.compared == 0) {
            std::fprintf(stderr, "vantor-bench: no moving race frames at %d x %d\n", size[0], size[1]);
            status = 1;
            continue;
        }
        std::printf("smoothness %d x %d: %zu moving race frames, median %.1f ms apart; %zu of %zu (%.1f %%) change "
                    "the camera speed by more than a quarter (goal under 5 %%)\n",
                    size[0], size[1], j.moving, j.medianFrameMs, j.uneven, j.compared, 100.0 * j.share);
    }
    return status;
}
