#include "shell/startup.h"

#include <SDL.h>
#include <cstdio>
#include <ctime>
#include <guichan.hpp>
#include <guichan/opengl.hpp>
#include <guichan/opengl/openglsdlimageloader.hpp>
#include <guichan/sdl.hpp>

#include "assets/data_dir.h"
#include "assets/image_formats.h"
#include "assets/models.h"
#include "audio/sound.h"
#include "gui/gui_setup.h"
#include "save/save_lock.h"
#include "save/save_status.h"
#include "shell/config.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "shell/my_tracks.h"
#include "shell/paths.h"
#include "shell/shelf_files.h"
#include "shell/window.h"
#include "track/track.h"

int runGame()
{
    printf("Starting game...\n");
    // Without it every track, font and picture is missing: said once, here.
    std::string contentProblem = contentFolderProblem(dataDir);
    if (!contentProblem.empty())
        fprintf(stderr, "%s\n", contentProblem.c_str());
    restrictImageFormats();
    printf("Load \"config.txt\"\n");
    readConfig();
    printf("Load game\n");
    // The player's own tracks sit beside the save file.
    playerTracksRoot = saveDirectory();
    game.saveStatus = openLockedSave(game.save, game.saveLock, savePath(), std::time(nullptr));
    loadShelfMemory(game);
    game.save.trackName = currentTrackName(game.save.trackName);
    printf("Create game\n");
    fflush(stdout);
    std::string videoError;
    if (!startVideo(dataDir + "/gui/icon.png", videoError)) {
        fprintf(stderr, "%s\n", videoError.c_str());
        return 1;
    }
    if (!createGame()) {
        fprintf(stderr, "Cannot open an OpenGL window: %s\n", SDL_GetError());
        return 1;
    }
    // The track menu filled with every track's state, the only screen up.
    openTrackMenu(game);
    // Silently without a device: the lines above and below stay as they are.
    openSound(game.soundVolume);
    printf("Load track\n");
    loadTrack(game.track, game.save.trackName);
    printf("Load area\n");
    loadArea(game.area, game.save.trackName);
    printf("Load car\n");
    loadShipModel(game.player, game.save.shipName);
    printf("Load ghost\n");
    loadShipModel(game.ghost, game.save.shipName);
    printf("Play game\n\n");
    fflush(stdout);
    mainLoop();
    shutdown();
    return 0;
}

void shutdown()
{
    if (joystick && SDL_JoystickOpened(0))
        SDL_JoystickClose(joystick);
    closeSound();
    SDL_Quit();
    delete game.fontDefault;
    delete game.fontBig;
    delete game.fontBigHighlight;
    delete game.top;
    delete game.gui;
    delete sdlInput;
    delete openGLGraphics;
    delete openGLImageLoader;
    delete sdlImageLoader;
    game.fontDefault = game.fontBig = game.fontBigHighlight = nullptr;
    game.top = nullptr;
    game.gui = nullptr;
    sdlInput = nullptr;
    openGLGraphics = nullptr;
    openGLImageLoader = nullptr;
    sdlImageLoader = nullptr;
}
