#pragma once
// Test-only: SDL's own event queue through the dummy video driver (no
// display needed) and the events a keyboard or a pad puts on it.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

// Starts SDL on the dummy video driver; the caller asserts the result.
inline int startDummySdl()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return SDL_Init(SDL_INIT_VIDEO);
}

inline SDL_Event joyAxisEvent(int which, int axis, int value)
{
    SDL_Event e{};
    e.type = SDL_JOYAXISMOTION;
    e.jaxis.which = static_cast<Uint8>(which);
    e.jaxis.axis = static_cast<Uint8>(axis);
    e.jaxis.value = static_cast<Sint16>(value);
    return e;
}

inline SDL_Event joyButtonEvent(int which, int button, Uint8 type = SDL_JOYBUTTONDOWN)
{
    SDL_Event e{};
    e.type = type;
    e.jbutton.which = static_cast<Uint8>(which);
    e.jbutton.button = static_cast<Uint8>(button);
    e.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

// A key going down, with the character it types for the GUI's text fields.
inline SDL_Event keyDownEvent(SDLKey key, Uint16 unicode = 0)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.keysym.unicode = unicode;
    return e;
}

inline void pushEvent(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 0); }
