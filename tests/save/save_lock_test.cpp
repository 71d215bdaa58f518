// One game per save: the lock beside the save file, what a second game reads
// and that it writes nothing.
#include <sys/stat.h>
#include <unistd.h>

#include "save/save_lock.h"
#include "save_test_util.h"
#include "shell/paths.h"

namespace {

const std::time_t kNow = 1796724900;

size_t filesIn(const std::string& dir)
{
    const std::vector<std::string> names = folderEntries(dir);
    return size_t(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n[0] != '.'; }));
}

SaveData oneRun(const std::string& player)
{
    SaveData s;
    s.playerName = player;
    s.records["00"] = finishedRecord("00", 1, 2, 30);
    return s;
}

// Two games in one process: flock locks belong to the open file, so a second
// open of the lock file meets the first game's lock as another process would.
struct TwoGames : ::testing::Test {
    TempDir dir;
    SaveLock first, second;
    std::string save() { return dir / "game.save"; }
    void TearDown() override
    {
        releaseSaveLock(first);
        releaseSaveLock(second);
    }
};

}  // namespace

TEST_F(TwoGames, TheFirstHoldsTheLockUntilItLetsGo)
{
    std::string error;
    EXPECT_EQ(takeSaveLock(first, save(), error), LockOutcome::held);
    EXPECT_EQ(takeSaveLock(first, save(), error), LockOutcome::held) << "asking again keeps it";
    EXPECT_EQ(takeSaveLock(second, save(), error), LockOutcome::busy);
    EXPECT_TRUE(second.otherGame);
    EXPECT_EQ(second.fd, -1);
    releaseSaveLock(first);
    EXPECT_EQ(takeSaveLock(second, save(), error), LockOutcome::held);
    struct stat st;
    ASSERT_EQ(stat(saveLockPath(save()).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(TwoGames, ALockFileThatIsNoFileOrAMissingFolderFailsAndReplacesNothing)
{
    struct Case {
        const char* name;
        void (*make)(const std::string& lockPath);
        std::string savePath;
    };
    std::vector<Case> cases = {
        {"folder", [](const std::string& p) { mkdir(p.c_str(), 0700); }, save()},
        {"fifo", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, save()},
        {"link", [](const std::string& p) { symlink("/tmp/elsewhere-lock", p.c_str()); }, save()},
        {"no folder", [](const std::string&) {}, dir / "missing/game.save"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::system(("rm -rf '" + saveLockPath(save()) + "'").c_str());
        c.make(saveLockPath(save()));
        struct stat before {};
        lstat(saveLockPath(save()).c_str(), &before);
        std::string error;
        EXPECT_EQ(takeSaveLock(first, c.savePath, error), LockOutcome::failed);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(first.fd, -1);
        struct stat after {};
        lstat(saveLockPath(save()).c_str(), &after);
        EXPECT_EQ(before.st_mode, after.st_mode);
        EXPECT_EQ(before.st_ino, after.st_ino);
    }
    EXPECT_NE(access("/tmp/elsewhere-lock", F_OK), 0) << "a link is never followed";
    EXPECT_NE(access((dir / "missing").c_str(), F_OK), 0) << "taking a lock makes no folder";
}

TEST_F(TwoGames, TheSecondGameReadsTheSaveAsItIsAndWritesNothing)
{
    ASSERT_TRUE(writeSaveFile(oneRun("ann"), save()));
    SaveData a, b;
    SaveStatus statusA = openLockedSave(a, first, save(), kNow);
    SaveStatus statusB = openLockedSave(b, second, save(), kNow);
    EXPECT_TRUE(statusA.writable);
    EXPECT_TRUE(statusA.startNotice.empty());
    EXPECT_FALSE(statusB.writable);
    EXPECT_EQ(statusB.startNotice, "another game is using this save; runs of this session will not be saved");
    EXPECT_EQ(b.playerName, "ann") << "the second game plays with what is stored";
    ASSERT_EQ(b.records.count("00"), 1u);

    const std::vector<uint8_t> stored = readFileBytes(save());
    b.playerName = "bob";
    EXPECT_FALSE(lockForWriting(second, save(), statusB));
    EXPECT_FALSE(storeSaveFile(b, save(), statusB));
    EXPECT_EQ(statusB.writeError, "could not save: another game is using this save");
    EXPECT_EQ(readFileBytes(save()), stored);

    EXPECT_TRUE(lockForWriting(first, save(), statusA));
    EXPECT_TRUE(storeSaveFile(a, save(), statusA));
}

TEST_F(TwoGames, ADamagedSaveInUseIsNotCopiedByTheSecondGame)
{
    std::vector<uint8_t> bytes = encodeSaveData(oneRun("ann"));
    bytes.resize(bytes.size() - 3);
    writeFileBytes(save(), bytes);
    std::string error;
    ASSERT_EQ(takeSaveLock(first, save(), error), LockOutcome::held);
    const size_t before = filesIn(dir.path);
    SaveData b;
    SaveStatus status = openLockedSave(b, second, save(), kNow);
    EXPECT_FALSE(status.writable);
    EXPECT_EQ(filesIn(dir.path), before) << "no copy, no file of any kind";
    EXPECT_EQ(b.playerName, "ann");
}

TEST_F(TwoGames, WithoutAFolderStartUpMakesNoneAndTheFirstWriteTakesTheLock)
{
    const std::string path = dir / "Vantor/game.save";
    SaveData s;
    SaveStatus status = openLockedSave(s, first, path, kNow);
    EXPECT_TRUE(status.writable);
    EXPECT_NE(access((dir / "Vantor").c_str(), F_OK), 0);
    EXPECT_EQ(first.fd, -1);

    // Another game got there first: this one's runs stay in memory.
    std::string error;
    ASSERT_TRUE(makeDirectories(dir / "Vantor"));
    ASSERT_EQ(takeSaveLock(second, path, error), LockOutcome::held);
    EXPECT_FALSE(lockForWriting(first, path, status));
    EXPECT_FALSE(status.writable);
    releaseSaveLock(second);
    std::system(("rm -rf '" + dir / "Vantor" + "'").c_str());

    SaveStatus fresh;
    EXPECT_TRUE(lockForWriting(first, path, fresh));
    EXPECT_GE(first.fd, 0);
    EXPECT_TRUE(storeSaveFile(oneRun("cy"), path, fresh));
}
