#pragma once
// Where the per-user files live. With APPDATA set: APPDATA/Vantor/ for both.
// Otherwise the XDG base directories: the configuration under
// $XDG_CONFIG_HOME/Vantor (default ~/.config/Vantor) and the save file under
// $XDG_DATA_HOME/Vantor (default ~/.local/share/Vantor). An empty or relative
// XDG value counts as unset. An empty result means no usable folder.

#include <string>

#include "assets/atomic_file.h"

std::string configPath();
std::string saveDirectory();
std::string savePath();
