#include "track/track_file.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "assets/binary_io.h"
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
    if (file.status != FileStatus::ok)
        return false;
    ByteReader in = byteReader(file.bytes);
    int32_t count;
    if (!readI32(in, count) || count < minControlPoints || !fitsItems(in, size_t(count), controlPointBytes))
        return false;
    std::vector<ControlPoint> read(static_cast<size_t>(count));
    for (ControlPoint& point : read) {
        for (int k = 0; k < 12; ++k) {
            float value = 0.0f;
            readF32(in, value);
            // File units are hundredths; the product stays a float.
            point.p[k / 3][k % 3] = static_cast<float>(value * 100.0);
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
