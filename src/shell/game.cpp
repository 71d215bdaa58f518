#include "shell/game.h"

Game::Game()
{
    for (double& ms : frameTimesMs)
        ms = 30.0;
}

Game game;

gcn::SDLImageLoader* sdlImageLoader = nullptr;
gcn::OpenGLSDLImageLoader* openGLImageLoader = nullptr;
gcn::OpenGLGraphics* openGLGraphics = nullptr;
gcn::SDLInput* sdlInput = nullptr;
_SDL_Joystick* joystick = nullptr;
