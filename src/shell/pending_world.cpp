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

void loadArea(Area& area, std::string name) { area.name = name; }

void loadShipModel(Ship& ship, std::string name) { ship.modelName = name; }

void setLights() {}

void drawMenuBackground() {}

void drawRaceScene() {}

TextureCache textureCache;
void acquire(TextureSlot& slot, std::string) { slot = 0; }
void release(uint32_t) {}
