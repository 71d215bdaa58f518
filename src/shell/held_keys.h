#pragma once
// Keys still held when a race ends belong to the race: in the menus they do
// nothing until they are released, so a throttle key held over the finish
// line does not become a stream of key repeats in the menu.

#include <vector>

struct HeldKeys {
    // Keys held at the end of the last race and not released since.
    std::vector<int> keys;
    // Whether the last event seen came during a race.
    bool inRace = false;
};

enum class KeyEvent { down, up, other };

// Notes the race state before an event is looked at; at the change from a
// race to the menus the keys down then (keysDown) are the held ones.
void noteRaceState(HeldKeys& held, bool inRace, const std::vector<int>& keysDown);

// Whether an event of kind on key reaches the menus: a held key's presses
// (its repeats) and its release do not, and the release frees the key.
bool reachesMenus(HeldKeys& held, KeyEvent kind, int key);
