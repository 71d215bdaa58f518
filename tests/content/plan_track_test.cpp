// vantor-content track PLAN OUTDIR, the real tool: the folder it writes, the
// same bytes for the same plan, an author run that replays as a ghost file
// does, medals by the built-in rule, and refusals that write nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "content/generated_content.h"
#include "design/medal_times.h"
#include "design/track_package.h"
#include "save/ghost_file.h"
#include "sim/race_constants.h"
#include "test_files.h"
#include "track/track_file.h"

namespace {

const char* const ridge = "# a first try\nplan 1\nname ridge\ntheme alpine\nroad basalt\nwidth 16\n"
                          "corner 0 0 120 0 0\ncorner 900 0 90 5 10\ncorner 900 600 80 20 10 14\n"
                          "corner 0 600 100 10 0\n";

const std::vector<std::string> trackFiles = {"area.png",   "area.tris",    "author.vghost", "plan.txt",
                                             "textures.txt", "times.txt", "track.track"};

struct ToolRun {
    int status = -1;
    std::string err;
};

// Writes the plan beside outDir and runs the tool on it.
ToolRun runTrackTool(const std::string& planText, const std::string& outDir, const std::string& planPath)
{
    writeText(planPath, planText);
    ToolRun run;
    run.err = runBuilt("vantor-content", "track '" + planPath + "' '" + outDir + "' 2>&1 >/dev/null", run.status);
    return run;
}

class PlanTrack : public ::testing::Test {
protected:
    void SetUp() override
    {
        work = makeTempDir("plan");
        ASSERT_FALSE(work.empty());
        out = work + "/out";
        std::filesystem::create_directory(out);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(work, ignored);
    }
    std::string work, out;
};

} // namespace

TEST_F(PlanTrack, WritesTheTrackFolderAndTheSameBytesTwice)
{
    std::string again = work + "/again";
    std::filesystem::create_directory(again);
    ToolRun first = runTrackTool(ridge, out, work + "/ridge.plan");
    ToolRun second = runTrackTool(ridge, again, work + "/ridge.plan");
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(filesBelow(out), std::vector<std::string>({"tracks/ridge/area.png", "tracks/ridge/area.tris",
                                                         "tracks/ridge/author.vghost", "tracks/ridge/plan.txt",
                                                         "tracks/ridge/textures.txt", "tracks/ridge/times.txt",
                                                         "tracks/ridge/track.track"}));
    for (const std::string& name : trackFiles) {
        std::string a = readWholeFile(out + "/tracks/ridge/" + name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, readWholeFile(again + "/tracks/ridge/" + name)) << name;
    }
    // The plan as the game writes it reads back to the same text.
    TrackPlan plan;
    PlanFault fault;
    std::string stored = readWholeFile(out + "/tracks/ridge/plan.txt");
    ASSERT_TRUE(readPlan(stored, plan, fault)) << describeFault(fault);
    EXPECT_EQ(formatPlan(plan), stored);
}

TEST_F(PlanTrack, TheAuthorRunVerifiesAndSetsTheMedalsByTheBuiltInRule)
{
    ToolRun run = runTrackTool(ridge, out, work + "/ridge.plan");
    ASSERT_EQ(run.status, 0) << run.err;
    // As vantor-sim ghost verify checks a ghost file.
    GhostFile ghost;
    std::string reason;
    ASSERT_TRUE(readGhostFile(out + "/tracks/ridge/author.vghost", ghost, reason)) << reason;
    EXPECT_EQ(ghost.trackName, "ridge");
    EXPECT_EQ(ghost.playerName, autopilotAuthor);
    Sha256Digest hash;
    ASSERT_TRUE(hashTrackFile(out, "ridge", hash));
    Track track;
    ASSERT_TRUE(readTrackRoad(track, out, "ridge"));
    EXPECT_EQ(checkGhost(ghost, hash, track), "");
    MedalTimes medals = medalTimesFrom(ghost.ticks * tickSeconds);
    EXPECT_EQ(readWholeFile(out + "/tracks/ridge/times.txt"), medalTimesText(medals));
    EXPECT_LT(medals.gold, medals.silver);
    EXPECT_LT(medals.silver, medals.bronze);
}

TEST_F(PlanTrack, RefusalsSayWhereOnOneLineAndWriteNothing)
{
    const std::string head = "plan 1\nname ridge\ntheme alpine\nroad basalt\n";
    const std::pair<std::string, const char*> cases[] = {
        {head + "corner 0 0 100 0 0\ncorner 900 0 100 0 0\n", ":6: "},
        {head + "corner 0 0 100 0 0\ncorner 900 0 nan 0 0\ncorner 900 600 100 0 0\n", ":6: "},
        {head + "corner 0 0 100 0 0\ncorner 900 0 100 0 0\ncorner 900 600 100 0 99\n", ":7: "},
        {"plan 1\nname ridge\ntheme lunar\nroad basalt\n", ":3: "},
        {"plan 1\nname ridge\ntheme alpine\nroad gravel\n", ":4: "},
        {head + "corner 0 0 50 0 0\ncorner 600 600 50 0 0\ncorner 600 0 50 0 0\ncorner 0 600 50 0 0\n", ":5: "},
        {head + "corner 0 0 100 0 0\ncorner 300 0 900 0 0\ncorner 300 300 100 0 0\ncorner 0 300 100 0 0\n",
         ":6: "},
    };
    for (const auto& [text, where] : cases) {
        SCOPED_TRACE(text);
        ToolRun run = runTrackTool(text, out, work + "/bad.plan");
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(where), std::string::npos) << run.err;
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_TRUE(std::filesystem::is_empty(out));
    }
}

TEST_F(PlanTrack, NeitherMakesFoldersAboveTheTrackNorReplacesWhatIsNotItsOwnFile)
{
    // OUTDIR must be there already.
    ToolRun missing = runTrackTool(ridge, work + "/none/deeper", work + "/ridge.plan");
    EXPECT_EQ(missing.status, 2) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(work + "/none"));

    // A link where a file goes is left alone, and so is what it points to.
    std::filesystem::create_directories(out + "/tracks/ridge");
    writeText(work + "/precious", "keep");
    ASSERT_EQ(symlink((work + "/precious").c_str(), (out + "/tracks/ridge/times.txt").c_str()), 0);
    ToolRun linked = runTrackTool(ridge, out, work + "/ridge.plan");
    EXPECT_EQ(linked.status, 2) << linked.err;
    EXPECT_EQ(readWholeFile(work + "/precious"), "keep");
    auto entries = std::filesystem::directory_iterator(out + "/tracks/ridge");
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(out + "/tracks/ridge/times.txt"));

    // A plan that is not a regular file is not read.
    std::filesystem::remove(out + "/tracks/ridge/times.txt");
    ASSERT_EQ(mkfifo((work + "/fifo.plan").c_str(), 0600), 0);
    int status = -1;
    runBuilt("vantor-content", "track '" + work + "/fifo.plan' '" + out + "' >/dev/null 2>&1", status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(filesBelow(out), std::vector<std::string>{});
}
