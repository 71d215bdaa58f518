#pragma once
// Root of the content directory; "data" relative to the working directory in
// the game, chosen by --data in the tools.

#include <string>

extern std::string dataDir;
