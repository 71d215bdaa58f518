#pragma once
// vantor-bench: figures of the simulation, the drawing, the start-up and the
// save file, printed one per line. Nothing is checked; the figures are for
// docs/performance.md and for comparing changes.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct BenchOptions {
    // The content directory (its folder must be called "data" for the
    // start-up figure, which runs the game in its parent folder).
    std::string data = "data";
    // Tracks to measure; empty for every folder of data/tracks.
    std::vector<std::string> tracks;
    // Replays per track for the simulation figure.
    int simRepeat = 3;
    // Frames per track and scene, after warmUpFrames unmeasured ones.
    int raceFrames = 300;
    int menuFrames = 120;
    int warmUpFrames = 20;
    // Start-ups to measure.
    int startups = 5;
    // Seconds of idling in the track menu per window size.
    int idleSeconds = 5;
    // Moving race frames the smoothness figure waits for.
    int smoothFrames = 300;
    // Diagnosis only: also time the race scene without the scenery mesh, to
    // show what share of a frame the scenery costs.
    bool withoutScenery = false;
};

// Sorted copy statistics of raw samples, milliseconds.
struct FrameStats {
    double median = 0.0;
    double p99 = 0.0;
    double max = 0.0;
    int over16_7 = 0;
    size_t count = 0;
};
FrameStats frameStats(std::vector<double> samplesMs);
double medianOf(std::vector<double> samples);

// The track names below data/tracks, sorted.
std::vector<std::string> trackNames(const std::string& data);

int benchSimulation(const BenchOptions& options);
// Seeking in a replay of a 3-minute run, headless.
int benchWatch(const BenchOptions& options);
int benchSaveFile(const BenchOptions& options);
// The analysis after a finish, the run history and the practice start, headless.
int benchAnalysis(const BenchOptions& options);
// The play menu's frames while it judges a folder of 500 ghost files.
int benchGhostFolder(const BenchOptions& options);
int benchStartup(const BenchOptions& options);
// The real game idling in its track menu: frames per second and CPU time.
int benchIdle(const BenchOptions& options);

// The folder of the vantor-bench executable, where the game and the probe
// libraries are built.
std::string benchFolder();

// The folder the real game runs in: the one holding options.data, which must
// be named data since the game reads data/ from where it starts. Says why on
// standard error and returns false when it cannot be, naming the figure.
bool gameWorkDir(const BenchOptions& options, const char* figure, std::string& workDir);
// Forks the real game in workDir with HOME set to home (and no other per-user
// folder), its standard output dropped, probe preloaded and the variables of
// extra set; the child's pid, or -1 when the fork failed.
int spawnGame(const std::string& workDir, const std::string& home, const std::string& game,
              const std::string& probe, const std::vector<std::pair<std::string, std::string>>& extra);
// Opens the game's window; the drawing and the play-menu refresh.
int benchRendering(const BenchOptions& options);

// The camera's eye at one buffer swap, the swap's time in milliseconds.
struct CameraSample {
    double ms = 0.0;
    double x = 0.0, y = 0.0, z = 0.0;
};
// Over consecutive race frames that moved the camera: how many moved it, how
// many could be compared with a moving frame before them, and how many of
// those changed the camera speed by more than a quarter; the share, and the
// median time between the moving frames.
struct CameraJudder {
    size_t moving = 0;
    size_t compared = 0;
    size_t uneven = 0;
    double share = 0.0;
    double medianFrameMs = 0.0;
};
CameraJudder cameraJudder(const std::vector<CameraSample>& samples);
// The real game racing with the throttle held, at 800 x 600 and 160 x 120.
int benchSmoothness(const BenchOptions& options);
