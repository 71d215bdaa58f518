#pragma once
// Test-only: the global game reset, with its per-user files (APPDATA) in a
// fresh temporary folder of the test's own that goes with the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/game.h"
#include "test_files.h"

class UserFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = makeTempDir("user");
        ASSERT_FALSE(folder.empty());
        setenv("APPDATA", folder.c_str(), 1);
        game = Game();
    }
    void TearDown() override
    {
        unsetenv("APPDATA");
        game = Game();
        std::filesystem::remove_all(folder);
    }
    std::string folder;
};
