#pragma once
// The small name tag over each ghost in a race: the rival's name in the
// ghost's colour, placed where the ghost's anchor above the ship projects
// through the race camera and faded with its distance from the camera and
// with the ghost's own fade near the player. The placing is a plain function
// of the camera; the drawing uses the GUI's small font.

#include <string>
#include <vector>

#include "render/camera.h"
#include "sim/ship.h"

namespace gcn {
class Font;
}

// The race scene's projection.
constexpr double raceFieldOfViewDegrees = 70.0;
constexpr double raceNearPlane = 0.1;

// Metres above the ship's origin, along its up axis, that the tag sits.
constexpr double tagHeight = 1.0;
// Fully opaque up to tagClearDistance metres from the camera, gone at
// tagGoneDistance: a far ghost is a dot on the map, not a label.
constexpr double tagClearDistance = 40.0;
constexpr double tagGoneDistance = 160.0;

struct NameTag {
    // The point above the ghost the text stands on.
    Vec3 anchor;
    std::string text;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    // 0 to 1: the ghost's own fade near the player.
    float fade = 1.0f;
};

// Where a tag is drawn: its anchor in window pixels counted from the top-left
// corner (the text's bottom centre) and its opacity; not shown when the
// anchor is behind the camera, off the window or faded out.
struct TagPlace {
    bool shown = false;
    double x = 0.0;
    double y = 0.0;
    float alpha = 0.0f;
};

// The anchor of a ghost at pose.
Vec3 tagAnchor(const ShipState& pose);

// The tag's place seen from camera with the race projection on a window of
// screenWidth by screenHeight pixels.
TagPlace nameTagPlace(const CameraPose& camera, int screenWidth, int screenHeight, Vec3 anchor, float fade);

// A tag's text on the window, pixels from the top-left corner.
struct TagBox {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
};

// Ghosts driving together would print their names over each other: each
// box, nearest first, is lifted just above every earlier box it would cover.
void liftOverlappingTags(std::vector<TagBox>& boxes);

// Draws each shown tag over the frame in font, centred on its place and
// lifted clear of nearer tags, the font's light fill taking the tag's
// colour; nothing without a font. Leaves the GL state as it found it.
void drawNameTags(const std::vector<NameTag>& tags, const CameraPose& camera, int screenWidth, int screenHeight,
                  gcn::Font* font);
