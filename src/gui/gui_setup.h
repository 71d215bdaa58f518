#pragma once
// Creates the window, the GL state, the GUI back-ends, the fonts and the
// widget tree, printing its progress lines.

// False when no window with an OpenGL context could be opened; the game
// cannot run then.
bool createGame();

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
