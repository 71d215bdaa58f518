// Medal ghosts beside a watched run: stepped by the replay's own session,
// each where its run alone would be, through seeks, and never moving the
// watched ship.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/autopilot.h"
#include "sim/replay.h"
#include "sim/watch.h"
#include "test_tracks.h"

namespace {

bool same(const ShipState& a, const ShipState& b) { return std::memcmp(&a, &b, sizeof(ShipState)) == 0; }

class WatchGhosts : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (double cap : {30.0, 22.0, 40.0, 26.0}) {
            AutopilotSettings settings;
            settings.topSpeed = cap;
            AutopilotRun run = driveWithAutopilot(track, settings, 60000);
            ASSERT_EQ(run.result.outcome, RaceOutcome::finish) << cap;
            runs.push_back(run.controls);
        }
        watched = runs[0];
        ghosts.assign(runs.begin() + 1, runs.end());
    }
    // The ship of run alone after ticks ticks, countdown included.
    ShipState aloneAt(const std::vector<ControlInput>& run, int64_t ticks)
    {
        Track fresh = ringTrack(30, 200.0, 18.0, 12.0, 3);
        ReplaySetup setup;
        setup.controls = run;
        ShipState at;
        int64_t seen = 0;
        replayRace(fresh, setup, [&](int64_t, bool, const ShipState& s) {
            if (++seen == ticks)
                at = s;
        });
        return at;
    }
    Track track = ringTrack(30, 200.0, 18.0, 12.0, 3);
    std::vector<std::vector<ControlInput>> runs;
    std::vector<ControlInput> watched;
    std::vector<std::vector<ControlInput>> ghosts;
};

TEST_F(WatchGhosts, EachGhostIsWhereItsRunAloneIsAndTheWatchedShipIsUntouched)
{
    Watch plain;
    beginWatch(plain, track, watched, defaultGravity);
    Watch with;
    beginWatch(with, track, watched, ghosts, defaultGravity);
    ASSERT_EQ(with.ghostRuns.size(), 3u);
    for (int64_t checkpoint : {150, 299, 800, 2500}) {
        while (plain.session.ticks < checkpoint && !plain.ended)
            stepWatch(plain);
        while (with.session.ticks < checkpoint && !with.ended)
            stepWatch(with);
        ASSERT_EQ(with.session.ticks, checkpoint);
        EXPECT_TRUE(same(with.ship, plain.ship)) << checkpoint;
        for (size_t lane = 0; lane < 3; ++lane)
            EXPECT_TRUE(same(with.ghostShips[lane], aloneAt(ghosts[lane], checkpoint))) << checkpoint << " " << lane;
    }
}

TEST_F(WatchGhosts, ASeekBackPutsEveryGhostWhereStraightSteppingDoes)
{
    Watch watch;
    beginWatch(watch, track, watched, ghosts, defaultGravity);
    seekWatch(watch, 1800);
    seekWatch(watch, 1234);
    Watch straight;
    beginWatch(straight, track, watched, ghosts, defaultGravity);
    while (straight.session.ticks < 1234)
        stepWatch(straight);
    EXPECT_TRUE(same(watch.ship, straight.ship));
    for (size_t lane = 0; lane < 3; ++lane) {
        EXPECT_TRUE(same(watch.ghostShips[lane], straight.ghostShips[lane])) << lane;
        // A seek draws nothing between the old place and the new.
        EXPECT_TRUE(same(watchDrawnGhost(watch, lane), watch.ghostShips[lane])) << lane;
    }
}

TEST_F(WatchGhosts, TheGhostsKeyShowsAndHidesThemOnlyWhenThereAreAny)
{
    std::vector<std::vector<ControlInput>> five(5, runs[1]);
    Watch watch;
    beginWatch(watch, track, watched, five, defaultGravity);
    EXPECT_EQ(watch.ghostRuns.size(), maxWatchGhosts);
    EXPECT_FALSE(watch.ghostsShown) << "hidden until asked for";
    EXPECT_EQ(watchStatusText(watch), "replay x1 chase");
    EXPECT_FALSE(watchKey(watch, WatchKey::ghosts));
    EXPECT_TRUE(watch.ghostsShown);
    EXPECT_EQ(watchStatusText(watch), "replay x1 chase medals");
    watchKey(watch, WatchKey::ghosts);
    EXPECT_FALSE(watch.ghostsShown);

    Watch alone;
    beginWatch(alone, track, watched, defaultGravity);
    watchKey(alone, WatchKey::ghosts);
    EXPECT_FALSE(alone.ghostsShown);
    EXPECT_TRUE(alone.session.moreGhosts.empty());
}

} // namespace
