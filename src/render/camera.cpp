#include "render/camera.h"

#include "track/geometry.h"
#include "track/track.h"

// A camera riding with the ship: the eye back metres behind it and eyeUp
// above, looking at the point ahead metres in front and centreUp above.
static CameraPose shipCamera(const ShipState& ship, double back, double eyeUp, double ahead, double centreUp)
{
    const Vec3 forward = row(ship.orientation, 1);
    const Vec3 up = row(ship.orientation, 2);
    CameraPose pose;
    pose.eye = add(add(ship.position, scale(forward, -back)), scale(up, eyeUp));
    pose.centre = add(add(ship.position, scale(forward, ahead)), scale(up, centreUp));
    pose.up = up;
    return pose;
}

CameraPose chaseCamera(const ShipState& ship) { return shipCamera(ship, 0.5, 1.15, 1.0, 1.15); }

CameraPose behindAboveCamera(const ShipState& ship) { return shipCamera(ship, 6.0, 2.5, 2.0, 0.5); }

std::vector<Vec3> tracksidePoints(const Track& track)
{
    // Metres beyond the road's edge and above it: far enough that the road
    // and the ship pass below the camera, near enough to see the ship's shape.
    const double outward = 8.0;
    const double height = 5.0;
    std::vector<Vec3> points;
    for (size_t i = 0; i < track.segments.size(); i += tracksideSpacing) {
        const TrackSegment& segment = track.segments[i];
        // Rails 0 and 3 are the edges; alternate sides so the view changes.
        const bool leftSide = (i / tracksideSpacing) % 2 == 0;
        const Vec3 edge = railPoint(segment, leftSide ? 0 : 3, 0.0);
        const Vec3 other = railPoint(segment, leftSide ? 3 : 0, 0.0);
        Vec3 away = sub(edge, other);
        away.z = 0.0;
        const double across = length(away);
        const Vec3 out = across > 0.0 ? scale(away, outward / across) : Vec3{0.0, 0.0, 0.0};
        points.push_back(add(add(edge, out), Vec3{0.0, 0.0, height}));
    }
    return points;
}

size_t nearestPoint(const std::vector<Vec3>& points, Vec3 position)
{
    size_t best = 0;
    double bestDistance = 0.0;
    for (size_t i = 0; i < points.size(); ++i) {
        const Vec3 d = sub(points[i], position);
        const double distance = dot(d, d);
        if (i == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

CameraPose tracksideCamera(const std::vector<Vec3>& points, const ShipState& ship)
{
    if (points.empty())
        return behindAboveCamera(ship);
    CameraPose pose;
    pose.eye = points[nearestPoint(points, ship.position)];
    pose.centre = ship.position;
    pose.up = Vec3{0.0, 0.0, 1.0};
    return pose;
}

void orientationMatrix(const Mat3& orientation, double out[16])
{
    for (int column = 0; column < 3; ++column) {
        for (int i = 0; i < 3; ++i)
            out[4 * column + i] = orientation.m[3 * column + i];
        out[4 * column + 3] = 0.0;
    }
    out[12] = out[13] = out[14] = 0.0;
    out[15] = 1.0;
}

float menuTurnDegrees(uint32_t ticksMs) { return static_cast<float>(ticksMs / 100.0); }

double aspectRatio(int32_t width, int32_t height)
{
    if (height <= 0)
        return 1.0;
    return static_cast<double>(width) / static_cast<double>(height);
}
