#include "render/scene.h"
#include "render/track_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "assets/models.h"
#include "gl_folder.h"
#include "shell/game.h"
#include "shell/flow.h"
#include "shell/views.h"
#include "sim/watch.h"
#include "sim/ship_physics.h"
#include "track/loop_points.h"
#include "track/track.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

struct Rgb {
    int r, g, b;
};

struct Frame {
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const
    {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }
    template <typename Pred>
    int count(Pred pred, int y0 = 0, int y1 = height) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < width; ++x)
                n += pred(at(x, y));
        return n;
    }
};

// The clear colour of both scenes as 8-bit values.
bool isSky(Rgb c) { return std::abs(c.r - 125) <= 1 && std::abs(c.g - 167) <= 1 && std::abs(c.b - 217) <= 1; }
bool isRoad(Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool isGround(Rgb c) { return c.g > 120 && c.r < 90 && c.b < 90; }

int differing(const Frame& a, const Frame& b, int y0 = 0, int y1 = height)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb p = a.at(x, y), q = b.at(x, y);
            n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 12;
        }
    return n;
}

// The scenes' clear colour, then draw.
template <typename Draw>
Frame skyFrame(Draw draw)
{
    return Frame{drawnFrame(draw, 0.49019608f, 0.654902f, 0.8509804f)};
}

void expectEnabled(std::initializer_list<GLenum> on, std::initializer_list<GLenum> off)
{
    for (GLenum cap : on)
        EXPECT_TRUE(glIsEnabled(cap)) << cap;
    for (GLenum cap : off)
        EXPECT_FALSE(glIsEnabled(cap)) << cap;
}

void saveShot(const Frame& f, const std::string& name)
{
    const std::string dir = std::string(VANTOR_BUILD_DIR) + "/screenshots";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(savePng(dir + "/" + name + ".png", f.rgb, width, height)) << name;
}

// An egg-shaped loop of eight control points, 20 units wide, starting at the
// origin (where ships are put at the start) and running counter-clockwise
// around (-190, 0), so that rail 0 is on the inside (the driver's left).
std::vector<std::vector<float>> eggPoints()
{
    const double offsets[4] = {-0.1, -0.0333, 0.0333, 0.1};
    return fileFloats(loopPoints(
        8, 0.0, [&](double a, int r) { return 1.5 + 0.4 * std::cos(a) + offsets[r]; }, [](double, int) { return 0.0; },
        -1.9));
}

class SceneTest : public GlFolderTest {
protected:
    std::unique_ptr<Game> g;

    SceneTest() : GlFolderTest("scene", true) {}
    void SetUp() override
    {
        GlFolderTest::SetUp();
        ASSERT_EQ(glWindowWidth(), width);
        sceneGlState(width, height);
        g = std::make_unique<Game>();
        g->screenWidth = width;
        g->screenHeight = height;
    }

    // A complete little track in a temporary data folder: road, scenery
    // (a green ground square inside the loop), medal times and a ship.
    void writeTestContent()
    {
        const std::string t = dir + "/tracks/test/";
        writeFile(t + "track.track", trackBytes(eggPoints()).data);
        std::string words;
        for (int i = 0; i < 8; ++i)
            words += "red red\n";
        writeText(t + "textures.txt", words);
        ASSERT_TRUE(writeImage(dir + "/tex_road/red.png", 16, 16, 24, 220, 40, 40));
        writeFile(t + "area.tris", trisBytes({{"ground", {0, 1, 2, 0, 2, 3}, {0, 0, 0, 0, 0, 0}, {0, 1, 2, 0, 2, 3}}},
                                             {0, 0, 1, 0, 1, 1, 0, 1},
                                             {{{-2.5f, -0.6f, -0.01f, -1.3f, -0.6f, -0.01f, -1.3f, 0.6f, -0.01f, -2.5f,
                                                0.6f, -0.01f},
                                               {0, 0, 1}}})
                                       .data);
        ASSERT_TRUE(writeImage(t + "area.png", 8, 8, 24, 40, 180, 40));
        writeText(t + "times.txt", "30 40 50");
        // The ghost: an upright 2 x 2 square across its forward axis, seen from behind.
        writeFile(dir + "/ships/ship.tris",
                  trisBytes({{"body", {0, 1, 2, 0, 2, 3}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
                             {"Tglass", {0, 2, 1, 0, 3, 2}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
                            {0.5f, 0.5f}, {{{-1, 0, 0, 1, 0, 0, 1, 0, 2, -1, 0, 2}, {0, -1, 0}}})
                      .data);
        ASSERT_TRUE(writeImage(dir + "/ships/ship.tga", 4, 4, 32, 255, 255, 255));
    }

    // The content the build generates with the project's content tool.
    bool useBuiltContent()
    {
        dataDir = std::string(VANTOR_BUILD_DIR) + "/content/data";
        return std::filesystem::exists(dataDir + "/tracks/00/area.tris");
    }

    void loadAll(const std::string& name)
    {
        g->save.trackName = name;
        loadTrack(g->track, name);
        loadArea(g->area, name);
        loadShipModel(g->player, g->save.shipName);
        loadShipModel(g->ghost, g->save.shipName);
    }

    // The player on the start line, held by the brake for a few ticks as in
    // the countdown so that its frame follows the road.
    void placePlayer()
    {
        resetShip(g->player.state, g->track);
        g->player.state.control = ControlInput{0.0f, 1.0f, 0.0f};
        for (int i = 0; i < 5; ++i)
            stepShipState(g->player.state, g->track, g->area.gravity, g->stepSeconds);
    }

    Frame menuFrame(uint32_t ticks)
    {
        drawMenuBackgroundAt(*g, ticks);
        return Frame{readBackBuffer()};
    }

    Frame raceFrame() { return skyFrame([&] { drawRaceScene(raceView(*g)); }); }

    void expectStateLeftAsWritten(float alpha)
    {
        expectEnabled({GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE}, {GL_LIGHTING, GL_BLEND});
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 1.0f);
        EXPECT_NEAR(colour[3], alpha, 1e-6);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

} // namespace

TEST_F(SceneTest, LightZeroShinesStraightDownFixedInTheWorld)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setLights();
    GLfloat position[4], diffuse[4], ambient[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    EXPECT_EQ(position[2], 1.0f);
    EXPECT_EQ(position[3], 0.0f);
    EXPECT_EQ(diffuse[0], 0.9f);
    EXPECT_EQ(diffuse[2], 0.8f);
    EXPECT_EQ(ambient[2], 0.2f);
}

TEST_F(SceneTest, MenuBackgroundShowsTheTrackTurningOverItsScenery)
{
    writeTestContent();
    loadAll("test");
    ASSERT_EQ(g->track.segments.size(), 8u);

    Frame first = menuFrame(0);
    saveShot(first, "menu_test_track");
    expectStateLeftAsWritten(1.0f);
    const int all = width * height;
    EXPECT_LT(first.count(isSky), all);
    EXPECT_GT(first.count(isRoad), all / 100);
    EXPECT_GT(first.count(isGround), all / 100);

    // A quarter turn after nine seconds moves the egg-shaped loop.
    Frame later = menuFrame(9000);
    saveShot(later, "menu_test_track_9s");
    EXPECT_GT(differing(first, later), all / 50);
    EXPECT_GT(later.count(isRoad), all / 100);

    // Without its road the same view loses every road pixel.
    Track empty;
    std::swap(empty, g->track);
    EXPECT_EQ(menuFrame(0).count(isRoad), 0);
    std::swap(empty, g->track);
}

TEST_F(SceneTest, RaceCameraLooksDownTheRoadAhead)
{
    writeTestContent();
    loadAll("test");
    placePlayer();
    Frame frame = raceFrame();
    saveShot(frame, "race_test_track");
    expectStateLeftAsWritten(1.0f);

    // Below the horizon in the middle of the view: road; above it: sky.
    int roadBelow = 0;
    for (int y = height / 8; y < height * 3 / 8; ++y)
        roadBelow += isRoad(frame.at(width / 2, y));
    EXPECT_GT(roadBelow, height / 5);
    EXPECT_TRUE(isSky(frame.at(width / 2, height - 5)));
}

TEST_F(SceneTest, GhostIsDrawnOnlyWithABestRunAndTheGhostOn)
{
    writeTestContent();
    loadAll("test");
    placePlayer();
    // The ghost six units ahead on the same heading.
    g->ghost.state = g->player.state;
    g->ghost.state.position = add(g->player.state.position, scale(row(g->player.state.orientation, 1), 6.0));

    // The rival as a race start resolves it, from the best run and the switch.
    auto raceFrameWithGhost = [&](bool enabled) {
        g->ghostEnabled = enabled;
        g->race.ghostRun = raceRivalRun(*g);
        return raceFrame();
    };
    Frame noRun = raceFrameWithGhost(true);
    expectStateLeftAsWritten(1.0f);
    recordFor(g->save, "test").ghostRun.assign(10, ControlInput{0.0f, 0.0f, 1.0f});
    Frame disabled = raceFrameWithGhost(false);
    Frame ghost = raceFrameWithGhost(true);
    saveShot(ghost, "race_test_track_ghost");
    expectStateLeftAsWritten(0.3f);

    EXPECT_EQ(differing(noRun, disabled), 0);
    EXPECT_GT(differing(noRun, ghost), width * height / 100);
    // Translucent: its side is unlit (the light shines from above), so it
    // darkens the road behind it, which still shows through at 70 percent.
    const Rgb behind = noRun.at(width / 2, height / 2 - 10);
    const Rgb through = ghost.at(width / 2, height / 2 - 10);
    EXPECT_TRUE(isRoad(behind));
    EXPECT_LT(through.r, behind.r - 20);
    EXPECT_GT(through.r, behind.r / 2);
}

TEST_F(SceneTest, WatchShowsTheRaceViewFromTheChaseCameraAndTheShipFromOutside)
{
    writeTestContent();
    loadAll("test");
    Watch watch;
    beginWatch(watch, g->track, std::vector<ControlInput>(50, ControlInput{0.0f, 0.0f, 1.0f}), g->area.gravity);
    watch.cameraPoints = tracksidePoints(g->track);
    for (int i = 0; i < 5; ++i)
        stepWatch(watch);
    auto watchFrame = [&](WatchCamera camera) {
        watch.camera = camera;
        return skyFrame([&] { drawRaceScene(watchView(*g, watch)); });
    };

    // The chase camera is the race's own view of the watched ship; the
    // test ship's upright square then stands right in front of the eye.
    Frame chase = watchFrame(WatchCamera::chase);
    expectStateLeftAsWritten(1.0f);
    g->player.state = watch.ship;
    const Frame race = raceFrame();
    EXPECT_GT(differing(chase, race), width * height / 2);
    Mesh model;
    std::swap(model, g->player.mesh);
    EXPECT_EQ(differing(watchFrame(WatchCamera::chase), race), 0);
    std::swap(model, g->player.mesh);

    // Behind and above, the ship's upright square is in the middle of the
    // view, its side unlit and dark against the red road.
    Frame behind = watchFrame(WatchCamera::behindAbove);
    saveShot(behind, "watch_behind");
    expectStateLeftAsWritten(1.0f);
    for (int dy : {-8, 0, 8}) {
        const Rgb ship = behind.at(width / 2, height / 2 + dy);
        EXPECT_LT(ship.r, 80) << dy;
        EXPECT_FALSE(isRoad(ship)) << dy;
    }
    EXPECT_GT(behind.count(isRoad), width * height / 20);

    // The trackside camera stands off the road and sees another picture of it.
    Frame trackside = watchFrame(WatchCamera::trackside);
    saveShot(trackside, "watch_trackside");
    expectStateLeftAsWritten(1.0f);
    EXPECT_GT(differing(trackside, behind), width * height / 20);
    EXPECT_GT(trackside.count(isRoad), width * height / 50);
}

TEST_F(SceneTest, MapDrawsTheRoadAndTheShipsInTheBottomLeftCornerOnly)
{
    writeTestContent();
    loadAll("test");
    placePlayer();
    g->ghost.state = g->player.state;
    g->ghost.state.position.x -= 150.0;
    recordFor(g->save, "test").ghostRun.assign(10, ControlInput{0.0f, 0.0f, 1.0f});
    g->race.ghostRun = &recordFor(g->save, "test").ghostRun;
    const Frame scene = raceFrame();
    raceFrame();
    drawRaceMap(raceView(*g));
    const Frame mapped = Frame{readBackBuffer()};
    saveShot(mapped, "race_test_track_map");
    expectEnabled({GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE}, {GL_BLEND});
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);

    // A quarter of the shorter side, 10 pixels from the bottom-left corner
    // (rows counted from the bottom, as GL reads them back).
    const MapPlace place = mapPlace(width, height);
    ASSERT_EQ(place.size, 60);
    int inside = 0, outside = 0, white = 0, yellow = 0, blue = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb a = scene.at(x, y), b = mapped.at(x, y);
            const bool changed = std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 12;
            const bool in = x >= place.x && x < place.x + place.size && y >= place.y && y < place.y + place.size;
            (in ? inside : outside) += changed;
            if (!in)
                continue;
            white += b.r > 200 && b.g > 200 && b.b > 200;
            yellow += b.r > 200 && b.g > 170 && b.b < 80;
            blue += b.b > 200 && b.g > 170 && b.r < 190 && b.r > 110;
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, place.size * place.size / 2) << "the pane darkens the corner";
    EXPECT_GT(white, 60) << "the centre line";
    EXPECT_GT(yellow, 15) << "the player's dot";
    EXPECT_GT(blue, 15) << "the ghost's dot, while the ghost runs";

    // The map follows the window: a larger one gets a larger map.
    EXPECT_EQ(mapPlace(1024, 768).size, 192);
    EXPECT_EQ(mapPlace(1920, 1080).size, 270);
}

TEST_F(SceneTest, MapOfARoadWithoutSegmentsDrawsNothing)
{
    g->track = Track{};
    const Frame cleared = skyFrame([] {});
    drawRaceMap(raceView(*g));
    const Frame after = Frame{readBackBuffer()};
    EXPECT_EQ(differing(cleared, after), 0);
    EXPECT_EQ(after.count(isSky), width * height);
}

TEST_F(SceneTest, ContentTrackZeroRendersInBothScenes)
{
    ASSERT_TRUE(useBuiltContent()) << "the build makes the content";
    loadAll("00");
    ASSERT_GE(g->track.segments.size(), 3u);

    const int all = width * height;
    Frame menu = menuFrame(4000);
    saveShot(menu, "menu_track_00");
    EXPECT_LT(menu.count(isSky), all);
    Track removed;
    std::swap(removed, g->track);
    Frame menuNoRoad = menuFrame(4000);
    std::swap(removed, g->track);
    EXPECT_GT(differing(menu, menuNoRoad), all / 200);

    placePlayer();
    Frame race = raceFrame();
    saveShot(race, "race_track_00");
    std::swap(removed, g->track);
    Frame raceNoRoad = raceFrame();
    std::swap(removed, g->track);
    // The road fills the view below the horizon ahead of the ship.
    EXPECT_GT(differing(race, raceNoRoad, height / 8, height * 3 / 8), width * height / 8);
}

TEST_F(SceneTest, CompiledSceneryAndRoadOfTrackZeroDrawAsImmediateMode)
{
    ASSERT_TRUE(useBuiltContent()) << "the build makes the content";
    loadAll("00");
    ASSERT_NE(g->area.mesh.revision, 0u);
    ASSERT_NE(g->track.revision, 0u);
    placePlayer();

    // Drawn twice each way: the first compiled draw and a replay.
    const Frame menuCompiled = menuFrame(4000);
    const Frame menuReplayed = menuFrame(4000);
    const Frame raceReplayed = raceFrame();
    ASSERT_NE(g->trackList.list, 0u);
    // Revision 0: the same mesh and road sent corner by corner as drawMesh
    // and drawTrack send them.
    g->area.mesh.revision = 0;
    g->track.revision = 0;
    const Frame menuDirect = menuFrame(4000);
    const Frame raceDirect = raceFrame();
    EXPECT_TRUE(menuCompiled.rgb == menuDirect.rgb);
    EXPECT_TRUE(menuReplayed.rgb == menuDirect.rgb);
    EXPECT_TRUE(raceReplayed.rgb == raceDirect.rgb);
}

TEST_F(SceneTest, SceneryInPiecesDrawsTheWholeListsPixelsOnEveryContentTrack)
{
    ASSERT_TRUE(useBuiltContent()) << "the build makes the content";
    size_t tracks = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir + "/tracks")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        loadAll(name);
        ASSERT_NE(g->area.mesh.revision, 0u);
        placePlayer();
        ++tracks;
        // The menu from three sides and the race view at the start: the
        // pieces in view, nearest first, against the whole mesh in its order.
        std::vector<Frame> pieces;
        for (uint32_t ms : {0u, 12000u, 24000u})
            pieces.push_back(menuFrame(ms));
        pieces.push_back(raceFrame());
        const uint64_t revision = g->area.mesh.revision;
        g->area.mesh.revision = 0;
        std::vector<Frame> whole;
        for (uint32_t ms : {0u, 12000u, 24000u})
            whole.push_back(menuFrame(ms));
        whole.push_back(raceFrame());
        g->area.mesh.revision = revision;
        for (size_t k = 0; k < pieces.size(); ++k)
            EXPECT_TRUE(pieces[k].rgb == whole[k].rgb) << "view " << k << ": " << differing(pieces[k], whole[k])
                                                       << " pixels differ clearly";
    }
    EXPECT_GE(tracks, 15u);
}
