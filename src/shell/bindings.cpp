#include "shell/bindings.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>

static const char* const actionNames[actionCount] = {"throttle", "brake", "left", "right", "restart"};

const char* actionName(Action action) { return actionNames[static_cast<int>(action)]; }

bool actionFromName(const std::string& word, Action& action)
{
    for (int i = 0; i < actionCount; ++i) {
        if (word == actionNames[i]) {
            action = static_cast<Action>(i);
            return true;
        }
    }
    return false;
}

static std::array<SDLKey, keysPerAction>& slots(KeyBindings& b, Action action)
{
    return b.keys[static_cast<size_t>(action)];
}

KeyBindings defaultKeyBindings()
{
    KeyBindings b;
    slots(b, Action::throttle)[0] = SDLK_UP;
    slots(b, Action::brake)[0] = SDLK_DOWN;
    slots(b, Action::left)[0] = SDLK_LEFT;
    slots(b, Action::right)[0] = SDLK_RIGHT;
    slots(b, Action::restart) = {SDLK_r, SDLK_BACKSPACE};
    return b;
}

bool operator==(const KeyBindings& a, const KeyBindings& b) { return a.keys == b.keys; }
bool operator!=(const KeyBindings& a, const KeyBindings& b) { return !(a == b); }

std::vector<SDLKey> keysOf(const KeyBindings& b, Action action)
{
    std::vector<SDLKey> out;
    for (SDLKey k : b.keys[static_cast<size_t>(action)])
        if (k != SDLK_UNKNOWN)
            out.push_back(k);
    return out;
}

// Removes key from the action's slots, keeping the others first.
static bool unbind(KeyBindings& b, Action action, SDLKey key)
{
    std::array<SDLKey, keysPerAction>& s = slots(b, action);
    auto end = std::remove(s.begin(), s.end(), key);
    if (end == s.end())
        return false;
    std::fill(end, s.end(), SDLK_UNKNOWN);
    return true;
}

bool bindKey(KeyBindings& b, Action action, SDLKey key, Action& lost)
{
    // A key SDL has no name for could not be written down.
    if (keyName(key).empty())
        return false;
    std::array<SDLKey, keysPerAction>& s = slots(b, action);
    if (std::find(s.begin(), s.end(), key) != s.end())
        return false;
    bool stolen = false;
    for (int i = 0; i < actionCount; ++i) {
        if (static_cast<Action>(i) != action && unbind(b, static_cast<Action>(i), key)) {
            lost = static_cast<Action>(i);
            stolen = true;
        }
    }
    auto free = std::find(s.begin(), s.end(), SDLK_UNKNOWN);
    if (free == s.end()) {
        std::rotate(s.begin(), s.begin() + 1, s.end());
        free = s.end() - 1;
    }
    *free = key;
    return stolen;
}

void clearAction(KeyBindings& b, Action action) { slots(b, action).fill(SDLK_UNKNOWN); }

bool actionOfKey(const KeyBindings& b, SDLKey key, Action& action)
{
    if (key == SDLK_UNKNOWN)
        return false;
    for (int i = 0; i < actionCount; ++i) {
        const auto& s = b.keys[static_cast<size_t>(i)];
        if (std::find(s.begin(), s.end(), key) != s.end()) {
            action = static_cast<Action>(i);
            return true;
        }
    }
    return false;
}

KeyReadings keyReadings(const KeyBindings& b, const uint8_t* keyState, int keyCount)
{
    auto held = [&](Action action) {
        for (SDLKey k : b.keys[static_cast<size_t>(action)])
            if (k != SDLK_UNKNOWN && static_cast<int>(k) < keyCount && keyState[k])
                return true;
        return false;
    };
    KeyReadings r;
    r.up = held(Action::throttle);
    r.down = held(Action::brake);
    r.left = held(Action::left);
    r.right = held(Action::right);
    return r;
}

// SDL 1.2 fills its own table of names only when its video starts, after the
// configuration is read; this one holds the same names.
static const std::vector<std::string>& keyNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n(SDLK_LAST);
        n[SDLK_BACKSPACE] = "backspace";
        n[SDLK_TAB] = "tab";
        n[SDLK_CLEAR] = "clear";
        n[SDLK_RETURN] = "return";
        n[SDLK_PAUSE] = "pause";
        n[SDLK_ESCAPE] = "escape";
        n[SDLK_SPACE] = "space";
        // Printable keys are named by their character, from '!' to '`';
        // SDL has no key for '%' and none for the capitals.
        for (int k = SDLK_EXCLAIM; k <= SDLK_BACKQUOTE; ++k)
            if (k != '%' && (k < 'A' || k > 'Z'))
                n[k] = std::string(1, static_cast<char>(k));
        for (int k = SDLK_a; k <= SDLK_z; ++k)
            n[k] = std::string(1, static_cast<char>(k));
        n[SDLK_DELETE] = "delete";
        for (int k = SDLK_WORLD_0; k <= SDLK_WORLD_95; ++k)
            n[k] = "world " + std::to_string(k - SDLK_WORLD_0);
        for (int k = SDLK_KP0; k <= SDLK_KP9; ++k)
            n[k] = "[" + std::to_string(k - SDLK_KP0) + "]";
        n[SDLK_KP_PERIOD] = "[.]";
        n[SDLK_KP_DIVIDE] = "[/]";
        n[SDLK_KP_MULTIPLY] = "[*]";
        n[SDLK_KP_MINUS] = "[-]";
        n[SDLK_KP_PLUS] = "[+]";
        n[SDLK_KP_ENTER] = "enter";
        n[SDLK_KP_EQUALS] = "equals";
        n[SDLK_UP] = "up";
        n[SDLK_DOWN] = "down";
        n[SDLK_RIGHT] = "right";
        n[SDLK_LEFT] = "left";
        n[SDLK_INSERT] = "insert";
        n[SDLK_HOME] = "home";
        n[SDLK_END] = "end";
        n[SDLK_PAGEUP] = "page up";
        n[SDLK_PAGEDOWN] = "page down";
        for (int k = SDLK_F1; k <= SDLK_F15; ++k)
            n[k] = "f" + std::to_string(k - SDLK_F1 + 1);
        n[SDLK_NUMLOCK] = "numlock";
        n[SDLK_CAPSLOCK] = "caps lock";
        n[SDLK_SCROLLOCK] = "scroll lock";
        n[SDLK_RSHIFT] = "right shift";
        n[SDLK_LSHIFT] = "left shift";
        n[SDLK_RCTRL] = "right ctrl";
        n[SDLK_LCTRL] = "left ctrl";
        n[SDLK_RALT] = "right alt";
        n[SDLK_LALT] = "left alt";
        n[SDLK_RMETA] = "right meta";
        n[SDLK_LMETA] = "left meta";
        n[SDLK_LSUPER] = "left super";
        n[SDLK_RSUPER] = "right super";
        n[SDLK_MODE] = "alt gr";
        n[SDLK_COMPOSE] = "compose";
        n[SDLK_HELP] = "help";
        n[SDLK_PRINT] = "print screen";
        n[SDLK_SYSREQ] = "sys req";
        n[SDLK_BREAK] = "break";
        n[SDLK_MENU] = "menu";
        n[SDLK_POWER] = "power";
        n[SDLK_EURO] = "euro";
        n[SDLK_UNDO] = "undo";
        return n;
    }();
    return names;
}

std::string keyName(SDLKey key)
{
    const std::vector<std::string>& names = keyNames();
    if (key <= SDLK_UNKNOWN || static_cast<size_t>(key) >= names.size())
        return "";
    return names[static_cast<size_t>(key)];
}

SDLKey keyFromName(const std::string& name)
{
    if (name.empty())
        return SDLK_UNKNOWN;
    const std::vector<std::string>& names = keyNames();
    for (size_t k = 1; k < names.size(); ++k)
        if (names[k] == name)
            return static_cast<SDLKey>(k);
    return SDLK_UNKNOWN;
}

bool operator==(const AxisTuning& a, const AxisTuning& b)
{
    return a.deadZone == b.deadZone && a.invertSteer == b.invertSteer && a.invertThrottle == b.invertThrottle &&
           a.invertBrake == b.invertBrake;
}

int16_t tunedAxis(int16_t raw, int32_t deadZone, bool inverted)
{
    const int32_t zone = std::clamp<int32_t>(deadZone, 0, maxDeadZone) * 32767 / 100;
    // Untouched, the reading reaches the record exactly as it always has.
    if (zone == 0 && !inverted)
        return raw;
    // -32768 has no opposite in 16 bits; it reads as full deflection anyway.
    int32_t v = std::max<int32_t>(raw, -32767);
    if (inverted)
        v = -v;
    if (zone == 0)
        return static_cast<int16_t>(v);
    const int32_t magnitude = std::abs(v);
    if (magnitude <= zone)
        return 0;
    const int32_t stretched = static_cast<int32_t>((int64_t(magnitude - zone) * 32767) / (32767 - zone));
    return static_cast<int16_t>(v < 0 ? -stretched : stretched);
}

JoystickReadings tunedReadings(const JoystickReadings& raw, const JoystickMapping& mapping, const AxisTuning& tuning)
{
    JoystickReadings out = raw;
    auto tune = [&](int32_t axis, bool inverted) {
        if (axis >= 0 && static_cast<size_t>(axis) < raw.axes.size())
            out.axes[static_cast<size_t>(axis)] = tunedAxis(raw.axes[static_cast<size_t>(axis)], tuning.deadZone, inverted);
    };
    tune(mapping.steerAxis, tuning.invertSteer);
    tune(mapping.throttleAxis, tuning.invertThrottle);
    tune(mapping.brakeAxis, tuning.invertBrake);
    return out;
}

AxisCapture startAxisCapture(const std::vector<int16_t>& values)
{
    AxisCapture c;
    c.baseline.assign(values.begin(), values.end());
    c.current = c.baseline;
    c.known.assign(values.size(), true);
    return c;
}

int feedAxisCapture(AxisCapture& c, const SDL_Event& event)
{
    if (event.type == SDL_JOYAXISMOTION && event.jaxis.which == 0) {
        const size_t axis = event.jaxis.axis;
        if (axis >= c.baseline.size()) {
            c.baseline.resize(axis + 1, 0);
            c.current.resize(axis + 1, 0);
            c.known.resize(axis + 1, false);
        }
        if (!c.known[axis]) {
            c.baseline[axis] = event.jaxis.value;
            c.known[axis] = true;
        }
        c.current[axis] = event.jaxis.value;
    }
    // A third of the 65535 steps from one end to the other.
    const int32_t threshold = 65535 / 3;
    int best = -1;
    int32_t bestDistance = threshold;
    for (size_t i = 0; i < c.current.size(); ++i) {
        const int32_t distance = std::abs(c.current[i] - c.baseline[i]);
        if (distance > bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

int capturedButton(const SDL_Event& event)
{
    if (event.type != SDL_JOYBUTTONDOWN || event.jbutton.which != 0)
        return -1;
    return event.jbutton.button;
}
