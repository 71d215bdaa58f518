#include "content/content.h"

bool writeGuiAssets(const std::string&) { return true; }
