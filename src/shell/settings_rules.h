#pragma once
// The settings screen's rules as plain functions: which rows it has, what
// each says, how Left, Right and Enter change a setting, and what a key
// pressed while binding does. The screen only shows settingsView and
// forwards the keys; nothing here needs a window.

#include <string>
#include <vector>

#include "shell/bindings.h"
#include "shell/config.h"

enum class SettingsRow {
    windowSize,
    fullscreen,
    volume,
    mute,
    camera,
    ghost,
    ghostOpacity,
    colours,
    info,
    bindThrottle,
    bindBrake,
    bindLeft,
    bindRight,
    bindRestart,
    steerAxis,
    throttleAxis,
    brakeAxis,
    deadZone,
    invertSteer,
    invertThrottle,
    invertBrake,
    back,
};
const int settingsRowCount = static_cast<int>(SettingsRow::back) + 1;

struct WindowSize {
    int32_t width = 0;
    int32_t height = 0;
};
bool operator==(const WindowSize& a, const WindowSize& b);

// The window sizes offered: the display's modes and the common sizes up to
// the desktop's, without repeats, smallest first, and the configured size
// among them even when it is neither.
std::vector<WindowSize> windowSizes(const std::vector<WindowSize>& displayModes, WindowSize desktop,
                                    WindowSize configured);

// What the screen is doing besides showing: the focused row, the action
// waiting for a key, and the line it says.
struct SettingsScreen {
    int focused = 0;
    bool binding = false;
    Action bindingAction = Action::throttle;
    // An axis row waiting for its axis to be moved, and the capture's state.
    bool capturingAxis = false;
    SettingsRow axisRow = SettingsRow::steerAxis;
    AxisCapture capture;
    std::string message;
    // The configuration's problem line has been said.
    bool problemSaid = false;
};

struct SettingsView {
    // One caption a row, in SettingsRow order.
    std::vector<std::string> rows;
    // Beside each row: the joystick button of its action ("pad button 2",
    // "pad button none"), "" for rows without one.
    std::vector<std::string> buttons;
    // Under the rows: what a key did, the action waiting, or the file's problem.
    std::string status;
};

SettingsView settingsView(const Settings& s, bool muted, const SettingsScreen& screen);

// The action a row binds; false for the other rows.
bool rowAction(SettingsRow row, Action& action);

// Left (-1), Right (+1) or Enter (0) on a row. True when the settings
// changed; mute is the sound's and not a setting, so it is never changed here.
bool stepSetting(Settings& s, SettingsRow row, int direction, const std::vector<WindowSize>& sizes);

// A key pressed while the screen waits for one: Escape cancels, Delete
// clears the action's keys and button, any other key is bound (moving from
// the action that had it, which the message names). Ends the binding; true
// when the settings changed.
bool bindPressedKey(Settings& s, SettingsScreen& screen, SDLKey key);

// The joystick 0 button an action takes: the mapping's for the four driving
// actions, the restart button for a restart.
int32_t* actionButton(Settings& s, Action action);

// A joystick button pressed while the screen waits for a key binds as a key
// does: it becomes the action's one button, leaving the action that had it,
// which the message names. A negative button binds nothing and keeps the
// screen waiting. Ends the binding; true when the settings changed.
bool bindPressedButton(Settings& s, SettingsScreen& screen, int button);

// The joystick mapping's axis a row binds; null for the other rows.
int32_t* rowAxis(Settings& s, SettingsRow row);

// The axis a capture chose goes to the waiting row (it leaves any other
// axis row that had it). Ends the capture; true when the mapping changed.
bool bindCapturedAxis(Settings& s, SettingsScreen& screen, int axis);

// A live bar of an axis: its raw value and what the dead zone and inversion
// make of it, "raw [#####|.....] +0 %  read [...] +0 %".
std::string axisBarText(int16_t raw, int32_t deadZone, bool inverted);

// The file's problem line, said once: the first call that finds one puts it
// in the message.
void sayConfigProblem(SettingsScreen& screen, const std::string& problem);
