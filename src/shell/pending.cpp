// Placeholders for subsystems still being written; each moves to its own
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

void loadTrack(Track& track, std::string name) { track.name = name; track.segments.clear(); }
void clearTrack(Track& track) { track.segments.clear(); }
void loadArea(Area& area, std::string name) { area.name = name; }
void loadShipModel(Ship& ship, std::string name) { ship.modelName = name; }
void resetShip(ShipState&, const Track&) {}
void resetLaps(Track& track) { for (TrackSegment& s : track.segments) s.lap = 0; }
void stepShip(Ship&, bool) {}
std::string formatTime(double) { return "-:--.--"; }
void updateHud(Hud&) {}
void setLights() {}
void drawMenuBackground() {}
void drawRaceScene() {}
void loadSaveFile(SaveData&, const std::string&) {}
bool writeSaveFile(const SaveData&, const std::string&) { return false; }
TrackRecord& recordFor(SaveData& save, const std::string& name) { return save.records[name]; }

void pollInput()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            game.running = false;
    }
    game.run.controls.push_back(ControlInput{});
}

void createGame()
{
    printf("Init SDL\n");
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_SetVideoMode(game.screenWidth, game.screenHeight, 32, 0x103 | (game.fullscreen ? SDL_FULLSCREEN : 0));
}
