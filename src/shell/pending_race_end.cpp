// Placeholder end-of-race handling until the menus exist.
#include <SDL.h>

#include "shell/game.h"
#include "shell/race_end.h"

void finishRun()
{
    SDL_ShowCursor(1);
    game.inRace = false;
    game.run.ticks = static_cast<int32_t>(game.run.controls.size());
}

void loseRace()
{
    SDL_ShowCursor(1);
    game.inRace = false;
}

void abortRace()
{
    game.run.controls.clear();
    game.run.ticks = 0;
    game.inRace = false;
    SDL_ShowCursor(1);
}
