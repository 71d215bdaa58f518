#pragma once
// The scenery of a track: terrain around and under the road, with features
// per theme, in one mesh (metres here, file units when written) and one
// texture atlas of sixteen tiles side by side.

#include <string>

#include "content/content_image.h"
#include "content/track_design.h"
#include "content/tris_writer.h"

// The terrain ends this far from the middle of the road's bounding box, so the
// mountains at its rim stay inside the camera's far plane of 5000 m.
const double sceneryHalfSize = 3400.0;
// Ground near the road lies at least this far below the road surface, metres.
const double groundClearance = 0.8;

struct Scenery {
    TrisBuilder mesh;
    RgbaImage atlas;
};

Scenery buildScenery(const BuiltTrack& track);
