// The medal times against the autopilot: vantor-sim bot drives every track
// of the generated content to the finish, within its bronze time, and the
// times in each "times.txt" are in order and leave gold within reach.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "assets/data_dir.h"
#include "assets/texture_cache.h"
#include "content/generated_content.h"
#include "content/track_design.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "sim/autopilot.h"
#include "sim/splits.h"
#include "track/track.h"

namespace {

std::vector<ControlInput> playerRecords;

// Stands in for the keyboard: the next record, as pollInput appends it.
void replayedPoll()
{
    size_t n = game.run.controls.size();
    game.run.controls.push_back(n < playerRecords.size() ? playerRecords[n] : ControlInput{});
}

// Ends the race as the game does, without its menus and save file.
void endOnFinishOrLoss(const TickReport& report)
{
    if (report.finished || report.leftRoad)
        game.inRace = false;
}

} // namespace

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

// The splits the game's tick loop notes are the lines vantor-sim prints for
// the same records, and the difference it shows against a faster rival at
// the finish is the difference of the two runs' times.
TEST(ContentSplits, TheGameLoopSplitsAsTheSimulatorPrintsThem)
{
    const std::string& data = generatedContent();
    ASSERT_FALSE(data.empty()) << "vantor-content failed";
    const std::string savedDataDir = dataDir;
    dataDir = data;
    textureCache.headless = true;
    game = Game();
    game.save.trackName = "00";
    loadTrack(game.track, "00");
    ASSERT_FALSE(game.track.segments.empty());

    Track scratch = game.track;
    AutopilotRun fast = driveWithAutopilot(scratch, AutopilotSettings{}, 60000);
    AutopilotSettings timid;
    timid.cornerGrip = 0.5;
    AutopilotRun slow = driveWithAutopilot(scratch, timid, 60000);
    ASSERT_EQ(fast.result.outcome, RaceOutcome::finish);
    ASSERT_EQ(slow.result.outcome, RaceOutcome::finish);
    ASSERT_GT(slow.result.raceTicks, fast.result.raceTicks);

    const std::string controls = data + "/../slow.ctl";
    {
        std::ofstream f(controls, std::ios::binary);
        f.write(reinterpret_cast<const char*>(slow.controls.data()),
                std::streamsize(slow.controls.size() * sizeof(ControlInput)));
    }
    const std::string out = data + "/../splits.txt";
    std::string cmd = "'" + std::string(VANTOR_BUILD_DIR) + "/vantor-sim' race --data '" + data +
                      "' --track 00 --splits --controls '" + controls + "' >'" + out + "'";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string printed = readWholeFile(out);

    recordFor(game.save, "00").ghostRun = fast.controls;
    playerRecords = slow.controls;
    startRaceAt(game, 0.0);
    runDueTicks(game, 1e9, TickCalls{replayedPoll, stepRace, endOnFinishOrLoss});
    ASSERT_EQ(game.race.outcome, RaceOutcome::finish);
    ASSERT_EQ(game.run.controls.size(), size_t(slow.result.raceTicks));

    std::string expected = "finish " + std::to_string(slow.result.raceTicks) + "\n";
    for (const Split& split : game.splits.own.splits)
        expected += "split " + std::to_string(split.lap) + " " + std::to_string(split.segment) + " " +
                    std::to_string(split.raceTick) + "\n";
    EXPECT_EQ(printed, expected);
    EXPECT_GT(game.splits.own.splits.size(), 3 * game.track.segments.size() / 2);
    EXPECT_TRUE(game.splits.haveDelta);
    EXPECT_EQ(game.splits.delta, slow.result.raceTicks - fast.result.raceTicks);
    EXPECT_EQ(game.splits.own.lapEndTicks.back(), slow.result.raceTicks);

    game = Game();
    dataDir = savedDataDir;
}
