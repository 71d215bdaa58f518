#pragma once
// The race screen's map: the road's centre line seen from above in the
// bottom-left corner, which the HUD's labels leave free, with a dot for the
// player and one for each ghost. The outline is built once per road and
// drawn as one line loop, so a frame pays only for a few hundred vertices.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/vecmath.h"

struct Track;

// The colour of a ghost's dot on the map.
struct DotColour {
    float red = 0.6f;
    float green = 0.85f;
    float blue = 1.0f;
};

struct TrackMap {
    // The road the outline was built from; a different one rebuilds it.
    const Track* track = nullptr;
    uint64_t revision = 0;
    size_t segmentCount = 0;
    std::string name;
    // Centre-line points, world x and y, in order around the road.
    std::vector<double> xy;
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
};

// The map's square in window pixels, its corner counted from the window's
// bottom-left: a quarter of the shorter side, 10 pixels in from the edges.
struct MapPlace {
    int x = 0;
    int y = 0;
    int size = 0;
};
MapPlace mapPlace(int screenWidth, int screenHeight);

// Builds the outline of track unless the map already holds it.
void updateTrackMap(TrackMap& map, const Track& track);

// Window pixel (from the bottom-left) of world point p on the map.
void mapPixel(const TrackMap& map, const MapPlace& place, Vec3 p, double& px, double& py);

// Draws the map over whatever the frame holds: nothing for a road without
// segments. A ghost without a colour is pale blue. Leaves the GL state the
// race scene leaves.
void drawTrackMap(TrackMap& map, const Track& track, int screenWidth, int screenHeight, Vec3 player,
                  const std::vector<Vec3>& ghosts, const std::vector<DotColour>& colours);
