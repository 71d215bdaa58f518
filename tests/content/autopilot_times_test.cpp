// The medal times against the autopilot: vantor-sim bot drives every track
// of the generated content to the finish, within its bronze time, and the
// times in each "times.txt" are in order and leave gold within reach.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "content/generated_content.h"
#include "content/track_design.h"

TEST(AutopilotTimes, TheBotFinishesEveryTrackWithinBronze)
{
    const std::string& data = generatedContent();
    ASSERT_FALSE(data.empty()) << "vantor-content failed";
    for (const std::string& name : trackOrder()) {
        SCOPED_TRACE(name);
        std::ifstream in(data + "/tracks/" + name + "/times.txt");
        double gold = 0, silver = 0, bronze = 0;
        ASSERT_TRUE(in >> gold >> silver >> bronze);
        EXPECT_LT(gold, silver);
        EXPECT_LT(silver, bronze);

        std::string out = data + "/../bot_" + name + ".txt";
        std::string cmd = "'" + std::string(VANTOR_BUILD_DIR) + "/vantor-sim' bot --data '" + data + "' --track " +
                          name + " >'" + out + "'";
        int status = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::string line = readWholeFile(out);
        long long ticks = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "finish %lld", &ticks), 1) << line;
        double seconds = ticks * 0.01;
        EXPECT_LE(seconds, bronze);
        // Gold asks for a drive as good as the bot's, not better than it can be.
        EXPECT_GE(gold, seconds);
        EXPECT_LE(gold, seconds * 1.06 + 1.0);
        // The race is between forty seconds and two and a half minutes.
        EXPECT_GT(seconds, 40.0);
        EXPECT_LT(seconds, 150.0);
    }
}
