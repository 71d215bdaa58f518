// The analysis after a finish and practice from a joint, on a game without
// a window: practice starts in the reference's exact state, the reference
// drives the lead-in whatever the keys say, and nothing of a practice run
// reaches the save file, the history, the stats or the best run.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "replayed_keys.h"
#include "ring_track.h"
#include "save/run_history.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "shell/paths.h"
#include "sim/autopilot.h"
#include "sim/practice.h"
#include "user_folder.h"

namespace {

bool sameShip(const ShipState& a, const ShipState& b) { return std::memcmp(&a, &b, sizeof(ShipState)) == 0; }

// The reference's ship after race tick raceTick, replayed headless.
ShipState referenceShipAt(const std::vector<ControlInput>& reference, int64_t raceTick)
{
    Track track = ringTestTrack();
    ShipState ship;
    RaceSession session;
    beginRace(session, track, ship, nullptr, defaultGravity);
    stepRaceWith(session, reference, countdownTicks + raceTick);
    return ship;
}

// A game on the ring whose best run is a finished autopilot race, with its
// per-user files in a folder of its own; no menus.
class PracticeFlow : public UserFolderTest {
protected:
    void SetUp() override
    {
        UserFolderTest::SetUp();
        game.save.trackName = "00";
        game.track = ringTestTrack();
        reference = driveWithAutopilot(game.track, AutopilotSettings{}, 60000).controls;
        ASSERT_FALSE(reference.empty());
        recordFor(game.save, "00").ghostRun = reference;
        replayedRecords.clear();
    }
    // Runs exactly ticks more ticks of the game's loop.
    void runTicks(int64_t ticks)
    {
        const double now = game.nextTickMs + 10.0 * double(ticks) - 5.0;
        runDueTicks(game, now, replayedCalls());
    }
    // Practice from the play menu at sector, its crossing tick checked.
    int64_t practiseAt(int32_t sector)
    {
        game.analysis.sector = sector;
        EXPECT_TRUE(practiceFromPlayMenu(game, 1000.0));
        const JointKey joint = practiceJoint(game.analysis.layout, sector);
        EXPECT_EQ(game.analysis.crossingTick,
                  practiceCrossingTick(game.track, reference, joint.lap, joint.segment, defaultGravity));
        return game.analysis.crossingTick;
    }
    std::vector<ControlInput> reference;
};

}  // namespace

TEST_F(PracticeFlow, TheReferenceDrivesTheLeadInThenThePlayerTakesOverInItsState)
{
    const int64_t crossing = practiseAt(5);
    ASSERT_GT(crossing, practiceLeadInTicks);
    EXPECT_TRUE(game.inRace);
    EXPECT_TRUE(game.run.practice);
    EXPECT_EQ(game.screen, Screen::race);
    // Three seconds before the crossing, with the clock and the records as they were.
    EXPECT_EQ(game.race.raceTicks, crossing - practiceLeadInTicks);
    EXPECT_EQ(game.run.controls.size(), size_t(crossing - practiceLeadInTicks));
    EXPECT_TRUE(sameShip(game.player.state, referenceShipAt(reference, crossing - practiceLeadInTicks)));

    // Keys that would brake hard are not heard before the crossing.
    replayedRecords.assign(reference.size(), ControlInput{0.0f, 1.0f, 0.0f});
    runTicks(practiceLeadInTicks);
    ASSERT_EQ(game.race.raceTicks, crossing);
    EXPECT_TRUE(sameShip(game.player.state, referenceShipAt(reference, crossing)));
    EXPECT_TRUE(sameShip(game.ghost.state, game.player.state)) << "the ghost replays the reference";

    // From the next tick the keys drive.
    runTicks(1);
    EXPECT_FALSE(sameShip(game.player.state, referenceShipAt(reference, crossing + 1)));
    EXPECT_EQ(game.run.controls.back().brake, 1.0f);
}

TEST_F(PracticeFlow, RStartsAgainAtTheSameJointAndEscapeGivesTheRunBack)
{
    game.run.ticks = 4321;
    const int64_t crossing = practiseAt(7);
    replayedRecords.assign(reference.size(), ControlInput{0.3f, 0.0f, 1.0f});
    runTicks(practiceLeadInTicks + 50);
    restartRace(game);
    EXPECT_TRUE(game.inRace);
    EXPECT_EQ(game.race.raceTicks, crossing - practiceLeadInTicks);
    EXPECT_TRUE(sameShip(game.player.state, referenceShipAt(reference, crossing - practiceLeadInTicks)));

    abortRace(game);
    EXPECT_FALSE(game.inRace);
    EXPECT_FALSE(game.run.practice);
    EXPECT_EQ(game.run.ticks, 4321) << "the run practice found is back";
    EXPECT_EQ(game.screen, Screen::playMenu);
}

TEST_F(PracticeFlow, APracticeRunReachesNoScoreBestRunHistoryOrFile)
{
    const TrackRecord before = recordFor(game.save, "00");
    game.analysis.last.trackName = "00";
    game.analysis.last.records.assign(1, ControlInput{});
    // The keys drive the reference's own records: a finish as fast as the best.
    replayedRecords = reference;
    practiseAt(3);
    EXPECT_FALSE(runMayBeStored(game));
    EXPECT_FALSE(recordRun(game));
    EXPECT_FALSE(keepFinishedRun(game));
    runTicks(int64_t(reference.size()));
    EXPECT_FALSE(game.inRace) << "the practice finished";
    EXPECT_TRUE(runMayBeStored(game)) << "the game's own run is back";
    EXPECT_NE(game.raceNote.find("practice "), std::string::npos) << game.raceNote;
    EXPECT_NE(game.raceNote.find("total +0.00"), std::string::npos) << game.raceNote;

    const TrackRecord& after = recordFor(game.save, "00");
    EXPECT_EQ(after.scores.size(), before.scores.size());
    EXPECT_EQ(after.ghostRun.size(), before.ghostRun.size());
    EXPECT_FALSE(std::filesystem::exists(savePath()));
    EXPECT_FALSE(std::filesystem::exists(historyFolder(saveDirectory(), "00")));
    EXPECT_EQ(game.analysis.last.records.size(), 1u) << "a practice finish is no finished run to analyse";

    // Off the road and Escape keep nothing either.
    replayedRecords.assign(reference.size(), ControlInput{2.0f, 0.0f, 1.0f});
    practiseAt(3);
    runTicks(int64_t(reference.size()));
    EXPECT_FALSE(game.inRace);
    EXPECT_FALSE(std::filesystem::exists(savePath()));
    EXPECT_FALSE(std::filesystem::exists(historyFolder(saveDirectory(), "00")));
}

TEST_F(PracticeFlow, AFinishIsKeptForTheAnalysisAgainstTheBestRunBeforeIt)
{
    EXPECT_FALSE(analysisOffered(game));
    // A slower run: the autopilot held back for a stretch of the first lap.
    std::vector<ControlInput> run = reference;
    for (size_t i = 600; i < 900 && i < run.size(); ++i)
        run[i].throttle = 0.3f;
    game.inRace = true;
    game.run.controls = run;
    finishRun(game);
    ASSERT_TRUE(analysisOffered(game));
    EXPECT_EQ(game.analysis.last.referenceName, "best run");
    EXPECT_EQ(game.analysis.last.reference.size(), reference.size());
    EXPECT_EQ(game.analysis.last.records.size(), run.size());

    ASSERT_TRUE(openAnalysis(game, Screen::playMenu));
    EXPECT_EQ(game.screen, Screen::analysis);
    EXPECT_EQ(game.analysis.view.title, "against best run");
    EXPECT_FALSE(game.analysis.historyPending) << "no kept runs to look at";
    EXPECT_EQ(game.analysis.view.theoreticalLine, analysisView(game.analysis.analysis, "best run").theoreticalLine);
    EXPECT_FALSE(game.analysis.view.rows.empty());
    EXPECT_EQ(game.analysis.sector, game.analysis.view.practiceSector);
    // Left and right step through the rows' sectors only.
    const std::vector<int32_t> choices = practiceChoices(game);
    ASSERT_FALSE(choices.empty());
    choosePracticeSector(game, -100);
    EXPECT_EQ(game.analysis.sector, choices.front());
    choosePracticeSector(game, 1);
    EXPECT_EQ(game.analysis.sector, choices.size() > 1 ? choices[1] : choices.front());

    leaveAnalysis(game);
    EXPECT_EQ(game.screen, Screen::playMenu);
    game.save.trackName = "01";
    EXPECT_FALSE(analysisOffered(game)) << "another track's finish";
}
