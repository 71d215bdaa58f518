// The vantor-sim binary run as a process on tracks written to a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/replay.h"
#include "test_tracks.h"

namespace {

const std::string simBinary = std::string(VANTOR_BUILD_DIR) + "/vantor-sim";

class VantorSim : public ::testing::Test {
protected:
    std::string root = makeTempFolder();

    void SetUp() override { writeTrackFile(root, "ring", ringPoints(30, 180.0, 22.0, 5.0, 2)); }
    void TearDown() override { removeFolder(root); }
    // The file name in the temporary folder, quoted for the shell.
    std::string at(const std::string& name) const { return "'" + root + "/" + name + "'"; }
    // A command with its options to run on the ring.
    std::string onRing(const std::string& command) const { return command + " --data '" + root + "' --track ring "; }

    // Runs vantor-sim with args; returns the exit status, fills stdout and stderr.
    int run(const std::string& args, std::string& out, std::string& err)
    {
        std::string cmd = "'" + simBinary + "' " + args + " >'" + root + "/out' 2>'" + root + "/err'";
        int status = std::system(cmd.c_str());
        out = readFile(root + "/out");
        err = readFile(root + "/err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    Track libraryTrack()
    {
        Track track;
        readTrackRoad(track, root, "ring");
        return track;
    }
};

TEST_F(VantorSim, HeldRaceTracesTheSameTwiceAndAgreesWithTheLibrary)
{
    std::string out, err;
    std::string args = "race --data '" + root + "' --track ring --hold 0.12,0,1 --max-ticks 700 --trace '";
    ASSERT_EQ(run(args + root + "/first.trace'", out, err), 0) << err;
    std::string firstOut = out;
    ASSERT_EQ(run(args + root + "/second.trace'", out, err), 0) << err;
    EXPECT_EQ(out, firstOut);
    std::string first = readFile(root + "/first.trace");
    EXPECT_EQ(first, readFile(root + "/second.trace"));

    Track track = libraryTrack();
    ReplaySetup setup;
    setup.controls.push_back(ControlInput{0.12f, 0.0f, 1.0f});
    setup.hold = true;
    setup.maxTicks = 700;
    std::string expected;
    ReplayResult result = replayRace(track, setup, [&](int64_t tick, bool countdown, const ShipState& s) {
        expected += traceLine(tick, countdown, s) + "\n";
    });
    EXPECT_EQ(first, expected);
    std::vector<std::string> outLines = linesOf(out);
    ASSERT_FALSE(outLines.empty());
    EXPECT_EQ(outLines.back(), outcomeLine(result));
    EXPECT_EQ(linesOf(first).size(), size_t(299 + result.raceTicks));
    EXPECT_EQ(linesOf(first)[298].substr(0, 6), "299 c ");
    EXPECT_EQ(linesOf(first)[299].substr(0, 6), "300 r ");
}

TEST_F(VantorSim, ControlFileRunsOneTickPerRecord)
{
    std::vector<ControlInput> records(450, ControlInput{0.05f, 0.0f, 0.8f});
    writeControls(root + "/run.ctl", records);
    std::string out, err;
    ASSERT_EQ(run(onRing("race") + "--controls " + at("run.ctl"), out, err), 0) << err;
    Track track = libraryTrack();
    ReplaySetup setup;
    setup.controls = records;
    ReplayResult result = replayRace(track, setup);
    EXPECT_EQ(out, outcomeLine(result) + "\n");

    ASSERT_EQ(run(onRing("race") + "--controls " + at("run.ctl") + " --max-ticks 10", out, err), 0);
    EXPECT_EQ(out, "unfinished 10\n");
}

TEST_F(VantorSim, AControlFileLongerThanAnHourStopsAtTheHour)
{
    // Standing still on the start line: on the road, never finishing.
    writeControls(root + "/long.ctl", std::vector<ControlInput>(360005, ControlInput{0.0f, 1.0f, 0.0f}));
    std::string out, err;
    const std::string args = "race --data '" + root + "' --track ring --controls '" + root + "/long.ctl'";
    ASSERT_EQ(run(args, out, err), 0) << err;
    EXPECT_EQ(out, "unfinished 360000\n");
}

TEST_F(VantorSim, BadArgumentsAndUnreadableFilesExitWithTwo)
{
    std::ofstream(root + "/odd.ctl", std::ios::binary) << "thirteen byte";
    writeTrackFile(root, "two", ringPoints(2, 50.0, 10.0));
    // Neither may block or read without end.
    ASSERT_EQ(mkfifo((root + "/fifo.ctl").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((root + "/tracks/fifo").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((root + "/tracks/fifo/track.track").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((root + "/tracks/zero").c_str(), 0700), 0);
    writeControls(root + "/short.ctl", std::vector<ControlInput>(10, ControlInput{0.0f, 0.0f, 1.0f}));
    // The magic of a ghost file, then nothing.
    std::ofstream(root + "/damaged.vghost", std::ios::binary) << "VNTGHOST";
    ASSERT_EQ(symlink("/dev/zero", (root + "/tracks/zero/track.track").c_str()), 0);
    const std::string data = "--data '" + root + "' ";
    const std::string shortRun = " '" + root + "/short.ctl'", oddRun = " '" + root + "/odd.ctl'";
    const std::string practice = "practice " + data + "--track ring --run";
    const std::vector<std::string> bad = {
        "",
        "fly",
        "--helpme",
        "help",
        "race " + data + "--hold 0,0,1",
        "race --track ring --hold 0,0,1",
        "race " + data + "--track ring",
        "race " + data + "--track ring --hold 0,0,1 --controls '" + root + "/odd.ctl'",
        "race " + data + "--track ring --hold 0,0",
        "race " + data + "--track ring --hold 0,0,1x",
        "race " + data + "--track ring --hold 0,0,1 --max-ticks -5",
        "race " + data + "--track ring --hold 0,0,1 --max-ticks",
        "race " + data + "--track ring --hold 0,0,1 --speed 3",
        "race " + data + "--track ring --controls '" + root + "/odd.ctl'",
        "race " + data + "--track ring --controls '" + root + "/none.ctl'",
        "race " + data + "--track ring --controls '" + root + "/fifo.ctl'",
        "race " + data + "--track ring --controls /dev/zero",
        "race " + data + "--track ring --controls '" + root + "'",
        "race " + data + "--track fifo --hold 0,0,1",
        "race " + data + "--track zero --hold 0,0,1",
        "verify " + data + "'" + root + "/fifo.ctl'",
        "verify " + data + "/dev/zero",
        "race " + data + "--track nowhere --hold 0,0,1",
        "race " + data + "--track two --hold 0,0,1",
        "race " + data + "--track ring --hold 0,0,1 --max-ticks 5 --trace '" + root + "/no/such/dir/t'",
        "compare " + data + "--track ring" + shortRun,
        "compare " + data + "--track ring" + shortRun + shortRun + shortRun,
        "compare --track ring" + shortRun + shortRun,
        "compare " + data + "--track ring" + shortRun + oddRun,
        "compare " + data + "--track ring '" + root + "/fifo.ctl'" + shortRun,
        "compare " + data + "--track ring '" + root + "/damaged.vghost'" + shortRun,
        "compare " + data + "--track nowhere" + shortRun + shortRun,
        practice + shortRun + " --lap 1 --controls" + shortRun,
        practice + shortRun + " --lap -1 --segment 1 --controls" + shortRun,
        practice + shortRun + " --lap 1 --segment 1x --controls" + shortRun,
        practice + oddRun + " --lap 1 --segment 1 --controls" + shortRun,
        practice + shortRun + " --lap 1 --segment 1 --controls" + oddRun,
        // Ten records never reach the second lap.
        practice + shortRun + " --lap 2 --segment 1 --controls" + shortRun,
    };
    for (const std::string& args : bad) {
        std::string out, err;
        EXPECT_EQ(run(args, out, err), 2) << args;
        EXPECT_EQ(linesOf(err).size(), 1u) << args << ": " << err;
        EXPECT_TRUE(out.empty()) << args;
    }
}

TEST_F(VantorSim, HelpPrintsTheUsageOfEverySubcommandAndSucceeds)
{
    for (const char* flag : {"--help", "-h"}) {
        std::string out, err;
        EXPECT_EQ(run(flag, out, err), 0) << flag;
        EXPECT_TRUE(err.empty()) << flag << ": " << err;
        std::vector<std::string> lines = linesOf(out);
        ASSERT_GE(lines.size(), 7u) << flag << ": " << out;
        EXPECT_EQ(lines[0], "usage:");
        for (const char* name : {"race", "bot", "verify", "bench", "ghost"}) {
            const std::string start = std::string("  vantor-sim ") + name + " ";
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                    [&](const std::string& l) { return l.rfind(start, 0) == 0; }),
                      1)
                << flag << " lists " << name;
        }
    }
}

TEST_F(VantorSim, BotFinishesAndItsRecordsReplayToTheSameLine)
{
    std::string out, err;
    ASSERT_EQ(run("bot --data '" + root + "' --track ring --out '" + root + "/bot.ctl'", out, err), 0) << err;
    std::vector<std::string> lines = linesOf(out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(0, 7), "finish ");
    std::string botLine = lines.back();
    ASSERT_EQ(run("race --data '" + root + "' --track ring --controls '" + root + "/bot.ctl'", out, err), 0) << err;
    EXPECT_EQ(out, botLine + "\n");
    // One 12-byte record per race tick.
    EXPECT_EQ(readFile(root + "/bot.ctl").size(), 12u * std::stoul(botLine.substr(7)));

    // With --splits: the same outcome line, then every crossing of the run,
    // the last being the finish on the finish tick.
    ASSERT_EQ(run(onRing("race") + "--splits --controls " + at("bot.ctl"), out, err), 0) << err;
    lines = linesOf(out);
    ASSERT_GT(lines.size(), 60u);
    EXPECT_EQ(lines.front(), botLine);
    EXPECT_EQ(lines.back(), "split 3 1 " + botLine.substr(7));
    EXPECT_EQ(lines[1], "split 1 1 " + lines[1].substr(10));
    int64_t previous = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        int lap = -1, segment = -1;
        long long tick = -1;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "split %d %d %lld", &lap, &segment, &tick), 3) << lines[i];
        EXPECT_GT(tick, previous) << lines[i];
        previous = tick;
    }
    EXPECT_EQ(run("race --data '" + root + "' --track ring --splits --splits --hold 0,0,1", out, err), 2);
}

TEST_F(VantorSim, BenchPrintsItsFiguresForARecordedRun)
{
    writeControls(root + "/bench.ctl", std::vector<ControlInput>(300, ControlInput{0.1f, 0.0f, 1.0f}));
    std::string out, err;
    ASSERT_EQ(run(onRing("bench") + "--controls " + at("bench.ctl") + " --repeat 2", out, err), 0) << err;
    EXPECT_NE(out.find("ticks per second: "), std::string::npos) << out;
    EXPECT_NE(out.find("railPoint calls per step: "), std::string::npos) << out;
    // Four force evaluations and the snap: five locator calls per step.
    EXPECT_NE(out.find("locate calls per step: 5.0"), std::string::npos) << out;
    EXPECT_EQ(run("bench --data '" + root + "' --track ring --repeat 0", out, err), 2);
}

namespace {

// "split LAP SEGMENT TICK" lines of race --splits, in order.
struct PrintedSplit {
    int lap = 0, segment = 0;
    long long tick = 0;
};

std::vector<PrintedSplit> printedSplits(const std::string& out)
{
    std::vector<PrintedSplit> splits;
    for (const std::string& line : linesOf(out)) {
        PrintedSplit s;
        if (std::sscanf(line.c_str(), "split %d %d %lld", &s.lap, &s.segment, &s.tick) == 3)
            splits.push_back(s);
    }
    return splits;
}

}  // namespace

TEST_F(VantorSim, CompareSectionsAreDifferencesOfSplitTicks)
{
    // A driven run, one held back for a stretch and one that only holds its
    // steering until it leaves the road.
    Track track = libraryTrack();
    writeControls(root + "/fast.ctl", drivenRun(track));
    writeControls(root + "/slow.ctl", drivenRun(track, 0.4f, 900, 1300));
    writeControls(root + "/wide.ctl", std::vector<ControlInput>(2000, ControlInput{0.0f, 0.0f, 1.0f}));
    const std::string data = "--data '" + root + "' --track ring ";

    struct Pair {
        std::string a, b;
    };
    for (const Pair& p : std::vector<Pair>{{"slow", "fast"}, {"fast", "slow"}, {"fast", "wide"}, {"fast", "fast"}}) {
        SCOPED_TRACE(p.a + " against " + p.b);
        std::string outA, outB, out, err;
        ASSERT_EQ(run("race " + data + "--splits --controls '" + root + "/" + p.a + ".ctl'", outA, err), 0) << err;
        ASSERT_EQ(run("race " + data + "--splits --controls '" + root + "/" + p.b + ".ctl'", outB, err), 0) << err;
        ASSERT_EQ(run("compare " + data + "'" + root + "/" + p.a + ".ctl' '" + root + "/" + p.b + ".ctl'", out, err),
                  0)
            << err;
        const std::vector<std::string> lines = linesOf(out);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0], "A " + linesOf(outA)[0]);
        EXPECT_EQ(lines[1], "B " + linesOf(outB)[0]);

        // Every split of A that B also has, B's in increasing order.
        const std::vector<PrintedSplit> a = printedSplits(outA), b = printedSplits(outB);
        std::vector<std::string> expected;
        long long lastA = 0, lastB = 0;
        for (const PrintedSplit& s : a) {
            for (const PrintedSplit& t : b) {
                if (t.lap != s.lap || t.segment != s.segment || t.tick <= lastB)
                    continue;
                expected.push_back("section " + std::to_string(s.lap) + " " + std::to_string(s.segment) + " " +
                                   std::to_string(s.tick - lastA) + " " + std::to_string(t.tick - lastB));
                lastA = s.tick;
                lastB = t.tick;
            }
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end() - 1), expected);
        EXPECT_EQ(lines.back(), "total " + linesOf(outA)[0].substr(linesOf(outA)[0].find(' ') + 1) + " " +
                                    linesOf(outB)[0].substr(linesOf(outB)[0].find(' ') + 1));
    }
}

TEST_F(VantorSim, APracticeTraceIsTheRaceOfTheJoinedRecords)
{
    Track track = libraryTrack();
    const std::vector<ControlInput> reference = drivenRun(track);
    const std::vector<ControlInput> other = drivenRun(track, 0.5f, 0, 400);
    writeControls(root + "/reference.ctl", reference);
    const std::string data = "--data '" + root + "' --track ring ";
    std::string out, err;
    ASSERT_EQ(run("race " + data + "--splits --controls '" + root + "/reference.ctl'", out, err), 0) << err;
    const std::vector<PrintedSplit> splits = printedSplits(out);

    struct Case {
        int lap, segment;
        // Records the player drives after the crossing.
        size_t own;
        std::string maxTicks;
    };
    const std::vector<Case> cases = {
        {1, 1, 5000, ""},        {1, 17, 300, ""},   {2, 1, 8000, ""},
        {2, 9, 8000, " --max-ticks 2500"}, {2, 9, 100, " --max-ticks 40"}, {3, 1, 50, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lap) + " " + std::to_string(c.segment) + c.maxTicks);
        long long crossing = -1;
        for (const PrintedSplit& s : splits)
            if (s.lap == c.lap && s.segment == c.segment)
                crossing = s.tick;
        ASSERT_GT(crossing, 0);
        const std::vector<ControlInput> own(other.begin() + 100, other.begin() + 100 + long(c.own));
        writeControls(root + "/own.ctl", own);
        std::vector<ControlInput> joined(reference.begin(), reference.begin() + crossing);
        joined.insert(joined.end(), own.begin(), own.end());
        writeControls(root + "/joined.ctl", joined);

        std::string practiced, raced;
        const std::string place = " --lap " + std::to_string(c.lap) + " --segment " + std::to_string(c.segment);
        ASSERT_EQ(run(onRing("practice") + "--run " + at("reference.ctl") + place + " --controls " + at("own.ctl") +
                          " --trace " + at("practice.trace") + c.maxTicks, practiced, err), 0) << err;
        ASSERT_EQ(run(onRing("race") + "--controls " + at("joined.ctl") + " --trace " + at("race.trace") + c.maxTicks,
                      raced, err), 0) << err;
        EXPECT_EQ(practiced, raced);
        const std::string trace = readFile(root + "/practice.trace");
        EXPECT_GT(linesOf(trace).size(), 299u);
        EXPECT_TRUE(trace == readFile(root + "/race.trace"));
    }
}

// The independent reference runs through the binary, as anyone would check them.
TEST_F(VantorSim, ReproducesEveryReferenceTrace)
{
    const std::string ref = VANTOR_REFERENCE_DIR;
    struct Run {
        std::string args;
        std::string name;
    } runs[] = {{"--track refa --controls '" + ref + "/refa.ctl'", "refa"},
                {"--track refb --controls '" + ref + "/refb.ctl'", "refb"},
                {"--track refa --hold 0.3,0,1", "refa-hold"},
                {"--track refb --hold 0,0,1", "refb-hold"}};
    for (const Run& r : runs) {
        std::string out, err;
        std::string trace = root + "/" + r.name + ".trace";
        ASSERT_EQ(run("race --data '" + ref + "' " + r.args + " --trace '" + trace + "'", out, err), 0) << err;
        std::vector<std::string> expected = gunzipLines(ref + "/" + r.name + ".trace.gz");
        std::vector<std::string> actual = linesOf(readFile(trace));
        ASSERT_GT(expected.size(), 299u);
        size_t i = 0;
        while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
            ++i;
        EXPECT_EQ(i, expected.size()) << r.name << ": first difference on line " << i + 1;
        EXPECT_EQ(actual.size(), expected.size()) << r.name;
        std::vector<std::string> outcome = linesOf(readFile(ref + "/" + r.name + ".out"));
        ASSERT_EQ(outcome.size(), 3u);
        EXPECT_EQ(out, outcome[2] + "\n") << r.name;
    }
}

} // namespace
