// What the HUD and the window take from figures that may be anything: a
// replayed run's speed, a configured window size.
#include <gtest/gtest.h>

#include <limits>

#include "gui/gui_setup.h"
#include "gui/shown_figures.h"

TEST(ShownSpeed, IsWholeMilesAnHourHeldToTheCaption)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double metresPerSecond;
        int mph;
    };
    const Case cases[] = {{0.0, 0},       {-3.0, 0},         {nan, 0},          {-nan, 0},
                          {1.0, 2},       {44.71, 100},      {500.0, 1118},     {44705.0, 99999},
                          {1e6, 99999},   {inf, maxShownMph}, {-inf, 0},         {1e300, 99999}};
    for (const Case& c : cases)
        EXPECT_EQ(shownMph(c.metresPerSecond), c.mph) << c.metresPerSecond;
}

TEST(WindowSize, ALargerSizeIsHeldToTheDisplayAndSaidSo)
{
    struct Case {
        int width, height, displayWidth, displayHeight;
        int openWidth, openHeight;
        bool clamped;
    };
    const Case cases[] = {
        {800, 600, 1280, 1024, 800, 600, false},
        {1280, 1024, 1280, 1024, 1280, 1024, false},
        {4000, 3000, 1280, 1024, 1280, 1024, true},
        {100000, 100000, 1024, 768, 1024, 768, true},
        {2000, 600, 1280, 1024, 1280, 600, true},
        {800, 2000, 1280, 1024, 800, 1024, true},
        // 0 and below stand for the display's size.
        {0, 0, 1280, 1024, 0, 0, false},
        {-640, -480, 1280, 1024, 0, 0, false},
        // An unknown display size holds nothing.
        {4000, 3000, 0, 0, 4000, 3000, false},
    };
    for (const Case& c : cases) {
        const WindowFit fit = fitWindowToDisplay(c.width, c.height, c.displayWidth, c.displayHeight);
        EXPECT_EQ(fit.width, c.openWidth) << c.width << "x" << c.height;
        EXPECT_EQ(fit.height, c.openHeight) << c.width << "x" << c.height;
        EXPECT_EQ(fit.clamped, c.clamped) << c.width << "x" << c.height;
    }
}
