#include "shell/held_keys.h"

#include <algorithm>

void noteRaceState(HeldKeys& held, bool inRace, const std::vector<int>& keysDown)
{
    if (held.inRace && !inRace)
        held.keys = keysDown;
    if (inRace)
        held.keys.clear();
    held.inRace = inRace;
}

bool reachesMenus(HeldKeys& held, KeyEvent kind, int key)
{
    if (kind == KeyEvent::other)
        return true;
    auto found = std::find(held.keys.begin(), held.keys.end(), key);
    if (found == held.keys.end())
        return true;
    if (kind == KeyEvent::up)
        held.keys.erase(found);
    return false;
}
