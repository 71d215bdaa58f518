#include "assets/models.h"

#include <fstream>

#include "assets/data_dir.h"
#include "assets/texture_cache.h"

void loadArea(Area& area, std::string name)
{
    area.name = name;
    const std::string folder = dataDir + "/tracks/" + name + "/";

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

    // A missing file keeps the earlier times.
    std::ifstream times(folder + "times.txt");
    if (times)
        readMedalTimes(times, area);
}

void readMedalTimes(std::istream& times, Area& area)
{
    double* targets[3] = {&area.goldSeconds, &area.silverSeconds, &area.bronzeSeconds};
    for (double* target : targets) {
        double value = 0.0;
        if (!(times >> value))
            return;
        *target = value;
    }
}

void loadShipModel(Ship& ship, std::string name)
{
    ship.modelName = name;
    // Ship meshes are used as stored.
    loadMesh(ship.mesh, dataDir + "/ships/" + name + ".tris");
    acquire(ship.texture, dataDir + "/ships/" + name + ".tga");
}
