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
#include "assets/texture_cache.h"

void setLights() {}

void drawMenuBackground() {}

void drawRaceScene() {}

