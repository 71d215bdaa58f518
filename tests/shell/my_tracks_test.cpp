// The player's own tracks: the names their records go by, the folders and
// files "my tracks" lists, and shared files taken in, refused, written and
// deleted, all on folders of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "assets/picture_file.h"
#include "assets/regular_file.h"
#include "design/track_package.h"
#include "design/track_share.h"
#include "save/progress.h"
#include "save/sha256.h"
#include "shell/my_tracks.h"
#include "design/ridge_plan.h"
#include "user_folder.h"
#include "track/track_file.h"

namespace fs = std::filesystem;

namespace {

// The ridge with the scenery picture its folder holds.
const TrackPackage& ridge()
{
    static const TrackPackage package = [] {
        TrackPackage p = ridgePackage();
        TrackFileImage png{"area.png", {}};
        if (!p.files.empty() && encodePng(p.scenery.atlas, png.bytes))
            p.files.push_back(png);
        return p;
    }();
    return package;
}

std::vector<uint8_t> ridgeShared()
{
    SharedTrack shared;
    shared.planText = formatPlan(ridge().plan);
    shared.author = ridge().author;
    return encodeSharedTrack(shared);
}

void putBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    writeFile(path, std::vector<char>(bytes.begin(), bytes.end()));
}

class MyTracks : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        ASSERT_FALSE(ridge().files.empty()) << "the ridge plan did not build";
        dir = makeTempDir("mytracks");
        ASSERT_FALSE(dir.empty());
        playerTracksRoot = dir;
    }
    void TearDown() override
    {
        playerTracksRoot.clear();
        fs::remove_all(dir);
    }

    void writeRidge()
    {
        std::string error;
        ASSERT_EQ(writeTrackFolder(dir, "ridge", ridge().files, error), FolderWrite::written) << error;
    }
};

} // namespace

TEST(PlayerTrackNames, NameTheirPlanAndNeverAGridTrack)
{
    const std::string hash(64, 'a');
    EXPECT_EQ(playerTrackName("ridge", hash), "my.ridge.aaaaaaaaaaaaaaaa");
    const struct {
        const char* name;
        const char* plan;
    } cases[] = {
        {"my.ridge.0123456789abcdef", "ridge"},
        {"my.a-b_C9.ffffffffffffffff", "a-b_C9"},
        {"my.00.0123456789abcdef", "00"},
        {"00", ""},
        {"42", ""},
        {"ridge", ""},
        {"my.ridge", ""},
        {"my..0123456789abcdef", ""},
        {"my.ri.dge.0123456789abcdef", ""},
        {"my.ri/dge.0123456789abcdef", ""},
        {"my.ridge.0123456789ABCDEF", ""},
        {"my.ridge.0123456789abcde", ""},
        {"my.ridge-0123456789abcdef", ""},
        {"your.ridge.0123456789abcdef", ""},
        {"my.aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.0123456789abcdef", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(playerTrackPlan(c.name), c.plan) << c.name;
        EXPECT_EQ(shownTrackName(c.name), *c.plan ? c.plan : c.name) << c.name;
    }
    // Every grid name stays a grid name, and a plan named like one is not it.
    for (int r = 0; r < trackGridRows; ++r)
        for (int c = 0; c < trackGridColumns; ++c) {
            EXPECT_EQ(playerTrackPlan(trackNameAt(r, c)), "");
            EXPECT_NE(playerTrackName(trackNameAt(r, c), hash), trackNameAt(r, c));
        }
    // Two plans, or two roads of one plan, never share a record.
    EXPECT_NE(playerTrackName("ab", hash), playerTrackName("a", hash));
    EXPECT_NE(playerTrackName("ridge", hash), playerTrackName("ridge", std::string(64, 'b')));
    EXPECT_TRUE(isTrackName(playerTrackName(std::string(32, 'z'), hash))) << "fits a ghost file";
}

TEST(PlayerTrackNames, FindTheirFolderBesideTheSaveFile)
{
    const std::string name = playerTrackName("ridge", std::string(64, '0'));
    playerTracksRoot.clear();
    EXPECT_EQ(trackFolderPath("data", "00"), "data/tracks/00");
    EXPECT_EQ(trackFolderPath("data", name), "data/tracks/" + name) << "the tools have no player folder";
    playerTracksRoot = "/home/p/.local/share/Vantor";
    EXPECT_EQ(trackFolderPath("data", "00"), "data/tracks/00");
    EXPECT_EQ(trackFolderPath("data", name), "/home/p/.local/share/Vantor/tracks/ridge");
    EXPECT_EQ(trackFolderPath("data", "ridge"), "data/tracks/ridge");
    playerTracksRoot.clear();
}

TEST_F(MyTracks, ListsFoldersWithAPlanAndSharedFilesOnly)
{
    writeRidge();
    const std::string tracks = dir + "/tracks";
    writeText(tracks + "/draft/plan.txt", "plan 1\n");
    writeText(tracks + "/bad name/plan.txt", "plan 1\n");
    fs::create_directories(tracks + "/noplan");
    fs::create_directories(tracks + "/folderplan/plan.txt");
    fs::create_directory_symlink(tracks + "/ridge", tracks + "/linked");
    writeText(tracks + "/loose.txt", "x");
    writeText(tracks + "/a.vtrack", "x");
    fs::create_directories(tracks + "/b.vtrack");
    writeText(tracks + "/.vtrack", "x");
    fs::create_symlink(tracks + "/a.vtrack", tracks + "/c.vtrack");

    const std::vector<MyTrack> listed = listMyTracks(dir);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].plan, "draft");
    EXPECT_FALSE(listed[0].validated) << "no author run yet";
    EXPECT_EQ(listed[1].plan, "ridge");
    EXPECT_TRUE(listed[1].validated);
    EXPECT_EQ(listSharedFiles(dir), std::vector<std::string>{"a.vtrack"});
    EXPECT_TRUE(listMyTracks("").empty());
    EXPECT_TRUE(listMyTracks(dir + "/none").empty());
}

TEST_F(MyTracks, AnEditedRoadGoesByANewNameAndTheOldOneFindsIt)
{
    writeRidge();
    const std::string name = myTrackRecordName(dir, "ridge");
    const FileRead road = readRegularFile(dir + "/tracks/ridge/track.track", maxTrackFileBytes);
    ASSERT_EQ(road.status, FileStatus::ok);
    EXPECT_EQ(name, playerTrackName("ridge", hexDigest(sha256(road.bytes.data(), road.bytes.size()))));
    EXPECT_EQ(currentTrackName(name), name);
    EXPECT_EQ(currentTrackName("00"), "00");

    std::vector<uint8_t> edited = road.bytes;
    edited.back() ^= 1;
    putBytes(dir + "/tracks/ridge/track.track", edited);
    const std::string now = myTrackRecordName(dir, "ridge");
    EXPECT_NE(now, name);
    EXPECT_EQ(currentTrackName(name), now) << "the stale name comes to the road as it is";
    fs::remove(dir + "/tracks/ridge/track.track");
    EXPECT_EQ(myTrackRecordName(dir, "ridge"), "");
    EXPECT_EQ(currentTrackName(name), name) << "no road: nothing to move to";
}

TEST_F(MyTracks, ASharedFileIsTakenInOnceAndAnyOtherRefusedWithItsName)
{
    const std::vector<uint8_t> good = ridgeShared();
    putBytes(dir + "/tracks/ridge.vtrack", good);
    ImportResult r = importSharedTrack(dir, "ridge.vtrack");
    ASSERT_EQ(r.outcome, ImportOutcome::taken) << r.line;
    EXPECT_EQ(r.plan, "ridge");
    // The very files its author had.
    for (const TrackFileImage& f : ridge().files)
        EXPECT_EQ(readFile(dir + "/tracks/ridge/" + f.name), std::string(f.bytes.begin(), f.bytes.end())) << f.name;
    EXPECT_EQ(importSharedTrack(dir, "ridge.vtrack").outcome, ImportOutcome::alreadyHere);

    // Half a second of the author run in the middle of the file coasts instead.
    std::vector<uint8_t> runTouched = good;
    std::fill(runTouched.begin() + runTouched.size() / 2, runTouched.begin() + runTouched.size() / 2 + 600, 0);
    std::vector<uint8_t> planTouched = good;
    const std::string plan = formatPlan(ridge().plan);
    // The plan's text starts after the magic, the version and its size.
    ASSERT_NE(plan.find("corner 900 0 90"), std::string::npos) << plan;
    planTouched[16 + plan.find("corner 900 0 90") + 7] = '8';
    std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    const struct {
        const char* file;
        std::vector<uint8_t> bytes;
    } refused[] = {
        {"run.vtrack", runTouched},
        {"plan.vtrack", planTouched},
        {"half.vtrack", truncated},
        {"empty.vtrack", {}},
        {"words.vtrack", {'p', 'l', 'a', 'n', ' ', '1', '\n'}},
        {"two\nlines.vtrack", {}},
    };
    fs::remove_all(dir + "/tracks/ridge");
    for (const auto& c : refused) {
        putBytes(dir + "/tracks/" + c.file, c.bytes);
        r = importSharedTrack(dir, c.file);
        EXPECT_EQ(r.outcome, ImportOutcome::refused) << c.file;
        EXPECT_EQ(r.line.rfind(shownFileName(c.file) + ": ", 0), 0u) << r.line;
        EXPECT_EQ(r.line.find('\n'), std::string::npos) << r.line;
        EXPECT_FALSE(fs::exists(dir + "/tracks/ridge")) << c.file << " built a folder";
    }
    // Larger than any shared track: refused before it is read.
    {
        std::ofstream big(dir + "/tracks/big.vtrack", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(maxSharedTrackBytes) + 1);
        big.put('\0');
    }
    r = importSharedTrack(dir, "big.vtrack");
    EXPECT_EQ(r.outcome, ImportOutcome::refused);
    EXPECT_NE(r.line.find("too large"), std::string::npos) << r.line;
    EXPECT_EQ(shownFileName("a\tb\x7f.vtrack"), "a?b?.vtrack");
}

TEST_F(MyTracks, ASharedTrackNeverReplacesAnotherOfItsName)
{
    writeText(dir + "/tracks/ridge/plan.txt", "plan 1\nname ridge\n# mine\n");
    putBytes(dir + "/tracks/ridge.vtrack", ridgeShared());
    const ImportResult r = importSharedTrack(dir, "ridge.vtrack");
    EXPECT_EQ(r.outcome, ImportOutcome::refused);
    EXPECT_NE(r.line.find("already here"), std::string::npos) << r.line;
    EXPECT_EQ(readFile(dir + "/tracks/ridge/plan.txt"), "plan 1\nname ridge\n# mine\n");
    EXPECT_FALSE(fs::exists(dir + "/tracks/ridge/track.track"));
}

TEST_F(MyTracks, ShareWritesAFileTheReceiverProves)
{
    writeRidge();
    std::string where, error;
    ASSERT_TRUE(shareMyTrack(dir, "ridge", where, error)) << error;
    EXPECT_EQ(where, dir + "/shared/ridge.vtrack");
    const std::string bytes = readFile(where);
    const std::vector<uint8_t> expected = ridgeShared();
    EXPECT_EQ(bytes, std::string(expected.begin(), expected.end()));

    // Another player's game takes it in from its own tracks folder.
    const std::string friendDir = dir + "/friend";
    fs::create_directories(friendDir + "/tracks");
    fs::copy_file(where, friendDir + "/tracks/ridge.vtrack");
    EXPECT_EQ(importSharedTrack(friendDir, "ridge.vtrack").outcome, ImportOutcome::taken);

    // Without an author run there is nothing to prove: refused, nothing written.
    writeText(dir + "/tracks/draft/plan.txt", ridgePlan);
    EXPECT_FALSE(shareMyTrack(dir, "draft", where, error));
    EXPECT_NE(error.find("no author run"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir + "/shared/draft.vtrack"));
    // What is not a file of the game's own is left as it is.
    fs::remove(dir + "/shared/ridge.vtrack");
    fs::create_directories(dir + "/shared/ridge.vtrack");
    EXPECT_FALSE(shareMyTrack(dir, "ridge", where, error));
    EXPECT_TRUE(fs::is_directory(dir + "/shared/ridge.vtrack"));
    EXPECT_FALSE(shareMyTrack(dir, "../ridge", where, error));
}

TEST_F(MyTracks, DeleteTakesTheFolderAndItsDroppedFileButNoLinksTarget)
{
    writeRidge();
    const std::string outside = dir + "/outside.txt";
    writeText(outside, "keep");
    fs::create_symlink(outside, dir + "/tracks/ridge/note.txt");
    putBytes(dir + "/tracks/ridge.vtrack", ridgeShared());
    writeText(dir + "/tracks/other.vtrack", "not ours");
    std::string error;
    ASSERT_TRUE(deleteMyTrack(dir, "ridge", error)) << error;
    EXPECT_FALSE(fs::exists(dir + "/tracks/ridge"));
    EXPECT_FALSE(fs::exists(dir + "/tracks/ridge.vtrack")) << "it would come back at the next opening";
    EXPECT_EQ(readFile(outside), "keep");
    EXPECT_TRUE(fs::exists(dir + "/tracks/other.vtrack"));
    EXPECT_FALSE(deleteMyTrack(dir, "ridge", error));
    EXPECT_FALSE(deleteMyTrack(dir, "..", error));
    EXPECT_TRUE(fs::exists(dir + "/tracks"));
}

TEST(MyTracksView, SaysAnEmptyListAndKeepsTheChosenLineInSight)
{
    MyTracksScreen screen;
    MyTracksView view = myTracksView(screen);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.chosen, -1);
    EXPECT_FALSE(view.emptyLine.empty());

    for (int i = 0; i < 20; ++i)
        screen.tracks.push_back({"t" + std::to_string(100 + i), i % 2 == 0});
    const struct {
        int chosen, first;
    } cases[] = {{0, 0}, {13, 0}, {14, 1}, {19, 6}, {25, 6}, {-3, 0}};
    for (const auto& c : cases) {
        screen.chosen = c.chosen;
        view = myTracksView(screen);
        EXPECT_EQ(view.firstShown, c.first) << c.chosen;
        EXPECT_EQ(view.count, 20);
        ASSERT_EQ(view.rows.size(), size_t(myTracksShownRows));
        EXPECT_EQ(view.rows[0].rfind("t" + std::to_string(100 + c.first), 0), 0u);
        EXPECT_TRUE(view.emptyLine.empty());
    }
    screen.message = "shared as /x/ridge.vtrack";
    screen.refusals = {"bad.vtrack: truncated"};
    EXPECT_EQ(myTracksView(screen).lines, (std::vector<std::string>{"shared as /x/ridge.vtrack", "bad.vtrack: truncated"}));
}
