#pragma once
// What the race's controls are bound to: up to two keys for each action, and
// how joystick 0's axes are read (dead zone, inversion), with the rules the
// settings screen binds them by. Everything ends in the KeyReadings and
// JoystickReadings that controlFromReadings turns into the tick's record, so
// a stored run never depends on the settings of whoever replays it.

#include <SDL_keysym.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/controls.h"

union SDL_Event;

enum class Action { throttle, brake, left, right, restart };
const int actionCount = 5;
// "throttle", "brake", "left", "right", "restart": the file's words.
const char* actionName(Action action);
// False when word names no action.
bool actionFromName(const std::string& word, Action& action);

const int keysPerAction = 2;
// SDLK_UNKNOWN in a slot: no key there. Bound keys fill the first slots.
struct KeyBindings {
    std::array<std::array<SDLKey, keysPerAction>, actionCount> keys{};
};
// The arrows, and R or Backspace for a restart.
KeyBindings defaultKeyBindings();
bool operator==(const KeyBindings& a, const KeyBindings& b);
bool operator!=(const KeyBindings& a, const KeyBindings& b);
// The bound keys of action, in order.
std::vector<SDLKey> keysOf(const KeyBindings& b, Action action);

// Binds key to action. A key bound to another action moves here and that
// action is returned in lost (the return value is then true); an action
// holding two keys already drops its older one. A key already on action
// changes nothing, and so does a key SDL has no name for.
bool bindKey(KeyBindings& b, Action action, SDLKey key, Action& lost);
void clearAction(KeyBindings& b, Action action);
// The action key is bound to; false when it has none.
bool actionOfKey(const KeyBindings& b, SDLKey key, Action& action);

// The four driving actions as held in keyState (SDL_GetKeyState's array of
// keyCount entries).
KeyReadings keyReadings(const KeyBindings& b, const uint8_t* keyState, int keyCount);

// SDL 1.2's own name of a key ("w", "up", "left shift", "backspace"), known
// before SDL starts; "" for a key it does not name.
std::string keyName(SDLKey key);
// SDLK_UNKNOWN for a name no key has.
SDLKey keyFromName(const std::string& name);

// How the joystick's axes are read before they become a record.
struct AxisTuning {
    // Percent of the half range around the centre that reads as centred, 0 to 50.
    int32_t deadZone = 15;
    // Turns the reading of the steering, throttle and brake axis round.
    bool invertSteer = false;
    bool invertThrottle = false;
    bool invertBrake = false;
};
const int32_t maxDeadZone = 50;
bool operator==(const AxisTuning& a, const AxisTuning& b);

// One axis reading through a dead zone of percent: centred inside it,
// stretched outside so that full deflection still reads full; turned round
// when inverted. A dead zone of 0, not inverted, leaves the reading as it is.
int16_t tunedAxis(int16_t raw, int32_t deadZone, bool inverted);
// The readings with every mapped axis tuned; buttons and unmapped axes as read.
JoystickReadings tunedReadings(const JoystickReadings& raw, const JoystickMapping& mapping, const AxisTuning& tuning);

// Binding an axis by moving it. Each axis's baseline is its value when the
// capture starts (or its first reported value, for an axis SDL had not
// reported yet); the axis bound is the one furthest from its baseline once
// one is more than a third of the full range away, so a trigger resting at
// one end or a noisy axis is never taken.
struct AxisCapture {
    std::vector<int32_t> baseline;
    std::vector<int32_t> current;
    std::vector<bool> known;
};
AxisCapture startAxisCapture(const std::vector<int16_t>& values);
// Feeds one SDL event; only axis motion of joystick 0 counts. The axis
// chosen so far, or -1 while none is.
int feedAxisCapture(AxisCapture& capture, const SDL_Event& event);
// The button a press of joystick 0 binds, or -1 for any other event.
int capturedButton(const SDL_Event& event);
