#include "assets/data_dir.h"

std::string dataDir = "data";
