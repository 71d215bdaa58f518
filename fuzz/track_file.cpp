// loadTrack on an arbitrary "track.track" beside a fixed "textures.txt", with
// the texture cache headless. A track it accepts has at least three segments,
// every one holding both road textures; a rejected one is empty.

#include <cstdint>
#include <cstdlib>

#include "assets/data_dir.h"
#include "assets/texture_cache.h"
#include "fuzz_files.h"
#include "track/track.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = fuzzFolder("data/tracks/f");
    static bool ready = [] {
        static const char words[] = "asphalt asphalt_start\ngrass grass\n";
        fuzzWrite(folder + "/textures.txt", reinterpret_cast<const uint8_t*>(words), sizeof words - 1);
        return true;
    }();
    (void)ready;
    dataDir = fuzzScratch() + "/data";
    textureCache.headless = true;
    fuzzWrite(folder + "/track.track", data, size);

    Track track;
    loadTrack(track, "f");
    if (track.name != "f")
        std::abort();
    if (!track.segments.empty() && track.segments.size() < 3)
        std::abort();
    if (track.segments.size() > size / 48)
        std::abort();
    for (const TrackSegment& segment : track.segments)
        if (segment.textureA == -1 || segment.textureB == -1)
            std::abort();
    clearTrack(track);
    // Every reference handed out must have come back.
    for (const CachedTexture& entry : textureCache.entries)
        if (entry.refCount != 0)
            std::abort();
    textureCache.entries.clear();
    return 0;
}
