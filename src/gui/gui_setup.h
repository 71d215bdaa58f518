#pragma once
// Creates the window, the GL state, the GUI back-ends, the fonts and the
// widget tree, printing its progress lines; sizes the GUI to a new window.

#include <cstdint>

// False when no window with an OpenGL context could be opened; the game
// cannot run then.
bool createGame();

// SDL_SetVideoMode's flags for the game's window: an OpenGL surface, full
// screen or not.
uint32_t videoFlags(bool fullscreen);

// The display's size as SDL reported it before the window opened; 0 x 0
// when it did not.
void desktopSize(int& width, int& height);

// The GL state the game keeps for its whole run: the viewport of a width x
// height window, blending's function, the light and colour material. Set
// at start-up and again after every change of video mode.
void setGlState(int width, int height);

// The GUI drawn into the window of game.screenWidth x game.screenHeight: the
// graphics' target, the top container and the menus' areas covering it, the
// 800 x 600 menus centred, the HUD along the window's edges.
void resizeGui();

// The window opened for a configured size: each side held to the display's
// (known when above 0), since a larger window puts the menus off-screen and
// X refuses a huge one. 0 still stands for the display's size.
struct WindowFit {
    int width = 0;
    int height = 0;
    // True when a side was made smaller.
    bool clamped = false;
};
WindowFit fitWindowToDisplay(int width, int height, int displayWidth, int displayHeight);
