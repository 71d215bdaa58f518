#include "track/track_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gl_recorder.h"
#include "gl_folder.h"
#include "loop_points.h"
#include "track/track_draw.h"

namespace {

// A hilly, banked ring of six control points, 5 to 6 file units (500 to
// 600 m) from the middle; seed changes its shape.
std::vector<std::vector<float>> ring(int seed)
{
    return fileFloats(loopPoints(
        6, 0.1 * seed, [&](double a, int r) { return 5.0 + 0.3 * r + 0.4 * std::sin(3.0 * a + seed); },
        [](double a, int r) { return 0.2 * std::sin(2.0 * a) + 0.05 * r; }));
}

class TrackListTest : public GlFolderTest {
protected:
    TrackListTest() : GlFolderTest("track_list", true) {}
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GlFolderTest::SetUp());
        ASSERT_TRUE(writeImage(dir + "/tex_road/red.png", 8, 8, 24, 220, 30, 30));
        ASSERT_TRUE(writeImage(dir + "/tex_road/blue.png", 8, 8, 24, 30, 30, 220));
        ASSERT_TRUE(writeImage(dir + "/tex_road/green.png", 8, 8, 24, 30, 200, 30));

        flatView(700.0, 1000.0);
        glDisable(GL_LIGHTING);
    }
    void writeTrack(int seed, const std::string& textures)
    {
        writeFile(dir + "/tracks/t/track.track", trackBytes(ring(seed)).data);
        writeText(dir + "/tracks/t/textures.txt", textures);
    }

};

} // namespace

TEST_F(TrackListTest, CompiledRoadSendsAndDrawsWhatDrawTrackDoes)
{
    writeTrack(0, "red blue blue red red red green blue red green blue blue\n");
    Track track;
    loadTrack(track, "t");
    ASSERT_EQ(track.segments.size(), 6u);
    ASSERT_NE(track.revision, 0u);

    startRecording();
    const auto direct = drawnFrame([&] { drawTrack(track); });
    const std::vector<GlCall> sent = stopRecording();
    const auto empty = drawnFrame([] {});
    EXPECT_GT(differentBytes(direct, empty), direct.size() / 20) << "the ring covers part of the window";

    // The compile sends exactly drawTrack's calls, binds included, even when
    // the texture drawTrack would bind first is already remembered as bound.
    boundTexture = track.segments[0].textureA;
    TrackList cache;
    startRecording();
    const auto compiled = drawnFrame([&] { drawTrackCached(track, cache); });
    const std::vector<GlCall> firstDraw = stopRecording();
    ASSERT_NE(cache.list, 0u);
    EXPECT_TRUE(sameCalls(firstDraw, sent));
    EXPECT_GT(countCalls(sent, GlCall::Bind), 6u);
    EXPECT_EQ(differentBytes(compiled, direct), 0u);
    EXPECT_EQ(boundTexture, track.segments.back().textureB);

    // A replay sends nothing corner by corner. The GUI binds textures of its
    // own between frames; the list binds the road's again regardless.
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    startRecording();
    const auto replayed = drawnFrame([&] { drawTrackCached(track, cache); });
    EXPECT_TRUE(stopRecording().empty());
    EXPECT_EQ(differentBytes(replayed, direct), 0u);
    EXPECT_EQ(boundTexture, track.segments.back().textureB) << "what the list left bound";
    glDeleteTextures(1, &other);
    clearTrack(track);
}

TEST_F(TrackListTest, ReloadingOrClearingTheTrackRecompilesIntoTheSameList)
{
    writeTrack(0, "red blue\n");
    Track track;
    TrackList cache;
    loadTrack(track, "t");
    const auto first = drawnFrame([&] { drawTrackCached(track, cache); });
    const uint32_t list = cache.list;
    ASSERT_NE(list, 0u);

    // The play menu reloads the track on every refresh.
    writeTrack(1, "green green\n");
    loadTrack(track, "t");
    const auto changed = drawnFrame([&] { drawTrackCached(track, cache); });
    const auto changedDirect = drawnFrame([&] { drawTrack(track); });
    EXPECT_EQ(differentBytes(changed, changedDirect), 0u);
    EXPECT_GT(differentBytes(changed, first), first.size() / 50);
    EXPECT_EQ(cache.list, list);

    // A reload that finds no track leaves it empty: nothing of the old road shows.
    writeText(dir + "/tracks/t/track.track", "short");
    loadTrack(track, "t");
    const auto empty = drawnFrame([] {});
    EXPECT_EQ(differentBytes(drawnFrame([&] { drawTrackCached(track, cache); }), empty), 0u);

    writeTrack(0, "red blue\n");
    loadTrack(track, "t");
    EXPECT_EQ(differentBytes(drawnFrame([&] { drawTrackCached(track, cache); }), first), 0u);
    clearTrack(track);
    EXPECT_EQ(differentBytes(drawnFrame([&] { drawTrackCached(track, cache); }), empty), 0u);
    EXPECT_EQ(cache.list, list);
}

TEST_F(TrackListTest, TrackBuiltByCodeIsDrawnDirectlyEveryTime)
{
    writeTrack(0, "red blue\n");
    Track loaded;
    TrackList cache;
    loadTrack(loaded, "t");
    drawnFrame([&] { drawTrackCached(loaded, cache); });

    // Segments built in code, as the tests and tools do, under the same list.
    Track built;
    built.segments = loaded.segments;
    ASSERT_EQ(built.revision, 0u);
    startRecording();
    const auto cached = drawnFrame([&] { drawTrackCached(built, cache); });
    const std::vector<GlCall> calls = stopRecording();
    EXPECT_EQ(countCalls(calls, GlCall::Vertex), 6u * 16u * 24u);
    EXPECT_EQ(differentBytes(cached, drawnFrame([&] { drawTrack(built); })), 0u);
    clearTrack(loaded);
}
