// The play and test commands run in a copy of the repository's scripts with
// every program they call (cmake, dpkg-query, apt-get, the built game...)
// replaced by a stand-in that logs its arguments: what each command would
// install, build and start, without installing or building anything.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game_process.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

const char* const playPackages[] = {"build-essential", "cmake", "libsdl1.2-dev", "libguichan-dev",
                                    "libfreeimageplus-dev", "libgtest-dev", "fonts-dejavu-core"};
const char* const testOnlyPackages[] = {"xvfb", "xdotool", "imagemagick", "clang", "valgrind", "dpkg-dev"};

class Scripts : public ::testing::Test {
protected:
    std::string root, log;

    void SetUp() override
    {
        root = makeTempDir("scripts");
        ASSERT_FALSE(root.empty());
        log = root + "/log";
        fs::create_directories(root + "/repo");
        fs::copy(std::string(VANTOR_SOURCE_DIR) + "/scripts", root + "/repo/scripts");
        // Logs "NAME ARGS..." and succeeds. dpkg-query says "installed" for
        // every package but those named in MISSING.
        const std::string logger = "#!/bin/sh\necho \"$(basename \"$0\") $*\" >> '" + log + "'\n";
        for (const char* name : {"cmake", "apt-get", "sudo", "xvfb-run", "ctest"})
            tool("bin/" + std::string(name), logger + (std::string(name) == "sudo" ? "exec \"$@\"\n" : ""));
        tool("bin/dpkg-query", logger +
                                   "for p in $MISSING; do [ \"$p\" = \"$3\" ] && { echo 'install ok not-installed'; "
                                   "exit 0; }; done\necho 'install ok installed'\n");
        tool("bin/nproc", "#!/bin/sh\necho 2\n");
        tool("repo/build/vantor", logger);
        tool("repo/build/vantor-content", logger);
    }
    void TearDown() override { fs::remove_all(root); }

    void tool(const std::string& relative, const std::string& text)
    {
        writeText(root + "/" + relative, text);
        fs::permissions(root + "/" + relative, fs::perms::owner_all);
    }

    // The log of one run of the script with the stand-ins first on PATH.
    std::vector<std::string> run(const std::string& script, const std::string& env, int& status)
    {
        runCommand("cd / && env PATH='" + root + "/bin':\"$PATH\" VANTOR_SKIP_FUZZ=1 VANTOR_SKIP_SANITIZE=1 " + env +
                       " '" + root + "/repo/scripts/" + script + "' >/dev/null 2>&1",
                   &status);
        std::ifstream in(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

bool has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool asked(const std::vector<std::string>& lines, const std::string& package)
{
    return has(lines, "dpkg-query -W -f=${Status} " + package);
}

} // namespace

TEST_F(Scripts, PlayBuildsOnlyTheGameAndItsContentThenStartsIt)
{
    int status = -1;
    std::vector<std::string> lines = run("play.sh", "", status);
    EXPECT_EQ(status, 0);
    for (const char* p : playPackages)
        EXPECT_TRUE(asked(lines, p)) << p;
    for (const char* p : testOnlyPackages)
        EXPECT_FALSE(asked(lines, p)) << p;
    const std::vector<std::string> after(std::find_if(lines.begin(), lines.end(),
                                                      [](const std::string& l) { return l.rfind("cmake", 0) == 0; }),
                                         lines.end());
    const std::vector<std::string> expected = {"cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo",
                                               "cmake --build build -j 2 --target vantor vantor-content",
                                               "vantor-content data", "vantor "};
    EXPECT_EQ(after, expected);
    EXPECT_FALSE(has(lines, "apt-get update -qq")) << "nothing was missing";
}

TEST_F(Scripts, TestBuildsEverythingAndRunsASuiteThatMustHoldTests)
{
    int status = -1;
    std::vector<std::string> lines = run("test.sh", "", status);
    EXPECT_EQ(status, 0);
    for (const char* p : testOnlyPackages)
        EXPECT_TRUE(asked(lines, p)) << p;
    EXPECT_TRUE(has(lines, "cmake --build build -j 2"));
    EXPECT_FALSE(has(lines, "vantor ")) << "the tests do not start the game themselves";
    EXPECT_TRUE(has(lines, "xvfb-run -a -s -noreset -screen 0 1280x1024x24 ctest --test-dir build --no-tests=error "
                           "--output-on-failure -j 2"));
}

TEST_F(Scripts, OnlyTheMissingPackagesAreInstalled)
{
    const struct {
        const char* script;
        const char* missing;
        const char* install;
    } cases[] = {
        {"play.sh", "libguichan-dev", "apt-get install -y -qq libguichan-dev"},
        {"play.sh", "cmake valgrind", "apt-get install -y -qq cmake"},
        {"test.sh", "cmake valgrind", "apt-get install -y -qq cmake valgrind"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " missing " + c.missing);
        fs::remove(log);
        int status = -1;
        std::vector<std::string> lines = run(c.script, std::string("MISSING='") + c.missing + "'", status);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(has(lines, c.install));
    }
}
