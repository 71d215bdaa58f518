// The configuration reader on arbitrary text: however the comments, words and
// numbers run, it reads its values and stops at the end of the text. Written
// back unchanged it is the same text; written with changed settings (chosen
// by the input's first bytes) it reads back as exactly those settings.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "shell/config.h"
#include "shell/game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    static Game g;
    readConfigFrom(g, in);

    const ConfigText file = parseConfig(text);
    if (configWithSettings(file, file.settings) != text)
        std::abort();
    const uint8_t pick = size > 0 ? data[0] : 0;
    const uint8_t value = size > 1 ? data[1] : 0;
    Settings now = file.settings;
    switch (pick % 8) {
    case 0:
        now.screenWidth = value;
        break;
    case 1:
        now.soundVolume = value % 101;
        break;
    case 2:
        now.joystick.steerAxis = value - 128;
        break;
    case 3: {
        Action lost;
        bindKey(now.keys, static_cast<Action>(value % actionCount), static_cast<SDLKey>(value + (pick & 0x80)), lost);
        break;
    }
    case 4:
        clearAction(now.keys, static_cast<Action>(value % actionCount));
        break;
    case 5:
        now.axes.deadZone = value % (maxDeadZone + 1);
        now.axes.invertSteer = !now.axes.invertSteer;
        break;
    case 6:
        now.ghostOpacity = value % 101;
        now.camera = now.camera == RaceCamera::chase ? RaceCamera::above : RaceCamera::chase;
        break;
    default:
        now.info = now.info == RaceInfo::full ? RaceInfo::clean : RaceInfo::full;
        now.fullscreen = !now.fullscreen;
        break;
    }
    if (!(parseConfig(configWithSettings(file, now)).settings == now))
        std::abort();
    return 0;
}
