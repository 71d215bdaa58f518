// vantor-bench [--data DIR] [--tracks 00,01,...] [--sections sim,watch,save,analysis,ghosts,startup,render,idle,smooth]
//              [--sim-repeat N] [--race-frames N] [--menu-frames N] [--startups N]
//              [--idle-seconds N] [--smooth-frames N] [--without-scenery]
// The rendering, start-up, idle and smoothness sections need an X display (xvfb-run -a).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sstream>
#include <string>

#include "bench.h"

FrameStats frameStats(std::vector<double> samples)
{
    FrameStats s;
    s.count = samples.size();
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    s.median = medianOf(samples);
    // Nearest rank: the smallest sample at or above 99% of them.
    size_t rank = static_cast<size_t>(std::ceil(0.99 * double(samples.size())));
    s.p99 = samples[std::max<size_t>(rank, 1) - 1];
    s.max = samples.back();
    for (double v : samples)
        s.over16_7 += v > 16.7;
    return s;
}

double medianOf(std::vector<double> samples)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    return n % 2 ? samples[n / 2] : 0.5 * (samples[n / 2 - 1] + samples[n / 2]);
}

std::vector<std::string> trackNames(const std::string& data)
{
    std::vector<std::string> names;
    DIR* dir = opendir((data + "/tracks").c_str());
    if (!dir)
        return names;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

static std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> out;
    std::stringstream in(text);
    std::string word;
    while (std::getline(in, word, ','))
        if (!word.empty())
            out.push_back(word);
    return out;
}

static bool positive(const char* text, int& out)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!end || *end || v < 1 || v > 1000000)
        return false;
    out = static_cast<int>(v);
    return true;
}

int main(int argc, char** argv)
{
    BenchOptions options;
    std::vector<std::string> sections = {"sim", "watch", "save", "analysis", "ghosts", "startup", "render", "idle", "smooth"};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        if (arg == "--data" && ok)
            options.data = value;
        else if (arg == "--tracks" && ok)
            options.tracks = splitList(value);
        else if (arg == "--sections" && ok)
            sections = splitList(value);
        else if (arg == "--sim-repeat" && ok)
            ok = positive(value, options.simRepeat);
        else if (arg == "--race-frames" && ok)
            ok = positive(value, options.raceFrames);
        else if (arg == "--menu-frames" && ok)
            ok = positive(value, options.menuFrames);
        else if (arg == "--startups" && ok)
            ok = positive(value, options.startups);
        else if (arg == "--idle-seconds" && ok)
            ok = positive(value, options.idleSeconds);
        else if (arg == "--smooth-frames" && ok)
            ok = positive(value, options.smoothFrames);
        else if (arg == "--without-scenery") {
            options.withoutScenery = true;
            continue;
        } else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "usage: vantor-bench [--data DIR] [--tracks A,B]\n"
                                 "                    [--sections sim,watch,save,analysis,ghosts,startup,render,idle,smooth]\n"
                                 "                    [--sim-repeat N] [--race-frames N] [--menu-frames N] [--startups N]\n"
                                 "                    [--idle-seconds N] [--smooth-frames N] [--without-scenery]\n");
            return 2;
        }
        ++i;
    }
    if (options.tracks.empty())
        options.tracks = trackNames(options.data);
    if (options.tracks.empty()) {
        std::fprintf(stderr, "vantor-bench: no tracks in %s/tracks\n", options.data.c_str());
        return 2;
    }
    int status = 0;
    for (const std::string& section : sections) {
        int rc = 2;
        if (section == "sim")
            rc = benchSimulation(options);
        else if (section == "watch")
            rc = benchWatch(options);
        else if (section == "save")
            rc = benchSaveFile(options);
        else if (section == "analysis")
            rc = benchAnalysis(options);
        else if (section == "ghosts")
            rc = benchGhostFolder(options);
        else if (section == "startup")
            rc = benchStartup(options);
        else if (section == "render")
            rc = benchRendering(options);
        else if (section == "idle")
            rc = benchIdle(options);
        else if (section == "smooth")
            rc = benchSmoothness(options);
        else
            std::fprintf(stderr, "vantor-bench: unknown section %s\n", section.c_str());
        status = std::max(status, rc);
        std::fflush(stdout);
    }
    return status;
}
