// The history of finished runs beside the save file, its limit, the track's
// race counts, and that a practice run reaches none of it.
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

#include "save/run_history.h"
#include "save/runs.h"
#include "save_test_util.h"
#include "shell/flow.h"

namespace {

const std::string reference = VANTOR_REFERENCE_DIR;

// The reference save's best run as the game holds it after the finish: the
// run's records, then the frames spent in the name menu.
Run referenceRun()
{
    const TrackRecord r = referenceSave().records.at("refa");
    Run run;
    run.ticks = r.scores[0].ticks;
    run.controls = r.ghostRun;
    run.controls.resize(size_t(run.ticks) + 40, ControlInput{});
    run.startState = r.ghostStart;
    return run;
}

// A small run file that is never replayed, for the naming and the limit.
GhostFile tinyGhost(int64_t date, uint32_t ticks)
{
    GhostFile g;
    g.trackName = "refa";
    g.date = date;
    g.ticks = ticks;
    g.records.assign(ticks, ControlInput{0.0f, 0.0f, 1.0f});
    return g;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const HistoryEntry& e : listHistory(folder))
        names.push_back(e.fileName);
    return names;
}

// Every path under root, folders included.
std::vector<std::string> everythingUnder(const std::string& root)
{
    std::vector<std::string> paths;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        paths.push_back(e.path().string());
    return paths;
}

}  // namespace

TEST(HistoryNames, AreTheDateInUtcAndTheTicks)
{
    struct Case {
        int64_t date;
        uint32_t ticks;
        const char* name;
    };
    const std::vector<Case> cases = {
        {0, 1, "19700101T000000-1.vghost"},
        {1765242972, 11358, "20251209T011612-11358.vghost"},
        {951782400, 4294967295u, "20000229T000000-4294967295.vghost"},
        // Beyond four digits of year: the epoch, never a name out of order.
        {int64_t(1) << 40, 5, "00000000T000000-5.vghost"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(historyFileName(c.date, c.ticks), c.name);
        HistoryEntry e;
        ASSERT_TRUE(parseHistoryFileName(c.name, e)) << c.name;
        EXPECT_EQ(e.ticks, c.ticks);
        EXPECT_EQ(e.copy, 0u);
        EXPECT_EQ(e.stamp, std::string(c.name).substr(0, 15));
    }
    HistoryEntry copy;
    ASSERT_TRUE(parseHistoryFileName("20251209T011612-11358-2.vghost", copy));
    EXPECT_EQ(copy.ticks, 11358u);
    EXPECT_EQ(copy.copy, 2u);

    for (const char* bad : {"20251209T011612-11358.ghost", "20251209T011612-.vghost", "20251209T011612-0112.vghost",
                            "20251209T011612-11358-1.vghost", "20251209T011612-11358-x.vghost",
                            "20251209T011612-11358--2.vghost", "2025120T0116120-11358.vghost",
                            "20251209-011612-11358.vghost", "20251209T011612-4294967296.vghost", "stats.txt",
                            ".vghost", "20251209T011612-11358.vghost.tmp-a1b2c3"}) {
        HistoryEntry e;
        EXPECT_FALSE(parseHistoryFileName(bad, e)) << bad;
    }
}

TEST(HistoryLimit, TheOldestGoFirstAndTheBestStays)
{
    struct Case {
        const char* what;
        // Ticks of the entries, oldest first.
        std::vector<uint32_t> ticks;
        size_t limit;
        std::vector<size_t> gone;
    };
    const std::vector<Case> cases = {
        {"within the limit", {500, 400, 300}, 3, {}},
        {"the oldest go", {500, 400, 300, 600}, 2, {0, 1}},
        {"the oldest is the best", {300, 400, 500, 600}, 2, {1, 2}},
        {"the oldest of equal bests stays", {300, 300, 500, 600}, 2, {1, 2}},
        {"the newest is the best", {500, 400, 300, 200}, 1, {0, 1, 2}},
        {"the best stays even at no room", {500, 200}, 0, {0}},
    };
    for (const Case& c : cases) {
        std::vector<HistoryEntry> entries;
        for (uint32_t t : c.ticks)
            entries.push_back(HistoryEntry{"", "", t, 0});
        EXPECT_EQ(historyToPrune(entries, c.limit), c.gone) << c.what;
    }

    // Names sort in time order, a copy after the plain name of its second.
    std::vector<HistoryEntry> entries;
    for (const char* name : {"20251209T011612-9-2.vghost", "20251209T011612-9.vghost", "20241209T011612-9.vghost"}) {
        HistoryEntry e;
        ASSERT_TRUE(parseHistoryFileName(name, e));
        entries.push_back(e);
    }
    sortHistory(entries);
    EXPECT_EQ(entries[0].fileName, "20241209T011612-9.vghost");
    EXPECT_EQ(entries[1].fileName, "20251209T011612-9.vghost");
    EXPECT_EQ(entries[2].fileName, "20251209T011612-9-2.vghost");
}

TEST(History, AFinishedRunWritesOneFileThatVerifies)
{
    TempDir dir;
    GhostFile ghost;
    const ::Run run = referenceRun();
    ASSERT_TRUE(ghostOfRun("refa", "kim", run, 1765242972, reference, ghost));
    std::string written, error;
    ASSERT_TRUE(keepInHistory(dir.path, ghost, &written, &error)) << error;
    EXPECT_EQ(written, dir / "history/refa/20251209T011612-5426.vghost");
    EXPECT_EQ(namesIn(dir / "history/refa"), std::vector<std::string>{"20251209T011612-5426.vghost"});
    EXPECT_EQ(everythingUnder(dir.path).size(), 3u) << "history, its track folder and the one file";

    GhostFile back;
    std::string reason;
    ASSERT_TRUE(readGhostFile(written, back, reason)) << reason;
    EXPECT_EQ(back.playerName, "kim");
    EXPECT_EQ(back.records.size(), 5426u) << "without the menu frames";
    EXPECT_EQ(referenceVerdict(back), "");
}

TEST(History, NothingThereIsWrittenOverAndNoSaveFolderIsMade)
{
    TempDir dir;
    const GhostFile ghost = tinyGhost(1765242972, 300);
    const std::string folder = dir / "history/refa";
    std::filesystem::create_directories(folder);
    // The plain name holds a folder, the first copy name a dangling link.
    std::filesystem::create_directory(folder + "/20251209T011612-300.vghost");
    ASSERT_EQ(symlink("nowhere", (folder + "/20251209T011612-300-2.vghost").c_str()), 0);
    std::string written;
    ASSERT_TRUE(keepInHistory(dir.path, ghost, &written));
    EXPECT_EQ(written, folder + "/20251209T011612-300-3.vghost");
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/20251209T011612-300.vghost"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/20251209T011612-300-2.vghost"));
    // Only the regular run file counts as history.
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"20251209T011612-300-3.vghost"});

    std::string error;
    EXPECT_FALSE(keepInHistory(dir / "missing", ghost, nullptr, &error));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    GhostFile badName = ghost;
    badName.trackName = "../x";
    EXPECT_FALSE(keepInHistory(dir.path, badName, nullptr, &error));
    writeFileBytes(dir / "history/file", {1});
    GhostFile blocked = ghost;
    blocked.trackName = "file";
    EXPECT_FALSE(keepInHistory(dir.path, blocked, nullptr, &error));
}

TEST(History, TheLimitKeepsTheBestAndRemovesOnlyRunFiles)
{
    TempDir dir;
    const std::string folder = dir / "history/refa";
    std::filesystem::create_directories(folder);
    // 200 runs a minute apart; the best is the second oldest.
    const int64_t start = 1700000000;
    for (int i = 0; i < 200; ++i) {
        const uint32_t ticks = i == 1 ? 900 : 1000 + uint32_t(i);
        writeFileBytes(folder + "/" + historyFileName(start + 60 * i, ticks), encodeGhost(tinyGhost(start, ticks)));
    }
    writeFileBytes(folder + "/notes.txt", {1, 2, 3});
    ASSERT_TRUE(keepInHistory(dir.path, tinyGhost(start + 60 * 500, 2000)));
    std::vector<std::string> names = namesIn(folder);
    ASSERT_EQ(names.size(), maxHistoryRuns);
    EXPECT_EQ(names.front(), historyFileName(start + 60, 900)) << "the oldest went, the best stayed";
    EXPECT_EQ(names.back(), historyFileName(start + 60 * 500, 2000));
    EXPECT_TRUE(std::filesystem::exists(folder + "/notes.txt"));

    // Two more: the two oldest after the best go.
    ASSERT_TRUE(keepInHistory(dir.path, tinyGhost(start + 60 * 501, 2000)));
    ASSERT_TRUE(keepInHistory(dir.path, tinyGhost(start + 60 * 502, 2000)));
    names = namesIn(folder);
    ASSERT_EQ(names.size(), maxHistoryRuns);
    EXPECT_EQ(names[0], historyFileName(start + 60, 900));
    EXPECT_EQ(names[1], historyFileName(start + 60 * 4, 1004));

    // A run dated before all others (a clock set back) is kept all the same.
    ASSERT_TRUE(keepInHistory(dir.path, tinyGhost(start - 60, 3000)));
    names = namesIn(folder);
    ASSERT_EQ(names.size(), maxHistoryRuns);
    EXPECT_EQ(names[0], historyFileName(start - 60, 3000));
    EXPECT_EQ(names[1], historyFileName(start + 60, 900));
    EXPECT_EQ(names[2], historyFileName(start + 60 * 5, 1005));
}

TEST(TrackStats, CountEveryWayARaceEnds)
{
    struct Case {
        RaceEnd end;
        int64_t ticks;
        TrackStats after;
    };
    const std::vector<Case> cases = {
        {RaceEnd::finished, 5426, {1, 1, 0, 0, 5426}},
        {RaceEnd::offroad, 300, {2, 1, 0, 1, 5726}},
        {RaceEnd::restarted, 74, {3, 1, 1, 1, 5800}},
        {RaceEnd::abandoned, 0, {4, 1, 1, 1, 5800}},
        {RaceEnd::abandoned, -5, {5, 1, 1, 1, 5800}},
    };
    TrackStats stats;
    for (const Case& c : cases) {
        countRace(stats, c.end, c.ticks);
        EXPECT_EQ(formatTrackStats(stats), formatTrackStats(c.after));
    }
    TrackStats full{INT64_MAX, 0, 0, 0, INT64_MAX - 1};
    countRace(full, RaceEnd::finished, 100);
    EXPECT_EQ(full.started, INT64_MAX);
    EXPECT_EQ(full.ticksDriven, INT64_MAX);

    struct Line {
        TrackStats stats;
        const char* line;
    };
    for (const Line& l : std::vector<Line>{
             {{}, "no races yet"},
             {{1, 1, 0, 0, 5426}, "1 race, 1 finished, 0 restarts, 0 off the road, 0:00:54 driven"},
             {{12, 5, 1, 2, 246799}, "12 races, 5 finished, 1 restart, 2 off the road, 0:41:07 driven"},
             {{3, 0, 0, 3, 36000000}, "3 races, 0 finished, 0 restarts, 3 off the road, 100:00:00 driven"},
         })
        EXPECT_EQ(trackStatsLine(l.stats), l.line);
}

TEST(TrackStats, TheFileReadsBackAndBadLinesArePassedOver)
{
    const TrackStats stats{12, 5, 3, 2, 246799};
    EXPECT_EQ(formatTrackStats(stats), "started 12\nfinished 5\nrestarts 3\noffroad 2\nticks 246799\n");
    EXPECT_EQ(formatTrackStats(parseTrackStats(formatTrackStats(stats))), formatTrackStats(stats));

    struct Case {
        std::string text;
        TrackStats parsed;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"started 3\nfinished x\nrestarts -1\noffroad 99999999999999999999\nticks 7", {3, 0, 0, 0, 7}},
        {"started 3\nstarted 4\n", {3, 0, 0, 0, 0}},
        {"speed 9\nstarted\nstarted  2\n finished 1\nfinished 01\n", {}},
        {"started 9223372036854775807\nticks 9223372036854775808", {INT64_MAX, 0, 0, 0, 0}},
        // A stray zero byte spoils its line only.
        {std::string("started 1\0\nfinished 2", 21), {0, 2, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatTrackStats(parseTrackStats(c.text)), formatTrackStats(c.parsed)) << c.text;
}

TEST(TrackStats, EachRaceIsAddedToTheFileAndNothingElseIsReplaced)
{
    TempDir dir;
    ASSERT_TRUE(countRaceInStats(dir.path, "refa", RaceEnd::finished, 5426));
    ASSERT_TRUE(countRaceInStats(dir.path, "refa", RaceEnd::restarted, 80));
    TrackStats stats;
    ASSERT_TRUE(readTrackStats(dir.path, "refa", stats));
    EXPECT_EQ(formatTrackStats(stats), formatTrackStats(TrackStats{2, 1, 1, 0, 5506}));
    EXPECT_EQ(trackStatsPath(dir.path, "refa"), dir / "history/refa/stats.txt");
    EXPECT_TRUE(readTrackStats(dir.path, "refb", stats)) << "no file yet is no races";
    EXPECT_EQ(stats.started, 0);

    // A folder or a link in the file's place is left as it is.
    std::filesystem::create_directories(dir / "history/refb/stats.txt");
    EXPECT_FALSE(countRaceInStats(dir.path, "refb", RaceEnd::finished, 10));
    EXPECT_FALSE(readTrackStats(dir.path, "refb", stats));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "history/refb/stats.txt"));
    std::filesystem::create_directories(dir / "history/x");
    ASSERT_EQ(symlink("nowhere", (dir / "history/x/stats.txt").c_str()), 0);
    std::string error;
    EXPECT_FALSE(countRaceInStats(dir.path, "x", RaceEnd::finished, 10, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "history/x/stats.txt"));

    EXPECT_FALSE(countRaceInStats(dir / "missing", "refa", RaceEnd::finished, 10));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_FALSE(countRaceInStats(dir.path, "a/b", RaceEnd::finished, 10));
}

TEST(History, EveryFinishedRunIsKeptAndAPracticeRunWritesNothing)
{
    GameSandbox sandbox(reference);
    const TempDir& dir = sandbox.dir;
    game.save.trackName = "refa";

    // A practice run: whatever path it is handed to, nothing is written
    // and nothing recorded, not even a folder.
    game.run = referenceRun();
    game.run.practice = true;
    EXPECT_FALSE(recordRun(game));
    EXPECT_FALSE(keepFinishedRun(game));
    EXPECT_TRUE(everythingUnder(dir.path).empty());
    EXPECT_TRUE(game.save.records.empty());
    SaveData save;
    EXPECT_FALSE(recordRun(save, game.run, 60.0, 70.0, 80.0, 0.01, 5));
    EXPECT_TRUE(save.records.empty());
    GhostFile ghost;
    EXPECT_FALSE(ghostOfRun("refa", "kim", game.run, 5, reference, ghost));

    // Two finished runs, the second slower: both go into the history, and
    // the file of the one that really finished verifies.
    game.run.practice = false;
    EXPECT_TRUE(recordRun(game));
    EXPECT_TRUE(keepFinishedRun(game));
    game.run.ticks += 1;
    EXPECT_TRUE(keepFinishedRun(game));
    const std::string folder = dir / "Vantor/history/refa";
    const std::vector<HistoryEntry> kept = listHistory(folder);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].ticks + kept[1].ticks, 5426u + 5427u);
    const HistoryEntry& real = kept[0].ticks == 5426u ? kept[0] : kept[1];
    GhostFile back;
    std::string reason;
    ASSERT_TRUE(readGhostFile(folder + "/" + real.fileName, back, reason)) << reason;
    EXPECT_EQ(referenceVerdict(back), "");
    EXPECT_EQ(game.save.records["refa"].scores.size(), 1u) << "keeping a run records no score";

    // A session told its runs will not be saved keeps no history either.
    game.saveStatus.writable = false;
    EXPECT_FALSE(keepFinishedRun(game));
    EXPECT_EQ(listHistory(folder).size(), 2u);
}
