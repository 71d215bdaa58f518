// Races fed recorded controls: the file's records replace the input tick by
// tick from a race's first tick, and anything unreadable feeds nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "save/ghost_file.h"
#include "shell/record_feed.h"
#include "test_files.h"

TEST(RecordFeed, RecordsReplaceTheInputUntilTheyRunOut)
{
    const std::string dir = makeTempDir("feed");
    GhostFile ghost;
    ghost.trackName = "00";
    ghost.playerName = "autopilot";
    ghost.records = {{0.5f, 0.0f, 1.0f}, {-1.0f, 0.25f, 0.0f}};
    ghost.ticks = 2;
    std::vector<uint8_t> bytes = encodeGhost(ghost);
    writeFile(dir + "/run.vghost", std::vector<char>(bytes.begin(), bytes.end()));
    writeText(dir + "/bad.vghost", "not a ghost");
    const ControlInput keys{0.0f, 1.0f, 0.0f};

    const struct {
        const char* file;
        std::vector<ControlInput> expected;
    } cases[] = {
        {nullptr, {keys, keys, keys}},
        {"run.vghost", {ghost.records[0], ghost.records[1], keys}},
        {"bad.vghost", {keys, keys, keys}},
        {"missing.vghost", {keys, keys, keys}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no variable");
        if (c.file)
            setenv("VANTOR_FEED_RECORDS", (dir + "/" + c.file).c_str(), 1);
        else
            unsetenv("VANTOR_FEED_RECORDS");
        for (size_t tick = 0; tick < c.expected.size(); ++tick) {
            ControlInput record = keys;
            feedRecord(tick, record);
            EXPECT_TRUE(record.steer == c.expected[tick].steer && record.brake == c.expected[tick].brake &&
                        record.throttle == c.expected[tick].throttle)
                << "tick " << tick;
        }
    }
    unsetenv("VANTOR_FEED_RECORDS");
    std::filesystem::remove_all(dir);
}
