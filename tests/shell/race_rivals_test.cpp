// The ghosts of a race in the game: which runs race beside the player, in
// which lanes, how they are drawn, and that the game's loop steps each as its
// run replays alone.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <tuple>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "replayed_keys.h"
#include "ring_track.h"
#include "save/runs.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "shell/race_rivals.h"
#include "shell/views.h"
#include "sim/autopilot.h"
#include "sim/replay.h"
#include "sim/time_text.h"

namespace {

const Rival best{RivalKind::bestRun, ""};
const Rival gold{RivalKind::gold, ""};
const Rival silver{RivalKind::silver, ""};
const Rival bronze{RivalKind::bronze, ""};

// The built content folder, or empty when it was not generated.
std::string contentFolder()
{
    for (const std::string& candidate :
         {std::string(VANTOR_BUILD_DIR) + "/data", std::string(VANTOR_SOURCE_DIR) + "/data"})
        if (std::filesystem::exists(candidate + "/tracks/00/gold.vghost"))
            return candidate;
    return "";
}

// A game on track "00" whose best run and three medal ghosts are runs of
// their own, told apart by their length; no files, no menus.
class RaceRivalsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = Game();
        savedDataDir = dataDir;
        game.save.trackName = "00";
        game.track.segments.resize(2);
        TrackRecord& record = recordFor(game.save, "00");
        record.ghostRun.assign(100, ControlInput{});
        record.scores.push_back(ScoreEntry{});
        record.scores.back().ticks = 9000;
        for (int m = 0; m < 3; ++m) {
            game.rivals.medals.offered[m] = true;
            game.rivals.medals.runs[m].assign(size_t(200 + 100 * m), ControlInput{});
        }
    }
    void TearDown() override
    {
        dataDir = savedDataDir;
        game = Game();
    }
    std::vector<size_t> laneLengths()
    {
        std::vector<size_t> lengths;
        for (const std::vector<ControlInput>* run : raceGhostRuns(game, nullptr))
            lengths.push_back(run->size());
        return lengths;
    }
    std::string savedDataDir;
};

TEST(GhostLook, AGhostFadesOnlyNearThePlayer)
{
    struct Case {
        double distance;
        float opacity;
    };
    const Case cases[] = {{0.0, 0.08f}, {1.5, 0.08f}, {3.25, 0.19f}, {5.0, 0.3f}, {500.0, 0.3f},
                          {std::numeric_limits<double>::quiet_NaN(), 0.08f}};
    for (const Case& c : cases)
        EXPECT_NEAR(ghostOpacity(c.distance), c.opacity, 1e-6) << c.distance;
    // Never brighter closer by.
    for (double d = 0.0; d < 20.0; d += 0.25)
        EXPECT_LE(ghostOpacity(d), ghostOpacity(d + 0.25)) << d;
}

TEST(GhostLook, ANameTagFadesAsItsGhostDoesFromNothingToFull)
{
    struct Case {
        double distance;
        float fade;
    };
    const Case cases[] = {{0.0, 0.0f}, {1.5, 0.0f}, {3.25, 0.5f}, {5.0, 1.0f}, {500.0, 1.0f},
                          {std::numeric_limits<double>::quiet_NaN(), 0.0f}};
    for (const Case& c : cases)
        EXPECT_NEAR(tagFade(c.distance), c.fade, 1e-6) << c.distance;
}

TEST(GhostLook, EveryLaneHasAColourOfItsOwnAndTheFirstLooksAsAlways)
{
    std::set<std::vector<float>> ships, dots;
    for (size_t lane = 0; lane < maxRivals; ++lane) {
        const GhostTint s = ghostTint(lane), d = ghostDotTint(lane);
        ships.insert({s.red, s.green, s.blue});
        dots.insert({d.red, d.green, d.blue});
    }
    EXPECT_EQ(ships.size(), maxRivals);
    EXPECT_EQ(dots.size(), maxRivals);
    const GhostTint first = ghostTint(0), firstDot = ghostDotTint(0);
    EXPECT_EQ(std::vector<float>({first.red, first.green, first.blue}), std::vector<float>({1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(std::vector<float>({firstDot.red, firstDot.green, firstDot.blue}),
              std::vector<float>({0.6f, 0.85f, 1.0f}));
}

TEST_F(RaceRivalsTest, TheLeadRivalComesFirstThenTheAddedMedalGhostsInOrder)
{
    struct Case {
        const char* what;
        bool bestRun;
        std::vector<Rival> added;
        bool ghostOn;
        std::vector<size_t> lengths;
        std::string line;
    };
    const Case cases[] = {
        {"best run alone", true, {}, true, {100}, "ghosts: best run"},
        {"best run and silver", true, {silver}, true, {100, 300}, "ghosts: best run, silver"},
        {"all four", true, {bronze, gold, silver}, true, {100, 400, 200, 300}, "ghosts: best run, bronze, gold, silver"},
        {"no best run: the first medal leads", false, {silver, gold}, true, {300, 200}, "ghosts: silver, gold"},
        {"ghost switched off", true, {silver}, false, {}, ""},
        {"nothing", false, {}, true, {}, ""},
    };
    for (const Case& c : cases) {
        if (!c.bestRun)
            game.save.records["00"].ghostRun.clear();
        else
            game.save.records["00"].ghostRun.assign(100, ControlInput{});
        game.rivals.added = c.added;
        game.ghostEnabled = c.ghostOn;
        EXPECT_EQ(laneLengths(), c.lengths) << c.what;
        EXPECT_EQ(raceGhostsLine(game), c.line) << c.what;
    }
    // A medal ghost the track does not ship is not raced.
    game.ghostEnabled = true;
    game.save.records["00"].ghostRun.assign(100, ControlInput{});
    game.rivals.added = {gold, silver};
    game.rivals.medals.offered[0] = false;
    EXPECT_EQ(laneLengths(), (std::vector<size_t>{100, 300}));
}

TEST_F(RaceRivalsTest, ARaceStartPutsTheLanesOnTheSessionAndTheViewDrawsEach)
{
    game.rivals.added = {gold, silver, bronze};
    resolveRaceGhosts(game);
    ASSERT_EQ(game.race.ghostRun, &game.save.records["00"].ghostRun);
    ASSERT_EQ(game.race.moreGhosts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(game.race.moreGhosts[i].ship, &game.rivals.ships[i]);
        EXPECT_EQ(game.race.moreGhosts[i].run, &game.rivals.medals.runs[i]);
    }
    EXPECT_EQ(game.rivals.names, (std::vector<std::string>{"best run", "gold", "silver", "bronze"}));

    // Lane 0 on the player, the others clear of it and of each other.
    for (size_t i = 0; i < 3; ++i) {
        game.rivals.ships[i].position = Vec3{20.0 * double(i + 1), 0.0, 0.0};
        resetPose(game.rivals.poses[i], game.rivals.ships[i]);
    }
    const RaceView view = raceView(game);
    ASSERT_EQ(view.ships.size(), 4u);
    ASSERT_EQ(view.ghostDots.size(), 4u);
    ASSERT_EQ(view.ghostDotColours.size(), 4u);
    EXPECT_FLOAT_EQ(view.ships[0].opacity, ghostOpacity(0.0)) << "a ghost in the player's place fades";
    for (size_t lane = 1; lane < 4; ++lane) {
        EXPECT_FLOAT_EQ(view.ships[lane].opacity, 0.3f);
        EXPECT_EQ(view.ships[lane].pose.position.x, 20.0 * double(lane));
        EXPECT_EQ(view.ghostDots[lane].x, 20.0 * double(lane));
        EXPECT_FLOAT_EQ(view.ships[lane].red, ghostTint(lane).red);
        EXPECT_FLOAT_EQ(view.ships[lane].green, ghostTint(lane).green);
        EXPECT_FLOAT_EQ(view.ghostDotColours[lane].blue, ghostDotTint(lane).blue);
    }
    // Each ghost carries its rival's name in its own colour, faded as the ghost is.
    ASSERT_EQ(view.tags.size(), 4u);
    for (size_t lane = 0; lane < 4; ++lane) {
        EXPECT_EQ(view.tags[lane].text, game.rivals.names[lane]);
        EXPECT_FLOAT_EQ(view.tags[lane].blue, ghostTint(lane).blue);
        EXPECT_FLOAT_EQ(view.tags[lane].fade, lane == 0 ? 0.0f : 1.0f) << lane;
        EXPECT_DOUBLE_EQ(view.tags[lane].anchor.x, tagAnchor(view.ships[lane].pose).x);
    }
    // Ghosts the settings make invisible carry no name either.
    game.settings.ghostOpacity = 0;
    EXPECT_TRUE(raceView(game).tags.empty());
    game.settings.ghostOpacity = 30;

    // The delta names its reference only when several ghosts race.
    game.splits.haveDelta = true;
    game.splits.delta = 25;
    EXPECT_EQ(raceHudView(game).deltaText, formatDelta(25) + " best run");
    game.rivals.added.clear();
    resolveRaceGhosts(game);
    EXPECT_TRUE(game.race.moreGhosts.empty());
    EXPECT_EQ(raceHudView(game).deltaText, formatDelta(25));
    EXPECT_EQ(raceView(game).ships.size(), 1u);

    // Reading the files again drops every lane pointing into them.
    game.rivals.added = {gold};
    resolveRaceGhosts(game);
    dropExtraGhosts(game);
    EXPECT_TRUE(game.race.moreGhosts.empty());
    EXPECT_TRUE(game.rivals.names.empty());
}

TEST_F(RaceRivalsTest, TheGhostsButtonStepsThroughTheOfferedMedalsAndTogglesOne)
{
    game.rivals.medals.offered[1] = false;
    game.rivals.shown = gold;
    game.rivals.added = {};
    EXPECT_EQ(ghostsButtonCaption(game), "ghost gold: add");
    // Silver is not offered.
    for (auto [step, shown] : {std::pair<int, Rival>{1, bronze}, {1, gold}, {-1, bronze}}) {
        stepRivalCursor(game, step);
        EXPECT_EQ(game.rivals.shown, shown);
    }

    toggleShownRival(game);
    EXPECT_EQ(game.rivals.added, (std::vector<Rival>{bronze}));
    EXPECT_EQ(ghostsButtonCaption(game), "ghost bronze: racing");
    EXPECT_TRUE(game.rivals.addedByPlayer);
    stepRivalCursor(game, 1);
    toggleShownRival(game);
    EXPECT_EQ(game.rivals.added, (std::vector<Rival>{bronze, gold}));
    toggleShownRival(game);
    EXPECT_EQ(game.rivals.added, (std::vector<Rival>{bronze}));

    // A track without medal ghosts shows no button.
    for (bool& offered : game.rivals.medals.offered)
        offered = false;
    EXPECT_EQ(ghostsButtonCaption(game), "");
    toggleShownRival(game);
    EXPECT_EQ(game.rivals.added, (std::vector<Rival>{bronze}));
}

// Two verified ghost files beside the best run and the medal ghosts: the
// ghosts button adds files as it adds medals, and the best run once a file leads.
TEST_F(RaceRivalsTest, TheGhostsButtonAddsGhostFilesAndTheBestRunBesideTheLead)
{
    const Rival zed{RivalKind::file, "/ghosts/zed.vghost"};
    const Rival ann{RivalKind::file, "/ghosts/ann.vghost"};
    for (const auto& [path, player, length] :
         {std::tuple<std::string, std::string, size_t>{zed.path, "Zed", 500},
          std::tuple<std::string, std::string, size_t>{ann.path, "Annemarie-Louise", 600}}) {
        ShelfEntry entry;
        entry.path = path;
        entry.looked = entry.readable = entry.loaded = entry.checked = entry.verified = true;
        entry.ghost.playerName = player;
        entry.ghost.records.assign(length, ControlInput{});
        game.ghosts.offered.push_back(game.ghosts.entries.size());
        game.ghosts.entries.push_back(entry);
    }
    game.rivals.medals.offered[1] = false;
    game.rivals.added = {gold};
    EXPECT_EQ(addableNow(game), (std::vector<Rival>{gold, bronze, zed, ann}));

    struct Step {
        int cursor;
        bool toggle;
        std::string caption;
        std::vector<size_t> lengths;
    };
    // From gold: right to bronze, to Zed (added), to Ann (added), then the set is full.
    const Step steps[] = {
        {0, false, "ghost gold: racing", {100, 200}},
        {1, false, "ghost bronze: add", {100, 200}},
        {1, true, "ghost Zed: racing", {100, 200, 500}},
        {1, true, "ghost Annemarie-: racing", {100, 200, 500, 600}},
        {-1, true, "ghost Zed: add", {100, 200, 600}},
        {-1, true, "ghost bronze: racing", {100, 200, 600, 400}},
        {1, true, "ghost Zed: add", {100, 200, 600, 400}},
    };
    for (const Step& s : steps) {
        if (s.cursor)
            stepRivalCursor(game, s.cursor);
        if (s.toggle)
            toggleShownRival(game);
        EXPECT_EQ(ghostsButtonCaption(game), s.caption);
        EXPECT_EQ(laneLengths(), s.lengths) << s.caption;
    }
    EXPECT_EQ(raceGhostsLine(game), "ghosts: best run, gold, Annemarie-Louise, bronze");

    // Ann leads now: she is not raced twice, and the best run can be added.
    game.ghosts.rivalPath = ann.path;
    EXPECT_EQ(addableNow(game), (std::vector<Rival>{gold, bronze, best, zed}));
    EXPECT_EQ(laneLengths(), (std::vector<size_t>{600, 200, 400}));
    game.rivals.shown = best;
    toggleShownRival(game);
    EXPECT_EQ(laneLengths(), (std::vector<size_t>{600, 200, 400, 100}));
    resolveRaceGhosts(game);
    EXPECT_EQ(game.rivals.names, (std::vector<std::string>{"Annemarie-Louise", "gold", "bronze", "best run"}));
    EXPECT_EQ(game.race.ghostRun->size(), 600u) << "the first chosen is the deltas' reference";

    // A file the shelf no longer offers is not raced.
    game.ghosts.rivalPath.clear();
    game.ghosts.offered.resize(1);
    EXPECT_EQ(laneLengths(), (std::vector<size_t>{100, 200, 400}));
}

TEST_F(RaceRivalsTest, ThePlayMenuLoadTakesTheNextMedalUnlessThePlayerChose)
{
    const std::string content = contentFolder();
    if (content.empty())
        GTEST_SKIP() << "no medal ghosts (generate the content with vantor-content)";
    dataDir = content;
    std::ifstream times(content + "/tracks/00/times.txt");
    ASSERT_TRUE(readMedalTimes(times, game.area));
    game.area.timesRead = true;
    const int64_t bronzeLimit = medalLimitTicks(game.area.bronzeSeconds, tickSeconds);
    const int64_t goldLimit = medalLimitTicks(game.area.goldSeconds, tickSeconds);
    TrackRecord& record = game.save.records["00"];

    struct Case {
        int64_t best;
        std::vector<Rival> added;
    };
    const Case cases[] = {{bronzeLimit + 1, {bronze}}, {bronzeLimit, {silver}}, {goldLimit, {}}};
    for (const Case& c : cases) {
        record.scores.back().ticks = int32_t(c.best);
        loadRaceRivals(game);
        EXPECT_EQ(game.rivals.added, c.added) << c.best;
        EXPECT_FALSE(game.rivals.addedByPlayer);
    }
    for (int m = 0; m < 3; ++m)
        EXPECT_TRUE(game.rivals.medals.offered[m]) << m;

    // The player's choice holds on the track, not on the next one.
    game.rivals.shown = gold;
    toggleShownRival(game);
    loadRaceRivals(game);
    EXPECT_EQ(game.rivals.added, (std::vector<Rival>{gold}));
    game.save.trackName = "01";
    loadRaceRivals(game);
    EXPECT_EQ(game.rivals.added, (std::vector<Rival>{bronze})) << "no best run on 01";
}

// The game's own loop with four ghosts: each lane ends where its run alone
// ends after as many ticks, and the player where it would alone.
TEST_F(RaceRivalsTest, TheLoopStepsEveryLaneAsItsRunReplaysAlone)
{
    Track track = ringTestTrack();
    std::vector<std::vector<ControlInput>> runs;
    for (double cap : {28.0, 45.0, 20.0, 36.0}) {
        AutopilotSettings settings;
        settings.topSpeed = cap;
        runs.push_back(driveWithAutopilot(track, settings, 1200).controls);
    }
    replayedRecords = driveWithAutopilot(track, AutopilotSettings{}, 800).controls;

    std::vector<ShipState> alone;
    for (int lanes : {0, 1, 4}) {
        game.track = track;
        game.save.records["00"].ghostRun = runs[0];
        for (int m = 0; m < 3; ++m)
            game.rivals.medals.runs[m] = runs[size_t(m + 1)];
        game.rivals.added.clear();
        game.ghostEnabled = lanes > 0;
        if (lanes == 4)
            game.rivals.added = {gold, silver, bronze};
        startRaceAt(game, 1000.0);
        runDueTicks(game, 1000.0 + 10.0 * (299 + 800) - 5.0, replayedCalls());
        ASSERT_TRUE(game.inRace) << lanes;
        ASSERT_EQ(game.run.controls.size(), 800u);
        alone.push_back(game.player.state);
        if (lanes != 4)
            continue;
        ASSERT_EQ(game.race.moreGhosts.size(), 3u);
        const ShipState* ships[4] = {&game.ghost.state, &game.rivals.ships[0], &game.rivals.ships[1],
                                     &game.rivals.ships[2]};
        for (size_t lane = 0; lane < 4; ++lane) {
            Track fresh = ringTestTrack();
            ReplaySetup setup;
            setup.controls = runs[lane];
            std::vector<ShipState> trace;
            replayRace(fresh, setup, [&](int64_t, bool, const ShipState& s) { trace.push_back(s); });
            ASSERT_GE(trace.size(), size_t(game.race.ticks)) << lane;
            EXPECT_EQ(std::memcmp(ships[lane], &trace[size_t(game.race.ticks - 1)], sizeof(ShipState)), 0) << lane;
        }
    }
    for (size_t i = 1; i < alone.size(); ++i)
        EXPECT_EQ(std::memcmp(&alone[i], &alone[0], sizeof(ShipState)), 0) << i;
}

TEST_F(RaceRivalsTest, AfterAFinishBothMenusSayWhichMedalWasBeatenAndWhichIsNext)
{
    game.area.goldSeconds = 60.0;
    game.area.silverSeconds = 70.0;
    game.area.bronzeSeconds = 80.0;
    struct Case {
        int32_t ticks;
        bool practice;
        bool timesRead;
        std::string line;
    };
    const Case cases[] = {
        {0, false, true, ""},
        {6958, false, true, "silver beaten by 0.42, gold: 9.58 to go"},
        {5900, false, true, "gold beaten by 1.00"},
        {8137, false, true, "bronze: 1.37 to go"},
        {6958, true, true, ""},
        {6958, false, false, ""},
    };
    for (const Case& c : cases) {
        game.run.ticks = c.ticks;
        game.run.practice = c.practice;
        game.area.timesRead = c.timesRead;
        EXPECT_EQ(finishNextToBeat(game), c.line) << c.ticks;
        EXPECT_EQ(playMenuView(game).nextToBeat, c.line) << c.ticks;
        EXPECT_EQ(saveScoreView(game).nextToBeat, c.line) << c.ticks;
    }
}

TEST_F(RaceRivalsTest, TheReplayTakesTheMedalGhostsAlongAndDrawsThemOnlyWhenShown)
{
    game.track = ringTestTrack();
    game.save.records["00"].ghostRun = driveWithAutopilot(game.track, AutopilotSettings{}, 600).controls;
    game.rivals.medals.offered[1] = false;
    ASSERT_TRUE(startWatchAt(game, 0.0));
    ASSERT_EQ(game.watch.ghostRuns.size(), 2u);
    EXPECT_EQ(game.watch.ghostRuns[0].size(), game.rivals.medals.runs[0].size());
    EXPECT_EQ(game.watch.ghostRuns[1].size(), game.rivals.medals.runs[2].size());
    EXPECT_EQ(watchView(game, game.watch).ships.size(), 1u);

    watchKey(game.watch, WatchKey::ghosts);
    for (int i = 0; i < 400; ++i)
        stepWatch(game.watch);
    const RaceView view = watchView(game, game.watch);
    ASSERT_EQ(view.ships.size(), 3u);
    EXPECT_EQ(view.ships[0].model, &game.player);
    for (size_t lane = 0; lane < 2; ++lane) {
        const ShipDraw& ghost = view.ships[lane + 1];
        EXPECT_EQ(ghost.model, &game.ghost);
        EXPECT_FLOAT_EQ(ghost.green, ghostTint(lane + 1).green);
        // Drawn between its last two ticks, as the watched ship is.
        const ShipState drawn = watchDrawnGhost(game.watch, lane);
        EXPECT_EQ(std::memcmp(&ghost.pose, &drawn, sizeof(ShipState)), 0);
        EXPECT_NE(std::memcmp(&drawn, &game.watch.ship, sizeof(ShipState)), 0);
    }
    EXPECT_TRUE(view.ghostDots.empty()) << "a replay has no map";
}

} // namespace
