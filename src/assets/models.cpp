#include "assets/models.h"

#include <cmath>
#include <sstream>

#include "assets/data_dir.h"
#include "assets/regular_file.h"
#include "assets/texture_cache.h"
#include "track/track_file.h"

void loadArea(Area& area, std::string name)
{
    area.name = name;
    const std::string folder = trackFolderPath(dataDir, name) + "/";

    // Scenery is stored in hundredths of world units. A mesh that did not
    // load is the earlier one, already scaled.
    if (loadMesh(area.mesh, folder + "area.tris")) {
        for (std::vector<Float3>& frame : area.mesh.vertexFrames) {
            for (Float3& p : frame) {
                p.x *= 100.0f;
                p.y *= 100.0f;
                p.z *= 100.0f;
            }
        }
    }
    acquire(area.texture, folder + "area.png");

    // A missing or unusable file keeps the earlier times.
    area.timesRead = false;
    const FileRead file = readRegularFile(folder + "times.txt", maxTimesFileBytes);
    if (file.status != FileStatus::ok)
        return;
    std::istringstream times(asText(file));
    area.timesRead = readMedalTimes(times, area);
}

// A time that is not positive and finite cannot be raced against, and one
// from 100 minutes up no longer fits its label: either takes the default.
bool readMedalTimes(std::istream& times, Area& area)
{
    const Area defaults;
    double* targets[3] = {&area.goldSeconds, &area.silverSeconds, &area.bronzeSeconds};
    const double fallbacks[3] = {defaults.goldSeconds, defaults.silverSeconds, defaults.bronzeSeconds};
    for (int i = 0; i < 3; ++i) {
        double value = 0.0;
        if (!(times >> value))
            return false;
        *targets[i] = std::isfinite(value) && value > 0.0 && value < maxMedalSeconds ? value : fallbacks[i];
    }
    return true;
}

void loadShipModel(Ship& ship, std::string name)
{
    ship.modelName = name;
    // Ship meshes are used as stored.
    loadMesh(ship.mesh, dataDir + "/ships/" + name + ".tris");
    acquire(ship.texture, dataDir + "/ships/" + name + ".tga");
}
