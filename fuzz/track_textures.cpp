// The word list of an arbitrary "textures.txt" for a road of four segments:
// two names per segment, each inside the road texture folder's naming scheme,
// missing words naming ".png".

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "assets/data_dir.h"
#include "track/track.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    dataDir = "data";
    std::istringstream words(std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> names = readTextureNames(words, 4);
    if (names.size() != 8)
        std::abort();
    const std::string prefix = dataDir + "/tex_road/";
    for (const std::string& name : names) {
        if (name.compare(0, prefix.size(), prefix) != 0 || name.size() < prefix.size() + 4 ||
            name.compare(name.size() - 4, 4, ".png") != 0)
            std::abort();
        // A word never carries white space into a file name.
        if (name.find_first_of(" \t\n\v\f\r") != std::string::npos)
            std::abort();
    }
    return 0;
}
