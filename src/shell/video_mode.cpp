#include "shell/video_mode.h"

#include <SDL.h>
#include <cstdio>

#include "assets/mesh.h"
#include "assets/texture_cache.h"
#include "gui/gui_setup.h"
#include "gui/image_loader.h"
#include "shell/game.h"
#include "track/track_list.h"

bool operator==(const VideoMode& a, const VideoMode& b)
{
    return a.width == b.width && a.height == b.height && a.fullscreen == b.fullscreen;
}

std::vector<VideoMode> modeAttempts(const VideoMode& wanted, const VideoMode& current, int desktopWidth,
                                    int desktopHeight)
{
    VideoMode first = wanted;
    if (!wanted.fullscreen) {
        const WindowFit fit = fitWindowToDisplay(wanted.width, wanted.height, desktopWidth, desktopHeight);
        first.width = fit.width;
        first.height = fit.height;
    }
    std::vector<VideoMode> modes{first};
    if (!(current == first))
        modes.push_back(current);
    const VideoMode display{0, 0, false};
    if (!(display == first) && !(display == current))
        modes.push_back(display);
    return modes;
}

static std::string modeText(const VideoMode& m)
{
    return std::to_string(m.width) + " x " + std::to_string(m.height) + (m.fullscreen ? " full screen" : "");
}

std::string modeChangeNote(const VideoMode& wanted, const VideoMode& opened, bool wantedOpened)
{
    if (!wantedOpened)
        return "cannot open " + modeText(wanted) + ": back to " + modeText(opened);
    if (opened == wanted)
        return "";
    return modeText(wanted) + " opened as " + modeText(opened);
}

void restoreGlResources(Game& g)
{
    // Every texture goes back into its own name before any new name is
    // made, so no holder's name can be handed out twice.
    reloadTextures();
    if (BoundedImageLoader* loader = dynamic_cast<BoundedImageLoader*>(openGLImageLoader))
        reloadGuiImages(*loader);
    forgetTrackList(g.trackList);
    forgetMeshChunks(g.area.meshChunks);
    boundTexture = -1;
    setGlState(g.screenWidth, g.screenHeight);
}

bool applyVideoMode(Game& g)
{
    const VideoMode current{g.screenWidth, g.screenHeight, g.fullscreen};
    const VideoMode wanted{g.settings.screenWidth, g.settings.screenHeight, g.settings.fullscreen};
    int desktopWidth = 0, desktopHeight = 0;
    desktopSize(desktopWidth, desktopHeight);
    const std::vector<VideoMode> attempts = modeAttempts(wanted, current, desktopWidth, desktopHeight);
    SDL_Surface* screen = nullptr;
    size_t tried = 0;
    while (!screen && tried < attempts.size()) {
        const VideoMode& m = attempts[tried++];
        screen = SDL_SetVideoMode(m.width, m.height, 32, videoFlags(m.fullscreen));
    }
    if (!screen) {
        // No window at all: nothing can be drawn, the game ends as at a
        // start-up without one.
        std::fprintf(stderr, "Cannot open an OpenGL window: %s\n", SDL_GetError());
        g.running = false;
        return false;
    }
    g.screenWidth = screen->w;
    g.screenHeight = screen->h;
    g.fullscreen = (screen->flags & SDL_FULLSCREEN) != 0;
    restoreGlResources(g);
    resizeGui();
    const VideoMode opened{g.screenWidth, g.screenHeight, g.fullscreen};
    const bool wantedOpened = tried == 1;
    g.settingsScreen.message = modeChangeNote(wanted, opened, wantedOpened);
    return wantedOpened;
}
