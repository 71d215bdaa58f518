// The little-endian reader and writer and the atomic writer every file format uses.
#include "assets/atomic_file.h"
#include "assets/binary_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "assets/regular_file.h"
#include "test_files.h"

namespace {

class FileLayer : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        dir = makeTempDir("filelayer");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string contents(const std::string& path) { return asText(readRegularFile(dir + "/" + path, 1 << 20)); }

    std::vector<std::string> entries()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace

TEST(BinaryIo, NumbersGoOutLittleEndianAndComeBackTheSame)
{
    std::vector<uint8_t> out;
    putU16(out, 0xbeef);
    putU32(out, 0x01020304u);
    putI32(out, -2);
    putU64(out, 0x1122334455667788ull);
    putF32(out, -1.5f);
    putBytes(out, "ab", 2);
    const std::vector<uint8_t> expected = {0xef, 0xbe, 4, 3, 2, 1, 0xfe, 0xff, 0xff, 0xff, 0x88, 0x77, 0x66,
                                           0x55, 0x44, 0x33, 0x22, 0x11, 0, 0, 0xc0, 0xbf, 'a', 'b'};
    EXPECT_EQ(out, expected);

    ByteReader in = byteReader(out);
    uint16_t a = 0;
    uint32_t b = 0;
    int32_t c = 0;
    uint64_t d = 0;
    float e = 0;
    char f[2] = {};
    ASSERT_TRUE(readU16(in, a) && readU32(in, b) && readI32(in, c) && readU64(in, d) && readF32(in, e) &&
                readBytes(in, f, 2));
    EXPECT_EQ(a, 0xbeef);
    EXPECT_EQ(b, 0x01020304u);
    EXPECT_EQ(c, -2);
    EXPECT_EQ(d, 0x1122334455667788ull);
    EXPECT_EQ(e, -1.5f);
    EXPECT_EQ(std::string(f, 2), "ab");
    EXPECT_EQ(in.left, 0u);
}

TEST(BinaryIo, AReadPastTheEndFailsAndLeavesTheCursor)
{
    const std::vector<uint8_t> three = {1, 2, 3};
    // Each read wants more than the three bytes there.
    const std::vector<std::function<bool(ByteReader&)>> reads = {
        [](ByteReader& in) { uint32_t v; return readU32(in, v); },
        [](ByteReader& in) { int32_t v; return readI32(in, v); },
        [](ByteReader& in) { uint64_t v; return readU64(in, v); },
        [](ByteReader& in) { float v; return readF32(in, v); },
        [](ByteReader& in) { uint8_t v[4]; return readBytes(in, v, 4); },
        [](ByteReader& in) { const uint8_t* p; return takeBytes(in, 4, p); },
    };
    for (size_t i = 0; i < reads.size(); ++i) {
        ByteReader in = byteReader(three);
        EXPECT_FALSE(reads[i](in)) << i;
        EXPECT_EQ(in.left, 3u) << i;
        EXPECT_EQ(in.at, three.data()) << i;
    }
    ByteReader empty = byteReader(nullptr, 5);
    uint16_t v;
    EXPECT_FALSE(readU16(empty, v)) << "no bytes behind a null pointer";
}

TEST(BinaryIo, ACountIsCheckedAgainstTheBytesLeftWithoutOverflow)
{
    std::vector<uint8_t> twelve(12);
    ByteReader in = byteReader(twelve);
    EXPECT_TRUE(fitsItems(in, 1, 12));
    EXPECT_TRUE(fitsItems(in, 3, 4));
    EXPECT_FALSE(fitsItems(in, 2, 12));
    EXPECT_FALSE(fitsItems(in, SIZE_MAX, 12)) << "a huge count never wraps to a small size";
    EXPECT_FALSE(fitsItems(in, SIZE_MAX / 2 + 1, 2));
}

TEST_F(FileLayer, WritesCreateNoFolderUnlessAsked)
{
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir + "/no/such/x", bytesOf("x"), &error));
    EXPECT_EQ(error, "no folder " + dir + "/no/such");
    EXPECT_FALSE(std::filesystem::exists(dir + "/no"));
    AtomicWrite how;
    how.createFolders = true;
    ASSERT_TRUE(writeFileAtomically(dir + "/made/here/x", bytesOf("x"), &error, how)) << error;
    EXPECT_EQ(contents("made/here/x"), "x");
}

// Whatever stands at the path and is not a regular file of ours stays as it is.
TEST_F(FileLayer, AnythingButARegularFileIsRefusedAndLeftAsItIs)
{
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/full", (dir + "/device").c_str()), 0);
    ASSERT_EQ(symlink((dir + "/fifo").c_str(), (dir + "/tofifo").c_str()), 0);
    ASSERT_EQ(symlink((dir + "/nothing").c_str(), (dir + "/dangling").c_str()), 0);
    ASSERT_EQ(mkdir((dir + "/folder").c_str(), 0700), 0);
    struct Case {
        const char* name;
        const char* reason;
    };
    const Case cases[] = {{"fifo", "not a regular file"},
                          {"device", "a link to something that is not a regular file"},
                          {"tofifo", "a link to something that is not a regular file"},
                          {"dangling", "a link to nothing"},
                          {"folder", "not a regular file"}};
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        struct stat before;
        ASSERT_EQ(lstat(path.c_str(), &before), 0);
        std::string error;
        EXPECT_FALSE(writeFileAtomically(path, bytesOf("new"), &error)) << c.name;
        EXPECT_EQ(error, path + " is " + c.reason);
        error.clear();
        EXPECT_EQ(openOutputFile(path, error), -1) << c.name;
        EXPECT_EQ(error, path + " is " + c.reason);
        struct stat after;
        ASSERT_EQ(lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << c.name;
        EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/nothing"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"dangling", "device", "fifo", "folder", "tofifo"}));
}

TEST_F(FileLayer, ALinkIsWrittenThroughToItsTargetInTheTargetsFolder)
{
    ASSERT_EQ(mkdir((dir + "/real").c_str(), 0700), 0);
    writeText(dir + "/real/file", "old");
    ASSERT_EQ(symlink("real/file", (dir + "/link").c_str()), 0);
    std::string error;
    ASSERT_TRUE(writeFileAtomically(dir + "/link", bytesOf("new"), &error)) << error;
    struct stat st;
    ASSERT_EQ(lstat((dir + "/link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    EXPECT_EQ(contents("real/file"), "new");
    EXPECT_EQ(entries(), (std::vector<std::string>{"link", "real"}));

    int fd = openOutputFile(dir + "/link", error);
    ASSERT_GE(fd, 0) << error;
    ASSERT_EQ(write(fd, "streamed", 8), 8);
    close(fd);
    EXPECT_EQ(contents("real/file"), "streamed");
    EXPECT_TRUE(sameFile(dir + "/link", dir + "/real/file"));
    EXPECT_FALSE(sameFile(dir + "/link", dir + "/real"));
    EXPECT_FALSE(sameFile(dir + "/none", dir + "/none"));
}

TEST_F(FileLayer, ASuccessfulWriteRemovesItsOwnStaleTemporaryFilesOnly)
{
    // Left by killed writes long ago, by one that may still be running, and
    // files of other names.
    const std::vector<std::string> stale = {"game.save.tmp-AAAAAA", "game.save.tmp-b1c2d3"};
    const std::vector<std::string> kept = {"game.save.tmp-fresh1",  "game.save.tmp-toolong1", "game.save.tmp-short",
                                           "game.save.tmp-a1.2c3",  "other.tmp-AAAAAA",       "xgame.save.tmp-AAAAAA",
                                           "game.save.damaged-20260101-000000"};
    for (const std::string& name : stale) {
        writeText(dir + "/" + name, "half");
        struct timeval old[2] = {{1000, 0}, {1000, 0}};
        ASSERT_EQ(utimes((dir + "/" + name).c_str(), old), 0);
    }
    for (const std::string& name : kept) {
        writeText(dir + "/" + name, "keep");
        if (name.rfind("game.save.tmp-fresh", 0) != 0) {
            struct timeval old[2] = {{1000, 0}, {1000, 0}};
            ASSERT_EQ(utimes((dir + "/" + name).c_str(), old), 0);
        }
    }
    std::string error;
    ASSERT_TRUE(writeFileAtomically(dir + "/game.save", bytesOf("whole"), &error)) << error;
    std::vector<std::string> expected = kept;
    expected.push_back("game.save");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(contents("game.save"), "whole");
}

TEST_F(FileLayer, AStreamedOutputNeverWaitsOnAFifoAndTruncatesOnlyAFile)
{
    writeText(dir + "/old", "a long old text");
    std::string error;
    int fd = openOutputFile(dir + "/old", error);
    ASSERT_GE(fd, 0) << error;
    EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "blocking again once open";
    ASSERT_EQ(write(fd, "new", 3), 3);
    close(fd);
    EXPECT_EQ(contents("old"), "new");

    EXPECT_EQ(openOutputFile(dir + "/no/such/file", error), -1);
    EXPECT_NE(error.find("no such file"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir + "/no"));
}
