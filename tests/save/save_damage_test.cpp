// Damage the save reader reads past: repeated names, impossible scores, runs
// too long to be real, and a save file that is a link.
#include <algorithm>
#include <climits>
#include <filesystem>
#include <sys/stat.h>

#include "save/save_status.h"
#include "save_test_util.h"

namespace {

// 2026-12-08 10:15:00 UTC.
const std::time_t kNow = 1796724900;

SaveData twoRecords()
{
    SaveData s;
    s.records["aa"] = finishedRecord("aa", 1, 2, 30);
    s.records["ab"] = finishedRecord("ab", 2, 3, 40);
    return s;
}

// Reads bytes as the game does at start-up, from a file in dir.
SaveFileRead readBytes(const TempDir& dir, const std::vector<uint8_t>& bytes, SaveData& save)
{
    writeFileBytes(dir / "game.save", bytes);
    return readSaveFile(save, dir / "game.save");
}

}  // namespace

// One flipped bit renames "ab" to "aa": one of the two is kept, the file is
// damaged, so the copy of it is made before anything rewrites it.
TEST(SaveDamage, TwoRecordsOfOneNameAreDamageAndCopiedBeforeTheRewrite)
{
    TempDir dir;
    std::vector<uint8_t> bytes = encodeSaveData(twoRecords());
    const std::vector<uint8_t> second = {2, 0, 0, 0, 'a', 'b'};
    auto at = std::search(bytes.begin(), bytes.end(), second.begin(), second.end());
    ASSERT_NE(at, bytes.end());
    at[5] = 'a';
    SaveData save;
    EXPECT_EQ(readBytes(dir, bytes, save).found, SaveFound::damaged);
    EXPECT_EQ(save.records.size(), 1u);

    SaveData opened;
    SaveStatus status = openSaveFile(opened, dir / "game.save", kNow);
    ASSERT_TRUE(status.writable);
    ASSERT_TRUE(storeSaveFile(opened, dir / "game.save", status));
    bool copied = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        copied = copied || readFileBytes(entry.path().string()) == bytes;
    EXPECT_TRUE(copied) << "both records survive in the copy";

    // The game's own nameless records may repeat.
    SaveData looked = twoRecords();
    recordFor(looked, "zz");
    recordFor(looked, "zy");
    SaveData back;
    EXPECT_EQ(readBytes(dir, encodeSaveData(looked), back).found, SaveFound::whole);
}

TEST(SaveDamage, AScoreOutsideNoneToAnHourIsDroppedAsDamage)
{
    TempDir dir;
    struct Case {
        int32_t ticks;
        bool kept;
    };
    const Case cases[] = {{INT_MIN, false}, {-1, false},          {0, true},
                          {5426, true},     {maxScoreTicks, true}, {maxScoreTicks + 1, false},
                          {INT_MAX, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        SaveData s = twoRecords();
        s.records["ab"].scores[1].ticks = c.ticks;
        SaveData back;
        EXPECT_EQ(readBytes(dir, encodeSaveData(s), back).found, c.kept ? SaveFound::whole : SaveFound::damaged);
        EXPECT_EQ(back.records["ab"].scores.size(), c.kept ? 3u : 2u);
        for (const ScoreEntry& e : back.records["ab"].scores)
            EXPECT_TRUE(e.ticks >= 0 && e.ticks <= maxScoreTicks);
        expectSameRecord(back.records["aa"], s.records["aa"], "aa");
    }
}

// A run of 21 million records froze the race start; one over the limit is
// cut to it, which keeps every finish a real run can have.
TEST(SaveDamage, AGhostRunOverTheLimitIsCutToItAsDamage)
{
    TempDir dir;
    for (size_t length : {maxStoredRunRecords, maxStoredRunRecords + 1}) {
        SCOPED_TRACE(length);
        SaveData s = twoRecords();
        std::vector<ControlInput>& run = s.records["aa"].ghostRun;
        run.resize(length, ControlInput{0.25f, 0.0f, 1.0f});
        SaveData back;
        const bool whole = length <= maxStoredRunRecords;
        EXPECT_EQ(readBytes(dir, encodeSaveData(s), back).found, whole ? SaveFound::whole : SaveFound::damaged);
        ASSERT_EQ(back.records["aa"].ghostRun.size(), maxStoredRunRecords);
        EXPECT_TRUE(sameControls(
            back.records["aa"].ghostRun,
            std::vector<ControlInput>(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(maxStoredRunRecords))));
        expectSameRecord(back.records["ab"], s.records["ab"], "ab");
    }
    EXPECT_GE(maxStoredRunRecords, 2u * maxScoreTicks) << "room for an hour of menu frames after the finish";
}

// The link's target holds the progress; replacing the link would leave it stale.
TEST(SaveDamage, ASaveFileThatIsALinkIsWrittenThroughToItsTarget)
{
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "elsewhere").c_str(), 0700), 0);
    ASSERT_TRUE(writeSaveFile(twoRecords(), dir / "elsewhere/real.save"));
    ASSERT_EQ(symlink("elsewhere/real.save", (dir / "game.save").c_str()), 0);
    SaveData save;
    SaveStatus status = openSaveFile(save, dir / "game.save", kNow);
    save.playerName = "newer";
    ASSERT_TRUE(storeSaveFile(save, dir / "game.save", status)) << status.writeError;
    struct stat st;
    ASSERT_EQ(lstat((dir / "game.save").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    SaveData back;
    ASSERT_TRUE(loadSaveFile(back, dir / "elsewhere/real.save"));
    EXPECT_EQ(back.playerName, "newer");

    // A link to nothing or to a device is not written at all.
    ASSERT_EQ(symlink("/dev/null", (dir / "null.save").c_str()), 0);
    EXPECT_FALSE(storeSaveFile(save, dir / "null.save", status));
    EXPECT_NE(status.writeError.find("not a regular file"), std::string::npos) << status.writeError;
    ASSERT_EQ(lstat((dir / "null.save").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}
