#pragma once
// The scenery of a track: terrain around and under the road, with features
// per theme, in one mesh (metres here, file units when written) and one
// texture atlas of sixteen tiles side by side.

#include <cstdint>
#include <string>
#include <vector>

#include "design/picture.h"
#include "design/track_design.h"
#include "design/tris_writer.h"

// The terrain ends this far from the middle of the road's bounding box, so the
// mountains at its rim stay inside the camera's far plane of 5000 m.
const double sceneryHalfSize = 3400.0;
// Ground near the road lies at least this far below the road surface, metres.
const double groundClearance = 0.8;

struct Scenery {
    TrisBuilder mesh;
    RgbaImage atlas;
};

// The themes a design may name, in a fixed order; an unknown theme is built
// as the first.
const std::vector<std::string>& sceneryThemes();
// The seed of a track's land and texture noise, from its name.
uint32_t scenerySeed(const std::string& trackName);

Scenery buildScenery(const BuiltTrack& track);
