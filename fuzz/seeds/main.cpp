// Writes a seed corpus for every fuzz target:
//   fuzz_seeds OUT [--data CONTENT_DIR] [REFERENCE_DIR]
// creates OUT/NAME/ for each target NAME and fills it with valid inputs, so
// that fuzzing starts from the real formats instead of random bytes. With a
// content directory (the content tool's output) its files join the seeds.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "design/track_package.h"
#include "design/track_share.h"
#include "save/ghost_file.h"
#include "save/run_history.h"
#include "save/save_file.h"

static void writeSeed(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    mkdir(dir.c_str(), 0755);
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

static std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static void saveFileSeeds(const std::string& out, const std::string& reference)
{
    std::string dir = out + "/save_file";
    writeSeed(dir, "fresh", encodeSaveData(SaveData()));

    SaveData s;
    s.playerName = "";
    s.trackName = "02";
    recordFor(s, "01");
    for (int t = 0; t < 3; ++t) {
        std::string name = "0" + std::to_string(t);
        TrackRecord& r = recordFor(s, name);
        r.name = name;
        r.medal = 1 + t;
        for (int i = 0; i <= t; ++i)
            r.scores.push_back({"ace", "ship", 4000 + 100 * i, 1700000000 + i});
        r.ghostStart.fill(static_cast<uint8_t>(t));
        for (int i = 0; i < 8 + t; ++i)
            r.ghostRun.push_back({0.1f * static_cast<float>(i), i % 2 ? 1.0f : 0.0f, 1.0f});
    }
    writeSeed(dir, "three_tracks", encodeSaveData(s));

    if (!reference.empty()) {
        std::vector<uint8_t> ref = readFile(reference + "/reference.save");
        if (!ref.empty())
            writeSeed(dir, "reference", ref);
    }
}

static void writeText(const std::string& dir, const std::string& name, const std::string& text)
{
    writeSeed(dir, name, std::vector<uint8_t>(text.begin(), text.end()));
}

// Copies a content file as a seed when it exists and is small enough to
// mutate quickly.
static void copySeed(const std::string& dir, const std::string& name, const std::string& from)
{
    std::vector<uint8_t> bytes = readFile(from);
    if (!bytes.empty() && bytes.size() <= 64 * 1024)
        writeSeed(dir, name, bytes);
}

template <typename T>
static void put(std::vector<uint8_t>& out, T value)
{
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), b, b + sizeof value);
}

// One group of one triangle, three texture coordinates, frames of three
// positions and normals.
static std::vector<uint8_t> triangleMesh(const std::string& groupName, int frames)
{
    std::vector<uint8_t> m;
    put<int32_t>(m, 1);
    put<int32_t>(m, static_cast<int32_t>(groupName.size()));
    m.insert(m.end(), groupName.begin(), groupName.end());
    for (int list = 0; list < 3; ++list) {
        put<int32_t>(m, 1);
        for (uint16_t i = 0; i < 3; ++i)
            put<uint16_t>(m, i);
    }
    put<int32_t>(m, 3);
    for (float v : {0.f, 0.f, 1.f, 0.f, 0.f, 1.f})
        put<float>(m, v);
    put<int32_t>(m, frames);
    for (int f = 0; f < frames; ++f) {
        put<int32_t>(m, 3);
        for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f})
            put<float>(m, v + static_cast<float>(f));
        put<int32_t>(m, 3);
        for (int k = 0; k < 3; ++k)
            for (float v : {0.f, 0.f, 1.f})
                put<float>(m, v);
    }
    return m;
}

// A closed road of n control points on a circle, in file units.
static std::vector<uint8_t> circleTrack(int n)
{
    std::vector<uint8_t> t;
    put<int32_t>(t, n);
    for (int i = 0; i < n; ++i) {
        const double a = 6.283185307179586 * i / n;
        for (int r = 0; r < 4; ++r) {
            const double radius = 20.0 + r;
            put<float>(t, static_cast<float>(radius * std::cos(a)));
            put<float>(t, static_cast<float>(radius * std::sin(a)));
            put<float>(t, static_cast<float>(r == 1 || r == 2 ? 0.1 : 0.0));
        }
    }
    return t;
}

static void loaderSeeds(const std::string& out, const std::string& data)
{
    const std::string mesh = out + "/mesh_file";
    writeSeed(mesh, "triangle", triangleMesh("body", 1));
    writeSeed(mesh, "glass_two_frames", triangleMesh("Tglass", 2));
    const std::string track = out + "/track_file";
    writeSeed(track, "circle4", circleTrack(4));
    writeSeed(track, "circle3", circleTrack(3));
    const std::string words = out + "/track_textures";
    writeText(words, "pairs", "asphalt_start asphalt_start\nasphalt asphalt\ngrass gravel\nasphalt asphalt\n");
    writeText(words, "one_line_short", "a b c d e f g");
    const std::string times = out + "/area_times";
    writeText(times, "plain", "92 104 129\n");
    writeText(times, "decimals", "61.25\t70.5\n\n88.75");
    writeText(times, "short", "45 50");
    const std::string config = out + "/config_file";
    writeText(config, "defaults", "800 600 0 0 1 -1 -1 1 2 0\n");
    writeText(config, "commented",
              "# window\n1024 768 # size\n1\n# joystick buttons\n0 1 2 3\n# axes\n1 -1 0\n");
    writeText(config, "settings",
              "800 600 0 2 3 0 1 2 3 0 70\nbind throttle w\nbind throttle up # arrows too\nbind left left shift\n"
              "bind restart none\ndeadzone 20\ninvert steer on\ncamera above\nghost opacity 45\nmystery\n");

    if (data.empty())
        return;
    copySeed(mesh, "ship", data + "/ships/ship.tris");
    for (const char* name : {"00", "07", "14"}) {
        const std::string folder = data + "/tracks/" + name;
        copySeed(track, std::string("track") + name, folder + "/track.track");
        copySeed(words, std::string("track") + name, folder + "/textures.txt");
        copySeed(times, std::string("track") + name, folder + "/times.txt");
    }
}

static void ghostFileSeeds(const std::string& out, const std::string& reference)
{
    std::string dir = out + "/ghost_file";
    GhostFile small;
    small.trackName = "00";
    small.playerName = "ace";
    small.date = 1765150000;
    small.ticks = 3;
    small.startState.fill(7);
    small.records = {{0.0f, 0.0f, 1.0f}, {0.5f, 0.0f, 1.0f}, {-1.0f, 1.0f, 0.0f}};
    writeSeed(dir, "small", encodeGhost(small));
    GhostFile empty;
    empty.trackName = "x";
    writeSeed(dir, "empty", encodeGhost(empty));

    // The reference record's best run as the game would share it.
    SaveData save;
    if (reference.empty() || !loadSaveFile(save, reference + "/reference.save"))
        return;
    for (const auto& entry : save.records) {
        const TrackRecord& r = entry.second;
        if (r.scores.empty() || !isTrackName(entry.first))
            continue;
        GhostFile g;
        g.trackName = entry.first;
        hashTrackFile(reference, entry.first, g.trackHash);
        g.playerName = r.scores[0].playerName;
        g.date = r.scores[0].date;
        g.ticks = static_cast<uint32_t>(r.scores[0].ticks);
        g.startState = r.ghostStart;
        g.records = r.ghostRun;
        writeSeed(dir, "reference_" + entry.first, encodeGhost(g));
    }
}

static void trackStatsSeeds(const std::string& out)
{
    const std::string dir = out + "/track_stats";
    const std::string counted = formatTrackStats(TrackStats{12, 5, 3, 2, 246799});
    writeSeed(dir, "counted", std::vector<uint8_t>(counted.begin(), counted.end()));
    const std::string name = historyFileName(1765242972, 11358);
    writeSeed(dir, "run_file_name", std::vector<uint8_t>(name.begin(), name.end()));
}

// A plan of every kind of line, and the same plan built and shared with its author run.
static void trackSeeds(const std::string& out)
{
    const std::string text = "# seed\nplan 1\nname ridge\ntheme alpine\nroad basalt\nwidth 16\n"
                             "corner 0 0 120 0 0\ncorner 900 0 90 5 10\ncorner 900 600 80 20 10 14\n"
                             "corner 0 600 100 10 0\n";
    writeSeed(out + "/track_plan", "ridge", std::vector<uint8_t>(text.begin(), text.end()));
    TrackPlan plan;
    PlanFault fault;
    TrackPackage package;
    if (!readPlan(text, plan, fault) || !buildTrackPackage(plan, package, fault))
        return;
    SharedTrack shared{formatPlan(plan), package.author};
    writeSeed(out + "/shared_track", "ridge", encodeSharedTrack(shared));
    // The same file with a run of three records: quick to refuse, and near the real layout.
    shared.author.records.resize(3);
    shared.author.ticks = 3;
    writeSeed(out + "/shared_track", "short_run", encodeSharedTrack(shared));
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUT [--data CONTENT_DIR] [REFERENCE_DIR]\n");
        return 2;
    }
    std::string out = argv[1];
    std::string data;
    std::string reference;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            data = argv[++i];
        else
            reference = arg;
    }
    mkdir(out.c_str(), 0755);
    saveFileSeeds(out, reference);
    ghostFileSeeds(out, reference);
    trackStatsSeeds(out);
    loaderSeeds(out, data);
    trackSeeds(out);
    return 0;
}
