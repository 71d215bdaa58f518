// The core's road reader on an arbitrary "track.track". A road it accepts has
// at least three segments and no more than the file has room for, each
// without textures and with its lap counter at 0; a rejected one is empty.

#include <cstdint>
#include <cstdlib>

#include "fuzz_files.h"
#include "track/track_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = fuzzFolder("data/tracks/f");
    fuzzWrite(folder + "/track.track", data, size);

    Track track;
    const bool accepted = readTrackRoad(track, fuzzScratch() + "/data", "f");
    if (track.name != "f")
        std::abort();
    if (accepted != !track.segments.empty())
        std::abort();
    if (!track.segments.empty() && track.segments.size() < 3)
        std::abort();
    if (track.segments.size() > size / 48)
        std::abort();
    for (const TrackSegment& segment : track.segments)
        if (segment.textureA != -1 || segment.textureB != -1 || segment.lap != 0)
            std::abort();
    return 0;
}
