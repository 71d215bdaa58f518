#pragma once
// Changing the window's size or full screen while the game runs: the video
// mode is set again, and what a new GL context would have lost (textures,
// display lists, the GUI's images, the GL state) is put back; the GUI takes
// the new size. A mode that cannot open gives way to the one open before.

#include <cstdint>
#include <string>
#include <vector>

struct Game;

struct VideoMode {
    int32_t width = 0;
    int32_t height = 0;
    bool fullscreen = false;
};
bool operator==(const VideoMode& a, const VideoMode& b);

// The modes a change tries, in order: the wanted one (a window held to the
// desktop when its size is known, as at start-up), the one open now, and a
// window the display's size (0 x 0) as the last resort.
std::vector<VideoMode> modeAttempts(const VideoMode& wanted, const VideoMode& current, int desktopWidth,
                                    int desktopHeight);

// The line the settings screen says after a change that asked for wanted
// and opened opened, which is the wanted mode (perhaps held to the desktop)
// when wantedOpened, else the one fallen back to: "" when it is exactly
// what was asked, otherwise what happened.
std::string modeChangeNote(const VideoMode& wanted, const VideoMode& opened, bool wantedOpened);

// Opens the window g.settings ask for, restores the GL resources and lays
// the GUI out for it. False when that mode could not open: the window is
// then back as it was (or the display's size) and g.settingsScreen.message
// says so. The game's running size is what SDL opened.
bool applyVideoMode(Game& g);

// Everything the game had put into GL, back after a new context: the scene
// textures and the GUI's images into their own names, the display lists
// compiled afresh on their next draw, the GL state of start-up.
void restoreGlResources(Game& g);
