#include <ctime>

#include "save/runs.h"
#include "save_test_util.h"
#include "shell/flow.h"

namespace {

// A finished run of ticks records followed by extra records appended while
// the menus were up, each record telling its run apart by steer.
Run finishedRun(int32_t ticks, size_t menuFrames, float tag)
{
    Run run;
    run.ticks = ticks;
    run.controls.assign(static_cast<size_t>(ticks), ControlInput{tag, 0.0f, 1.0f});
    run.controls.resize(run.controls.size() + menuFrames, ControlInput{});
    run.startState.fill(static_cast<uint8_t>(tag));
    return run;
}

void record(SaveData& save, const Run& run, int32_t date)
{
    recordRun(save, run, 60.0, 70.0, 80.0, 0.01, date);
}

std::vector<int32_t> ticksOf(const TrackRecord& r)
{
    std::vector<int32_t> t;
    for (const ScoreEntry& s : r.scores)
        t.push_back(s.ticks);
    return t;
}

}  // namespace

TEST(ScoreOrder, FewerTicksFirstThenTheNewerDateAllSigned)
{
    EXPECT_TRUE(scoreBefore({"", "", 100, 5}, {"", "", 101, 9}));
    EXPECT_FALSE(scoreBefore({"", "", 101, 9}, {"", "", 100, 5}));
    EXPECT_TRUE(scoreBefore({"", "", 100, 9}, {"", "", 100, 5}));
    EXPECT_FALSE(scoreBefore({"", "", 100, 5}, {"", "", 100, 5}));
    // Dates past 2038 are negative as 32-bit numbers and count as older.
    EXPECT_TRUE(scoreBefore({"", "", 100, 5}, {"", "", 100, -1}));
    EXPECT_TRUE(scoreBefore({"", "", -3, 0}, {"", "", 2, 0}));

    SaveData save;
    for (auto [ticks, date] : std::vector<std::pair<int32_t, int32_t>>{{500, 1}, {300, 2}, {500, 3}, {400, -7}, {300, 4}})
        record(save, finishedRun(ticks, 0, 1.0f), date);
    const TrackRecord& r = save.records["00"];
    ASSERT_EQ(r.scores.size(), 5u);
    std::vector<std::pair<int32_t, int32_t>> got;
    for (const ScoreEntry& s : r.scores)
        got.push_back({s.ticks, s.date});
    EXPECT_EQ(got, (std::vector<std::pair<int32_t, int32_t>>{{300, 4}, {300, 2}, {400, -7}, {500, 3}, {500, 1}}));
}

TEST(HighScoreThreshold, TheFifthBestIsTheLimitAndEveryRunIsStored)
{
    SaveData save;
    TrackRecord& r = recordFor(save, "00");
    for (int32_t t : {1000, 1100, 1200})
        r.scores.push_back({"a", "ship", t, 1});
    EXPECT_TRUE(isHighScore(r, 1000000));
    r.scores.push_back({"a", "ship", 1300, 1});
    EXPECT_TRUE(isHighScore(r, 1000000));
    // Stored out of order, as a hand-edited file may hold them.
    r.scores.insert(r.scores.begin(), ScoreEntry{"a", "ship", 1400, 1});
    EXPECT_TRUE(isHighScore(r, 1400));
    EXPECT_FALSE(isHighScore(r, 1401));
    EXPECT_TRUE(isHighScore(r, -5));

    sortScores(r.scores);
    record(save, finishedRun(1400, 0, 2.0f), 50);
    ASSERT_EQ(r.scores.size(), 6u);
    // The newer 1400 enters the five best ahead of the old one.
    EXPECT_EQ(r.scores[4].ticks, 1400);
    EXPECT_EQ(r.scores[4].date, 50);
    EXPECT_EQ(r.scores[5].date, 1);
    EXPECT_FALSE(isHighScore(r, 1401));
    record(save, finishedRun(1401, 0, 3.0f), 60);
    EXPECT_EQ(ticksOf(r), (std::vector<int32_t>{1000, 1100, 1200, 1300, 1400, 1400, 1401}));
}

TEST(Medal, FollowsTheBestScoreAgainstTheAreaTimes)
{
    EXPECT_EQ(medalFor(5990, 60.0, 70.0, 80.0, 0.01), TrackState::gold);
    EXPECT_EQ(medalFor(6500, 60.0, 70.0, 80.0, 0.01), TrackState::silver);
    EXPECT_EQ(medalFor(7900, 60.0, 70.0, 80.0, 0.01), TrackState::bronze);
    EXPECT_EQ(medalFor(8100, 60.0, 70.0, 80.0, 0.01), TrackState::open);
    // Targets out of order: each test stands alone and gold, tested last, wins.
    EXPECT_EQ(medalFor(7500, 80.0, 70.0, 60.0, 0.01), TrackState::gold);
    EXPECT_EQ(medalFor(6500, 60.0, 80.0, 50.0, 0.01), TrackState::silver);

    SaveData save;
    record(save, finishedRun(8100, 0, 1.0f), 1);
    EXPECT_EQ(save.records["00"].medal, 1);
    record(save, finishedRun(5990, 0, 2.0f), 2);
    EXPECT_EQ(save.records["00"].medal, 4);
    // A slower run later does not lower the medal of the best.
    record(save, finishedRun(8100, 0, 3.0f), 3);
    EXPECT_EQ(save.records["00"].medal, 4);
}

TEST(Medal, ARecordedRunNeverLowersTheStoredMedal)
{
    struct Case {
        const char* name;
        int32_t stored;
        double gold, silver, bronze;
        int32_t expected;
    };
    // The run of 6500 ticks earns silver against 60, 70, 80 s.
    const Case cases[] = {
        {"times not read: no targets", 4, 0.0, 0.0, 0.0, 4},
        {"stricter times since", 3, 10.0, 20.0, 30.0, 3},
        {"a better medal is taken", 2, 60.0, 70.0, 80.0, 3},
        {"a new track", 0, 60.0, 70.0, 80.0, 3},
        {"no targets on a new track", 0, 0.0, 0.0, 0.0, 1},
        {"a value no medal has", 99, 60.0, 70.0, 80.0, 3},
        {"a negative value", -7, 0.0, 0.0, 0.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveData save;
        TrackRecord& r = recordFor(save, "00");
        r.name = "00";
        r.medal = c.stored;
        recordRun(save, finishedRun(6500, 0, 1.0f), c.gold, c.silver, c.bronze, 0.01, 1);
        EXPECT_EQ(save.records["00"].medal, c.expected);
    }
}

TEST(RecordRun, WithoutTheTracksMedalTimesTheGameJudgesNoMedal)
{
    GameSandbox sandbox;
    game.save.trackName = "00";
    TrackRecord& r = recordFor(game.save, "00");
    r.name = "00";
    r.medal = 4;
    r.scores.push_back({"ace", "ship", 5000, 1});
    r.ghostRun.assign(5000, ControlInput{});
    // The defaults a missing times.txt leaves would make this silver.
    game.area = Area();
    game.area.timesRead = false;
    game.run = finishedRun(9000, 0, 2.0f);
    EXPECT_TRUE(recordRun(game));
    SaveData back;
    ASSERT_TRUE(loadSaveFile(back, sandbox.dir / "Vantor/game.save"));
    EXPECT_EQ(back.records["00"].medal, 4) << "the stored gold stays";

    // A track never finished before: open, not the medal the defaults give.
    game.save.trackName = "01";
    game.run = finishedRun(100, 0, 3.0f);
    EXPECT_TRUE(recordRun(game));
    EXPECT_EQ(game.save.records["01"].medal, 1);
}

TEST(TrackGrid, OpensTheFirstRowLeftToRightAndEachColumnDownward)
{
    auto states = [](const SaveData& save) {
        std::string grid;
        for (int r = 0; r < trackGridRows; ++r)
            for (int c = 0; c < trackGridColumns; ++c)
                grid += char('0' + static_cast<int>(trackState(save, r, c)));
        return grid;
    };
    SaveData save;
    EXPECT_EQ(states(save), "100000000000000");
    // A finish without a medal opens nothing; a bronze on "00" opens "10" and
    // "01", not "20".
    save.records["00"].medal = 1;
    EXPECT_EQ(states(save), "100000000000000");
    save.records["00"].medal = 2;
    EXPECT_EQ(states(save), "210001000000000");
    // A medal below the first row opens only the track below it.
    save.records["01"].medal = 4;
    EXPECT_EQ(states(save), "210004000010000");
    // A stored medal stands even where no neighbour would open the track.
    save.records["42"].medal = 3;
    EXPECT_EQ(states(save), "210004000010003");
    // The last row's medals open nothing further; the first row wraps nowhere.
    save.records["40"].medal = 2;
    EXPECT_EQ(states(save), "210024000110003");
    EXPECT_EQ(trackNameAt(1, 3), "31");
}

TEST(ScoreOrder, SeventeenEqualScoresKeepTheOrderTheyWereRecordedIn)
{
    SaveData save;
    for (int i = 0; i < 17; ++i) {
        save.playerName = "p" + std::to_string(i);
        record(save, finishedRun(1234, 0, float(i)), 99);
    }
    std::vector<ScoreEntry> again = save.records["00"].scores;
    sortScores(again);
    ASSERT_EQ(again.size(), 17u);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(save.records["00"].scores[size_t(i)].playerName, "p" + std::to_string(i));
        EXPECT_EQ(again[size_t(i)].playerName, "p" + std::to_string(i));
    }
}

TEST(GhostRun, IsAlwaysTheFastestRunWithItsMenuFrames)
{
    SaveData save;
    save.trackName = "07";
    // The first run becomes the ghost with the 300 frames of the name menu.
    record(save, finishedRun(1000, 300, 1.0f), 1);
    TrackRecord& r = save.records["07"];
    EXPECT_EQ(r.name, "07");
    ASSERT_EQ(r.ghostRun.size(), 1300u);
    EXPECT_EQ(r.ghostRun[0].steer, 1.0f);
    EXPECT_EQ(r.ghostStart[0], 1);

    // Slower than the best, though shorter than the stored ghost's records.
    record(save, finishedRun(1100, 0, 2.0f), 2);
    EXPECT_EQ(r.ghostRun.size(), 1300u);
    EXPECT_EQ(r.ghostRun[0].steer, 1.0f);
    // As fast as the best is not faster.
    record(save, finishedRun(1000, 0, 3.0f), 3);
    EXPECT_EQ(r.ghostRun[0].steer, 1.0f);
    // One tick faster replaces it, snapshot included.
    record(save, finishedRun(999, 20, 4.0f), 4);
    EXPECT_EQ(r.ghostRun.size(), 1019u);
    EXPECT_EQ(r.ghostRun[0].steer, 4.0f);
    EXPECT_EQ(r.ghostStart[199], 4);
    // A run without records cannot leave a scored record without its ghost.
    ::Run empty;
    empty.ticks = 1;
    record(save, empty, 5);
    EXPECT_EQ(r.ghostRun.size(), 1019u);
    EXPECT_EQ(r.scores.size(), 5u);
}

TEST(RecordRun, TheGameRewritesTheWholeSaveFileInItsFolder)
{
    GameSandbox sandbox;
    const TempDir& dir = sandbox.dir;
    game.save.playerName = "kim";
    game.save.trackName = "03";
    recordFor(game.save, "01");
    game.area.goldSeconds = 60.0;
    game.area.silverSeconds = 70.0;
    game.area.bronzeSeconds = 80.0;
    game.area.timesRead = true;
    game.run = finishedRun(6500, 10, 5.0f);

    int64_t before = static_cast<int64_t>(std::time(nullptr));
    EXPECT_TRUE(recordRun(game));
    int64_t after = static_cast<int64_t>(std::time(nullptr));

    SaveData back;
    ASSERT_TRUE(loadSaveFile(back, dir / "Vantor/game.save"));
    EXPECT_EQ(back.playerName, "kim");
    EXPECT_EQ(back.trackName, "03");
    const TrackRecord& r = back.records["03"];
    ASSERT_EQ(r.scores.size(), 1u);
    EXPECT_EQ(r.scores[0].ticks, 6500);
    EXPECT_EQ(r.scores[0].playerName, "kim");
    EXPECT_GE(r.scores[0].date, static_cast<int32_t>(before));
    EXPECT_LE(r.scores[0].date, static_cast<int32_t>(after));
    EXPECT_EQ(r.medal, 3);
    EXPECT_EQ(r.ghostRun.size(), 6510u);
    EXPECT_EQ(back.records.count(""), 1u);

    // A folder that cannot be made loses the write but not the run.
    writeFileBytes(dir / "blocked", {1});
    setenv("APPDATA", (dir / "blocked").c_str(), 1);
    EXPECT_FALSE(recordRun(game));
    EXPECT_EQ(game.save.records["03"].scores.size(), 2u);
}

TEST(RecordRun, ANewBestRunIsAlsoWrittenAsAGhostFileBesideTheSaveFile)
{
    GameSandbox sandbox(VANTOR_REFERENCE_DIR);
    const TempDir& dir = sandbox.dir;
    game.save.playerName = "k/m";
    game.save.trackName = "refa";
    game.run = finishedRun(6500, 10, 5.0f);
    EXPECT_TRUE(recordRun(game));
    EXPECT_EQ(ghostFolder(), dir.path + "/Vantor/ghosts");

    GhostFile ghost;
    std::string reason;
    ASSERT_TRUE(readGhostFile(dir / "Vantor/ghosts/refa-k_m-6500.vghost", ghost, reason)) << reason;
    EXPECT_EQ(ghost.trackName, "refa");
    EXPECT_EQ(ghost.playerName, "k/m");
    EXPECT_EQ(ghost.ticks, 6500u);
    EXPECT_EQ(ghost.records.size(), 6500u) << "without the menu frames after the finish";
    EXPECT_EQ(ghost.startState[0], 5);
    EXPECT_EQ(ghost.date, int64_t(game.save.records["refa"].scores[0].date));
    Sha256Digest hash;
    ASSERT_TRUE(hashTrackFile(dataDir, "refa", hash));
    EXPECT_TRUE(ghost.trackHash == hash);

    // A slower run keeps the ghost and writes no file.
    game.run = finishedRun(6600, 0, 6.0f);
    EXPECT_TRUE(recordRun(game));
    EXPECT_TRUE(readFileBytes(dir / "Vantor/ghosts/refa-k_m-6600.vghost").empty());
}
