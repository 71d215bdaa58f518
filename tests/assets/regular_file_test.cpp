#include "assets/regular_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_files.h"

namespace {

class RegularFile : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        dir = makeTempDir("regular");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(RegularFile, ReadsUpToItsBoundAndNotAByteMore)
{
    writeText(dir + "/ten", "0123456789");
    FileRead read = readRegularFile(dir + "/ten", 10);
    EXPECT_EQ(read.status, FileStatus::ok);
    EXPECT_EQ(asText(read), "0123456789");
    EXPECT_TRUE(regularFileWithin(dir + "/ten", 10));

    read = readRegularFile(dir + "/ten", 9);
    EXPECT_EQ(read.status, FileStatus::tooLarge);
    EXPECT_TRUE(read.bytes.empty());
    EXPECT_FALSE(regularFileWithin(dir + "/ten", 9));
    EXPECT_EQ(describeFileRead(read), "file too large");

    writeText(dir + "/empty", "");
    EXPECT_EQ(readRegularFile(dir + "/empty", 0).status, FileStatus::ok);
}

TEST_F(RegularFile, MissingIsToldApartFromUnreadable)
{
    for (const std::string& path : {dir + "/none", dir + "/none/deeper", std::string()})
        EXPECT_EQ(readRegularFile(path, 100).status, FileStatus::missing) << path;
    writeText(dir + "/file", "x");
    // A path through a regular file is as missing as a missing folder.
    EXPECT_EQ(readRegularFile(dir + "/file/below", 100).status, FileStatus::missing);
    if (geteuid() != 0) {
        chmod((dir + "/file").c_str(), 0);
        FileRead read = readRegularFile(dir + "/file", 100);
        EXPECT_EQ(read.status, FileStatus::failed);
        EXPECT_EQ(describeFileRead(read), "permission denied");
        EXPECT_FALSE(regularFileWithin(dir + "/file", 100));
    }
}

TEST_F(RegularFile, AFifoADeviceOrAFolderIsRefusedWithoutBlocking)
{
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    // A FIFO that a writer holds open, with bytes waiting, is refused as well.
    ASSERT_EQ(mkfifo((dir + "/fed").c_str(), 0600), 0);
    int reader = open((dir + "/fed").c_str(), O_RDONLY | O_NONBLOCK);
    int writer = open((dir + "/fed").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "1 2 3", 5), 5);
    for (const std::string& path : {dir + "/fifo", dir + "/fed", std::string("/dev/zero"), dir}) {
        FileRead read = readRegularFile(path, 1u << 30);
        EXPECT_EQ(read.status, FileStatus::notRegular) << path;
        EXPECT_TRUE(read.bytes.empty()) << path;
        EXPECT_EQ(describeFileRead(read), "not a regular file");
        EXPECT_FALSE(regularFileWithin(path, 1u << 30)) << path;
    }
    close(writer);
    close(reader);
}
