#pragma once
// Test-only: the one SDL window with a GL context a test process may open
// (SDL 1.2 has a single video surface). Run the tests under xvfb-run.

#include <FreeImagePlus.h>
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Opens the window on first use and keeps it for the rest of the process.
// The size of the first call wins. False when no display is reachable.
inline bool openGlWindow(int width = 320, int height = 240)
{
    if (SDL_GetVideoSurface())
        return true;
    // Without this SDL may fall back to a text-mode driver that has no GL.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    // Xvfb now and then turns a connection away while test processes come and
    // go in parallel; a few more tries get through.
    int tries = 0;
    while (SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (++tries == 50) {
            fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
            return false;
        }
        SDL_Delay(20);
    }
    if (tries > 0)
        fprintf(stderr, "SDL_Init: display reached after %d retries\n", tries);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (!SDL_SetVideoMode(width, height, 32, SDL_OPENGL)) {
        fprintf(stderr, "SDL_SetVideoMode: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

inline int glWindowWidth() { return SDL_GetVideoSurface() ? SDL_GetVideoSurface()->w : 0; }
inline int glWindowHeight() { return SDL_GetVideoSurface() ? SDL_GetVideoSurface()->h : 0; }

// RGB bytes of the back buffer, bottom row first.
inline std::vector<unsigned char> readBackBuffer()
{
    const int w = glWindowWidth(), h = glWindowHeight();
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// The back buffer after clearing it to one colour and running draw; GL must
// report no error.
template <typename Draw>
std::vector<unsigned char> drawnFrame(Draw draw, float r = 0.1f, float g = 0.2f, float b = 0.3f)
{
    glClearColor(r, g, b, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return readBackBuffer();
}

// An RGB texture of size x size texels, sampled nearest, its bytes given by
// texel(x, y, rgb); left bound.
template <typename Texel>
GLuint makeTexture(int size, Texel texel)
{
    std::vector<unsigned char> texels(static_cast<size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            texel(x, y, &texels[(static_cast<size_t>(y) * size + x) * 3]);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return name;
}

// A straight-down orthographic view of +-half units across and +-depth deep,
// textured, white, with neither depth test nor culling, so that the order of
// what is drawn shows.
inline void flatView(double half, double depth)
{
    glViewport(0, 0, glWindowWidth(), glWindowHeight());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -depth, depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
}

// The state start-up leaves for the game's scenes, in a window of w x h.
inline void sceneGlState(int w, int h)
{
    glViewport(0, 0, w, h);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
}

// Writes RGB bytes (bottom row first) as a PNG; false when it could not be written.
inline bool savePng(const std::string& path, const std::vector<unsigned char>& rgb, int w, int h)
{
    fipImage image(FIT_BITMAP, static_cast<unsigned>(w), static_cast<unsigned>(h), 24);
    for (int y = 0; y < h; ++y) {
        BYTE* line = image.getScanLine(static_cast<unsigned>(y));
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            line[x * 3 + FI_RGBA_RED] = p[0];
            line[x * 3 + FI_RGBA_GREEN] = p[1];
            line[x * 3 + FI_RGBA_BLUE] = p[2];
        }
    }
    return image.save(path.c_str()) != 0;
}
