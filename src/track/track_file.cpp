#include "track/track_file.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "assets/regular_file.h"

// Fewer points cannot make a sound closed road: with two the road folds back
// onto itself and every segment is both predecessor and successor of the
// other, which lets the lap counters climb on their own.
static const int32_t minControlPoints = 3;
static const size_t controlPointBytes = 48;

// The revision last handed out.
static uint64_t lastRevision = 0;

uint64_t newTrackRevision() { return ++lastRevision; }

// Whether every coordinate is a finite number and at least minControlPoints
// of the points differ: NaNs, infinities or points stacked on each other give
// a road of no length that the ship can never leave nor finish.
static bool usableControlPoints(const std::vector<ControlPoint>& points)
{
    std::vector<const ControlPoint*> distinct;
    for (const ControlPoint& point : points) {
        for (int k = 0; k < 12; ++k)
            if (!std::isfinite(point.p[k / 3][k % 3]))
                return false;
        if (static_cast<int32_t>(distinct.size()) >= minControlPoints)
            continue;
        bool seen = false;
        for (const ControlPoint* other : distinct)
            seen = seen || std::memcmp(other->p, point.p, sizeof point.p) == 0;
        if (!seen)
            distinct.push_back(&point);
    }
    return static_cast<int32_t>(distinct.size()) >= minControlPoints;
}

// Reads the control points of a "track.track" file, scaled to world units.
// False for a missing or irregular file, a count below the minimum, a file
// shorter than its count or points that make no road; the count is checked
// against the file size before allocating.
static bool readControlPoints(const std::string& path, std::vector<ControlPoint>& points)
{
    const FileRead file = readRegularFile(path, maxTrackFileBytes);
    if (file.status != FileStatus::ok || file.bytes.size() < 4)
        return false;
    const uint8_t* countBytes = file.bytes.data();
    // Little-endian signed count.
    uint32_t raw = uint32_t(countBytes[0]) | uint32_t(countBytes[1]) << 8 | uint32_t(countBytes[2]) << 16 |
                   uint32_t(countBytes[3]) << 24;
    int32_t count;
    std::memcpy(&count, &raw, sizeof count);
    if (count < minControlPoints || (file.bytes.size() - 4) / controlPointBytes < size_t(count))
        return false;
    std::vector<ControlPoint> read(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        for (int k = 0; k < 12; ++k) {
            const uint8_t* b = &file.bytes[4 + size_t(i) * controlPointBytes + size_t(k) * 4];
            uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
            float value;
            std::memcpy(&value, &bits, sizeof value);
            // File units are hundredths; the product stays a float.
            read[size_t(i)].p[k / 3][k % 3] = static_cast<float>(value * 100.0);
        }
    }
    if (!usableControlPoints(read))
        return false;
    points = std::move(read);
    return true;
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
