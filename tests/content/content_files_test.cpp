// The content tool's output as the game sees it: every file loads with the
// game's own loaders, and two runs of the tool write the same bytes.
// Run under xvfb-run: the texture cache decodes into a real GL context.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL_image.h>

#include <cstring>
#include <fstream>
#include <memory>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "assets/texture_cache.h"
#include "content/generated_content.h"
#include "content/track_design.h"
#include "gl_window.h"
#include "shell/game.h"
#include "track/track.h"

namespace {

class ContentFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The size the frames test asks for, should both run in one process.
        ASSERT_TRUE(openGlWindow(400, 300)) << "no display: run under xvfb-run";
        ASSERT_FALSE(generatedContent().empty()) << "vantor-content failed";
        savedDataDir = dataDir;
        dataDir = generatedContent();
    }
    void TearDown() override { dataDir = savedDataDir; }
    std::string savedDataDir;
};

const CachedTexture* entryOf(TextureSlot slot)
{
    for (const CachedTexture& e : textureCache.entries)
        if (static_cast<TextureSlot>(e.texture) == slot)
            return &e;
    return nullptr;
}

// Decoded and non-empty in the game's texture cache.
bool decoded(TextureSlot slot)
{
    const CachedTexture* e = entryOf(slot);
    return e && e->byteSize > 0 && e->width > 0 && e->height > 0;
}

struct Picture {
    SDL_Surface* surface = nullptr;
    ~Picture() { SDL_FreeSurface(surface); }
    // Colour and alpha of a pixel, y counted from the top as SDL holds it.
    SDL_Color at(int x, int y, Uint8& alpha) const
    {
        Uint32 v = 0;
        const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * surface->format->BytesPerPixel;
        std::memcpy(&v, p, surface->format->BytesPerPixel);
        SDL_Color c;
        SDL_GetRGBA(v, surface->format, &c.r, &c.g, &c.b, &alpha);
        return c;
    }
};

} // namespace

TEST(ContentTool, TwoRunsWriteTheSameFiles)
{
    std::string a = runContentTool("first"), b = runContentTool("second");
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    std::vector<std::string> files = filesBelow(a);
    ASSERT_EQ(files, filesBelow(b));
    // Five files per track, twelve road textures, the ship's two, the seventeen track-menu pictures.
    EXPECT_GE(files.size(), 15u * 5 + 12 + 2 + 17);
    for (const std::string& f : files) {
        std::string x = readWholeFile(a + "/" + f);
        EXPECT_FALSE(x.empty()) << f;
        EXPECT_TRUE(x == readWholeFile(b + "/" + f)) << f << " differs between runs";
    }
}

TEST_F(ContentFiles, EveryTrackAndItsAreaLoadWithTheGamesLoaders)
{
    for (const std::string& name : trackOrder()) {
        SCOPED_TRACE(name);
        const BuiltTrack* built = findBuilt(name);
        ASSERT_NE(built, nullptr);
        Track track;
        loadTrack(track, name);
        ASSERT_EQ(track.segments.size(), built->segments.size());
        for (const TrackSegment& seg : track.segments) {
            EXPECT_TRUE(decoded(seg.textureA));
            EXPECT_TRUE(decoded(seg.textureB));
        }
        // The file holds what the design built: the rails come out the same.
        for (size_t k = 0; k < track.segments.size(); k += 7)
            for (int r = 0; r < 4; ++r)
                EXPECT_LT(length(sub(railPoint(track.segments[k], r, 0.5), railPoint(built->segments[k], r, 0.5))), 1e-6);
        // The start segment carries the start and finish line.
        EXPECT_NE(entryOf(track.segments[0].textureA)->fileName.find("_start"), std::string::npos);

        Area area;
        area.goldSeconds = area.silverSeconds = area.bronzeSeconds = -1.0;
        loadArea(area, name);
        ASSERT_FALSE(area.mesh.vertexFrames.empty());
        EXPECT_GT(area.mesh.vertexFrames[0].size(), 1000u);
        EXPECT_LE(area.mesh.vertexFrames[0].size(), 65536u);
        size_t triangles = 0;
        for (const MeshGroup& g : area.mesh.groups) {
            ASSERT_EQ(g.vertexTriangles.size(), g.texTriangles.size());
            for (const Tri16& t : g.vertexTriangles)
                for (uint16_t i : t.i)
                    ASSERT_LT(i, area.mesh.vertexFrames[0].size());
            triangles += g.vertexTriangles.size();
        }
        EXPECT_GT(triangles, 1000u);
        EXPECT_TRUE(decoded(area.texture));
        EXPECT_GT(area.goldSeconds, 0.0);
        EXPECT_LT(area.goldSeconds, area.silverSeconds);
        EXPECT_LT(area.silverSeconds, area.bronzeSeconds);
    }
}

TEST_F(ContentFiles, TheShipHasABodyAndACanopyDrawnLast)
{
    auto g = std::make_unique<Game>();
    loadShipModel(g->player, "ship");
    ASSERT_FALSE(g->player.mesh.groups.empty());
    int canopies = 0, others = 0;
    for (const MeshGroup& grp : g->player.mesh.groups) {
        EXPECT_FALSE(grp.vertexTriangles.empty()) << grp.name;
        (grp.name.rfind("T", 0) == 0 ? canopies : others) += 1;
    }
    EXPECT_GE(canopies, 1);
    EXPECT_GE(others, 1);
    EXPECT_TRUE(decoded(g->player.texture));
    // About the size of a craft, standing on the road: metres, as stored.
    float minZ = 1e9f, maxY = -1e9f, minY = 1e9f;
    for (const Float3& p : g->player.mesh.vertexFrames[0]) {
        minZ = std::min(minZ, p.z);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_GE(minZ, 0.0f);
    EXPECT_GT(maxY - minY, 3.0f);
    EXPECT_LT(maxY - minY, 6.0f);
}

TEST_F(ContentFiles, TrackPicturesShowTheRoadAndTheFramesAreOpenInside)
{
    const std::string gui = generatedContent() + "/gui/";
    for (const std::string& name : trackOrder()) {
        SCOPED_TRACE(name);
        Picture pic{IMG_Load((gui + "track" + name + ".tga").c_str())};
        ASSERT_NE(pic.surface, nullptr);
        ASSERT_EQ(pic.surface->w, 64);
        ASSERT_EQ(pic.surface->h, 64);
        // The road is drawn light over a dark panel: some pixels of each.
        int light = 0, dark = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                Uint8 a;
                SDL_Color c = pic.at(x, y, a);
                int sum = c.r + c.g + c.b;
                light += a > 200 && sum > 450;
                dark += a > 200 && sum < 200;
            }
        EXPECT_GT(light, 150);
        EXPECT_GT(dark, 1000);
    }
    Picture sel{IMG_Load((gui + "trackSel.tga").c_str())}, unsel{IMG_Load((gui + "trackUnsel.tga").c_str())};
    ASSERT_NE(sel.surface, nullptr);
    ASSERT_NE(unsel.surface, nullptr);
    double selBright = 0, unselBright = 0;
    for (Picture* p : {&sel, &unsel}) {
        ASSERT_EQ(p->surface->w, 64);
        ASSERT_EQ(p->surface->h, 64);
        Uint8 a;
        p->at(32, 32, a);
        EXPECT_EQ(a, 0) << "the frame must leave the picture visible";
        p->at(20, 40, a);
        EXPECT_EQ(a, 0);
        double sum = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                SDL_Color c = p->at(x, y, a);
                sum += (c.r + c.g + c.b) * (a / 255.0);
            }
        (p == &sel ? selBright : unselBright) = sum;
    }
    EXPECT_GT(selBright, 2.0 * unselBright) << "the selected frame must be plainly brighter";
}

TEST_F(ContentFiles, TheDesktopIconIsAnOpaqueTileWithClearCornersAndABrightCraft)
{
    Picture icon{IMG_Load((generatedContent() + "/gui/icon.png").c_str())};
    ASSERT_NE(icon.surface, nullptr);
    ASSERT_EQ(icon.surface->w, 128);
    ASSERT_EQ(icon.surface->h, 128);
    Uint8 a;
    // Rounded corners stay see-through on any menu background.
    for (auto [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {127, 127}, {6, 6}}) {
        icon.at(x, y, a);
        EXPECT_EQ(a, 0) << x << "," << y;
    }
    int opaque = 0, bright = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            SDL_Color c = icon.at(x, y, a);
            opaque += a == 255;
            bright += a == 255 && c.r + c.g + c.b > 600;
        }
    EXPECT_GT(opaque, 128 * 128 * 80 / 100) << "a full tile, not a thin shape";
    EXPECT_GT(bright, 1000) << "the light craft stands out on the dark tile";
    SDL_Color nose = icon.at(64, 40, a);
    EXPECT_GT(nose.r + nose.g + nose.b, 600);
}
