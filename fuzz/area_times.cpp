// loadArea's reading of "times.txt" on arbitrary text (no scenery mesh, the
// texture cache headless). The three medal times either keep their defaults
// or take values from the file, which are real numbers.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "assets/texture_cache.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = fuzzFolder("data/tracks/a");
    dataDir = fuzzScratch() + "/data";
    textureCache.headless = true;
    fuzzWrite(folder + "/times.txt", data, size);

    Area area;
    loadArea(area, "a");
    for (double seconds : {area.goldSeconds, area.silverSeconds, area.bronzeSeconds})
        if (std::isnan(seconds))
            std::abort();
    if (!area.mesh.groups.empty() || !area.mesh.vertexFrames.empty())
        std::abort();
    if (area.texture != -1)
        release(static_cast<uint32_t>(area.texture));
    textureCache.entries.clear();
    return 0;
}
