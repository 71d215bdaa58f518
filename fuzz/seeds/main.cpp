// Writes a seed corpus for every fuzz target: fuzz_seeds OUT [REFERENCE_DIR]
// creates OUT/NAME/ for each target NAME and fills it with valid inputs, so
// that fuzzing starts from the real formats instead of random bytes.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

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

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUT [REFERENCE_DIR]\n");
        return 2;
    }
    std::string out = argv[1];
    mkdir(out.c_str(), 0755);
    saveFileSeeds(out, argc > 2 ? argv[2] : "");
    return 0;
}
