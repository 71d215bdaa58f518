// The configuration reader on arbitrary text: however the comments, words and
// numbers run, it reads its ten values and stops at the end of the text.

#include <cstdint>
#include <sstream>
#include <string>

#include "shell/config.h"
#include "shell/game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    static Game g;
    readConfigFrom(g, in);
    return 0;
}
