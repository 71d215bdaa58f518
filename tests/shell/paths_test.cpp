#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>
#include <vector>
#include <sys/stat.h>

#include "shell/paths.h"

namespace fs = std::filesystem;

// Sets or clears the variables the paths depend on for one test.
class Paths : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* v : {"APPDATA", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "HOME"}) {
            const char* old = std::getenv(v);
            saved.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
            unsetenv(v);
        }
    }
    void TearDown() override
    {
        for (auto& [name, value] : saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(Paths, AppDataHoldsBothFiles)
{
    setenv("APPDATA", "/tmp/appdata", 1);
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(configPath(), "/tmp/appdata/Vantor/config.txt");
    EXPECT_EQ(savePath(), "/tmp/appdata/Vantor/game.save");
}

TEST_F(Paths, XdgDirectoriesAreUsedWithoutAppData)
{
    setenv("HOME", "/home/pilot", 1);
    EXPECT_EQ(configPath(), "/home/pilot/.config/Vantor/config.txt");
    EXPECT_EQ(savePath(), "/home/pilot/.local/share/Vantor/game.save");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(configPath(), "/cfg/Vantor/config.txt");
    EXPECT_EQ(saveDirectory(), "/data/Vantor");
    // Relative or empty values count as unset.
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(configPath(), "/home/pilot/.config/Vantor/config.txt");
    EXPECT_EQ(savePath(), "/home/pilot/.local/share/Vantor/game.save");
    // An empty APPDATA must not point at the filesystem root.
    setenv("APPDATA", "", 1);
    EXPECT_EQ(savePath(), "/home/pilot/.local/share/Vantor/game.save");
}

TEST_F(Paths, NoHomeMeansNoPath)
{
    EXPECT_EQ(configPath(), "");
    EXPECT_EQ(savePath(), "");
    EXPECT_FALSE(makeDirectories(""));
}

TEST_F(Paths, MakeDirectoriesCreatesMissingParentsPrivately)
{
    fs::path base = fs::temp_directory_path() / ("vantor-paths-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::path deep = base / "a" / "b" / "Vantor";
    ASSERT_TRUE(makeDirectories(deep.string()));
    EXPECT_TRUE(fs::is_directory(deep));
    struct stat st;
    ASSERT_EQ(stat(deep.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Existing folders are fine; a regular file in the way is not.
    EXPECT_TRUE(makeDirectories(deep.string()));
    std::FILE* f = std::fopen((base / "file").c_str(), "w");
    std::fclose(f);
    EXPECT_FALSE(makeDirectories((base / "file" / "sub").string()));
    fs::remove_all(base);
}
