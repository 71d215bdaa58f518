// The files of every built-in track: "track.track", "textures.txt" and the area.
#include <cstdio>
#include <string>

#include "content/content.h"
#include "assets/picture_file.h"
#include "design/scenery.h"
#include "design/track_catalogue.h"
#include "shell/paths.h"

namespace {

bool writeControlPoints(const BuiltTrack& track, const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    int32_t count = static_cast<int32_t>(track.filePoints.size());
    bool ok = std::fwrite(&count, 4, 1, f) == 1;
    for (const ControlPoint& cp : track.filePoints)
        ok = ok && std::fwrite(cp.p, sizeof cp.p, 1, f) == 1;
    return (std::fclose(f) == 0) && ok;
}

bool writeTextureWords(const BuiltTrack& track, const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return false;
    bool ok = true;
    for (size_t i = 0; i < track.textureA.size(); ++i)
        ok = ok && std::fprintf(f, "%s %s\n", track.textureA[i].c_str(), track.textureB[i].c_str()) > 0;
    return (std::fclose(f) == 0) && ok;
}

} // namespace

std::string trackFolder(const std::string& root, const std::string& name)
{
    return root + "/tracks/" + name;
}

bool writeTracks(const std::string& root)
{
    for (const BuiltTrack& track : builtTracks()) {
        if (!track.path.error.empty()) {
            std::fprintf(stderr, "vantor-content: track %s: %s\n", track.design.name.c_str(),
                         track.path.error.c_str());
            return false;
        }
        std::string folder = trackFolder(root, track.design.name);
        if (!makeDirectories(folder))
            return false;
        if (!writeControlPoints(track, folder + "/track.track") || !writeTextureWords(track, folder + "/textures.txt"))
            return false;
    }
    return true;
}

bool writeScenery(const std::string& root)
{
    for (const BuiltTrack& track : builtTracks()) {
        std::string folder = trackFolder(root, track.design.name);
        if (!makeDirectories(folder))
            return false;
        Scenery s = buildScenery(track);
        if (!writeTris(s.mesh, folder + "/area.tris", 0.01) || !savePng(s.atlas, folder + "/area.png"))
            return false;
    }
    return true;
}
