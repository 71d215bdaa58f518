#include <gtest/gtest.h>

#include <cmath>

#include "sim/time_text.h"

TEST(TimeText, TicksShowAsExactMinutesSecondsAndHundredths)
{
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0:00.00"},     {57, "0:00.57"},     {5999, "0:59.99"},   {6000, "1:00.00"},
        {8599, "1:25.99"},  {12345, "2:03.45"},  {360000, "60:00.00"}, {-1, "0:00.00"},
    };
    for (auto [ticks, text] : cases)
        EXPECT_EQ(formatTicks(ticks), text) << ticks;
    // Multiplying by the tick length fell just under the hundredth for about a
    // third of all counts; whole ticks never do.
    for (int64_t t = 0; t < 20000; ++t)
        ASSERT_EQ(formatTicks(t).substr(formatTicks(t).size() - 2), (t % 100 < 10 ? "0" : "") + std::to_string(t % 100))
            << t;
}

TEST(TimeText, DeltasCarryTheirSign)
{
    EXPECT_EQ(formatDelta(-42), "-0.42");
    EXPECT_EQ(formatDelta(110), "+1.10");
    EXPECT_EQ(formatDelta(0), "+0.00");
    EXPECT_EQ(formatDelta(-6001), "-60.01");
}

TEST(TimeText, TicksWithinATargetFollowTheMedalRule)
{
    // The largest count b with b <= seconds / step, as medals are judged.
    EXPECT_EQ(ticksWithin(92.0, 0.01), 9200);
    EXPECT_EQ(ticksWithin(60.5, 0.01), 6050);
    EXPECT_EQ(ticksWithin(0.29, 0.01), 28) << "0.29 / 0.01 lies just under 29";
    EXPECT_EQ(ticksWithin(-3.0, 0.01), 0);
    EXPECT_EQ(ticksWithin(std::nan(""), 0.01), 0);
    EXPECT_EQ(ticksWithin(1e300, 0.01), 8640000);
    for (int s = 1; s < 1000; ++s) {
        int64_t b = ticksWithin(s, 0.01);
        ASSERT_TRUE(b <= s / 0.01 && b + 1 > s / 0.01) << s;
    }
}
