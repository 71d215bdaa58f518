// Placeholders for a subsystem still being written; each moves to its own
// module when that lands.
#include <SDL.h>

#include "assets/models.h"
#include "gui/gui_setup.h"
#include "gui/hud.h"
#include "render/scene.h"
#include "save/save_file.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/ship_step.h"
#include "sim/race.h"
#include "sim/ship_physics.h"
#include "track/track.h"
#include "assets/texture_cache.h"

std::string formatTime(double) { return "-:--.--"; }

void updateHud(Hud&) {}

void createGame()
{
    printf("Init SDL\n");
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_SetVideoMode(game.screenWidth, game.screenHeight, 32, 0x103 | (game.fullscreen ? SDL_FULLSCREEN : 0));
}
