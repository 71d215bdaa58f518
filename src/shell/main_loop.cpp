#include "shell/main_loop.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <guichan.hpp>

#include "gui/hud.h"
#include "render/scene.h"
#include "shell/frame_pacing.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/ship_step.h"
#include "sim/race.h"
#include "sim/ship_physics.h"

TickCalls gameTickCalls() { return TickCalls{pollInput, stepShip}; }

void startRaceAt(Game& g, double nowMs)
{
    g.inRace = true;
    g.countdownMs = 3000;
    g.nextTickMs = nowMs;
    resetLaps(g.track);
    resetShip(g.player.state, g.track);
    resetShip(g.ghost.state, g.track);
    g.run.controls.clear();
    std::memcpy(g.run.startState.data(), &g.player.state, sizeof(ShipState));
}

void startRace(Game& g)
{
    startRaceAt(g, static_cast<double>(SDL_GetTicks()));
    SDL_ShowCursor(0);
}

void runDueTicks(Game& g, double nowMs, const TickCalls& calls)
{
    if (!(g.nextTickMs < nowMs))
        return;
    while (g.inRace) {
        g.nextTickMs += g.stepSeconds * 1000.0;
        g.countdownMs = static_cast<int32_t>(g.countdownMs - g.stepSeconds * 1000.0);
        if (g.countdownMs >= 1) {
            // Both craft held with full brake while the countdown runs.
            g.player.state.control = ControlInput{0.0f, 1.0f, 0.0f};
            calls.stepShip(g.player, true);
            g.ghost.state.control = g.player.state.control;
            calls.stepShip(g.ghost, false);
        } else {
            calls.pollInput();
            if (!g.run.controls.empty())
                g.player.state.control = g.run.controls.back();
            calls.stepShip(g.player, true);
            TrackRecord& record = recordFor(g.save, g.save.trackName);
            size_t m = record.ghostRun.size();
            if (g.ghostEnabled && m > 0 && g.inRace) {
                size_t n = g.run.controls.size();
                // Past the end of the best run the ghost keeps its last record.
                g.ghost.state.control = record.ghostRun[std::min(m, n) - 1];
                calls.stepShip(g.ghost, false);
            }
        }
        if (!(g.nextTickMs < nowMs))
            break;
    }
}

void mainLoop()
{
    double previousFrameMs = static_cast<double>(SDL_GetTicks());
    FramePacing pacing;
    while (game.running) {
        ++game.frameCounter;
        if (game.inRace) {
            glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            double now = static_cast<double>(SDL_GetTicks());
            game.frameTimesMs[game.frameCounter & 63] = now - previousFrameMs;
            previousFrameMs = now;
            runDueTicks(game, now, gameTickCalls());
            if (game.hud)
                updateHud(*game.hud);
            drawRaceScene();
        } else {
            pollInput();
            drawMenuBackground();
        }
        if (game.gui) {
            // Guichan 0.8 needs no per-frame housekeeping call on the focus
            // handler; logic and drawing do the work.
            game.gui->logic();
            // With colour material on, the GUI's colour calls (a label's black
            // foreground) reach the lit material, and the scene's later white did
            // not bring it back: after the first label every lit surface drew black.
            glDisable(GL_COLOR_MATERIAL);
            game.gui->draw();
            glEnable(GL_COLOR_MATERIAL);
        }
        SDL_GL_SwapBuffers();
        // SDL 1.2 cannot tell the display's rate; with vertical sync the swap
        // itself holds a race to it.
        uint32_t waitMs = frameWaitMs(pacing, static_cast<double>(SDL_GetTicks()), maxFrameRate(game.inRace, 0));
        if (waitMs > 0)
            SDL_Delay(waitMs);
    }
}
