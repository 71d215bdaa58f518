#pragma once
// A closed test road for the game-state tests: a counter-clockwise ring of
// 24 segments through the origin, mid-segment 0, heading +y, gently hilly.

#include <cmath>
#include <vector>

#include "track/track.h"

inline Track ringTestTrack()
{
    const int count = 24;
    const double radius = 150.0, width = 18.0;
    std::vector<ControlPoint> points(count);
    for (int i = 0; i < count; ++i) {
        double a = 2.0 * 3.141592653589793 * (i - 0.5) / count;
        for (int r = 0; r < 4; ++r) {
            double rr = radius + width * (r / 3.0 - 0.5);
            points[size_t(i)].p[r][0] = float(-radius + rr * std::cos(a));
            points[size_t(i)].p[r][1] = float(rr * std::sin(a));
            points[size_t(i)].p[r][2] = float(3.0 * std::sin(2.0 * a));
        }
    }
    Track track;
    track.segments.assign(points.size(), TrackSegment{});
    buildSegments(points, track.segments);
    return track;
}
