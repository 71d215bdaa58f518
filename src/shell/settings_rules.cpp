#include "shell/settings_rules.h"

#include <algorithm>

bool operator==(const WindowSize& a, const WindowSize& b) { return a.width == b.width && a.height == b.height; }

std::vector<WindowSize> windowSizes(const std::vector<WindowSize>& displayModes, WindowSize desktop,
                                    WindowSize configured)
{
    static const WindowSize common[] = {{640, 480},  {800, 600},  {1024, 768}, {1280, 720},
                                        {1280, 1024}, {1366, 768}, {1600, 900}, {1920, 1080}};
    std::vector<WindowSize> sizes;
    auto add = [&](WindowSize w) {
        if (w.width > 0 && w.height > 0 && std::find(sizes.begin(), sizes.end(), w) == sizes.end())
            sizes.push_back(w);
    };
    for (const WindowSize& w : displayModes)
        add(w);
    for (const WindowSize& w : common)
        if (desktop.width <= 0 || (w.width <= desktop.width && w.height <= desktop.height))
            add(w);
    add(configured);
    std::sort(sizes.begin(), sizes.end(), [](const WindowSize& a, const WindowSize& b) {
        return a.width != b.width ? a.width < b.width : a.height < b.height;
    });
    return sizes;
}

bool rowAction(SettingsRow row, Action& action)
{
    switch (row) {
    case SettingsRow::bindThrottle:
        action = Action::throttle;
        return true;
    case SettingsRow::bindBrake:
        action = Action::brake;
        return true;
    case SettingsRow::bindLeft:
        action = Action::left;
        return true;
    case SettingsRow::bindRight:
        action = Action::right;
        return true;
    case SettingsRow::bindRestart:
        action = Action::restart;
        return true;
    default:
        return false;
    }
}

int32_t* rowAxis(Settings& s, SettingsRow row)
{
    switch (row) {
    case SettingsRow::steerAxis:
        return &s.joystick.steerAxis;
    case SettingsRow::throttleAxis:
        return &s.joystick.throttleAxis;
    case SettingsRow::brakeAxis:
        return &s.joystick.brakeAxis;
    default:
        return nullptr;
    }
}

static const char* axisRowName(SettingsRow row)
{
    return row == SettingsRow::steerAxis ? "steering" : row == SettingsRow::throttleAxis ? "throttle" : "brake";
}

static const char* onOff(bool on) { return on ? "on" : "off"; }

static std::string keysCaption(const KeyBindings& keys, Action action)
{
    std::string text;
    for (SDLKey k : keysOf(keys, action))
        text += (text.empty() ? "" : ", ") + keyName(k);
    return text.empty() ? "none" : text;
}

static std::string rowCaption(const Settings& s, bool muted, SettingsRow row)
{
    Action action;
    if (rowAction(row, action))
        return std::string(actionName(action)) + ": " + keysCaption(s.keys, action);
    if (int32_t* axis = rowAxis(const_cast<Settings&>(s), row))
        return std::string(axisRowName(row)) + " axis " + (*axis < 0 ? std::string("none") : std::to_string(*axis));
    switch (row) {
    case SettingsRow::windowSize:
        return "window " + std::to_string(s.screenWidth) + " x " + std::to_string(s.screenHeight);
    case SettingsRow::fullscreen:
        return std::string("fullscreen ") + onOff(s.fullscreen);
    case SettingsRow::volume:
        return "volume " + std::to_string(s.soundVolume);
    case SettingsRow::mute:
        return std::string("mute ") + onOff(muted);
    case SettingsRow::camera:
        return s.camera == RaceCamera::chase ? "camera chase" : "camera behind and above";
    case SettingsRow::ghost:
        return std::string("ghost ") + onOff(s.ghostShown);
    case SettingsRow::ghostOpacity:
        return "ghost opacity " + std::to_string(s.ghostOpacity) + " %";
    case SettingsRow::colours:
        return s.colours == DeltaColours::greenRed ? "colours green / red" : "colours blue / orange";
    case SettingsRow::info:
        return s.info == RaceInfo::full ? "race info full" : "race info clean";
    case SettingsRow::deadZone:
        return "dead zone " + std::to_string(s.axes.deadZone) + " %";
    case SettingsRow::invertSteer:
        return std::string("invert steering axis ") + onOff(s.axes.invertSteer);
    case SettingsRow::invertThrottle:
        return std::string("invert throttle axis ") + onOff(s.axes.invertThrottle);
    case SettingsRow::invertBrake:
        return std::string("invert brake axis ") + onOff(s.axes.invertBrake);
    default:
        return "back";
    }
}

int32_t* actionButton(Settings& s, Action action)
{
    switch (action) {
    case Action::throttle:
        return &s.joystick.throttleButton;
    case Action::brake:
        return &s.joystick.brakeButton;
    case Action::left:
        return &s.joystick.leftButton;
    case Action::right:
        return &s.joystick.rightButton;
    default:
        return &s.restartButton;
    }
}

static std::string buttonText(int32_t button)
{
    return button < 0 ? std::string("none") : std::to_string(button);
}

SettingsView settingsView(const Settings& s, bool muted, const SettingsScreen& screen)
{
    SettingsView view;
    for (int i = 0; i < settingsRowCount; ++i) {
        const SettingsRow row = static_cast<SettingsRow>(i);
        view.rows.push_back(rowCaption(s, muted, row));
        Action action;
        view.buttons.push_back(rowAction(row, action)
                                   ? "pad button " + buttonText(*actionButton(const_cast<Settings&>(s), action))
                                   : std::string());
    }
    if (screen.capturingAxis)
        view.status = std::string("move the ") + axisRowName(screen.axisRow) + " axis (Escape cancels)";
    else if (screen.binding)
        view.status = std::string("press a key or pad button for ") + actionName(screen.bindingAction) +
                      " (Escape cancels, Delete clears)";
    else
        view.status = screen.message;
    return view;
}

// A number stepped by step within [low, high]; true when it moved.
static bool stepNumber(int32_t& value, int direction, int32_t step, int32_t low, int32_t high)
{
    const int32_t before = value;
    value = std::clamp<int32_t>(value + direction * step, low, high);
    return value != before;
}

static bool flip(bool& value)
{
    value = !value;
    return true;
}

bool stepSetting(Settings& s, SettingsRow row, int direction, const std::vector<WindowSize>& sizes)
{
    switch (row) {
    case SettingsRow::steerAxis:
    case SettingsRow::throttleAxis:
    case SettingsRow::brakeAxis: {
        // Left and Right step the number; Enter binds by moving the axis.
        int32_t* axis = rowAxis(s, row);
        return direction != 0 && stepNumber(*axis, direction, 1, -1, 15);
    }
    case SettingsRow::windowSize: {
        if (sizes.empty())
            return false;
        const WindowSize now{s.screenWidth, s.screenHeight};
        auto it = std::find(sizes.begin(), sizes.end(), now);
        int i = it == sizes.end() ? 0 : static_cast<int>(it - sizes.begin());
        // Enter goes round, like Right.
        const int n = static_cast<int>(sizes.size());
        i = (i + (direction < 0 ? n - 1 : 1)) % n;
        if (sizes[size_t(i)] == now)
            return false;
        s.screenWidth = sizes[size_t(i)].width;
        s.screenHeight = sizes[size_t(i)].height;
        return true;
    }
    case SettingsRow::fullscreen:
        return flip(s.fullscreen);
    case SettingsRow::volume:
        return direction != 0 && stepNumber(s.soundVolume, direction, 10, 0, 100);
    case SettingsRow::camera:
        s.camera = s.camera == RaceCamera::chase ? RaceCamera::above : RaceCamera::chase;
        return true;
    case SettingsRow::ghost:
        return flip(s.ghostShown);
    case SettingsRow::ghostOpacity:
        return direction != 0 && stepNumber(s.ghostOpacity, direction, 10, 10, 100);
    case SettingsRow::colours:
        s.colours = s.colours == DeltaColours::greenRed ? DeltaColours::blueOrange : DeltaColours::greenRed;
        return true;
    case SettingsRow::info:
        s.info = s.info == RaceInfo::full ? RaceInfo::clean : RaceInfo::full;
        return true;
    case SettingsRow::deadZone:
        return direction != 0 && stepNumber(s.axes.deadZone, direction, 5, 0, maxDeadZone);
    case SettingsRow::invertSteer:
        return flip(s.axes.invertSteer);
    case SettingsRow::invertThrottle:
        return flip(s.axes.invertThrottle);
    case SettingsRow::invertBrake:
        return flip(s.axes.invertBrake);
    default:
        return false;
    }
}

bool bindPressedKey(Settings& s, SettingsScreen& screen, SDLKey key)
{
    if (!screen.binding)
        return false;
    screen.binding = false;
    const Action action = screen.bindingAction;
    const std::string name = actionName(action);
    if (key == SDLK_ESCAPE) {
        screen.message = name + " unchanged";
        return false;
    }
    if (key == SDLK_DELETE) {
        int32_t& button = *actionButton(s, action);
        const bool had = !keysOf(s.keys, action).empty() || button >= 0;
        clearAction(s.keys, action);
        button = -1;
        screen.message = name + " has no key or button now";
        return had;
    }
    const KeyBindings before = s.keys;
    Action lost;
    if (bindKey(s.keys, action, key, lost))
        screen.message = keyName(key) + " moved from " + actionName(lost) + " to " + name;
    else if (s.keys != before)
        screen.message = keyName(key) + " bound to " + name;
    else if (keyName(key).empty())
        screen.message = "that key cannot be bound";
    else
        screen.message = keyName(key) + " is already " + name;
    return s.keys != before;
}

bool bindPressedButton(Settings& s, SettingsScreen& screen, int button)
{
    if (!screen.binding || button < 0)
        return false;
    screen.binding = false;
    const Action action = screen.bindingAction;
    const std::string name = actionName(action);
    const std::string said = "pad button " + std::to_string(button);
    int32_t& target = *actionButton(s, action);
    if (target == button) {
        screen.message = said + " is already " + name;
        return false;
    }
    screen.message = said + " bound to " + name;
    for (int i = 0; i < actionCount; ++i) {
        const Action other = static_cast<Action>(i);
        int32_t& held = *actionButton(s, other);
        if (other != action && held == button) {
            held = -1;
            screen.message = said + " moved from " + actionName(other) + " to " + name;
        }
    }
    target = button;
    return true;
}

bool bindCapturedAxis(Settings& s, SettingsScreen& screen, int axis)
{
    if (!screen.capturingAxis || axis < 0)
        return false;
    screen.capturingAxis = false;
    int32_t* target = rowAxis(s, screen.axisRow);
    const Settings before = s;
    for (SettingsRow other : {SettingsRow::steerAxis, SettingsRow::throttleAxis, SettingsRow::brakeAxis})
        if (other != screen.axisRow && *rowAxis(s, other) == axis)
            *rowAxis(s, other) = -1;
    *target = axis;
    screen.message = std::string(axisRowName(screen.axisRow)) + " axis " + std::to_string(axis);
    return s != before;
}

// Ten cells from -100 % to +100 % with the centre marked.
static std::string bar(int16_t value)
{
    const int cells = 10;
    const int filled = (static_cast<int>(value) + 32768) * cells / 65535;
    std::string text = "[";
    for (int i = 0; i < cells; ++i) {
        if (i == cells / 2)
            text += '|';
        text += i < filled ? '#' : '.';
    }
    return text + "]";
}

static std::string percent(int16_t value)
{
    const int p = static_cast<int>(value) * 100 / 32767;
    return (p < 0 ? "" : "+") + std::to_string(p) + " %";
}

std::string axisBarText(int16_t raw, int32_t deadZone, bool inverted)
{
    const int16_t read = tunedAxis(raw, deadZone, inverted);
    return "raw " + bar(raw) + " " + percent(raw) + "  read " + bar(read) + " " + percent(read);
}

void sayConfigProblem(SettingsScreen& screen, const std::string& problem)
{
    if (screen.problemSaid || problem.empty())
        return;
    screen.problemSaid = true;
    screen.message = problem;
}
