#include "shell/main_loop.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstring>
#include <guichan.hpp>

#include "audio/sound.h"
#include "gui/hud.h"
#include "gui/menu_analysis.h"
#include "render/gap_graph.h"
#include "render/scene.h"
#include "shell/flow.h"
#include "shell/frame_pacing.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/my_tracks_flow.h"
#include "shell/views.h"
#include "shell/editor_flow.h"
#include "shell/watch_screen.h"
#include "sim/race_session.h"
#include "sim/splits.h"
#include "sim/vecmath.h"

static void actOnGameTick(const TickReport& report) { actOnTick(game, report); }

TickCalls gameTickCalls() { return TickCalls{pollInput, stepRace, actOnGameTick}; }

void notePoses(Game& g, const TickReport& report)
{
    // The first race tick starts the drawing afresh: the countdown's hold
    // and the start are not blended into each other.
    if (report.raceTick == 1) {
        resetPose(g.playerPose, g.player.state);
        resetPose(g.ghostPose, g.ghost.state);
        for (size_t i = 0; i + 1 < maxRivals; ++i)
            resetPose(g.rivals.poses[i], g.rivals.ships[i]);
        return;
    }
    advancePose(g.playerPose, g.player.state);
    advancePose(g.ghostPose, g.ghost.state);
    for (size_t i = 0; i + 1 < maxRivals; ++i)
        advancePose(g.rivals.poses[i], g.rivals.ships[i]);
}

double drawFractionAt(const Game& g, double nowMs)
{
    return tickFraction(nowMs, g.nextTickMs, g.stepSeconds * 1000.0);
}

void runDueTicks(Game& g, double nowMs, const TickCalls& calls)
{
    if (!(g.nextTickMs < nowMs))
        return;
    while (g.inRace) {
        g.nextTickMs += g.stepSeconds * 1000.0;
        const ControlInput* record = nullptr;
        if (!inCountdown(g.race)) {
            calls.pollInput();
            const bool ledIn = leadInRecord(g);
            // A restart in this poll began a new race; its countdown ticks
            // start on the next frame, from the clock the restart armed.
            if (inCountdown(g.race) || !ledIn)
                break;
            // A race abandoned by this poll still takes its tick, but nothing
            // in it may end the race a second time.
            if (!g.inRace)
                g.race.on = false;
            if (!g.run.controls.empty())
                record = &g.run.controls.back();
        }
        TickReport report = calls.step(g.race, record);
        notePoses(g, report);
        g.countdownMs = countdownMsLeft(g.race);
        noteLiveTick(g.splits, report);
        calls.afterTick(report);
        if (!(g.nextTickMs < nowMs))
            break;
    }
}

void mainLoop()
{
    double previousFrameMs = frameClockMs();
    FramePacing pacing;
    while (game.running) {
        ++game.frameCounter;
        if (game.inRace) {
            glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            double now = frameClockMs();
            game.frameTimesMs[game.frameCounter & 63] = now - previousFrameMs;
            previousFrameMs = now;
            // Escape abandons the countdown at once; other keys wait for its end.
            if (inCountdown(game.race) && escapeWaiting())
                pollInput();
            runDueTicks(game, now, gameTickCalls());
            // The rival's splits are found a frame's share at a time.
            stepRivalSplits(game.splits, rivalTicksPerFrame);
            // The engine idles through the countdown, follows the player in the
            // race, and stops the moment the race ends, Escape included.
            if (game.inRace) {
                double throttle = inCountdown(game.race) ? 0.0 : game.player.state.control.throttle;
                driveEngine(length(game.player.state.velocity), throttle);
            } else {
                stopEngine();
            }
            // The HUD shows the last tick exactly; the picture is drawn
            // between the last two ticks, as far as the clock has gone.
            if (game.hud)
                updateHud(*game.hud, raceHudView(game));
            game.drawFraction = drawFractionAt(game, frameClockMs());
            drawRaceView(raceViewAt(game, drawnPose(game.playerPose, game.drawFraction),
                                    drawnPose(game.ghostPose, game.drawFraction)));
        } else if (game.watching) {
            glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            runWatchFrame(game, frameClockMs());
            if (game.watching)
                drawRaceView(watchView(game, game.watch));
            else
                drawMenuBackground();
        } else {
            pollInput();
            // Ghost files are judged a few a frame while the play menu is up.
            stepPlayMenu(game);
            // Shared tracks are proven one a frame while "my tracks" is up.
            stepMyTracks(game);
            stepAnalysis(game);
            drawMenuBackground();
            if (game.screen == Screen::editor)
                drawEditor(game);
            if (game.screen == Screen::analysis && game.menuAnalysis)
                drawGapGraph(game.menuAnalysis->graphView(), game.screenWidth, game.screenHeight);
        }
        if (game.gui) {
            // Guichan 0.8 needs no per-frame housekeeping call on the focus
            // handler; logic and drawing do the work.
            game.gui->logic();
            // What the player chose in the menus, acted on before the frame is drawn.
            actOnIntents(game);
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
        uint32_t waitMs = frameWaitMs(pacing, frameClockMs(), maxFrameRate(game.inRace, 0));
        if (waitMs > 0)
            SDL_Delay(waitMs);
    }
}
