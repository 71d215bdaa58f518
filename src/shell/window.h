#pragma once
// Opening SDL's video side for the game's window: the check that a display
// with OpenGL is there, and the window's title and icon, which SDL 1.2 takes
// only before the video mode is set.

#include <string>

// The one line a player without a display reads.
extern const char* const noDisplayMessage;

// True for the SDL 1.2 video drivers that can open an OpenGL window. When no
// display can be reached SDL falls back to drivers such as "caca", "fbcon" or
// "dummy", which cannot.
bool videoDriverOffersOpenGL(const std::string& driver);

// True when SDL is bound to fall back to a driver without OpenGL: no driver
// chosen through SDL_VIDEODRIVER and no X display named. Both may be null.
bool displayMissing(const char* display, const char* chosenDriver);

// Starts SDL's video subsystem, checks that its driver offers OpenGL and sets
// the window's title "Vantor" and the icon at iconPath (a missing or
// unreadable icon leaves SDL's default). False with the line for the player
// in error, and SDL shut down, when no OpenGL window can open.
bool startVideo(const std::string& iconPath, std::string& error);
