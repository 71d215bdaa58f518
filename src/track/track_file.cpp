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

std::string playerTracksRoot;

static const char playerTrackPrefix[] = "my.";

std::string playerTrackName(const std::string& plan, const std::string& hashHex)
{
    return playerTrackPrefix + plan + "." + hashHex.substr(0, playerTrackHashDigits);
}

static bool planChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

static bool hexChar(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

std::string playerTrackPlan(const std::string& name)
{
    const size_t prefix = sizeof playerTrackPrefix - 1;
    if (name.size() < prefix + 2 + playerTrackHashDigits || name.compare(0, prefix, playerTrackPrefix) != 0)
        return "";
    const size_t dot = name.size() - playerTrackHashDigits - 1;
    if (name[dot] != '.')
        return "";
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (!hexChar(name[i]))
            return "";
    std::string plan = name.substr(prefix, dot - prefix);
    // The plan names' own rule: 1 to 32 of A-Z a-z 0-9 _ -.
    if (plan.empty() || plan.size() > 32)
        return "";
    for (char c : plan)
        if (!planChar(c))
            return "";
    return plan;
}

std::string shownTrackName(const std::string& name)
{
    const std::string plan = playerTrackPlan(name);
    return plan.empty() ? name : plan;
}

std::string trackFolderPath(const std::string& root, const std::string& name)
{
    const std::string plan = playerTrackPlan(name);
    if (!plan.empty() && !playerTracksRoot.empty())
        return playerTracksRoot + "/tracks/" + plan;
    return root + "/tracks/" + name;
}

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
    if (!readControlPoints(trackFolderPath(dataRoot, name) + "/track.track", points))
        return false;
    track.segments.assign(points.size(), TrackSegment{});
    buildSegments(points, track.segments);
    return true;
}
