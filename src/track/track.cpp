#include "track/track.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "assets/data_dir.h"
#include "assets/texture_cache.h"

// Fewer points cannot make a sound closed road: with two the road folds back
// onto itself and every segment is both predecessor and successor of the
// other, which lets the lap counters climb on their own.
static const int32_t minControlPoints = 3;
static const long controlPointBytes = 48;

// The revision the last load or clear handed out.
static uint64_t lastRevision = 0;

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

std::vector<std::string> readTextureNames(std::istream& words, size_t segmentCount)
{
    std::vector<std::string> names;
    names.reserve(segmentCount * 2);
    for (size_t i = 0; i < segmentCount * 2; ++i) {
        // A failed read leaves the word empty, naming ".png", which does not exist.
        std::string word;
        if (!(words >> word))
            word.clear();
        names.push_back(dataDir + "/tex_road/" + word + ".png");
    }
    return names;
}

void clearTrack(Track& track)
{
    for (TrackSegment& segment : track.segments) {
        if (segment.textureA != -1) {
            release(static_cast<uint32_t>(segment.textureA));
            segment.textureA = -1;
        }
        if (segment.textureB != -1) {
            release(static_cast<uint32_t>(segment.textureB));
            segment.textureB = -1;
        }
    }
    track.segments.clear();
    track.revision = ++lastRevision;
}

void loadTrack(Track& track, std::string name)
{
    clearTrack(track);
    track.name = name;
    const std::string folder = dataDir + "/tracks/" + name;

    std::vector<ControlPoint> points;
    if (!readControlPoints(folder + "/track.track", points))
        return;
    track.segments.assign(points.size(), TrackSegment{});
    buildSegments(points, track.segments);

    std::ifstream words(folder + "/textures.txt");
    std::vector<std::string> names = readTextureNames(words, track.segments.size());
    for (size_t i = 0; i < track.segments.size(); ++i) {
        acquire(track.segments[i].textureA, names[2 * i]);
        acquire(track.segments[i].textureB, names[2 * i + 1]);
    }
    track.revision = ++lastRevision;
}
