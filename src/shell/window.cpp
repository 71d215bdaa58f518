#include "shell/window.h"

#include <SDL.h>
#include <SDL_image.h>
#include <cstdlib>

#include "assets/image_formats.h"

const char* const noDisplayMessage = "no display: set DISPLAY or start from a desktop";

bool videoDriverOffersOpenGL(const std::string& driver)
{
    // SDL 1.2's drivers with GL support, on the platforms it builds for.
    for (const char* name : {"x11", "windib", "directx", "Quartz", "photon"})
        if (driver == name)
            return true;
    return false;
}

bool displayMissing(const char* display, const char* chosenDriver)
{
    const bool chosen = chosenDriver && chosenDriver[0] != '\0';
    const bool named = display && display[0] != '\0';
    return !chosen && !named;
}

static void setIcon(const std::string& path)
{
    // The header check keeps a swapped file from reaching the decoder.
    if (!imageHeaderAcceptable(path))
        return;
    SDL_Surface* icon = IMG_Load(path.c_str());
    if (!icon)
        return;
    // SDL keeps its own copy; its mask comes from the image's alpha.
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

bool startVideo(const std::string& iconPath, std::string& error)
{
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    const bool driverChosen = chosen && chosen[0] != '\0';
    // Checked before SDL starts: a terminal driver such as caca would take
    // over the terminal before it is found to have no OpenGL.
    if (displayMissing(std::getenv("DISPLAY"), chosen)) {
        error = noDisplayMessage;
        return false;
    }
    // Without a driver of the player's choosing, any failure here means no
    // display could be reached: SDL tried X first and fell back.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = driverChosen ? std::string("Cannot open an OpenGL window: ") + SDL_GetError() : noDisplayMessage;
        return false;
    }
    char name[64] = "";
    SDL_VideoDriverName(name, sizeof name);
    if (!videoDriverOffersOpenGL(name)) {
        error = driverChosen ? std::string("video driver ") + name + " offers no OpenGL window" : noDisplayMessage;
        SDL_Quit();
        return false;
    }
    SDL_WM_SetCaption("Vantor", "Vantor");
    setIcon(iconPath);
    return true;
}
