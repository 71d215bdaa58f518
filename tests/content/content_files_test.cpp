// The content tool's output as the game sees it: every file loads with the
// game's own loaders, and two runs of the tool write the same bytes.
// Run under xvfb-run: the texture cache decodes into a real GL context.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "assets/models.h"
#include "audio/sound_cues.h"
#include "audio/wav_file.h"
#include "content/generated_content.h"
#include "design/track_catalogue.h"
#include "gl_folder.h"
#include "sound_analysis.h"
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

// Decoded and non-empty in the game's texture cache.
bool decoded(TextureSlot slot)
{
    const CachedTexture* e = cachedEntry(slot);
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
    // f(colour, alpha) for every pixel.
    template <typename F>
    void each(F f) const
    {
        Uint8 a;
        for (int y = 0; y < surface->h; ++y)
            for (int x = 0; x < surface->w; ++x)
                f(at(x, y, a), a);
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
    // Eight files per track (three medal ghosts among them), twelve road
    // textures, the ship's two, the seventeen track-menu pictures, the eight sounds.
    EXPECT_GE(files.size(), 15u * 8 + 12 + 2 + 17 + 8);
    EXPECT_NE(std::find(files.begin(), files.end(), "sounds/engine.wav"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "sounds/countdown.wav"), files.end());
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
        EXPECT_NE(cachedEntry(track.segments[0].textureA)->fileName.find("_start"), std::string::npos);

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
        pic.each([&](SDL_Color c, Uint8 a) {
            light += a > 200 && c.r + c.g + c.b > 450;
            dark += a > 200 && c.r + c.g + c.b < 200;
        });
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
        double& sum = p == &sel ? selBright : unselBright;
        p->each([&](SDL_Color c, Uint8 alpha) { sum += (c.r + c.g + c.b) * (alpha / 255.0); });
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
    icon.each([&](SDL_Color c, Uint8 alpha) {
        opaque += alpha == 255;
        bright += alpha == 255 && c.r + c.g + c.b > 600;
    });
    EXPECT_GT(opaque, 128 * 128 * 80 / 100) << "a full tile, not a thin shape";
    EXPECT_GT(bright, 1000) << "the light craft stands out on the dark tile";
    SDL_Color nose = icon.at(64, 40, a);
    EXPECT_GT(nose.r + nose.g + nose.b, 600);
}

namespace {

// A sound of the generated content, as the game's reader and as raw bytes.
struct ContentSound {
    std::string bytes;
    WavSound wav;
    std::vector<double> samples;

    explicit ContentSound(const std::string& name)
    {
        bytes = readWholeFile(generatedContent() + "/sounds/" + name);
        if (parseWav(bytes, wav))
            samples = toFractions(wav.samples);
    }
};

uint32_t le32(const std::string& b, size_t at)
{
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
           static_cast<unsigned char>(b[at + 2]) << 16 | uint32_t(static_cast<unsigned char>(b[at + 3])) << 24;
}

}  // namespace

TEST(ContentSounds, EverySoundIsAPlainMonoPcmWaveOfItsStatedLength)
{
    std::vector<std::string> names{engineLoopFile()};
    for (int i = 0; i < soundCueCount; ++i)
        names.push_back(soundCueFile(static_cast<SoundCue>(i)));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ContentSound s(name);
        ASSERT_GE(s.bytes.size(), 44u);
        EXPECT_EQ(s.bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(le32(s.bytes, 4), s.bytes.size() - 8);
        EXPECT_EQ(s.bytes.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(le32(s.bytes, 16), 16u);
        EXPECT_EQ(s.bytes[20], 1) << "PCM";
        EXPECT_EQ(s.bytes[22], 1) << "mono";
        EXPECT_EQ(le32(s.bytes, 24), 22050u);
        EXPECT_EQ(le32(s.bytes, 28), 44100u) << "bytes per second";
        EXPECT_EQ(s.bytes[34], 16) << "bits per sample";
        EXPECT_EQ(s.bytes.substr(36, 4), "data");
        EXPECT_EQ(le32(s.bytes, 40), s.bytes.size() - 44);
        ASSERT_FALSE(s.samples.empty());
        // Loud enough to hear, never clipped.
        double peak = 0.0;
        for (double v : s.samples)
            peak = std::max(peak, std::abs(v));
        EXPECT_GT(peak, 0.2);
        EXPECT_LT(peak, 0.99);
    }
}

TEST(ContentSounds, TheBeepAndTheStartToneHaveTheirPitchAndTheStartIsAnOctaveUp)
{
    ContentSound beep(soundCueFile(SoundCue::countdownBeep)), start(soundCueFile(SoundCue::startTone));
    ASSERT_GT(beep.samples.size(), 2048u);
    ASSERT_GT(start.samples.size(), 4096u);
    double beepHz = dominantFrequency(beep.samples, 0, beep.samples.size(), 22050.0, 100.0, 4000.0, 2.0);
    double startHz = dominantFrequency(start.samples, 0, start.samples.size(), 22050.0, 100.0, 4000.0, 2.0);
    EXPECT_NEAR(beepHz, 880.0, 10.0);
    EXPECT_NEAR(startHz, 1760.0, 10.0);
    // Both begin and end at silence: no click as they start or stop.
    for (const ContentSound* s : {&beep, &start}) {
        EXPECT_LT(std::abs(s->samples.front()), 0.01);
        EXPECT_LT(std::abs(s->samples.back()), 0.01);
    }
}

TEST(ContentSounds, TheEngineLoopIsAWholeNumberOfPeriodsRichInHarmonics)
{
    ContentSound engine(engineLoopFile());
    const std::vector<double>& s = engine.samples;
    ASSERT_GT(s.size(), 1000u);
    // The step across the loop's seam is no larger than the steps inside it.
    double inner = 0.0;
    for (size_t i = 1; i < s.size(); ++i)
        inner = std::max(inner, std::abs(s[i] - s[i - 1]));
    EXPECT_LE(std::abs(s.front() - s.back()), inner);
    // Repeated twice, the fundamental is the strongest and the harmonics are there.
    std::vector<double> twice = s;
    twice.insert(twice.end(), s.begin(), s.end());
    double f0 = dominantFrequency(twice, 0, twice.size(), 22050.0, 40.0, 500.0, 0.5);
    double loopHz = 22050.0 / s.size();
    double periods = f0 / loopHz;
    EXPECT_NEAR(periods, std::round(periods), 0.05) << "a whole number of periods";
    // Harmonics measured at multiples of the exact fundamental: the scan's
    // half-hertz steps, multiplied up, would miss the higher ones.
    const double fundamental = std::round(periods) * loopHz;
    int strongHarmonics = 0;
    for (int k = 2; k <= 8; ++k)
        strongHarmonics += toneAmplitude(twice, 0, twice.size(), k * fundamental, 22050.0) > 0.03;
    EXPECT_GE(strongHarmonics, 5);
}
