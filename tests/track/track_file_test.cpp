// Track files read from real files in a temporary data folder: the road by
// the core's reader, the road textures by the game's loadTrack in a GL window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "gl_folder.h"
#include "loop_points.h"
#include "track/track.h"

namespace {

using Point = ControlPoint;

// A ring of count control points of radius 10 file units (1000 m after scaling).
std::vector<Point> ring(int count)
{
    return loopPoints(count, 0.0, [](double, int r) { return 9.0 + 0.6 * r; }, [](double, int) { return 0.0; });
}

class TrackFile : public GlFolderTest {
protected:
    TrackFile() : GlFolderTest("track", true) {}

    std::string folder(const std::string& name)
    {
        std::filesystem::create_directories(dir + "/tracks/" + name);
        return dir + "/tracks/" + name;
    }

    // Writes the count field and then the given points, which may be fewer or
    // more than the count says; bytes cut off the end.
    void writeTrack(const std::string& name, int32_t count, const std::vector<Point>& points, size_t cut = 0)
    {
        Bytes b;
        b.i32(count);
        for (const Point& p : points)
            b.raw(p.p, 48);
        b.data.resize(b.data.size() - cut);
        writeFile(folder(name) + "/track.track", b.data);
    }
};

// Every cache entry back at reference count 0.
bool allReleased()
{
    for (const CachedTexture& entry : textureCache.entries)
        if (entry.refCount != 0)
            return false;
    return true;
}

TEST_F(TrackFile, CoordinatesAreScaledByAHundredAsFloats)
{
    std::vector<Point> points = ring(5);
    points[0].p[0][0] = 1.0f;
    points[0].p[0][1] = 2.0f;
    points[0].p[0][2] = 3.0f;
    points[0].p[3][0] = 0.123f;
    writeTrack("scaled", 5, points);

    Track track;
    ASSERT_TRUE(readTrackRoad(track, dir, "scaled"));
    ASSERT_EQ(track.segments.size(), 5u);
    Vec3 start = railPoint(track.segments[0], 0, 0.0);
    EXPECT_EQ(start.x, 100.0);
    EXPECT_EQ(start.y, 200.0);
    EXPECT_EQ(start.z, 300.0);

    // The product is rounded to a float before the spline sees it.
    double wide = double(0.123f) * 100.0;
    double narrowed = double(float(wide));
    ASSERT_NE(wide, narrowed);
    EXPECT_EQ(railPoint(track.segments[0], 3, 0.0).x, narrowed);
}

TEST_F(TrackFile, FourPointsGiveFourSegmentsClosingOnTheFirst)
{
    std::vector<Point> points = ring(4);
    writeTrack("four", 4, points);
    Track track;
    ASSERT_TRUE(readTrackRoad(track, dir, "four"));
    EXPECT_EQ(track.name, "four");
    ASSERT_EQ(track.segments.size(), 4u);
    for (int r = 0; r < 4; ++r) {
        Vec3 end = railPoint(track.segments[3], r, 1.0);
        EXPECT_NEAR(end.x, double(float(points[0].p[r][0] * 100.0)), 1e-9);
        EXPECT_NEAR(end.y, double(float(points[0].p[r][1] * 100.0)), 1e-9);
        Vec3 start3 = railPoint(track.segments[3], r, 0.0);
        EXPECT_EQ(start3.x, double(float(points[3].p[r][0] * 100.0)));
    }
    // The core's reader holds no textures.
    for (const TrackSegment& s : track.segments) {
        EXPECT_EQ(s.lap, 0);
        EXPECT_EQ(s.textureA, -1);
        EXPECT_EQ(s.textureB, -1);
    }
}

TEST_F(TrackFile, LoadTrackBuildsTheRoadOfTheCoreReaderAndHoldsTwoTexturesPerSegment)
{
    writeTrack("four", 4, ring(4));
    writeText(folder("four") + "/textures.txt", "a b c d e f g h");
    Track road;
    ASSERT_TRUE(readTrackRoad(road, dir, "four"));
    Track loaded;
    loadTrack(loaded, "four");
    EXPECT_EQ(loaded.name, "four");
    ASSERT_EQ(loaded.segments.size(), road.segments.size());
    for (size_t i = 0; i < loaded.segments.size(); ++i) {
        const TrackSegment& s = loaded.segments[i];
        EXPECT_EQ(std::memcmp(s.rails, road.segments[i].rails, sizeof s.rails), 0);
        EXPECT_EQ(std::memcmp(&s.center, &road.segments[i].center, sizeof(Vec3)), 0);
        EXPECT_EQ(s.lap, 0);
        EXPECT_NE(s.textureA, -1);
        EXPECT_NE(s.textureB, -1);
        EXPECT_NE(s.textureA, s.textureB);
    }
    EXPECT_EQ(textureCache.entries.size(), 8u);
    EXPECT_NE(loaded.revision, road.revision);
    clearTrack(loaded);
    EXPECT_TRUE(loaded.segments.empty());
    EXPECT_TRUE(allReleased());
}

TEST_F(TrackFile, TrailingBytesAfterThePointsAreIgnored)
{
    std::vector<Point> points = ring(6);
    writeTrack("trailing", 4, points);
    Track track;
    ASSERT_TRUE(readTrackRoad(track, dir, "trailing"));
    EXPECT_EQ(track.segments.size(), 4u);
}

TEST_F(TrackFile, TextureWordsPairUpWhateverTheLineBreaks)
{
    std::istringstream oneLine("asphalt lines  gravel\tmud");
    std::istringstream perLine("asphalt\nlines\n\ngravel\nmud\n");
    std::vector<std::string> a = readTextureNames(oneLine, 2);
    std::vector<std::string> b = readTextureNames(perLine, 2);
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[0], dir + "/tex_road/asphalt.png");
    EXPECT_EQ(a[1], dir + "/tex_road/lines.png");
    EXPECT_EQ(a[3], dir + "/tex_road/mud.png");
}

TEST_F(TrackFile, ShortTextureListLeavesTheMissingWordsEmpty)
{
    std::istringstream odd("a b c");
    std::vector<std::string> names = readTextureNames(odd, 2);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[2], dir + "/tex_road/c.png");
    EXPECT_EQ(names[3], dir + "/tex_road/.png");

    std::istringstream none("");
    for (const std::string& n : readTextureNames(none, 3))
        EXPECT_EQ(n, dir + "/tex_road/.png");

    // Words beyond two per segment are not read.
    std::istringstream extra("a b c d e");
    EXPECT_EQ(readTextureNames(extra, 2).size(), 4u);
}

TEST_F(TrackFile, MissingTextureFileStillGivesEverySlotAnEntry)
{
    writeTrack("bare", 3, ring(3));
    Track track;
    loadTrack(track, "bare");
    ASSERT_EQ(track.segments.size(), 3u);
    for (const TrackSegment& s : track.segments) {
        EXPECT_NE(s.textureA, -1);
        EXPECT_NE(s.textureB, -1);
    }
    writeText(folder("bare") + "/textures.txt", "a b c d e f");
    loadTrack(track, "bare");
    EXPECT_EQ(track.segments.size(), 3u);
    clearTrack(track);
    EXPECT_TRUE(allReleased());
}

TEST_F(TrackFile, MalformedFilesLeaveTheTrackEmptyUnderTheNewName)
{
    writeTrack("good", 5, ring(5));
    writeTrack("two", 2, ring(2));
    writeTrack("one", 1, ring(1));
    writeTrack("zero", 0, {});
    writeTrack("negative", -3, ring(3));
    writeTrack("huge", 0x7fffffff, ring(3));
    writeTrack("truncated", 4, ring(3));
    writeFile(folder("empty") + "/track.track", {});
    writeFile(folder("stub") + "/track.track", {'\x04', '\x00'});
    // Half of the last point is missing.
    writeTrack("halfpoint", 4, ring(4), 24);

    for (const char* name : {"two", "one", "zero", "negative", "huge", "truncated", "empty", "stub", "halfpoint",
                             "missing"}) {
        Track track;
        ASSERT_TRUE(readTrackRoad(track, dir, "good"));
        ASSERT_EQ(track.segments.size(), 5u);
        EXPECT_FALSE(readTrackRoad(track, dir, name)) << name;
        EXPECT_EQ(track.name, name);
        EXPECT_TRUE(track.segments.empty()) << name;
    }

    // The game's loader gives the textures of the good road back when a bad
    // one replaces it.
    writeText(folder("good") + "/textures.txt", "a b");
    for (const char* name : {"two", "huge", "halfpoint", "missing"}) {
        Track track;
        loadTrack(track, "good");
        ASSERT_EQ(track.segments.size(), 5u);
        loadTrack(track, name);
        EXPECT_EQ(track.name, name);
        EXPECT_TRUE(track.segments.empty()) << name;
        EXPECT_TRUE(allReleased()) << name;
    }
}

TEST_F(TrackFile, PointsThatMakeNoRoadAreRejectedLikeAShortFile)
{
    const float nan = std::nanf("");
    const float inf = HUGE_VALF;
    std::vector<Point> withNan = ring(6);
    withNan[3].p[1][2] = nan;
    std::vector<Point> withInf = ring(6);
    withInf[0].p[0][0] = -inf;
    // Beyond a float once scaled by a hundred.
    std::vector<Point> overflowing = ring(6);
    overflowing[2].p[2][1] = 3.0e37f;
    std::vector<Point> stacked(6, ring(6)[0]);
    std::vector<Point> twoPlaces(6, ring(6)[0]);
    twoPlaces[1] = twoPlaces[4] = ring(6)[2];
    std::vector<Point> threePlaces = twoPlaces;
    threePlaces[5] = ring(6)[4];
    writeTrack("nan", 6, withNan);
    writeTrack("inf", 6, withInf);
    writeTrack("overflowing", 6, overflowing);
    writeTrack("stacked", 6, stacked);
    writeTrack("twoplaces", 6, twoPlaces);
    writeTrack("threeplaces", 6, threePlaces);
    for (const char* name : {"nan", "inf", "overflowing", "stacked", "twoplaces"}) {
        Track track;
        loadTrack(track, name);
        EXPECT_TRUE(track.segments.empty()) << name;
    }
    Track track;
    loadTrack(track, "threeplaces");
    EXPECT_EQ(track.segments.size(), 6u) << "three distinct points are enough, repeated or not";
}

TEST_F(TrackFile, AFifoADeviceOrAFolderIsNoTrackAndNeverBlocks)
{
    ASSERT_EQ(mkfifo((folder("fifo") + "/track.track").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", (folder("zero") + "/track.track").c_str()), 0);
    ASSERT_EQ(mkdir((folder("dir") + "/track.track").c_str(), 0700), 0);
    // A sound track whose texture list is a FIFO still loads, with empty words.
    writeTrack("fifolist", 4, ring(4));
    ASSERT_EQ(mkfifo((folder("fifolist") + "/textures.txt").c_str(), 0600), 0);
    for (const char* name : {"fifo", "zero", "dir"}) {
        Track track;
        loadTrack(track, name);
        EXPECT_TRUE(track.segments.empty()) << name;
    }
    Track track;
    loadTrack(track, "fifolist");
    EXPECT_EQ(track.segments.size(), 4u);
}

TEST_F(TrackFile, ReloadingGivesBitIdenticalGeometry)
{
    writeTrack("again", 7, ring(7));
    Track first;
    Track second;
    ASSERT_TRUE(readTrackRoad(first, dir, "again"));
    ASSERT_TRUE(readTrackRoad(second, dir, "again"));
    const uint64_t revision = second.revision;
    ASSERT_TRUE(readTrackRoad(second, dir, "again"));
    // A new reading is a new road for the drawing's cache.
    EXPECT_NE(second.revision, revision);
    ASSERT_EQ(first.segments.size(), second.segments.size());
    for (size_t i = 0; i < first.segments.size(); ++i) {
        EXPECT_EQ(std::memcmp(first.segments[i].rails, second.segments[i].rails, sizeof first.segments[i].rails), 0);
        EXPECT_EQ(std::memcmp(&first.segments[i].center, &second.segments[i].center, sizeof(Vec3)), 0);
    }
}

} // namespace
