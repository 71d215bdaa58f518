#include "shell/config.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "shell/game.h"
#include "shell/paths.h"

std::string nextToken(std::istream& in)
{
    std::string word;
    in >> word;
    while (!in.eof() && !word.empty() && word[0] == '#') {
        // Discard the rest of the comment line, however long it is.
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        word.clear();
        in >> word;
    }
    return word;
}

void readConfigFrom(Game& g, std::istream& in)
{
    int32_t* targets[10] = {&g.screenWidth,       &g.screenHeight,   nullptr,
                            &g.joyThrottleButton, &g.joyBrakeButton, &g.joyLeftButton,
                            &g.joyRightButton,    &g.joyThrottleAxis, &g.joyBrakeAxis,
                            &g.joySteerAxis};
    for (int i = 0; i < 10; ++i) {
        int value = std::atoi(nextToken(in).c_str());
        if (targets[i])
            *targets[i] = value;
        else
            g.fullscreen = value != 0;
    }
    // The sound volume came later: a file of ten values keeps the default.
    std::string volume = nextToken(in);
    if (!volume.empty())
        g.soundVolume = std::clamp(std::atoi(volume.c_str()), 0, 100);
}

void readConfig()
{
    std::string path = configPath();
    if (path.empty())
        return;
    std::ifstream in(path);
    if (!in)
        return;
    readConfigFrom(game, in);
}
