// The medal ghosts of the generated content: every file holds as a ghost,
// finishes inside its medal and at most 0.30 s under the medal time, and is
// what a fresh drive of the same track writes, byte for byte; a race offers
// only the ones that hold for its own track.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "assets/models.h"
#include "content/generated_content.h"
#include "content/medal_ghosts.h"
#include "design/track_catalogue.h"
#include "design/track_design.h"
#include "save/rivals.h"
#include "save/runs.h"
#include "sim/race_session.h"
#include "track/track_file.h"

namespace {

const TrackState medalStates[3] = {TrackState::gold, TrackState::silver, TrackState::bronze};

// Gold, silver and bronze seconds of a track as the game reads them.
void readTimes(const std::string& data, const std::string& track, double seconds[3])
{
    Area area;
    area.goldSeconds = area.silverSeconds = area.bronzeSeconds = -1.0;
    std::istringstream times(readWholeFile(data + "/tracks/" + track + "/times.txt"));
    readMedalTimes(times, area);
    seconds[0] = area.goldSeconds;
    seconds[1] = area.silverSeconds;
    seconds[2] = area.bronzeSeconds;
}

std::string ghostPath(const std::string& data, const std::string& track, int medal)
{
    return data + "/tracks/" + track + "/" + medalNames[medal] + ".vghost";
}

class ShippedMedalGhosts : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = generatedContent();
        ASSERT_FALSE(data.empty()) << "vantor-content failed";
    }
    std::string data;

    // A track's road, the hash of its file and its medal seconds.
    void readTrack(const std::string& track, Track& road, Sha256Digest& hash, double seconds[3])
    {
        ASSERT_TRUE(readTrackRoad(road, data, track));
        ASSERT_TRUE(hashTrackFile(data, track, hash));
        readTimes(data, track, seconds);
    }
};

} // namespace

TEST(MedalWindow, EndsOnTheSlowestFinishThatEarnsTheMedal)
{
    // Times whose hundredfold is not exact in binary included: the window
    // follows the medal rule's own comparison, which gives 4.35 s 434 ticks.
    const struct {
        double seconds;
        int64_t last;
    } cases[] = {{92.0, 9200}, {57.0, 5700}, {0.07, 7}, {92.345, 9234}, {150.0, 15000}, {1.1, 110}, {4.35, 434}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        const MedalWindow w = medalWindow(c.seconds);
        EXPECT_EQ(w.last, c.last);
        EXPECT_EQ(w.first, c.last - 30);
        const double s = c.seconds;
        EXPECT_EQ(medalFor(int32_t(w.last), s, s, s, tickSeconds), TrackState::gold);
        EXPECT_EQ(medalFor(int32_t(w.last + 1), s, s, s, tickSeconds), TrackState::open);
    }
}

TEST_F(ShippedMedalGhosts, EveryTrackShipsThreeThatHoldAndLandInTheirWindows)
{
    for (const std::string& track : trackOrder()) {
        double seconds[3];
        readTimes(data, track, seconds);
        ASSERT_GT(seconds[0], 0.0) << track;
        for (int m = 0; m < 3; ++m) {
            SCOPED_TRACE(track + " " + medalNames[m]);
            GhostFile ghost;
            ASSERT_EQ(verifyGhostFile(data, ghostPath(data, track, m), ghost), "");
            EXPECT_EQ(ghost.trackName, track);
            EXPECT_EQ(ghost.playerName, medalNames[m]);
            EXPECT_EQ(ghost.date, 0);
            EXPECT_EQ(ghost.records.size(), size_t(ghost.ticks));
            // Earns exactly its own medal, and not by more than 0.30 s.
            EXPECT_EQ(medalFor(int32_t(ghost.ticks), seconds[0], seconds[1], seconds[2], tickSeconds),
                      medalStates[m]);
            EXPECT_LE(seconds[m] * ticksPerSecond - double(ghost.ticks), 30.0 + 1e-9);
            // Started as the race starts a player: the reset ship.
            Track road;
            ASSERT_TRUE(readTrackRoad(road, data, track));
            ShipState start;
            RaceSession session;
            beginRace(session, road, start, nullptr, defaultGravity);
            EXPECT_EQ(std::memcmp(ghost.startState.data(), &start, sizeof(ShipState)), 0);
        }
    }
}

TEST_F(ShippedMedalGhosts, TheSimulatorAcceptsEveryShippedGhostFile)
{
    int status = -1;
    const std::string out =
        runBuilt("vantor-sim", "ghost verify --data '" + data + "' '" + data + "'/tracks/*/*.vghost", status);
    ASSERT_GE(status, 0) << "the simulator exits";
    EXPECT_EQ(status, 0) << out;
    for (const std::string& track : trackOrder())
        for (int m = 0; m < 3; ++m)
            EXPECT_NE(out.find(ghostPath(data, track, m) + " ok "), std::string::npos) << track << medalNames[m];
    EXPECT_EQ(out.find("rejected"), std::string::npos) << out;
}

TEST_F(ShippedMedalGhosts, AFreshDriveWritesTheSameBytes)
{
    // The first, a middle and the last track: the search is the same
    // wherever it runs, so the files never depend on the run of the tool.
    const std::vector<std::string>& order = trackOrder();
    for (const std::string& track : {order.front(), order[order.size() / 2], order.back()}) {
        SCOPED_TRACE(track);
        Track road;
        Sha256Digest hash;
        double seconds[3];
        ASSERT_NO_FATAL_FAILURE(readTrack(track, road, hash, seconds));
        const MedalGhosts drives = driveMedalGhosts(road, hash, seconds);
        ASSERT_EQ(drives.error, "");
        // A handful of races for each medal.
        EXPECT_LE(drives.races, 3 * 8);
        for (int m = 0; m < 3; ++m) {
            const std::vector<uint8_t> bytes = encodeGhost(drives.ghosts[m]);
            EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == readWholeFile(ghostPath(data, track, m)))
                << medalNames[m];
        }
    }
}

TEST_F(ShippedMedalGhosts, AMedalOutOfReachIsReportedNotWritten)
{
    Track road;
    Sha256Digest hash;
    double seconds[3];
    ASSERT_NO_FATAL_FAILURE(readTrack(trackOrder().front(), road, hash, seconds));
    // Gold in half the time: faster than the autopilot drives at all.
    const double tooFast[3] = {0.5 * seconds[0], seconds[1], seconds[2]};
    const MedalGhosts drives = driveMedalGhosts(road, hash, tooFast);
    EXPECT_EQ(drives.races, 1);
    EXPECT_EQ(drives.error.rfind("gold: ", 0), 0u) << drives.error;
    EXPECT_TRUE(drives.ghosts[0].records.empty());

    // Every search adds its races to what the next one starts from.
    const AutopilotPath path = buildAutopilotPath(road);
    std::vector<CapSample> known;
    const MedalSearch gold = searchMedalDrive(road, path, medalWindow(seconds[0]), known);
    ASSERT_TRUE(gold.found);
    EXPECT_EQ(known.size(), size_t(gold.races));
    const MedalSearch silver = searchMedalDrive(road, path, medalWindow(seconds[1]), known);
    ASSERT_TRUE(silver.found);
    EXPECT_EQ(known.size(), size_t(gold.races + silver.races));
    // No race is spent again on the uncapped autopilot.
    EXPECT_LT(known.back().cap, known.front().cap);
}

TEST_F(ShippedMedalGhosts, TheRaceReadsOnlyTheOnesOfItsOwnTrack)
{
    const std::string track = trackOrder().front(), other = trackOrder().back();
    const MedalGhostRuns shipped = readMedalGhosts(data, track);
    for (int m = 0; m < 3; ++m) {
        SCOPED_TRACE(medalNames[m]);
        ASSERT_TRUE(shipped.offered[m]);
        GhostFile file;
        std::string reason;
        ASSERT_TRUE(readGhostFile(ghostPath(data, track, m), file, reason));
        EXPECT_EQ(shipped.ticks[m], file.ticks);
        EXPECT_EQ(shipped.runs[m].size(), file.records.size());
    }

    // A folder holding both roads: the gold of the other track put in
    // place of this one's holds as a file, but not as this track's gold; a
    // silver cut short does not hold at all; bronze is missing.
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(data).parent_path() / "medal-swap";
    for (const std::string& t : {track, other}) {
        fs::create_directories(dir / "tracks" / t);
        fs::copy_file(fs::path(data) / "tracks" / t / "track.track", dir / "tracks" / t / "track.track");
    }
    fs::copy_file(ghostPath(data, other, 0), dir / "tracks" / track / "gold.vghost");
    GhostFile silver;
    std::string reason;
    ASSERT_TRUE(readGhostFile(ghostPath(data, track, 1), silver, reason));
    silver.records.resize(silver.records.size() / 2);
    ASSERT_TRUE(writeGhostFile((dir / "tracks" / track / "silver.vghost").string(), silver));
    const MedalGhostRuns swapped = readMedalGhosts(dir.string(), track);
    for (int m = 0; m < 3; ++m)
        EXPECT_FALSE(swapped.offered[m]) << medalNames[m];
    EXPECT_FALSE(readMedalGhosts(dir.string(), other).offered[0]);
    EXPECT_FALSE(readMedalGhosts(data, "../" + track).offered[0]);
    fs::remove_all(dir);
}

TEST(MedalGhostWriting, ReplacesOnlyARegularFileOfItsOwn)
{
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/vantor-medal-write-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    const std::vector<uint8_t> bytes = {'V', 'N', 'T', 'G'};
    const std::string kept = "someone else's file";
    {
        std::ofstream((dir / "target").string()) << kept;
    }
    const struct {
        const char* what;
        bool written;
        void (*make)(const fs::path& at, const fs::path& dir);
    } cases[] = {
        {"nothing there", true, [](const fs::path&, const fs::path&) {}},
        {"a longer old file", true,
         [](const fs::path& at, const fs::path&) { std::ofstream(at.string()) << "an older, longer file"; }},
        {"a link to another file", false,
         [](const fs::path& at, const fs::path& d) { fs::create_symlink(d / "target", at); }},
        {"a FIFO with no reader", false, [](const fs::path& at, const fs::path&) { mkfifo(at.c_str(), 0600); }},
        {"a folder", false, [](const fs::path& at, const fs::path&) { fs::create_directory(at); }},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path at = dir / ("gold" + std::to_string(n++) + ".vghost");
        c.make(at, dir);
        EXPECT_EQ(writeContentFile(at.string(), bytes), c.written);
        if (c.written) {
            EXPECT_EQ(readWholeFile(at.string()), "VNTG");
            // Readable by all, as far as the user's umask lets a new file be.
            const mode_t mask = umask(0);
            umask(mask);
            const bool othersRead = (fs::status(at).permissions() & fs::perms::others_read) != fs::perms::none;
            EXPECT_EQ(othersRead, (mask & S_IROTH) == 0);
        }
    }
    EXPECT_EQ(readWholeFile((dir / "target").string()), kept);
    fs::remove_all(dir);
}
