// A race-camera frame from the start of every track, drawn by the game's own
// loaders and scene code from freshly generated content, saved as PNG files
// under the build folder with a contact sheet of all fifteen for a person to
// look at. Run under xvfb-run.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "assets/texture_cache.h"
#include "content/content.h"
#include "design/track_catalogue.h"
#include "gl_window.h"
#include "test_files.h"
#include "render/scene.h"
#include "shell/game.h"
#include "shell/views.h"
#include "sim/ship_physics.h"
#include "track/track.h"

namespace {

constexpr int width = 400;
constexpr int height = 300;

struct Shot {
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

class TrackFrames : public ::testing::Test {
protected:
    // The pictures go to the build folder; the content they show to a folder of
    // this process's own, so tests running side by side never share it.
    static std::string out;
    static std::string data;
    static void SetUpTestSuite()
    {
        out = std::string(VANTOR_BUILD_DIR) + "/content_frames";
        std::filesystem::create_directories(out);
        data = makeTempDir("frames");
        ASSERT_FALSE(data.empty());
        ASSERT_TRUE(writeTracks(data) && writeRoadTextures(data) && writeScenery(data) && writeMedalTimes(data) &&
                    writeShip(data));
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(data, ignored);
    }
    void SetUp() override
    {
        ASSERT_TRUE(openGlWindow(width, height)) << "no display: run under xvfb-run";
        ASSERT_EQ(glWindowWidth(), width);
        sceneGlState(width, height);
        savedDataDir = dataDir;
        dataDir = data;
    }
    void TearDown() override { dataDir = savedDataDir; }
    std::string savedDataDir;

    Shot frame(Game& g)
    {
        return Shot{drawnFrame([&] { drawRaceScene(raceView(g)); }, 0.49019608f, 0.654902f, 0.8509804f)};
    }
};
std::string TrackFrames::out;
std::string TrackFrames::data;

} // namespace

TEST_F(TrackFrames, EveryTrackShowsSkyGroundAndRoadFromTheStart)
{
    const int columns = 5;
    std::vector<unsigned char> sheet(static_cast<size_t>(width) * columns * height * 3 * 3, 0);
    for (size_t n = 0; n < builtTracks().size(); ++n) {
        const std::string name = builtTracks()[n].design.name;
        SCOPED_TRACE(name);
        auto g = std::make_unique<Game>();
        g->screenWidth = width;
        g->screenHeight = height;
        g->save.trackName = name;
        loadTrack(g->track, name);
        ASSERT_FALSE(g->track.segments.empty());
        loadArea(g->area, name);
        ASSERT_FALSE(g->area.mesh.groups.empty());
        loadShipModel(g->player, g->save.shipName);
        loadShipModel(g->ghost, g->save.shipName);
        // The player held on the start by the countdown's brake; the ghost a little ahead.
        resetShip(g->player.state, g->track);
        g->player.state.control = ControlInput{0.0f, 1.0f, 0.0f};
        for (int i = 0; i < 5; ++i)
            stepShipState(g->player.state, g->track, g->area.gravity, g->stepSeconds);
        g->ghost.state = g->player.state;
        g->ghost.state.position = add(g->player.state.position, scale(row(g->player.state.orientation, 1), 9.0));
        g->save.records[name].ghostRun.push_back(ControlInput{});
        Shot shot = frame(*g);
        EXPECT_TRUE(savePng(out + "/track" + name + ".png", shot.rgb, width, height));

        // Sky at the top, something else below it.
        auto sky = [](const unsigned char* p) {
            return std::abs(p[0] - 125) <= 2 && std::abs(p[1] - 167) <= 2 && std::abs(p[2] - 217) <= 2;
        };
        int skyTop = 0, skyBottom = 0;
        for (int x = 0; x < width; ++x) {
            skyTop += sky(shot.at(x, height - 1));
            skyBottom += sky(shot.at(x, height / 4));
        }
        EXPECT_GT(skyTop, width / 2) << "no sky above the horizon";
        EXPECT_EQ(skyBottom, 0) << "the ground does not reach the lower part of the view";

        // The road: without it the middle of the lower half must look different.
        Track road = std::move(g->track);
        g->track = Track{};
        Shot bare = frame(*g);
        g->track = std::move(road);
        int changed = 0, total = 0;
        for (int y = 0; y < height / 3; ++y)
            for (int x = width / 3; x < 2 * width / 3; ++x, ++total) {
                const unsigned char *p = shot.at(x, y), *q = bare.at(x, y);
                changed += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24;
            }
        EXPECT_GT(changed, total * 3 / 4) << "the road is not visible ahead";

        int cx = static_cast<int>(n % columns), cy = 2 - static_cast<int>(n / columns);
        for (int y = 0; y < height; ++y)
            std::copy(shot.at(0, y), shot.at(0, y) + width * 3,
                      &sheet[((static_cast<size_t>(cy) * height + y) * width * columns + cx * width) * 3]);
    }
    EXPECT_TRUE(savePng(out + "/contact_sheet.png", sheet, width * columns, height * 3));
}

TEST_F(TrackFrames, TheMenuBackgroundShowsTheFirstTrackFromAfar)
{
    auto g = std::make_unique<Game>();
    g->screenWidth = width;
    g->screenHeight = height;
    loadTrack(g->track, "00");
    loadArea(g->area, "00");
    drawMenuBackgroundAt(*g, 9000);
    Shot shot{readBackBuffer()};
    EXPECT_TRUE(savePng(out + "/menu00.png", shot.rgb, width, height));
    // Seen from 200 m up: ground fills the lower half, sky the top rows.
    int sky = 0, ground = 0;
    for (int x = 0; x < width; ++x) {
        const unsigned char* top = shot.at(x, height - 1);
        const unsigned char* low = shot.at(x, height / 4);
        sky += std::abs(top[0] - 125) <= 2 && std::abs(top[2] - 217) <= 2;
        ground += !(std::abs(low[0] - 125) <= 2 && std::abs(low[2] - 217) <= 2);
    }
    EXPECT_GT(sky, width / 2);
    EXPECT_EQ(ground, width);
}
