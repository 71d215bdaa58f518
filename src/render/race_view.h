#pragma once
// What one race or replay frame shows, handed to the renderer by the shell:
// the road, the scenery, the camera, the ships to draw over them and the
// map's dots. The renderer decides nothing about the race.

#include <vector>

#include "render/camera.h"
#include "render/name_tags.h"
#include "render/track_map.h"
#include "sim/ship.h"

struct Track;
struct TrackList;
struct TrackMap;
struct Area;
struct Ship;

// A ship model drawn at a pose, tinted (white leaves its texture as it is)
// at an opacity.
struct ShipDraw {
    Ship* model = nullptr;
    ShipState pose;
    float opacity = 1.0f;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
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
    // The colour of each of ghostDots; a dot without one is pale blue.
    std::vector<DotColour> ghostDotColours;
    // A name over each ghost, drawn after the scene in tagFont (none: no tags).
    std::vector<NameTag> tags;
    gcn::Font* tagFont = nullptr;
    int screenWidth = 800;
    int screenHeight = 600;
};
