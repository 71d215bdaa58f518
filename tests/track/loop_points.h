#pragma once
// Test-only: closed loops of n control points around a middle shiftX along x
// from the origin, point i at the angle 2 pi i / n + turn with rail r at
// radius(a, r) from the middle and height(a, r) above it.

#include <cmath>
#include <vector>

#include "track/geometry.h"
#include "track/track_file.h"

template <typename Radius, typename Height>
std::vector<ControlPoint> loopPoints(int n, double turn, Radius radius, Height height, double shiftX = 0.0)
{
    std::vector<ControlPoint> points(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double a = i * 2.0 * M_PI / n + turn;
        for (int r = 0; r < 4; ++r) {
            const double d = radius(a, r);
            points[size_t(i)].p[r][0] = static_cast<float>(d * std::cos(a) + shiftX);
            points[size_t(i)].p[r][1] = static_cast<float>(d * std::sin(a));
            points[size_t(i)].p[r][2] = static_cast<float>(height(a, r));
        }
    }
    return points;
}

// The points as a track file holds them: twelve floats each.
inline std::vector<std::vector<float>> fileFloats(const std::vector<ControlPoint>& points)
{
    std::vector<std::vector<float>> out;
    for (const ControlPoint& cp : points)
        out.emplace_back(&cp.p[0][0], &cp.p[0][0] + 12);
    return out;
}

inline Track loopTrack(const std::vector<ControlPoint>& points)
{
    Track track;
    track.segments.resize(points.size());
    buildSegments(points, track.segments);
    return track;
}
