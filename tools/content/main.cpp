// vantor-content DIR: writes the game's whole content directory into DIR.
// vantor-content track PLAN OUTDIR: builds a player's plan into OUTDIR/tracks/NAME.
#include <cstdio>
#include <string>

#include "content/content.h"
#include "content/plan_track.h"
#include "shell/paths.h"

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "track")
        return buildPlanTrack(argv[2], argv[3]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantor-content DIR | vantor-content track PLAN OUTDIR\n");
        return 2;
    }
    std::string root = argv[1];
    if (!makeDirectories(root)) {
        std::fprintf(stderr, "vantor-content: cannot create %s\n", root.c_str());
        return 2;
    }
    bool (*generators[])(const std::string&) = {writeGuiAssets, writeTracks, writeRoadTextures, writeScenery,
                                                writeMedalTimes, writeMedalGhosts, writeShip, writeTrackPictures,
                                                writeSounds};
    for (auto generate : generators) {
        if (!generate(root)) {
            std::fprintf(stderr, "vantor-content: writing %s failed\n", root.c_str());
            return 1;
        }
    }
    return 0;
}
