// Preloaded into the game by the smoothness figure of vantor-bench: logs
// where the camera's eye was at every buffer swap, and can drive the game.
// Each frame that set a camera (gluLookAt) adds a line "ms x y z" to the
// file named by VANTOR_CAMERA_LOG: the time of the end of the swap on the
// monotonic clock and the last eye of the frame. With VANTOR_DRIVE set, the
// probe presses Enter at the 30th and the 60th swap (the track menu's pick,
// then "play") and holds the throttle from the 90th on, as a player would:
// the keys go through the game's own event queue and key state.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <initializer_list>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

namespace {

unsigned long long swaps = 0;
int logFd = -2;
bool eyeSet = false;
double eye[3] = {0.0, 0.0, 0.0};

bool driving()
{
    static bool on = getenv("VANTOR_DRIVE") != nullptr;
    return on;
}

void writeEye()
{
    if (logFd == -2) {
        const char* path = getenv("VANTOR_CAMERA_LOG");
        logFd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600) : -1;
    }
    if (logFd < 0)
        return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[128];
    // One write per line, so a reader never sees half of one, and the game
    // can be ended at any moment.
    int n = snprintf(line, sizeof line, "%.4f %.17g %.17g %.17g\n", now.tv_sec * 1000.0 + now.tv_nsec / 1e6, eye[0],
                     eye[1], eye[2]);
    if (n > 0 && write(logFd, line, static_cast<size_t>(n)) != n)
        logFd = -1;
}

void pushKey(SDLKey key)
{
    using Push = int (*)(SDL_Event*);
    static Push push = reinterpret_cast<Push>(dlsym(RTLD_DEFAULT, "SDL_PushEvent"));
    if (!push)
        return;
    for (Uint8 type : {Uint8(SDL_KEYDOWN), Uint8(SDL_KEYUP)}) {
        SDL_Event event = {};
        event.type = type;
        event.key.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.unicode = type == SDL_KEYDOWN && key == SDLK_RETURN ? '\r' : 0;
        push(&event);
    }
}

}  // namespace

extern "C" void gluLookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux, double uy,
                          double uz)
{
    using LookAt = void (*)(double, double, double, double, double, double, double, double, double);
    static LookAt real = reinterpret_cast<LookAt>(dlsym(RTLD_NEXT, "gluLookAt"));
    if (real)
        real(ex, ey, ez, cx, cy, cz, ux, uy, uz);
    eye[0] = ex;
    eye[1] = ey;
    eye[2] = ez;
    eyeSet = true;
}

extern "C" void SDL_GL_SwapBuffers()
{
    using Swap = void (*)();
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    if (real)
        real();
    ++swaps;
    if (eyeSet)
        writeEye();
    eyeSet = false;
    if (driving() && (swaps == 30 || swaps == 60))
        pushKey(SDLK_RETURN);
}

extern "C" Uint8* SDL_GetKeyState(int* count)
{
    using KeyState = Uint8* (*)(int*);
    static KeyState real = reinterpret_cast<KeyState>(dlsym(RTLD_NEXT, "SDL_GetKeyState"));
    Uint8* keys = real ? real(count) : nullptr;
    if (keys && driving() && swaps >= 90)
        keys[SDLK_UP] = 1;
    return keys;
}
