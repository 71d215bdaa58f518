// The game's side of the ghost shelf: what it keeps beside the save, and
// that a game without the save's lock keeps nothing there.
#include <sys/stat.h>

#include "assets/regular_file.h"
#include "save/rival_choice.h"
#include "save/runs.h"
#include "save_test_util.h"
#include "shell/paths.h"
#include "shell/shelf_files.h"

namespace {

struct ShelfFiles : ::testing::Test {
    GameSandbox sandbox{VANTOR_REFERENCE_DIR};
    Sha256Digest hash{};

    void SetUp() override
    {
        game = Game();
        game.save.trackName = "refa";
        ASSERT_TRUE(readTrackRoad(game.track, dataDir, "refa"));
        ASSERT_TRUE(hashTrackFile(dataDir, "refa", hash));
        ASSERT_TRUE(makeDirectories(ghostFolder()));
        // The best run under another name, without its date or start state.
        GhostFile g = referenceGhost();
        g.playerName = "friend";
        g.date = 0;
        g.startState = {};
        ASSERT_TRUE(writeGhostFile(ghostFolder() + "/friend.vghost", g));
        writeFileBytes(ghostFolder() + "/junk.vghost", {1, 2, 3});
    }
    void TearDown() override
    {
        releaseSaveLock(game.saveLock);
        game = Game();
    }

    // The menu frames until nothing is pending.
    int judgeAll()
    {
        beginShelf(game.ghosts, ghostFolder(), "refa", hash, true);
        int frames = 0;
        while (stepGhostChecks(game) && frames < 100)
            ++frames;
        return frames;
    }
    bool exists(const std::string& path)
    {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }
};

}  // namespace

TEST_F(ShelfFiles, TheVerdictsAndTheRivalAreKeptForTheNextStart)
{
    std::string error;
    ASSERT_EQ(takeSaveLock(game.saveLock, savePath(), error), LockOutcome::held);
    EXPECT_EQ(judgeAll(), 1) << "two files: both read and the true one replayed in one frame";
    ASSERT_EQ(game.ghosts.offered.size(), 1u);
    FileRead kept = readRegularFile(ghostChecksPath(), maxGhostChecksBytes);
    ASSERT_EQ(kept.status, FileStatus::ok);
    EXPECT_EQ(decodeGhostChecks(asText(kept)).size(), 2u);
    cycleRival(game.ghosts);
    keepRivalChoice(game);
    FileRead rivals = readRegularFile(rivalChoicePath(), maxRivalChoiceBytes);
    EXPECT_EQ(asText(rivals), "refa\tfriend.vghost\n");

    // The next start replays nothing and races the same rival.
    releaseSaveLock(game.saveLock);
    game = Game();
    ASSERT_TRUE(readTrackRoad(game.track, dataDir, "refa"));
    loadShelfMemory(game);
    beginShelf(game.ghosts, ghostFolder(), "refa", hash, true);
    ShelfWork work = stepShelf(game.ghosts, game.track, nullptr, ShelfBudget());
    EXPECT_EQ(work.replays, 0u);
    ASSERT_NE(rivalEntry(game.ghosts), nullptr);
    EXPECT_EQ(rivalEntry(game.ghosts)->ghost.playerName, "friend");
}

TEST_F(ShelfFiles, AGameWithoutTheLockOrWithAnUnwritableSaveKeepsNothing)
{
    SaveLock other;
    std::string error;
    ASSERT_EQ(takeSaveLock(other, savePath(), error), LockOutcome::held);
    EXPECT_EQ(takeSaveLock(game.saveLock, savePath(), error), LockOutcome::busy);
    judgeAll();
    EXPECT_EQ(game.ghosts.offered.size(), 1u) << "the second game still races against the files";
    cycleRival(game.ghosts);
    keepRivalChoice(game);
    EXPECT_FALSE(exists(ghostChecksPath()));
    EXPECT_FALSE(exists(rivalChoicePath()));
    releaseSaveLock(other);

    // Holding the lock but told not to write (an unreadable save).
    ASSERT_EQ(takeSaveLock(game.saveLock, savePath(), error), LockOutcome::held);
    game.saveStatus.writable = false;
    game.ghosts = GhostShelf();
    judgeAll();
    keepRivalChoice(game);
    EXPECT_FALSE(exists(ghostChecksPath()));
    EXPECT_FALSE(exists(rivalChoicePath()));
}

TEST_F(ShelfFiles, WhatIsNotARegularFileInTheirPlaceIsLeftAlone)
{
    std::string error;
    ASSERT_EQ(takeSaveLock(game.saveLock, savePath(), error), LockOutcome::held);
    ASSERT_EQ(mkfifo(ghostChecksPath().c_str(), 0600), 0);
    ASSERT_EQ(mkdir(rivalChoicePath().c_str(), 0700), 0);
    loadShelfMemory(game);
    judgeAll();
    cycleRival(game.ghosts);
    keepRivalChoice(game);
    struct stat st;
    ASSERT_EQ(lstat(ghostChecksPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat(rivalChoicePath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}
