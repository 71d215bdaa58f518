#include "assets/texture_cache.h"

#include <gtest/gtest.h>

#include "gl_recorder.h"
#include "gl_folder.h"
#include "track/loop_points.h"
#include "track/track.h"

namespace {

class TextureCacheTest : public GlFolderTest {
protected:
    TextureCacheTest() : GlFolderTest("textures") {}

    std::string image(const std::string& name, unsigned w = 4, unsigned h = 4, unsigned bpp = 24)
    {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(writeImage(path, w, h, bpp, 200, 100, 50, 128));
        return path;
    }

    const CachedTexture* entry(const std::string& fileName)
    {
        for (const CachedTexture& e : textureCache.entries)
            if (e.fileName == fileName)
                return &e;
        return nullptr;
    }
};

// Level 0 of a texture, read back as RGBA.
struct Level {
    // -1 until GL tells.
    int w = -1, h = -1, alphaBits = -1;
    std::vector<unsigned char> rgba;
    // The first texel; empty when there is none.
    std::vector<int> first() const
    {
        return rgba.size() < 4 ? std::vector<int>{} : std::vector<int>(rgba.begin(), rgba.begin() + 4);
    }
};

Level level(TextureSlot slot)
{
    Level l;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(slot));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &l.w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &l.h);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &l.alphaBits);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (l.w > 0 && l.h > 0)
        l.rgba.resize(static_cast<size_t>(l.w) * l.h * 4);
    if (!l.rgba.empty())
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, l.rgba.data());
    return l;
}

} // namespace

TEST_F(TextureCacheTest, SameFileSharesOneNameAndIsDecodedOnce)
{
    const std::string path = image("road.png");
    TextureSlot a = -1, b = -1;
    acquire(a, path);
    acquire(b, path);
    EXPECT_NE(a, -1);
    EXPECT_EQ(a, b);
    ASSERT_EQ(textureCache.entries.size(), 1u);
    EXPECT_EQ(textureCache.entries[0].refCount, 2);
    EXPECT_EQ(textureCache.decodes, 1u);

    // Given back, the texture stays cached and alive.
    release(static_cast<uint32_t>(a));
    release(static_cast<uint32_t>(b));
    EXPECT_EQ(textureCache.entries[0].refCount, 0);
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(a)));
    TextureSlot c = -1;
    acquire(c, path);
    EXPECT_EQ(c, a);
    EXPECT_EQ(textureCache.entries[0].refCount, 1);
    EXPECT_EQ(textureCache.decodes, 1u);

    // Reacquiring what the slot holds goes 1 -> 0 -> 1 without decoding.
    acquire(c, path);
    EXPECT_EQ(c, a);
    EXPECT_EQ(textureCache.entries[0].refCount, 1);
    EXPECT_EQ(textureCache.decodes, 1u);

    // Another spelling of the same path is another entry.
    TextureSlot d = -1;
    acquire(d, dir + "//road.png");
    EXPECT_NE(d, a);
    EXPECT_EQ(textureCache.entries.size(), 2u);
}

TEST_F(TextureCacheTest, ReleaseOfAnUnknownNameChangesNothing)
{
    TextureSlot a = -1;
    acquire(a, image("a.png"));
    release(static_cast<uint32_t>(a) + 1000);
    release(0);
    ASSERT_EQ(textureCache.entries.size(), 1u);
    EXPECT_EQ(textureCache.entries[0].refCount, 1);
}

TEST_F(TextureCacheTest, UploadsNeedingTheWholeBudgetEvictUnheldTexturesFirst)
{
    const std::string unheldPath = image("unheld.png");
    const std::string heldPath = image("held.png", 8, 8);
    const std::string newPath = image("new.png", 16, 16, 32);
    TextureSlot unheld = -1, held = -1, fresh = -1;
    acquire(unheld, unheldPath);
    acquire(held, heldPath);
    release(static_cast<uint32_t>(unheld));
    fipImage probe;
    ASSERT_TRUE(probe.load(newPath.c_str()));
    const int32_t size = static_cast<int32_t>(probe.getImageSize());

    // One byte below the budget still fits: nothing is evicted.
    textureCache.usedBytes = textureCache.budgetBytes - size - 1;
    acquire(fresh, newPath);
    EXPECT_EQ(textureCache.entries.size(), 3u);
    EXPECT_EQ(textureCache.usedBytes, textureCache.budgetBytes - 1);
    release(static_cast<uint32_t>(fresh));
    evictUnused();
    ASSERT_EQ(textureCache.entries.size(), 1u);
    acquire(unheld, unheldPath);
    release(static_cast<uint32_t>(unheld));
    const GLuint unheldName = static_cast<GLuint>(unheld);

    // Exactly the budget does not fit: the unheld texture goes first.
    textureCache.usedBytes = textureCache.budgetBytes - size;
    fresh = -1;
    acquire(fresh, newPath);
    EXPECT_EQ(textureCache.usedBytes, textureCache.budgetBytes);
    EXPECT_EQ(entry(unheldPath), nullptr);
    EXPECT_FALSE(glIsTexture(unheldName));
    ASSERT_NE(entry(heldPath), nullptr);
    EXPECT_EQ(entry(heldPath)->texture, static_cast<uint32_t>(held));
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(held)));
    ASSERT_NE(entry(newPath), nullptr);
    EXPECT_EQ(entry(newPath)->byteSize, size);
    EXPECT_EQ(entry(newPath)->width, 16u);

    // From now on every new file evicts first, and the total keeps growing.
    release(static_cast<uint32_t>(fresh));
    TextureSlot more = -1;
    acquire(more, unheldPath);
    EXPECT_EQ(entry(newPath), nullptr);
    EXPECT_GT(textureCache.usedBytes, textureCache.budgetBytes);
}

TEST_F(TextureCacheTest, UploadsKeepColourAndAlphaOfEachDepth)
{
    struct Case {
        const char* name;
        unsigned bpp;
        bool alpha;
    };
    // 8-bit palettised images are converted to 24 bits before the upload.
    for (Case c : {Case{"rgb.png", 24, false}, Case{"rgba.png", 32, true}, Case{"rgb.tga", 24, false},
                   Case{"grey.png", 8, false}}) {
        SCOPED_TRACE(c.name);
        const std::string path = image(c.name, 6, 3, c.bpp);
        TextureSlot slot = -1;
        acquire(slot, path);
        // The upload leaves its texture bound.
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, slot);
        const Level l = level(slot);
        // Scaled up to powers of two by the mipmap builder.
        EXPECT_EQ(l.w, 8);
        EXPECT_EQ(l.h, 4);
        EXPECT_TRUE(c.alpha ? l.alphaBits > 0 : l.alphaBits == 0) << l.alphaBits;
        EXPECT_EQ(l.first(), (std::vector<int>{200, 100, 50, c.alpha ? 128 : 255}));
        EXPECT_EQ(entry(path)->width, 6u);
        EXPECT_EQ(entry(path)->height, 3u);
    }
}

TEST_F(TextureCacheTest, MissingOrBrokenFilesGetANameWithoutAnImage)
{
    const std::string broken = dir + "/broken.png";
    writeText(broken, "not an image at all");
    for (const std::string& path : {dir + "/missing.png", broken}) {
        TextureSlot a = -1, b = -1;
        acquire(a, path);
        acquire(b, path);
        EXPECT_GT(a, 0);
        EXPECT_EQ(a, b);
        ASSERT_NE(entry(path), nullptr);
        EXPECT_EQ(entry(path)->byteSize, 0);
        EXPECT_EQ(entry(path)->refCount, 2);
        EXPECT_EQ(level(a).w, 0);
    }
    EXPECT_EQ(textureCache.usedBytes, 0);
    EXPECT_EQ(textureCache.decodes, 2u);
}

TEST_F(TextureCacheTest, FirstDrawAfterAnUploadBindsItsTextureAgain)
{
    Mesh mesh;
    TextureSlot first = -1, second = -1;
    acquire(first, image("first.png"));
    EXPECT_EQ(countCalls(recorded([&] { drawMesh(mesh, first); }), GlCall::Bind), 1u);

    // The upload binds the new texture behind the drawing code's back.
    acquire(second, image("second.png"));
    ASSERT_EQ(countCalls(recorded([&] { drawMesh(mesh, first); }), GlCall::Bind), 1u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, first);
}

TEST_F(TextureCacheTest, ReadingARoadForTheSimulationTouchesNeitherTheCacheNorGl)
{
    // The tools run without a GL context: the core's road reader must not
    // reach the cache, while the game's loader acquires two textures a segment.
    const auto points = loopPoints(4, 0.0, [](double, int r) { return 10.0 + r; }, [](double, int) { return 0.0; });
    writeFile(dir + "/tracks/square/track.track", trackBytes(fileFloats(points)).data);
    writeText(dir + "/tracks/square/textures.txt", "a b c d e f g h");
    image("tex_road/a.png");

    Track road;
    startRecording();
    ASSERT_TRUE(readTrackRoad(road, dir, "square"));
    EXPECT_TRUE(stopRecording().empty());
    EXPECT_EQ(road.segments.size(), 4u);
    EXPECT_TRUE(textureCache.entries.empty());
    EXPECT_EQ(textureCache.decodes, 0u);

    const std::string savedDataDir = dataDir;
    dataDir = dir;
    Track loaded;
    loadTrack(loaded, "square");
    dataDir = savedDataDir;
    EXPECT_EQ(textureCache.entries.size(), 8u);
    ASSERT_NE(entry(dir + "/tex_road/a.png"), nullptr);
    EXPECT_EQ(entry(dir + "/tex_road/a.png")->width, 4u);
    clearTrack(loaded);
}

// A new GL context knows none of the names: deleting them stands for it. The
// reload puts every image back into the very name its holders keep.
TEST_F(TextureCacheTest, AReloadPutsEveryImageBackIntoItsOwnName)
{
    const std::string path = image("scene.png", 6, 3, 32);
    const std::string gone = image("gone.png");
    TextureSlot scene = -1, missing = -1;
    acquire(scene, path);
    acquire(missing, gone);
    for (TextureSlot s : {scene, missing}) {
        GLuint name = static_cast<GLuint>(s);
        glDeleteTextures(1, &name);
        ASSERT_FALSE(glIsTexture(name));
    }
    // A file removed since its first load leaves its name without an image.
    std::filesystem::remove(gone);
    const uint64_t decodes = textureCache.decodes;
    const int32_t used = textureCache.usedBytes;
    boundTexture = static_cast<int32_t>(scene);
    reloadTextures();
    EXPECT_EQ(boundTexture, -1) << "the next draw binds what it needs";
    EXPECT_EQ(textureCache.decodes, decodes + 2);
    EXPECT_EQ(textureCache.usedBytes, used) << "no upload counted twice";
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(scene)));
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(missing)));
    const Level l = level(scene);
    EXPECT_EQ(l.w, 8);
    EXPECT_EQ(l.h, 4);
    EXPECT_EQ(l.first(), (std::vector<int>{200, 100, 50, 128}));
    EXPECT_EQ(level(missing).w, 0);
    ASSERT_NE(entry(path), nullptr);
    EXPECT_EQ(entry(path)->refCount, 1) << "holders keep their references";
}
