#include "track/track_file.h"

#include <cstdio>
#include <cstring>

// Fewer points cannot make a sound closed road: with two the road folds back
// onto itself and every segment is both predecessor and successor of the
// other, which lets the lap counters climb on their own.
static const int32_t minControlPoints = 3;
static const long controlPointBytes = 48;

// The revision last handed out.
static uint64_t lastRevision = 0;

uint64_t newTrackRevision() { return ++lastRevision; }

// Reads the control points of a "track.track" file, scaled to world units.
// False for a missing file, a count below the minimum or a file shorter than
// its count; the count is checked against the file size before allocating.
static bool readControlPoints(const std::string& path, std::vector<ControlPoint>& points)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bool ok = false;
    unsigned char countBytes[4];
    long fileSize = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        fileSize = std::ftell(file);
    if (fileSize >= 4 && std::fseek(file, 0, SEEK_SET) == 0 && std::fread(countBytes, 1, 4, file) == 4) {
        // Little-endian signed count.
        uint32_t raw = uint32_t(countBytes[0]) | uint32_t(countBytes[1]) << 8 | uint32_t(countBytes[2]) << 16 |
                       uint32_t(countBytes[3]) << 24;
        int32_t count;
        std::memcpy(&count, &raw, sizeof count);
        if (count >= minControlPoints && (fileSize - 4) / controlPointBytes >= count) {
            std::vector<unsigned char> bytes(size_t(count) * controlPointBytes);
            if (std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size()) {
                points.resize(size_t(count));
                for (int32_t i = 0; i < count; ++i) {
                    for (int k = 0; k < 12; ++k) {
                        const unsigned char* b = &bytes[size_t(i) * controlPointBytes + size_t(k) * 4];
                        uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                        uint32_t(b[3]) << 24;
                        float value;
                        std::memcpy(&value, &bits, sizeof value);
                        // File units are hundredths; the product stays a float.
                        points[size_t(i)].p[k / 3][k % 3] = static_cast<float>(value * 100.0);
                    }
                }
                ok = true;
            }
        }
    }
    std::fclose(file);
    return ok;
}

bool readTrackRoad(Track& track, const std::string& dataRoot, const std::string& name)
{
    track.name = name;
    track.segments.clear();
    track.revision = newTrackRevision();

    std::vector<ControlPoint> points;
    if (!readControlPoints(dataRoot + "/tracks/" + name + "/track.track", points))
        return false;
    track.segments.assign(points.size(), TrackSegment{});
    buildSegments(points, track.segments);
    return true;
}
