// The save file survives a crash at any moment of a write: a child process
// rewrites it in a loop and is killed with SIGKILL at random moments; every
// time, the file on disk must be one complete version, never a mixture.

#include <csignal>
#include <random>
#include <sys/wait.h>

#include "save_test_util.h"

namespace {

SaveData version(int variant, size_t tracks, size_t ticks)
{
    SaveData s;
    s.playerName = variant ? "second" : "first";
    s.trackName = variant ? "04" : "01";
    for (size_t i = 0; i < tracks; ++i) {
        std::string name = "0" + std::to_string(i);
        s.records[name] = finishedRecord(name, static_cast<int32_t>(i + 10 * variant), 3 + i, ticks + 997 * i);
    }
    return s;
}

bool writeInProgress(const std::string& dir)
{
    return !folderEntries(dir, "game.save.tmp").empty();
}

// Removes the temporary files a killed writer left behind; returns their number.
int removeLeftovers(const std::string& dir)
{
    const std::vector<std::string> names = folderEntries(dir, "game.save.tmp");
    for (const std::string& name : names)
        unlink((dir + "/" + name).c_str());
    return int(names.size());
}

}  // namespace

TEST(SaveFileCrashSafety, AKilledWriterLeavesOneCompleteVersion)
{
    TempDir dir;
    std::string path = dir / "Vantor/game.save";
    // Different sizes, so that a torn write could not pass for either one.
    SaveData a = version(0, 4, 9000);
    SaveData b = version(1, 6, 7000);
    std::vector<uint8_t> bytesA = encodeSaveData(a);
    std::vector<uint8_t> bytesB = encodeSaveData(b);

    std::mt19937 rng(424242);
    const int kills = 80;
    int sawA = 0, sawB = 0, midWrite = 0;
    for (int k = 0; k < kills; ++k) {
        ASSERT_TRUE(writeSaveFile(a, path));
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            char go = 1;
            if (write(ready[1], &go, 1) != 1)
                _exit(3);
            for (;;) {
                writeSaveFile(b, path);
                writeSaveFile(a, path);
            }
        }
        close(ready[1]);
        char go = 0;
        ASSERT_EQ(read(ready[0], &go, 1), 1);
        close(ready[0]);
        if (k % 2 == 0) {
            // Anywhere from before the first write to several writes in.
            usleep(static_cast<useconds_t>(rng() % 30000));
        } else {
            // Shortly after a temporary file appears, whatever the speed of
            // the build: inside the write, the flush or the rename.
            for (int poll = 0; poll < 100000 && !writeInProgress(dir / "Vantor"); ++poll)
                usleep(20);
            usleep(static_cast<useconds_t>(rng() % 3000));
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        std::vector<uint8_t> onDisk = readFileBytes(path);
        bool isA = onDisk == bytesA, isB = onDisk == bytesB;
        ASSERT_TRUE(isA || isB) << "kill " << k << " left " << onDisk.size() << " bytes";
        SaveData loaded;
        ASSERT_TRUE(loadSaveFile(loaded, path)) << "kill " << k;
        expectSameSave(loaded, isA ? a : b);
        sawA += isA;
        sawB += isB;
        midWrite += removeLeftovers(dir / "Vantor") > 0;
    }
    std::printf("%d kills: %d left the old version, %d the new one, %d landed inside a write\n", kills, sawA, sawB,
                midWrite);
    // Proof that the kills met writes in progress, not only idle moments.
    EXPECT_GT(midWrite, 0);
}
