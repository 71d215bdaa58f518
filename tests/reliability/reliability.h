#pragma once
// Test-only: the real game in a fresh content folder and per-user folder,
// under its own Xvfb server, for the long-running reliability checks.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "game_process.h"
#include "x_close.h"

#if defined(__SANITIZE_ADDRESS__)
const bool sanitizedBuild = true;
#else
const bool sanitizedBuild = false;
#endif

class GameFolders : public ::testing::Test {
protected:
    std::string root, home;

    void SetUp() override
    {
        root = makeTempDir("reliability");
        ASSERT_FALSE(root.empty());
        home = root + "/home";
        std::filesystem::create_directories(home);
        ASSERT_TRUE(generateContent(root + "/data"));
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::string savePath() const { return home + "/.local/share/Vantor/game.save"; }
};

// The server's socket exists before it takes clients; waits until one can talk to it.
inline bool waitForClients(const XServer& x, int ms)
{
    for (int waited = 0; waited < ms; waited += 200) {
        int status = -1;
        x.x("xwininfo -root", &status);
        if (status == 0)
            return true;
        sleepMs(200);
    }
    return false;
}


inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline int envSeconds(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}
