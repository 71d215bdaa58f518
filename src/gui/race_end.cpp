#include "shell/race_end.h"

#include <SDL.h>
#include <guichan.hpp>

#include "gui/gui_common.h"
#include "gui/hud.h"
#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "save/runs.h"
#include "shell/main_loop.h"
#include "shell/game.h"

// Hides the HUD, brings the cursor back and leaves the race for the menus.
static void leaveRace()
{
    if (game.hud && game.hud->container)
        game.hud->container->setVisible(false);
    SDL_ShowCursor(1);
    game.inRace = false;
    centreTop();
}

static void showPlayMenu()
{
    if (game.borderIcon)
        game.borderIcon->setVisible(true);
    if (game.menuPlay) {
        game.menuPlay->container->setVisible(true);
        game.menuPlay->refresh();
    }
}

void finishRun()
{
    leaveRace();
    TrackRecord& record = recordFor(game.save, game.save.trackName);
    record.name = game.save.trackName;
    game.run.ticks = static_cast<int32_t>(game.run.controls.size());
    if (!isHighScore(record, game.run.ticks)) {
        // The refresh puts the ghost run into the current run before it is
        // recorded, so a slow run adds its score but never becomes the ghost.
        showPlayMenu();
        recordRun();
        return;
    }
    if (game.borderIcon)
        game.borderIcon->setVisible(true);
    if (game.menuSaveScore)
        game.menuSaveScore->show();
}

void loseRace()
{
    leaveRace();
    showPlayMenu();
}

void abortRace()
{
    game.run.controls.clear();
    game.run.ticks = 0;
    if (game.hud && game.hud->container)
        game.hud->container->setVisible(false);
    game.inRace = false;
    showPlayMenu();
    centreTop();
    SDL_ShowCursor(1);
}

void restartRace()
{
    game.run.controls.clear();
    startRace(game);
}
