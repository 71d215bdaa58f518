#include "shell/screens.h"

#include <SDL.h>
#include <guichan.hpp>

#include "gui/gui_common.h"
#include "gui/hud.h"
#include "gui/menu_analysis.h"
#include "gui/menu_editor.h"
#include "gui/menu_my_tracks.h"
#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "gui/menu_settings.h"
#include "gui/menu_track.h"
#include "shell/game.h"

static void setShown(gcn::Widget* widget, bool shown)
{
    if (widget)
        widget->setVisible(shown);
}

void showScreen(Screen screen)
{
    game.screen = screen;
    const bool race = screen == Screen::race || screen == Screen::watch;
    setShown(game.menuTrack ? game.menuTrack->container : nullptr, screen == Screen::trackMenu);
    setShown(game.menuPlay ? game.menuPlay->container : nullptr, screen == Screen::playMenu);
    setShown(game.menuSaveScore ? game.menuSaveScore->container : nullptr, screen == Screen::saveScore);
    setShown(game.menuSettings ? game.menuSettings->container : nullptr, screen == Screen::settings);
    setShown(game.menuAnalysis ? game.menuAnalysis->container : nullptr, screen == Screen::analysis);
    setShown(game.menuEditor ? game.menuEditor->container : nullptr, screen == Screen::editor);
    setShown(game.menuMyTracks ? game.menuMyTracks->container : nullptr, screen == Screen::myTracks);
    setShown(game.hud ? game.hud->container : nullptr, race);
    setShown(game.hud ? game.hud->playbackLabel : nullptr, screen == Screen::watch);
    setShown(game.borderIcon, !race);
    SDL_ShowCursor(race ? SDL_DISABLE : SDL_ENABLE);
    if (!race)
        centreTop();
    else if (game.top)
        game.top->setPosition(0, 0);
}
