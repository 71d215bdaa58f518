// The shared-track reader and its proof on arbitrary bytes. What decodes
// encodes back byte for byte; whatever is refused says why on one line.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "design/track_share.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SharedTrack shared;
    std::string reason;
    if (!decodeSharedTrack(data, size, shared, reason)) {
        if (reason.empty())
            std::abort();
        return 0;
    }
    if (encodeSharedTrack(shared) != std::vector<uint8_t>(data, data + size))
        std::abort();
    TrackPlan plan;
    BuiltTrack built;
    reason = verifySharedTrack(data, size, shared, plan, built);
    if (reason.find('\n') != std::string::npos)
        std::abort();
    if (reason.empty() && (built.segments.empty() || shared.author.trackName != plan.name))
        std::abort();
    return 0;
}
