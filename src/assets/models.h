#pragma once
// The scenery of a track (its area, with the medal target times) and ships
// with their models.

#include <istream>
#include <string>

#include "assets/mesh.h"
#include "assets/mesh_chunks.h"
#include "sim/race_constants.h"
#include "sim/ship.h"

struct Area {
    std::string name;
    // Positions in world units (file units times 100).
    Mesh mesh;
    // The mesh split by place and compiled for drawing, piece by piece, on the
    // first draw after a load; the scenes draw only the pieces they see.
    MeshChunks meshChunks;
    TextureSlot texture = -1;
    // Metres per second squared; no file sets it.
    double gravity = defaultGravity;
    // Medal target times, seconds.
    double goldSeconds = 60.0;
    double silverSeconds = 120.0;
    double bronzeSeconds = 300.0;
    // Whether the last load read all three times from the track's own file.
    bool timesRead = false;
};

// A craft: its physical state, which the simulation steps, followed by its
// model, which only the drawing uses.
struct Ship {
    ShipState state;
    Mesh mesh;
    TextureSlot texture = -1;
    std::string modelName;
};

// Medal times from here up are not taken: "99:59.99" is the widest label.
const double maxMedalSeconds = 6000.0;
// Three numbers; a longer file is not a list of medal times.
const size_t maxTimesFileBytes = 4096;

// dataDir/tracks/NAME/area.tris, area.png and times.txt.
void loadArea(Area& area, std::string name);
// Gold, silver, bronze in seconds, as "times.txt" holds them. A number that
// cannot be read keeps the earlier times from that one on; a time not
// positive and finite, or from maxMedalSeconds up, is its default instead.
// True when all three numbers were read.
bool readMedalTimes(std::istream& times, Area& area);
// dataDir/ships/NAME.tris and NAME.tga.
void loadShipModel(Ship& ship, std::string name);
