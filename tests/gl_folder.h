#pragma once
// Test-only: the fixture of the tests that load files into GL or draw them:
// the GL window, a temporary folder of the test's own (the content folder
// while the test runs, when asked), an empty texture cache and no texture
// bound; all put back afterwards, so tests in one process never see each
// other's textures or files. It brings along what its tests use: GL, the
// content folder, meshes, the texture cache and the file writers.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "assets/data_dir.h"
#include "assets/mesh.h"
#include "assets/texture_cache.h"
#include "gl_window.h"
#include "test_files.h"

// The cache entry of a slot's texture; null when the cache holds none.
inline const CachedTexture* cachedEntry(TextureSlot slot)
{
    for (const CachedTexture& e : textureCache.entries)
        if (static_cast<TextureSlot>(e.texture) == slot)
            return &e;
    return nullptr;
}

class GlFolderTest : public ::testing::Test {
protected:
    std::string dir;

    // name: what the temporary folder is called after; asDataDir: whether
    // the game's content folder points at it during the test.
    explicit GlFolderTest(const char* name, bool asDataDir = false) : folderName(name), asData(asDataDir) {}

    void SetUp() override
    {
        ASSERT_TRUE(openGlWindow()) << "no display: run under xvfb-run";
        dir = makeTempDir(folderName);
        ASSERT_FALSE(dir.empty());
        savedDataDir = dataDir;
        if (asData)
            dataDir = dir;
        forgetTextures();
    }
    void TearDown() override
    {
        forgetTextures();
        dataDir = savedDataDir;
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    static void forgetTextures()
    {
        for (const CachedTexture& e : textureCache.entries) {
            GLuint name = e.texture;
            glDeleteTextures(1, &name);
        }
        textureCache = TextureCache{};
        boundTexture = -1;
    }

private:
    const char* folderName;
    bool asData;
    std::string savedDataDir;
};
