#pragma once
// What one race or replay frame shows, handed to the renderer by the shell:
// the road, the scenery, the camera, the ships to draw over them and the
// map's dots. The renderer decides nothing about the race.

#include <vector>

#include "render/camera.h"
#include "sim/ship.h"

struct Track;
struct TrackList;
struct TrackMap;
struct Area;
struct Ship;

// A ship model drawn at a pose, in white at an opacity.
struct ShipDraw {
    Ship* model = nullptr;
    ShipState pose;
    float opacity = 1.0f;
};

struct RaceView {
    Track* track = nullptr;
    TrackList* trackList = nullptr;
    Area* area = nullptr;
    CameraPose camera;
    // Drawn after the world in this order, blended, depth on.
    std::vector<ShipDraw> ships;
    // The corner map; null for none.
    TrackMap* map = nullptr;
    Vec3 playerDot;
    std::vector<Vec3> ghostDots;
    int screenWidth = 800;
    int screenHeight = 600;
};
