#include "shell/race_end.h"

#include <guichan.hpp>

#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "save/runs.h"
#include "shell/game.h"
#include "shell/screens.h"

static void showPlayMenu()
{
    showScreen(Screen::playMenu);
    if (game.menuPlay)
        game.menuPlay->refresh();
}

void finishRun()
{
    game.inRace = false;
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
    showScreen(Screen::saveScore);
    if (game.menuSaveScore)
        game.menuSaveScore->show();
}

void loseRace()
{
    game.inRace = false;
    showPlayMenu();
}

void abortRace()
{
    game.run.controls.clear();
    game.run.ticks = 0;
    game.inRace = false;
    showPlayMenu();
}
