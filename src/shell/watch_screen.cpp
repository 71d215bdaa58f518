#include "shell/watch_screen.h"

#include <SDL.h>
#include <guichan.hpp>

#include "gui/hud.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/views.h"

WatchKey watchKeyOf(int sdlKey)
{
    switch (sdlKey) {
    case SDLK_LEFT:
        return WatchKey::left;
    case SDLK_RIGHT:
        return WatchKey::right;
    case SDLK_UP:
        return WatchKey::up;
    case SDLK_DOWN:
        return WatchKey::down;
    case SDLK_SPACE:
        return WatchKey::space;
    case SDLK_HOME:
        return WatchKey::home;
    case SDLK_g:
        return WatchKey::ghosts;
    case SDLK_ESCAPE:
        return WatchKey::escape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return WatchKey::enter;
    default:
        return WatchKey::other;
    }
}

void runWatchFrame(Game& g, double nowMs)
{
    SDL_Event event;
    while (g.watching && SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            g.running = false;
        // Every event stops here: the menu's focused "watch" must not see
        // the Enter that leaves the replay.
        if (event.type == SDL_KEYDOWN && watchKey(g.watch, watchKeyOf(event.key.keysym.sym)))
            leaveWatch(g);
    }
    if (!g.watching)
        return;
    g.frameTimesMs[g.frameCounter & 63] = nowMs - g.watchFrameMs;
    advanceWatch(g.watch, nowMs - g.watchFrameMs);
    g.watchFrameMs = nowMs;
    if (g.hud)
        updateHud(*g.hud, watchHudView(g, g.watch));
}
