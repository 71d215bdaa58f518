#include <sys/stat.h>
#include <unistd.h>

#include "save/save_status.h"
#include "save_test_util.h"

namespace {

// 2026-12-08 10:15:00 UTC.
const std::time_t kNow = 1796724900;

std::vector<std::string> copiesIn(const std::string& dir)
{
    return folderEntries(dir, ".damaged-");
}

SaveData threeRecords()
{
    SaveData s;
    s.playerName = "zoe";
    s.records["00"] = finishedRecord("00", 1, 2, 30);
    s.records["01"] = finishedRecord("01", 2, 3, 40);
    s.records["02"] = finishedRecord("02", 3, 1, 20);
    return s;
}

// The file image of save with its second record's name length made negative:
// the reader stops there and keeps the first record only.
std::vector<uint8_t> damagedInSecondRecord(const SaveData& save)
{
    SaveData first = save;
    first.records.erase("01");
    first.records.erase("02");
    std::vector<uint8_t> bytes = encodeSaveData(save);
    // The first record ends where a file holding only it ends.
    size_t second = encodeSaveData(first).size();
    for (size_t i = 0; i < 4; ++i)
        bytes[second + i] = 0xff;
    return bytes;
}

}  // namespace

TEST(SaveFileFound, MissingWholeDamagedAndUnreadableAreToldApart)
{
    TempDir dir;
    SaveData s;
    EXPECT_EQ(readSaveFile(s, dir / "none").found, SaveFound::none);

    std::vector<uint8_t> whole = encodeSaveData(threeRecords());
    writeFileBytes(dir / "whole", whole);
    EXPECT_EQ(readSaveFile(s, dir / "whole").found, SaveFound::whole);
    // The game stores records that were only looked up without a name, so
    // the empty name may come twice in a sound file.
    SaveBytes twice;
    twice.str("a").str("s").str("00").i32(2).str("").i32(0).i32(0).str("").i32(0).i32(0);
    writeFileBytes(dir / "twice", twice.v);
    EXPECT_EQ(readSaveFile(s, dir / "twice").found, SaveFound::whole);

    // Truncated, or bytes after the last record: a rewrite would drop
    // something in each, so each is damage.
    std::vector<uint8_t> cut(whole.begin(), whole.end() - 5);
    std::vector<uint8_t> longer = whole;
    longer.push_back(7);
    for (const auto& c : {std::make_pair("cut", cut), std::make_pair("longer", longer)}) {
        writeFileBytes(dir / c.first, c.second);
        SaveData got;
        SaveFileRead read = readSaveFile(got, dir / c.first);
        EXPECT_EQ(read.found, SaveFound::damaged) << c.first;
        EXPECT_EQ(read.bytes, c.second) << c.first;
    }

    // Neither a folder, a FIFO nor a device is read, and none blocks.
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir / "zero").c_str()), 0);
    for (const char* name : {"folder", "fifo", "zero"}) {
        SaveData got;
        SaveFileRead read = readSaveFile(got, dir / name);
        EXPECT_EQ(read.found, SaveFound::unreadable) << name;
        EXPECT_EQ(read.reason, "not a regular file") << name;
        expectSameSave(got, SaveData());
    }
    if (geteuid() != 0) {
        writeFileBytes(dir / "locked", whole);
        chmod((dir / "locked").c_str(), 0);
        SaveData got;
        SaveFileRead read = readSaveFile(got, dir / "locked");
        EXPECT_EQ(read.found, SaveFound::unreadable);
        EXPECT_EQ(read.reason, "permission denied");
    }
}

TEST(DamagedSave, IsCopiedByteIdenticalOnceAndWhatWasReadIsKept)
{
    TempDir dir;
    const std::string path = dir / "game.save";
    const SaveData original = threeRecords();
    const std::vector<uint8_t> damaged = damagedInSecondRecord(original);
    writeFileBytes(path, damaged);

    SaveData save;
    SaveStatus status = openSaveFile(save, path, kNow);
    std::vector<std::string> copies = copiesIn(dir.path);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].rfind("game.save.damaged-2026120", 0), 0u) << copies[0];
    EXPECT_EQ(readFileBytes(dir / copies[0]), damaged);
    EXPECT_TRUE(status.writable);
    EXPECT_NE(status.startNotice.find(copies[0]), std::string::npos) << status.startNotice;
    ASSERT_EQ(save.records.size(), 1u);
    expectSameRecord(save.records["00"], original.records.at("00"), "00");
    EXPECT_EQ(save.playerName, "zoe");

    // Started again on the same file, an hour later: no second copy, the same one named.
    SaveData again;
    SaveStatus second = openSaveFile(again, path, kNow + 3600);
    EXPECT_EQ(copiesIn(dir.path), copies);
    EXPECT_EQ(second.startNotice, status.startNotice);

    // The recovered data written back leaves the copy alone and reads whole.
    ASSERT_TRUE(storeSaveFile(save, path, status));
    EXPECT_EQ(readFileBytes(dir / copies[0]), damaged);
    SaveData third;
    SaveStatus clean = openSaveFile(third, path, kNow + 7200);
    EXPECT_TRUE(clean.startNotice.empty());
    EXPECT_EQ(copiesIn(dir.path), copies);

    // A different damage is a different file: it gets its own copy, even
    // within the same second as the first.
    std::vector<uint8_t> other = damaged;
    other.push_back(1);
    writeFileBytes(path, other);
    SaveData fourth;
    openSaveFile(fourth, path, kNow);
    std::vector<std::string> now = copiesIn(dir.path);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(readFileBytes(dir / now[1]), other);
    EXPECT_EQ(now[1], copies[0] + "-1");
}

TEST(DamagedSave, WithoutACopyItIsNeverRewritten)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; the game-level tests cover root";
    TempDir dir;
    const std::string path = dir / "game.save";
    const std::vector<uint8_t> damaged = damagedInSecondRecord(threeRecords());
    writeFileBytes(path, damaged);
    chmod(dir.path.c_str(), 0500);
    SaveData save;
    SaveStatus status = openSaveFile(save, path, kNow);
    chmod(dir.path.c_str(), 0700);
    EXPECT_FALSE(status.writable);
    EXPECT_EQ(status.startNotice, "save file damaged and cannot be copied: permission denied; runs will not be saved");
    EXPECT_EQ(save.records.size(), 1u);
    EXPECT_FALSE(storeSaveFile(save, path, status));
    EXPECT_EQ(readFileBytes(path), damaged);
}

TEST(UnreadableSave, IsNeverReplacedAndEveryWriteSaysWhy)
{
    TempDir dir;
    const std::string path = dir / "game.save";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    SaveData save;
    SaveStatus status = openSaveFile(save, path, kNow);
    EXPECT_FALSE(status.writable);
    EXPECT_EQ(status.startNotice,
              "cannot read the save file: not a regular file; runs of this session will not be saved");
    expectSameSave(save, SaveData());

    save.records["00"] = finishedRecord("00", 1, 1, 10);
    EXPECT_FALSE(storeSaveFile(save, path, status));
    EXPECT_EQ(status.writeError, "could not save: the save file could not be read at start");
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the unreadable file was replaced";
    EXPECT_TRUE(copiesIn(dir.path).empty());
}

TEST(SaveWrite, AFailureIsSaidUntilAWriteSucceeds)
{
    TempDir dir;
    SaveStatus status;
    SaveData save = threeRecords();
    // A path through a regular file: no folder can be made there, even by root.
    writeFileBytes(dir / "blocker", {1});
    EXPECT_FALSE(storeSaveFile(save, dir / "blocker/Vantor/game.save", status));
    EXPECT_EQ(status.writeError.rfind("could not save: cannot create ", 0), 0u) << status.writeError;
    EXPECT_NE(status.writeError.find("not a directory"), std::string::npos) << status.writeError;
    EXPECT_FALSE(storeSaveFile(save, "", status));
    EXPECT_EQ(status.writeError, "could not save: no folder for the save file");
    EXPECT_TRUE(storeSaveFile(save, dir / "game.save", status));
    EXPECT_TRUE(status.writeError.empty());
}

TEST(ShownName, IsCutToItsLimit)
{
    EXPECT_EQ(shownName("ace"), "ace");
    EXPECT_EQ(shownName(std::string(5 * 1024 * 1024, 'x')), std::string(maxShownNameChars, 'x'));
}
