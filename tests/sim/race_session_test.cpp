// Several ghosts in one race: each steps through the race session exactly as
// its own run replays alone, and none of them moves the player by a bit.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/autopilot.h"
#include "sim/race_session.h"
#include "sim/replay.h"
#include "test_tracks.h"

namespace {

using Trace = std::vector<ShipState>;

// The ship after every tick, countdown included, of a run replayed alone.
Trace replayAlone(Track& track, const std::vector<ControlInput>& run)
{
    Trace trace;
    ReplaySetup setup;
    setup.controls = run;
    replayRace(track, setup, [&](int64_t, bool, const ShipState& s) { trace.push_back(s); });
    return trace;
}

struct SessionTraces {
    Trace player;
    std::vector<Trace> ghosts;
};

// A race of the player's run with these ghost runs, the first as the
// session's ghost and the rest beside it, stepped until the race ends.
SessionTraces raceWithGhosts(Track& track, const std::vector<ControlInput>& playerRun,
                             const std::vector<const std::vector<ControlInput>*>& ghostRuns)
{
    ShipState player;
    std::vector<ShipState> ghosts(ghostRuns.size());
    RaceSession session;
    for (size_t i = 1; i < ghostRuns.size(); ++i)
        session.moreGhosts.push_back(GhostLane{&ghosts[i], ghostRuns[i]});
    beginRace(session, track, player, ghostRuns.empty() ? nullptr : &ghosts[0], defaultGravity);
    if (!ghostRuns.empty())
        session.ghostRun = ghostRuns[0];
    SessionTraces out;
    out.ghosts.resize(ghostRuns.size());
    while (session.on && session.raceTicks < int64_t(playerRun.size())) {
        const ControlInput* record = inCountdown(session) ? nullptr : &playerRun[size_t(session.raceTicks)];
        stepRace(session, record);
        out.player.push_back(player);
        for (size_t i = 0; i < ghosts.size(); ++i)
            out.ghosts[i].push_back(ghosts[i]);
    }
    return out;
}

// Ticks at the front of both traces on which the ships agree bit for bit.
size_t sameTicks(const Trace& a, const Trace& b)
{
    size_t n = 0;
    while (n < a.size() && n < b.size() && std::memcmp(&a[n], &b[n], sizeof(ShipState)) == 0)
        ++n;
    return n;
}

class SeveralGhosts : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The player between a faster ghost and slower ones: ghosts both
        // finish before the player and are still racing at its finish.
        for (double cap : {24.0, 200.0, 30.0, 20.0, 17.0}) {
            AutopilotSettings settings;
            settings.topSpeed = cap;
            AutopilotRun run = driveWithAutopilot(track, settings, 60000);
            ASSERT_EQ(run.result.outcome, RaceOutcome::finish) << cap;
            runs.push_back(run.controls);
        }
    }
    Track track = ringTrack(30, 200.0, 18.0, 12.0, 3);
    std::vector<std::vector<ControlInput>> runs;
};

} // namespace

TEST_F(SeveralGhosts, EachGhostRetracesItsRunReplayedAlone)
{
    const SessionTraces race = raceWithGhosts(track, runs[0], {&runs[1], &runs[2], &runs[3], &runs[4]});
    ASSERT_EQ(race.ghosts.size(), 4u);
    int finishedFirst = 0;
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Trace alone = replayAlone(track, runs[i + 1]);
        // Up to the ghost's own finish, or up to the player's: the tick that
        // finishes the player's race ends it before the ghosts step.
        const size_t overlap = std::min(alone.size(), race.player.size() - 1);
        EXPECT_GT(overlap, size_t(countdownTicks) + 5000);
        EXPECT_EQ(sameTicks(race.ghosts[i], alone), overlap);
        finishedFirst += alone.size() < race.player.size();
    }
    // Both kinds are there: ghosts past their finish and ghosts still racing.
    EXPECT_EQ(finishedFirst, 2);
}

TEST_F(SeveralGhosts, ThePlayerDrivesTheSameWithNoneOneOrFour)
{
    const Trace alone = replayAlone(track, runs[0]);
    const std::vector<std::vector<const std::vector<ControlInput>*>> fields = {
        {}, {&runs[1]}, {&runs[4]}, {&runs[1], &runs[2], &runs[3], &runs[4]}, {&runs[4], &runs[3], &runs[2], &runs[1]}};
    for (size_t f = 0; f < fields.size(); ++f) {
        SCOPED_TRACE(f);
        const SessionTraces race = raceWithGhosts(track, runs[0], fields[f]);
        ASSERT_EQ(race.player.size(), alone.size());
        EXPECT_EQ(sameTicks(race.player, alone), alone.size());
    }
}
