// loadTrack on an arbitrary "textures.txt" beside a fixed four-point
// "track.track", with the texture cache headless: each segment takes the next
// two words, missing words name ".png", and every acquisition is given back.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/data_dir.h"
#include "assets/texture_cache.h"
#include "fuzz_files.h"
#include "track/track.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = fuzzFolder("data/tracks/f");
    static bool ready = [] {
        // A square road of four control points, ten units wide, in file units.
        std::vector<uint8_t> bytes(4 + 4 * 48);
        const int32_t count = 4;
        std::memcpy(bytes.data(), &count, 4);
        const float corners[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
        for (int i = 0; i < 4; ++i) {
            float p[12];
            for (int r = 0; r < 4; ++r) {
                p[3 * r] = corners[i][0] + 0.1f * static_cast<float>(r);
                p[3 * r + 1] = corners[i][1];
                p[3 * r + 2] = 0.0f;
            }
            std::memcpy(&bytes[4 + 48 * static_cast<size_t>(i)], p, 48);
        }
        fuzzWrite(folder + "/track.track", bytes.data(), bytes.size());
        return true;
    }();
    (void)ready;
    dataDir = fuzzScratch() + "/data";
    textureCache.headless = true;
    fuzzWrite(folder + "/textures.txt", data, size);

    Track track;
    loadTrack(track, "f");
    if (track.segments.size() != 4)
        std::abort();
    const std::string prefix = dataDir + "/tex_road/";
    for (const TrackSegment& segment : track.segments) {
        for (TextureSlot slot : {segment.textureA, segment.textureB}) {
            bool found = false;
            for (const CachedTexture& entry : textureCache.entries) {
                if (static_cast<TextureSlot>(entry.texture) == slot) {
                    found = true;
                    // Names stay inside the road texture folder's naming scheme.
                    if (entry.fileName.compare(0, prefix.size(), prefix) != 0 ||
                        entry.fileName.size() < prefix.size() + 4 ||
                        entry.fileName.compare(entry.fileName.size() - 4, 4, ".png") != 0)
                        std::abort();
                }
            }
            if (!found)
                std::abort();
        }
    }
    clearTrack(track);
    for (const CachedTexture& entry : textureCache.entries)
        if (entry.refCount != 0)
            std::abort();
    textureCache.entries.clear();
    return 0;
}
