// The real GUI after a change of video mode: its images back in their
// texture names after a new GL context, and the widget tree laid out for
// the new window.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <guichan/opengl.hpp>

#include "assets/texture_cache.h"
#include "gui_env.h"
#include "shell/video_mode.h"

namespace {

// Level 0 of a texture as RGBA; empty when it holds no image.
std::vector<unsigned char> texturePixels(GLuint name)
{
    glBindTexture(GL_TEXTURE_2D, name);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> rgba(size_t(w) * size_t(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!rgba.empty())
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

class VideoModeGui : public GuiTest {
protected:
    void TearDown() override
    {
        game.screenWidth = 800;
        game.screenHeight = 600;
        resizeGui();
        resetGame();
    }
};

TEST_F(VideoModeGui, EveryImageIsBackInItsOwnNameAfterANewContext)
{
    std::vector<GLuint> names;
    for (gcn::Image* image : {game.medalGold, game.medalBronze})
        if (auto* gl = dynamic_cast<gcn::OpenGLImage*>(image))
            names.push_back(gl->getTextureHandle());
    ASSERT_EQ(names.size(), 2u) << "the medals are GL images";
    TextureSlot road = -1;
    acquire(road, dataDir + "/tex_road/asphalt.png");
    ASSERT_GT(road, 0);
    names.push_back(GLuint(road));
    std::vector<std::vector<unsigned char>> before;
    for (GLuint n : names) {
        before.push_back(texturePixels(n));
        ASSERT_FALSE(before.back().empty());
    }
    // A new context knows none of the names.
    for (GLuint n : names)
        glDeleteTextures(1, &n);
    restoreGlResources(game);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(glIsTexture(names[i])) << "name " << names[i];
        EXPECT_TRUE(texturePixels(names[i]) == before[i]) << "the same image in name " << names[i];
    }
    release(GLuint(road));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
}

TEST_F(VideoModeGui, TheGuiFollowsTheWindowAndKeepsTheMenusCentred)
{
    struct Case {
        int w, h;
        int topX, topY;
    };
    for (const Case& c : {Case{1024, 768, 112, 84}, Case{640, 480, -80, -60}, Case{1920, 1080, 560, 240}}) {
        game.screenWidth = c.w;
        game.screenHeight = c.h;
        resizeGui();
        EXPECT_EQ(game.top->getX(), c.topX) << c.w;
        EXPECT_EQ(game.top->getY(), c.topY) << c.w;
        EXPECT_EQ(game.top->getWidth(), c.w);
        EXPECT_EQ(game.top->getHeight(), c.h);
        EXPECT_EQ(game.menuTrack->container->getWidth(), c.w);
        EXPECT_EQ(game.menuPlay->container->getHeight(), c.h);
        EXPECT_EQ(game.hud->container->getWidth(), c.w);
        EXPECT_EQ(game.hud->speedLabel->getX(), c.w - 200) << "the HUD along the new edges";
        EXPECT_EQ(game.hud->speedLabel->getY(), c.h - 50);
        EXPECT_EQ(game.hud->timeLabel->getX(), c.w - 150);
    }
}

} // namespace
