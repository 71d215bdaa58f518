#pragma once
// Turning the keyboard and joystick into one tick's ControlInput. The shell
// reads the devices into the plain structs below; the rest is pure.

#include <cstdint>
#include <vector>

#include "sim/control.h"

// The four arrow keys, true while held.
struct KeyReadings {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
};

// Joystick button and axis numbers; a negative number switches a mapping off.
struct JoystickMapping {
    int32_t throttleButton = 2;
    int32_t brakeButton = 3;
    int32_t leftButton = 0;
    int32_t rightButton = 1;
    int32_t throttleAxis = 2;
    int32_t brakeAxis = 3;
    int32_t steerAxis = 0;
};

// Joystick 0 as read this tick. Buttons and axes beyond the vectors read as
// released and centred, as SDL reports them.
struct JoystickReadings {
    bool present = false;
    std::vector<uint8_t> buttons;
    // SDL's signed 16-bit readings.
    std::vector<int16_t> axes;
};

// The record for a race tick. last is the run's previous record, null for the
// first tick of a run. Keyboard steering is smoothed toward the keys while any
// arrow key is held (0.95 of the last record's steering, which includes the
// joystick's share, plus 0.05 of the keys, in double, stored as float) and is
// exactly 0 with none held. Joystick buttons and axes add on top; throttle and
// brake are clamped to [0, 1], steering is not.
ControlInput controlFromReadings(const KeyReadings& keys, const JoystickReadings& joystick,
                                 const JoystickMapping& mapping, const ControlInput* last);
