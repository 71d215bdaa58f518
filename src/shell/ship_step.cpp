#include "shell/ship_step.h"

#include "shell/game.h"
#include "shell/race_end.h"
#include "sim/race.h"
#include "sim/ship_physics.h"

static bool gameRaceOn(void*) { return game.inRace; }
static void gameFinish(void*) { finishRun(); }
static void gameLeaveRoad(void*) { loseRace(); }

RaceHooks gameRaceHooks()
{
    RaceHooks hooks;
    hooks.raceOn = gameRaceOn;
    hooks.finish = gameFinish;
    hooks.leaveRoad = gameLeaveRoad;
    return hooks;
}

void stepShip(Ship& ship, bool isPlayer)
{
    stepShipState(ship.state, game.track, game.area.gravity, game.stepSeconds);
    if (isPlayer)
        updateRaceProgress(game.track, ship.state, gameRaceHooks());
}
