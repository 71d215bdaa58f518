#include <gtest/gtest.h>

#include "shell/window.h"

TEST(Window, OnlyDriversWithOpenGLCountAsAWindow)
{
    const struct {
        const char* driver;
        bool gl;
    } cases[] = {
        {"x11", true},   {"windib", true}, {"directx", true}, {"Quartz", true}, {"photon", true},
        {"caca", false}, {"aalib", false}, {"fbcon", false},  {"dummy", false}, {"directfb", false},
        {"", false},     {"X11", false},   {"x11 ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(videoDriverOffersOpenGL(c.driver), c.gl) << "'" << c.driver << "'";
}

TEST(Window, SDLFallsBackOnlyWhenNeitherADisplayNorADriverIsNamed)
{
    const struct {
        const char* display;
        const char* driver;
        bool missing;
    } cases[] = {
        {nullptr, nullptr, true}, {"", nullptr, true}, {"", "", true},        {nullptr, "", true},
        {":0", nullptr, false},   {":0", "", false},   {nullptr, "x11", false}, {"", "dummy", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayMissing(c.display, c.driver), c.missing)
            << (c.display ? c.display : "null") << " / " << (c.driver ? c.driver : "null");
}
