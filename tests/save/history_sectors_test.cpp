// The sector times of the kept runs: each file replayed once, a bounded
// number a call, and only the runs that hold on the track counted.
#include "save/history_sectors.h"
#include "save/run_history.h"
#include "save_test_util.h"
#include "sim/autopilot.h"
#include "sim/splits.h"

namespace {

const std::string reference = VANTOR_REFERENCE_DIR;

// The reference track with two runs that hold on it, the reference run and
// the autopilot's, as ghost files.
struct KeptRuns : ::testing::Test {
    TempDir dir;
    Track track;
    Sha256Digest hash{};
    GhostFile referenceRun, botRun;

    void SetUp() override
    {
        ASSERT_TRUE(readTrackRoad(track, reference, "refa"));
        ASSERT_TRUE(hashTrackFile(reference, "refa", hash));
        referenceRun = ghostFor(controlsOf(reference + "/refa.ctl"), 1700000000);
        Track copy = track;
        AutopilotRun bot = driveWithAutopilot(copy, AutopilotSettings{}, 60000);
        ASSERT_EQ(bot.result.outcome, RaceOutcome::finish);
        botRun = ghostFor(bot.controls, 1700000100);
    }

    GhostFile ghostFor(const std::vector<ControlInput>& records, int64_t date)
    {
        GhostFile g;
        g.trackName = "refa";
        g.trackHash = hash;
        g.date = date;
        g.ticks = static_cast<uint32_t>(records.size());
        g.records = records;
        return g;
    }

    std::string folder() { return historyFolder(dir.path, "refa"); }
    void keep(const GhostFile& g) { ASSERT_TRUE(keepInHistory(dir.path, g)); }
    std::vector<int64_t> sectorsOf(const GhostFile& g)
    {
        return runSectorTicks(sectorLayout(track, defaultGravity), splitsOfRun(track, g.records, defaultGravity));
    }
};

}  // namespace

TEST_F(KeptRuns, OnlyRunsThatHoldCountAndEachIsReplayedOnce)
{
    keep(referenceRun);
    keep(botRun);
    // One claims a finish it does not reach, one was driven on another road.
    GhostFile claimed = botRun;
    claimed.date += 100;
    claimed.ticks -= 1;
    claimed.records.pop_back();
    keep(claimed);
    GhostFile elsewhere = referenceRun;
    elsewhere.date += 300;
    elsewhere.trackHash[0] ^= 1;
    keep(elsewhere);

    HistorySectors sectors;
    int calls = 1;
    while (!refreshHistorySectors(sectors, folder(), track, hash, defaultGravity, 1))
        ++calls;
    EXPECT_EQ(calls, 4) << "one replay a call";
    EXPECT_EQ(sectors.files.size(), 4u);
    const std::vector<std::vector<int64_t>> ticks = historySectorTicks(sectors);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0], sectorsOf(referenceRun));
    EXPECT_EQ(ticks[1], sectorsOf(botRun));
    const int64_t best = theoreticalBest(ticks);
    EXPECT_GT(best, 0);
    EXPECT_LE(best, std::min<int64_t>(referenceRun.ticks, botRun.ticks));

    // Nothing changed: nothing to replay.
    EXPECT_TRUE(refreshHistorySectors(sectors, folder(), track, hash, defaultGravity, 0));
    EXPECT_EQ(historySectorTicks(sectors).size(), 2u);

    // A file rewritten in place is looked at again.
    GhostFile fixed = botRun;
    fixed.playerName = "fixed";
    writeFileBytes(folder() + "/" + historyFileName(claimed.date, claimed.ticks), encodeGhost(fixed));
    EXPECT_FALSE(refreshHistorySectors(sectors, folder(), track, hash, defaultGravity, 0));
    EXPECT_TRUE(refreshHistorySectors(sectors, folder(), track, hash, defaultGravity, 1));
    EXPECT_EQ(historySectorTicks(sectors).size(), 3u);

    // Another road starts afresh.
    Sha256Digest other = hash;
    other[5] ^= 1;
    EXPECT_FALSE(refreshHistorySectors(sectors, folder(), track, other, defaultGravity, 0));
    EXPECT_TRUE(historySectorTicks(sectors).empty());
    EXPECT_TRUE(refreshHistorySectors(sectors, dir / "nothing", track, hash, defaultGravity, 0));
    EXPECT_TRUE(sectors.files.empty());
}
