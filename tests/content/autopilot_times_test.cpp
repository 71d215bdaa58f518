// The autopilot's races over every track of the generated content: vantor-sim
// bot finishes each within its bronze time, the times in each "times.txt" are
// in order and leave gold within reach, and a race stepped tick by tick
// through the race session retraces the headless replay and reports what
// the trace shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "content/generated_content.h"
#include "design/track_catalogue.h"
#include "shell/game.h"
#include "shell/flow.h"
#include "shell/main_loop.h"
#include "sim/autopilot.h"
#include "sim/race_session.h"
#include "sim/replay.h"
#include "sim/splits.h"
#include "track/track_file.h"

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

// One tick as replayRace's trace shows it, with the lap counter under the
// ship right after it.
struct TracedTick {
    int64_t tick = 0;
    bool countdown = false;
    ShipState state;
    int32_t lap = 0;
};

std::vector<TracedTick> replayTrace(Track& track, const std::vector<ControlInput>& controls, ReplayResult& result)
{
    std::vector<TracedTick> trace;
    ReplaySetup setup;
    setup.controls = controls;
    result = replayRace(track, setup, [&](int64_t tick, bool countdown, const ShipState& state) {
        const bool onRoad = state.segment >= 0 && size_t(state.segment) < track.segments.size();
        trace.push_back(TracedTick{tick, countdown, state, onRoad ? track.segments[size_t(state.segment)].lap : 0});
    });
    return trace;
}

bool sameState(const ShipState& a, const ShipState& b) { return std::memcmp(&a, &b, sizeof(ShipState)) == 0; }

// Steps a race with these records through stepRace, a ghost replaying the
// same records beside the player, and checks every tick against the replay's
// trace: the same ship bit for bit, and reports that agree with it. Returns
// the number of ticks on which the lap under the ship changed.
int expectSessionRetracesTheReplay(Track& track, const std::vector<ControlInput>& controls)
{
    ReplayResult replayed;
    const std::vector<TracedTick> trace = replayTrace(track, controls, replayed);

    ShipState player, ghost;
    RaceSession session;
    beginRace(session, track, player, &ghost, defaultGravity);
    session.ghostRun = &controls;
    EXPECT_TRUE(sameState(player, replayed.startState));

    int lapChanges = 0;
    size_t i = 0;
    while (session.on && (inCountdown(session) || size_t(session.raceTicks) < controls.size())) {
        const ControlInput* record = inCountdown(session) ? nullptr : &controls[size_t(session.raceTicks)];
        const TickReport report = stepRace(session, record);
        if (i >= trace.size()) {
            ADD_FAILURE() << "the session runs past the replay's " << trace.size() << " ticks";
            return lapChanges;
        }
        const TracedTick& now = trace[i];
        const TracedTick* before = i > 0 ? &trace[i - 1] : nullptr;
        SCOPED_TRACE("tick " + std::to_string(now.tick));

        EXPECT_EQ(report.tick, now.tick);
        EXPECT_EQ(report.countdown, now.countdown);
        EXPECT_EQ(report.raceTick, now.countdown ? 0 : now.tick - countdownTicks);
        if (!sameState(player, now.state)) {
            ADD_FAILURE() << "the player leaves the replay's trace";
            return lapChanges;
        }
        // Segment entered and lap: after the tick as the trace shows it, and
        // before it as the previous tick left it (-1 and 0 before the first).
        EXPECT_EQ(report.segment, now.state.segment);
        EXPECT_EQ(report.previousSegment, before ? before->state.segment : -1);
        EXPECT_EQ(report.lap, now.lap);
        EXPECT_EQ(report.previousLap, before ? before->lap : 0);
        if (report.lap != report.previousLap) {
            ++lapChanges;
            EXPECT_EQ(report.lap, report.previousLap + 1);
        }
        // The finish is the first tick with lap 3 under the ship; leaving the
        // road is trackU outside [0, 1] on a tick that did not finish.
        EXPECT_EQ(report.finished, now.lap >= 3);
        const bool off = now.state.trackU < 0.0 || now.state.trackU > 1.0;
        EXPECT_EQ(report.leftRoad, off && !report.finished);
        const bool last = i + 1 == trace.size();
        EXPECT_EQ(report.finished || report.leftRoad, last);

        // The ghost replays the same records, so it shadows the player, except
        // on the tick that ends the race: it is stepped only while it is on.
        if (report.finished || report.leftRoad)
            EXPECT_TRUE(before && sameState(ghost, before->state)) << "the ghost stepped after the end";
        else
            EXPECT_TRUE(sameState(ghost, player)) << "the ghost left the player's path";
        ++i;
    }
    EXPECT_EQ(i, trace.size());
    EXPECT_EQ(session.outcome, replayed.outcome);
    EXPECT_EQ(session.raceTicks, replayed.raceTicks);
    EXPECT_TRUE(sameState(player, replayed.finalState));
    return lapChanges;
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

        int status = -1;
        const std::string line = runBuilt("vantor-sim", "bot --data '" + data + "' --track " + name, status);
        ASSERT_EQ(status, 0);
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
    game = Game();
    game.save.trackName = "00";
    ASSERT_TRUE(readTrackRoad(game.track, data, "00"));

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
    int status = -1;
    const std::string printed =
        runBuilt("vantor-sim", "race --data '" + data + "' --track 00 --splits --controls '" + controls + "'", status);
    ASSERT_EQ(status, 0);

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
}

TEST(RaceSession, SteppedTickByTickRetracesTheReplayOnEveryTrackWithTheAutopilotsRecords)
{
    const std::string& data = generatedContent();
    ASSERT_FALSE(data.empty()) << "vantor-content failed";
    for (const std::string& name : trackOrder()) {
        SCOPED_TRACE(name);
        Track track;
        ASSERT_TRUE(readTrackRoad(track, data, name));
        const AutopilotRun bot = driveWithAutopilot(track, AutopilotSettings{}, 30000);
        ASSERT_EQ(bot.result.outcome, RaceOutcome::finish);
        // Laps 0, 1, 2 and the finish at 3 under the ship.
        EXPECT_EQ(expectSessionRetracesTheReplay(track, bot.controls), 3);
    }
}

TEST(RaceSession, SteppedRaceThatLeavesTheRoadEndsOnTheSameTickAsTheReplay)
{
    const std::string& data = generatedContent();
    ASSERT_FALSE(data.empty()) << "vantor-content failed";
    Track track;
    ASSERT_TRUE(readTrackRoad(track, data, trackOrder().front()));
    // The autopilot's start, then full throttle into a hard left turn.
    std::vector<ControlInput> controls = driveWithAutopilot(track, AutopilotSettings{}, 1500).controls;
    ASSERT_EQ(controls.size(), 1500u);
    controls.resize(6000, ControlInput{3.0f, 0.0f, 1.0f});
    ReplayResult replayed;
    replayTrace(track, controls, replayed);
    ASSERT_EQ(replayed.outcome, RaceOutcome::offroad) << outcomeLine(replayed);
    ASSERT_GT(replayed.raceTicks, 1500);
    expectSessionRetracesTheReplay(track, controls);
}
