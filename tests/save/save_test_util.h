#pragma once
// Helpers shared by the save tests: temporary folders, raw files, save
// contents to compare, a builder for hand-made file images, the reference
// save and ghost check, and the game pointed at a temporary folder.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "assets/data_dir.h"
#include "save/ghost_file.h"
#include "save/save_file.h"
#include "shell/game.h"
#include "track/track_file.h"

// A fresh folder under /tmp, removed with everything in it at the end.
struct TempDir {
    std::string path;
    TempDir()
    {
        char tmpl[] = "/tmp/vantor-save-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    // The path of name in the folder, quoted for the shell, and a space.
    std::string quoted(const std::string& name) const { return "'" + path + "/" + name + "' "; }
};

// The names in dir that hold part, sorted; none for a folder that is missing.
inline std::vector<std::string> folderEntries(const std::string& dir, const std::string& part = "")
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(dir, error))
        if (e.path().filename().string().find(part) != std::string::npos)
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<uint8_t> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The 12-byte records of a control file.
inline std::vector<ControlInput> controlsOf(const std::string& path)
{
    std::vector<uint8_t> bytes = readFileBytes(path);
    std::vector<ControlInput> c(bytes.size() / 12);
    std::memcpy(c.data(), bytes.data(), c.size() * 12);
    return c;
}

// Little-endian file image built item by item.
struct SaveBytes {
    std::vector<uint8_t> v;
    SaveBytes& i32(int32_t x)
    {
        uint32_t u = static_cast<uint32_t>(x);
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<uint8_t>(u >> (8 * i)));
        return *this;
    }
    SaveBytes& raw(const std::string& s)
    {
        v.insert(v.end(), s.begin(), s.end());
        return *this;
    }
    SaveBytes& str(const std::string& s) { return i32(static_cast<int32_t>(s.size())).raw(s); }
    SaveBytes& fill(size_t n, uint8_t b)
    {
        v.insert(v.end(), n, b);
        return *this;
    }
};

inline bool sameControls(const std::vector<ControlInput>& a, const std::vector<ControlInput>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 12) == 0);
}

inline void expectSameRecord(const TrackRecord& a, const TrackRecord& b, const std::string& key)
{
    SCOPED_TRACE("record " + key);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.medal, b.medal);
    ASSERT_EQ(a.scores.size(), b.scores.size());
    for (size_t i = 0; i < a.scores.size(); ++i) {
        EXPECT_EQ(a.scores[i].playerName, b.scores[i].playerName);
        EXPECT_EQ(a.scores[i].shipName, b.scores[i].shipName);
        EXPECT_EQ(a.scores[i].ticks, b.scores[i].ticks);
        EXPECT_EQ(a.scores[i].date, b.scores[i].date);
    }
    EXPECT_TRUE(sameControls(a.ghostRun, b.ghostRun));
    EXPECT_TRUE(a.ghostStart == b.ghostStart);
}

inline void expectSameSave(const SaveData& a, const SaveData& b)
{
    EXPECT_EQ(a.playerName, b.playerName);
    EXPECT_EQ(a.shipName, b.shipName);
    EXPECT_EQ(a.trackName, b.trackName);
    ASSERT_EQ(a.records.size(), b.records.size());
    for (auto ia = a.records.begin(), ib = b.records.begin(); ia != a.records.end(); ++ia, ++ib) {
        EXPECT_EQ(ia->first, ib->first);
        expectSameRecord(ia->second, ib->second, ia->first);
    }
}

// A record as a finished run leaves it: named, scored, with a ghost run.
inline TrackRecord finishedRecord(const std::string& name, int32_t seed, size_t runs, size_t ticks)
{
    TrackRecord r;
    r.name = name;
    r.medal = 1 + seed % 4;
    for (size_t i = 0; i < runs; ++i)
        r.scores.push_back({"p" + std::to_string(i), "ship", static_cast<int32_t>(1000 + 37 * i + seed),
                            static_cast<int32_t>(1700000000 + seed * 11 + static_cast<int32_t>(i))});
    for (size_t i = 0; i < ticks; ++i)
        r.ghostRun.push_back({0.001f * static_cast<float>(i) - 0.5f, (i % 7) ? 0.0f : 1.0f, 0.25f * (seed % 5)});
    for (size_t i = 0; i < r.ghostStart.size(); ++i)
        r.ghostStart[i] = static_cast<uint8_t>(i * 13 + seed);
    return r;
}

// The save the reference runs were recorded in; no test can go on without it.
inline SaveData referenceSave()
{
    SaveData save;
    if (!loadSaveFile(save, std::string(VANTOR_REFERENCE_DIR) + "/reference.save"))
        throw std::runtime_error("the reference save cannot be read");
    return save;
}

// The reference save's best run on refa as its ghost file.
inline GhostFile referenceGhost()
{
    const TrackRecord r = referenceSave().records.at("refa");
    GhostFile g;
    g.trackName = "refa";
    if (!hashTrackFile(VANTOR_REFERENCE_DIR, "refa", g.trackHash))
        throw std::runtime_error("the reference track cannot be read");
    g.playerName = r.scores[0].playerName;
    g.date = r.scores[0].date;
    g.ticks = static_cast<uint32_t>(r.scores[0].ticks);
    g.startState = r.ghostStart;
    g.records.assign(r.ghostRun.begin(), r.ghostRun.begin() + r.scores[0].ticks);
    return g;
}

// checkGhost's verdict on ghost against the reference folder's track.
inline std::string referenceVerdict(const GhostFile& ghost, const std::string& track = "refa")
{
    Track road;
    Sha256Digest hash;
    if (!readTrackRoad(road, VANTOR_REFERENCE_DIR, track) || !hashTrackFile(VANTOR_REFERENCE_DIR, track, hash))
        return "the reference track cannot be read";
    return checkGhost(ghost, hash, road);
}

// The game's per-user folder in a temporary folder and its content in
// contentDir for the life of the sandbox, with an empty save and run.
struct GameSandbox {
    TempDir dir;
    std::string savedDataDir = dataDir;

    explicit GameSandbox(const std::string& contentDir = dataDir)
    {
        setenv("APPDATA", dir.path.c_str(), 1);
        dataDir = contentDir;
        reset();
    }
    ~GameSandbox()
    {
        dataDir = savedDataDir;
        unsetenv("APPDATA");
        reset();
    }
    static void reset()
    {
        game.save = SaveData();
        game.run = ::Run();
        game.saveStatus = SaveStatus();
    }
};
