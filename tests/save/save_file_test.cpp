#include <climits>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "save_test_util.h"

namespace {

SaveData sampleSave()
{
    SaveData s;
    s.playerName = "zoe";
    s.shipName = "arrow";
    s.trackName = "02";
    // Names of different lengths, so that no single damaged byte turns one
    // into another (a repeated name would rightly replace the earlier record).
    s.records["00"] = finishedRecord("00", 1, 3, 6);
    s.records["a1b"] = finishedRecord("a1b", 2, 1, 4);
    s.records["zz9y"] = finishedRecord("zz9y", 3, 2, 5);
    // A track whose play menu was opened but which was never finished.
    recordFor(s, "q");
    return s;
}

// Where each record of save ends in its file, under the name a reader files
// it by: its own.
std::vector<std::pair<std::string, size_t>> recordEnds(const SaveData& save)
{
    std::vector<std::pair<std::string, size_t>> ends;
    size_t at = encodeSaveData(SaveData{save.playerName, save.shipName, save.trackName, {}}).size();
    for (const auto& r : save.records) {
        SaveData one;
        one.records[r.first] = r.second;
        at += encodeSaveData(one).size() - encodeSaveData(SaveData()).size();
        ends.push_back({r.second.name, at});
    }
    return ends;
}

}  // namespace

TEST(SaveFileFormat, WritesExactlyTheDocumentedBytes)
{
    SaveData s;
    s.playerName = "";
    s.shipName = "ship";
    s.trackName = "01";
    TrackRecord& done = recordFor(s, "00");
    done.name = "00";
    done.medal = 4;
    done.scores = {{"bob", "ship", 1234, -5}, {"", "x", 2000, 7}};
    for (size_t i = 0; i < 200; ++i)
        done.ghostStart[i] = static_cast<uint8_t>(i);
    done.ghostRun = {{0.5f, 0.0f, 1.0f}, {-1.25f, 1.0f, 0.0f}};
    TrackRecord& unscored = recordFor(s, "01");
    unscored.name = "01";
    unscored.medal = 1;
    // Only looked up: its name is still empty and its ghost data is not written.
    TrackRecord& lookedUp = recordFor(s, "10");
    lookedUp.ghostRun = {{1.0f, 1.0f, 1.0f}};
    lookedUp.ghostStart[0] = 9;

    SaveBytes want;
    want.str("").str("ship").str("01").i32(3);
    want.str("00").i32(4).i32(2);
    want.i32(1234).i32(-5).str("bob").str("ship");
    want.i32(2000).i32(7).str("").str("x");
    for (int i = 0; i < 200; ++i)
        want.v.push_back(static_cast<uint8_t>(i));
    want.i32(2);
    want.i32(0x3F000000).i32(0).i32(0x3F800000);
    want.i32(static_cast<int32_t>(0xBFA00000u)).i32(0x3F800000).i32(0);
    want.str("01").i32(1).i32(0);
    want.str("").i32(0).i32(0);

    TempDir dir;
    ASSERT_TRUE(writeSaveFile(s, dir / "game.save"));
    EXPECT_EQ(readFileBytes(dir / "game.save"), want.v);
}

TEST(SaveFileFormat, RecordsComeOutInByteWiseNameOrder)
{
    SaveData s;
    for (const char* name : {"10", "\xe9", "z", "01", "0", "00"})
        recordFor(s, name).name = name;
    std::vector<uint8_t> bytes = encodeSaveData(s);
    SaveBytes want;
    want.str("ace").str("ship").str("00").i32(6);
    for (const char* name : {"0", "00", "01", "10", "z", "\xe9"})
        want.str(name).i32(0).i32(0);
    EXPECT_EQ(bytes, want.v);
}

TEST(SaveFileFormat, RoundTripKeepsEverythingButTheTwoDocumentedLosses)
{
    SaveData s = sampleSave();
    TrackRecord& unscored = recordFor(s, "a");
    unscored.name = "a";
    unscored.medal = 1;
    unscored.ghostRun = {{0.1f, 0.2f, 0.3f}};
    unscored.ghostStart.fill(7);
    // Two records still nameless: they come back as one under the empty name.
    recordFor(s, "05");
    recordFor(s, "zzz").medal = 3;

    TempDir dir;
    ASSERT_TRUE(writeSaveFile(s, dir / "game.save"));
    SaveData back;
    EXPECT_TRUE(loadSaveFile(back, dir / "game.save"));

    SaveData want = s;
    want.records["a"].ghostRun.clear();
    want.records["a"].ghostStart.fill(0);
    want.records.erase("q");
    want.records.erase("05");
    want.records.erase("zzz");
    want.records[""].medal = 3;
    expectSameSave(back, want);
}

TEST(SaveFileFormat, ZeroByteEndsAStringAndTheLastOccurrenceWins)
{
    SaveBytes file;
    file.i32(3).raw(std::string("x\0y", 3)).str("ship").str("00").i32(3);
    file.i32(5).raw(std::string("ab\0cd", 5)).i32(2).i32(0);
    file.str("ab").i32(3).i32(0);
    file.str("cd").i32(1).i32(0);
    SaveData s;
    EXPECT_TRUE(decodeSaveData(s, file.v.data(), file.v.size()));
    EXPECT_EQ(s.playerName, "x");
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records["ab"].medal, 3);
    EXPECT_EQ(s.records["ab"].name, "ab");
    EXPECT_EQ(s.records["cd"].medal, 1);
}

TEST(SaveFileFormat, ReadsTheReferenceSaveIntoItsDocumentedRecords)
{
    std::string ref = VANTOR_REFERENCE_DIR;
    std::vector<uint8_t> file = readFileBytes(ref + "/reference.save");
    std::vector<uint8_t> ctl = readFileBytes(ref + "/refa.ctl");
    ASSERT_FALSE(file.empty());
    ASSERT_EQ(ctl.size() % 12, 0u);

    SaveData s;
    EXPECT_TRUE(loadSaveFile(s, ref + "/reference.save"));
    EXPECT_EQ(s.playerName, "ace");
    EXPECT_EQ(s.shipName, "ship");
    EXPECT_EQ(s.trackName, "00");
    ASSERT_EQ(s.records.size(), 2u);

    const TrackRecord& a = s.records["refa"];
    EXPECT_EQ(a.name, "refa");
    ASSERT_EQ(a.scores.size(), 1u);
    EXPECT_EQ(a.scores[0].ticks, 5426);
    ASSERT_EQ(a.ghostRun.size(), ctl.size() / 12 + 25);
    EXPECT_EQ(std::memcmp(a.ghostRun.data(), ctl.data(), ctl.size()), 0);
    for (size_t i = ctl.size() / 12; i < a.ghostRun.size(); ++i) {
        EXPECT_EQ(a.ghostRun[i].steer, 0.0f);
        EXPECT_EQ(a.ghostRun[i].brake, 0.0f);
        EXPECT_EQ(a.ghostRun[i].throttle, 0.0f);
    }
    const TrackRecord& b = s.records["refb"];
    EXPECT_EQ(b.name, "refb");
    EXPECT_TRUE(b.scores.empty());
    EXPECT_TRUE(b.ghostRun.empty());

    // Written back, the same records give the same file.
    EXPECT_EQ(encodeSaveData(s), file);
}

TEST(SaveFileReading, MissingOrUnusableFilesLeaveTheDefaults)
{
    TempDir dir;
    SaveData s;
    EXPECT_FALSE(loadSaveFile(s, dir / "none.save"));
    EXPECT_FALSE(loadSaveFile(s, dir.path));
    EXPECT_FALSE(loadSaveFile(s, ""));
    // A FIFO in place of the file must not block the start.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(loadSaveFile(s, dir / "fifo"));
    expectSameSave(s, SaveData());
}

// Every prefix of a valid file: the header strings and the records that end
// before the cut are kept, nothing after it.
TEST(SaveFileReading, EveryTruncationKeepsWhatWasCompleteBeforeTheCut)
{
    SaveData full = sampleSave();
    std::vector<uint8_t> bytes = encodeSaveData(full);

    // Offsets at which each item of the file is complete.
    size_t playerEnd = 4 + full.playerName.size();
    size_t shipEnd = playerEnd + 4 + full.shipName.size();
    size_t headerEnd = shipEnd + 4 + full.trackName.size();
    const std::vector<std::pair<std::string, size_t>> ends = recordEnds(full);
    ASSERT_EQ(encodeSaveData(SaveData{full.playerName, full.shipName, full.trackName, {}}).size(), headerEnd + 4);
    ASSERT_EQ(ends.back().second, bytes.size());

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SaveData got;
        EXPECT_FALSE(decodeSaveData(got, bytes.data(), cut)) << "cut " << cut;
        SaveData want;
        if (cut >= playerEnd)
            want.playerName = full.playerName;
        if (cut >= shipEnd)
            want.shipName = full.shipName;
        if (cut >= headerEnd)
            want.trackName = full.trackName;
        for (const auto& e : ends)
            if (e.second <= cut)
                want.records[e.first] = full.records[e.first.empty() ? "q" : e.first];
        ASSERT_EQ(encodeSaveData(got), encodeSaveData(want)) << "cut " << cut;
    }

    // The same through a real file.
    TempDir dir;
    std::vector<uint8_t> cutFile(bytes.begin(), bytes.begin() + static_cast<long>(ends[1].second + 3));
    writeFileBytes(dir / "game.save", cutFile);
    SaveData got;
    EXPECT_FALSE(loadSaveFile(got, dir / "game.save"));
    EXPECT_EQ(got.records.size(), 2u);
    EXPECT_EQ(got.trackName, "02");
}

// A damaged byte cannot change the records that end before it.
TEST(SaveFileReading, FlippedBytesNeverCrashAndKeepTheRecordsBeforeThem)
{
    SaveData full = sampleSave();
    std::vector<uint8_t> bytes = encodeSaveData(full);
    const std::vector<std::pair<std::string, size_t>> ends = recordEnds(full);
    auto check = [&](const std::vector<uint8_t>& damaged, size_t firstDamaged) {
        SaveData got;
        decodeSaveData(got, damaged.data(), damaged.size());
        for (const auto& e : ends) {
            if (e.second > firstDamaged)
                break;
            auto it = got.records.find(e.first);
            ASSERT_NE(it, got.records.end()) << "damage at " << firstDamaged;
            expectSameRecord(it->second, full.records[e.first.empty() ? "q" : e.first], e.first);
        }
    };
    for (size_t pos = 0; pos < bytes.size(); ++pos) {
        for (uint8_t mask : {0xFF, 0x80, 0x01}) {
            std::vector<uint8_t> damaged = bytes;
            damaged[pos] ^= mask;
            check(damaged, pos);
        }
    }
    std::mt19937 rng(20261208);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> damaged = bytes;
        size_t first = damaged.size();
        int flips = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < flips; ++i) {
            size_t pos = rng() % damaged.size();
            damaged[pos] = static_cast<uint8_t>(rng());
            first = std::min(first, pos);
        }
        check(damaged, first);
    }
}

// Hostile counts and lengths: nothing is allocated or read for them, and
// the good record before them survives.
TEST(SaveFileReading, HugeAndNegativeCountsAreRejectedBeforeAllocating)
{
    auto header = [] {
        SaveBytes b;
        b.str("ace").str("ship").str("00");
        return b;
    };
    auto goodRecord = [](SaveBytes& b) {
        b.str("00").i32(2).i32(1).i32(500).i32(1).str("p").str("s").fill(200, 0).i32(1).fill(12, 0);
    };
    auto scoredUpToCount = [](SaveBytes& b) { b.str("01").i32(1).i32(1).i32(600).i32(2).str("q").str("t").fill(200, 0); };

    std::vector<std::pair<std::string, SaveBytes>> cases;
    for (int32_t n : {INT_MAX, -1, INT_MIN, 0x10000000}) {
        SaveBytes b = header();
        b.i32(n);
        cases.push_back({"record count " + std::to_string(n), b});
    }
    for (int32_t len : {INT_MAX, -1, 0x40000000}) {
        SaveBytes b = header();
        b.i32(2);
        goodRecord(b);
        b.i32(len).fill(16, 'x');
        cases.push_back({"name length " + std::to_string(len), b});
    }
    for (int32_t m : {INT_MAX, -1, 0x10000000, 0x10000001}) {
        SaveBytes b = header();
        b.i32(2);
        goodRecord(b);
        b.str("01").i32(1).i32(m).fill(64, 0);
        cases.push_back({"score count " + std::to_string(m), b});
    }
    for (int32_t k : {INT_MAX, -5, 0x15555556, 2}) {
        SaveBytes b = header();
        b.i32(2);
        goodRecord(b);
        scoredUpToCount(b);
        b.i32(k).fill(12, 0);
        cases.push_back({"control count " + std::to_string(k), b});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        SaveData got;
        EXPECT_FALSE(decodeSaveData(got, c.second.v.data(), c.second.v.size()));
        EXPECT_EQ(got.playerName, "ace");
        EXPECT_EQ(got.trackName, "00");
        EXPECT_EQ(got.records.count("01"), 0u);
        if (c.first.rfind("record count", 0) != 0) {
            ASSERT_EQ(got.records.size(), 1u);
            EXPECT_EQ(got.records["00"].scores.size(), 1u);
            EXPECT_EQ(got.records["00"].ghostRun.size(), 1u);
        } else {
            EXPECT_TRUE(got.records.empty());
        }
    }

    // A negative length in the header keeps the defaults from there on.
    SaveBytes b;
    b.str("bob").i32(-1);
    SaveData got;
    EXPECT_FALSE(decodeSaveData(got, b.v.data(), b.v.size()));
    EXPECT_EQ(got.playerName, "bob");
    EXPECT_EQ(got.shipName, "ship");
}

TEST(SaveFileWriting, CreatesMissingFoldersAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    std::string folder = dir / "a/b/Vantor";
    SaveData s = sampleSave();
    ASSERT_TRUE(writeSaveFile(s, folder + "/game.save"));
    s.playerName = "second";
    ASSERT_TRUE(writeSaveFile(s, folder + "/game.save"));
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"game.save"});
    SaveData back;
    EXPECT_TRUE(loadSaveFile(back, folder + "/game.save"));
    EXPECT_EQ(back.playerName, "second");
    EXPECT_FALSE(writeSaveFile(s, ""));
}

// Failures forced in ways that root cannot bypass: after each, whatever was
// at the path before is unchanged and no temporary file is left behind.
TEST(SaveFileWriting, AFullDiskLeavesTheOldFileByteIdentical)
{
    TempDir dir;
    std::string path = dir / "game.save";
    SaveData old = sampleSave();
    ASSERT_TRUE(writeSaveFile(old, path));
    std::vector<uint8_t> before = readFileBytes(path);

    SaveData bigger = old;
    recordFor(bigger, "09") = finishedRecord("09", 4, 10, 5000);
    // A file size limit makes write() fail as on a full disk, even for root.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeSaveFile(bigger, path) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "the failed write was reported as success";
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(folderEntries(dir.path), std::vector<std::string>{"game.save"});
}

TEST(SaveFileWriting, AFailedRenameLeavesTheTargetUntouched)
{
    TempDir dir;
    // The target is a non-empty folder: rename() cannot replace it.
    std::string path = dir / "game.save";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    writeFileBytes(path + "/keep", {1, 2, 3});
    EXPECT_FALSE(writeSaveFile(sampleSave(), path));
    EXPECT_EQ(readFileBytes(path + "/keep"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(folderEntries(dir.path), std::vector<std::string>{"game.save"});

    // A path through a regular file: no folder can be made there.
    writeFileBytes(dir / "blocker", {4, 5, 6});
    EXPECT_FALSE(writeSaveFile(sampleSave(), dir / "blocker/Vantor/game.save"));
    EXPECT_EQ(readFileBytes(dir / "blocker"), (std::vector<uint8_t>{4, 5, 6}));
}

TEST(SaveFileWriting, AReadOnlyFolderLeavesTheOldFileByteIdentical)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; the other failure tests cover this";
    TempDir dir;
    std::string folder = dir / "ro";
    std::string path = folder + "/game.save";
    ASSERT_TRUE(writeSaveFile(sampleSave(), path));
    std::vector<uint8_t> before = readFileBytes(path);
    chmod(folder.c_str(), 0500);
    SaveData changed = sampleSave();
    changed.playerName = "changed";
    EXPECT_FALSE(writeSaveFile(changed, path));
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(readFileBytes(path), before);
}

TEST(SaveFileReading, ScoresWithAnEmptyGhostRunKeepEveryRecord)
{
    SaveBytes b;
    b.str("ace").str("ship").str("00").i32(2);
    b.str("00").i32(2).i32(1).i32(500).i32(1).str("p").str("s").fill(200, 0).i32(0);
    b.str("01").i32(3).i32(1).i32(600).i32(2).str("q").str("t").fill(200, 0).i32(1).fill(12, 0);
    SaveData got;
    EXPECT_TRUE(decodeSaveData(got, b.v.data(), b.v.size()));
    ASSERT_EQ(got.records.size(), 2u);
    EXPECT_EQ(got.records["00"].scores.size(), 1u);
    EXPECT_TRUE(got.records["00"].ghostRun.empty());
    EXPECT_EQ(got.records["01"].medal, 3);
    EXPECT_EQ(got.records["01"].ghostRun.size(), 1u);
}
