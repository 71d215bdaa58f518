#include "track/track.h"

#include <cstdint>
#include <sstream>

#include "assets/data_dir.h"
#include "assets/regular_file.h"
#include "assets/texture_cache.h"

std::vector<std::string> readTextureNames(std::istream& words, size_t segmentCount)
{
    std::vector<std::string> names;
    names.reserve(segmentCount * 2);
    for (size_t i = 0; i < segmentCount * 2; ++i) {
        // A failed read leaves the word empty, naming ".png", which does not exist.
        std::string word;
        if (!(words >> word))
            word.clear();
        names.push_back(dataDir + "/tex_road/" + word + ".png");
    }
    return names;
}

void clearTrack(Track& track)
{
    for (TrackSegment& segment : track.segments) {
        if (segment.textureA != -1) {
            release(static_cast<uint32_t>(segment.textureA));
            segment.textureA = -1;
        }
        if (segment.textureB != -1) {
            release(static_cast<uint32_t>(segment.textureB));
            segment.textureB = -1;
        }
    }
    track.segments.clear();
    track.revision = newTrackRevision();
}

void loadTrack(Track& track, std::string name)
{
    clearTrack(track);
    if (!readTrackRoad(track, dataDir, name))
        return;

    // A missing or unusable list reads as no words.
    std::istringstream words(asText(readRegularFile(trackFolderPath(dataDir, name) + "/textures.txt", maxTextureListBytes)));
    std::vector<std::string> names = readTextureNames(words, track.segments.size());
    for (size_t i = 0; i < track.segments.size(); ++i) {
        acquire(track.segments[i].textureA, names[2 * i]);
        acquire(track.segments[i].textureB, names[2 * i + 1]);
    }
}
