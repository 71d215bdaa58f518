#pragma once
// The content generators. Each writes its part of the game's data directory
// below root and returns false on a write failure. Same inputs, same bytes.

#include <string>

bool writeGuiAssets(const std::string& root);
