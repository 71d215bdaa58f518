#pragma once
// The hand-edited configuration file: ten whitespace-separated integers
// (window size, fullscreen, joystick mapping) and an optional eleventh, the
// sound volume from 0 to 100; words beginning with "#" comment out the rest
// of their line. Read once, never written.

#include <istream>
#include <string>

struct Game;

// Next word that is not part of a comment; "" when the stream has no more.
std::string nextToken(std::istream& in);

// Reads the values from in into the game, in file order.
void readConfigFrom(Game& g, std::istream& in);

// Reads configPath() into the global game; a missing file keeps the defaults.
void readConfig();
