#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "assets/data_dir.h"
#include "test_files.h"

TEST(ContentFaults, ThePlayMenuLineNamesTheTrackAndTheFault)
{
    struct Case {
        bool road, times;
        const char* line;
    };
    const Case cases[] = {
        {false, true, "track 07 could not be loaded"},
        {false, false, "track 07 could not be loaded"},
        {true, false, "medal times of track 07 could not be read; medals are not judged"},
        {true, true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(contentFaultLine("07", c.road, c.times), c.line) << c.road << c.times;
}

TEST(ContentFaults, AContentFolderThatCannotBeReadIsNamedInOneLine)
{
    std::string root = makeTempDir("content-folder");
    ASSERT_FALSE(root.empty());
    mkdir((root + "/data").c_str(), 0700);
    writeText(root + "/file", "x");
    EXPECT_EQ(contentFolderProblem(root + "/data"), "");
    EXPECT_EQ(contentFolderProblem(root + "/none"), "cannot read the content folder " + root +
                                                        "/none: no such file or directory");
    EXPECT_EQ(contentFolderProblem(root + "/file"), "cannot read the content folder " + root +
                                                        "/file: not a directory");
    // A relative folder is named from the working directory.
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(root.c_str()), 0);
    EXPECT_EQ(contentFolderProblem("none"), "cannot read the content folder " + root + "/none: no such file or directory");
    EXPECT_EQ(contentFolderProblem("data"), "");
    ASSERT_EQ(chdir(cwd), 0);
    std::system(("rm -rf '" + root + "'").c_str());
}
