// The ghost-file reader on arbitrary bytes. Besides surviving them, whatever
// it accepts must be written back byte for byte: the format has no slack.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "save/ghost_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GhostFile ghost;
    std::string reason;
    if (!decodeGhost(data, size, ghost, reason)) {
        if (reason.empty())
            std::abort();
        return 0;
    }
    if (encodeGhost(ghost) != std::vector<uint8_t>(data, data + size))
        std::abort();
    if (!isTrackName(ghost.trackName) || ghost.records.size() > maxGhostRecords)
        std::abort();
    return 0;
}
