#pragma once
// The hand-edited configuration file: ten whitespace-separated integers
// (window size, fullscreen, joystick mapping) and an optional eleventh, the
// sound volume from 0 to 100; words beginning with "#" comment out the rest
// of their line. Read once, never written.

#include <cstddef>
#include <istream>
#include <string>

struct Game;

// Next word that is not part of a comment; "" when the stream has no more.
std::string nextToken(std::istream& in);

// Reads the values from in into the game, in file order.
void readConfigFrom(Game& g, std::istream& in);

// Ten numbers and their comments; a longer file is not a configuration.
const size_t maxConfigFileBytes = 64u * 1024u;

// Reads configPath() into the global game; a missing file, or one that is not
// a regular file of at most maxConfigFileBytes, keeps the defaults.
void readConfig();
