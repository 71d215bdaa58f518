// The files of every built-in track: "track.track", "textures.txt" and the area.
#include <cstdio>
#include <string>

#include "assets/picture_file.h"
#include "content/content.h"
#include "design/scenery.h"
#include "design/track_catalogue.h"
#include "design/track_package.h"
#include "shell/paths.h"

namespace {

bool writeBytes(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return (std::fclose(f) == 0) && ok;
}

bool writeControlPoints(const BuiltTrack& track, const std::string& path)
{
    std::vector<uint8_t> bytes = controlPointBytes(track);
    return writeBytes(path, bytes.data(), bytes.size());
}

bool writeTextureWords(const BuiltTrack& track, const std::string& path)
{
    std::string text = textureWordsText(track);
    return writeBytes(path, text.data(), text.size());
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
