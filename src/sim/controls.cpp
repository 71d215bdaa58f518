#include "sim/controls.h"

#include <cstddef>

using std::size_t;

static int buttonValue(const JoystickReadings& j, int32_t index)
{
    if (index < 0 || size_t(index) >= j.buttons.size())
        return 0;
    return j.buttons[size_t(index)] ? 1 : 0;
}

static double axisValue(const JoystickReadings& j, int32_t index)
{
    if (index < 0 || size_t(index) >= j.axes.size())
        return 0.0;
    return static_cast<double>(j.axes[size_t(index)]);
}

static float clampUnit(float v)
{
    if (v < 0.0f)
        return 0.0f;
    if (v > 1.0f)
        return 1.0f;
    return v;
}

ControlInput controlFromReadings(const KeyReadings& keys, const JoystickReadings& joystick,
                                 const JoystickMapping& mapping, const ControlInput* last)
{
    ControlInput r;
    r.throttle = keys.up ? 1.0f : 0.0f;
    r.brake = keys.down ? 1.0f : 0.0f;
    r.steer = static_cast<float>((keys.left ? 1 : 0) - (keys.right ? 1 : 0));

    const bool anyArrow = keys.up || keys.down || keys.left || keys.right;
    if (last && anyArrow)
        r.steer = static_cast<float>(0.95 * static_cast<double>(last->steer) + 0.05 * static_cast<double>(r.steer));

    if (joystick.present) {
        if (mapping.throttleButton >= 0)
            r.throttle += static_cast<float>(buttonValue(joystick, mapping.throttleButton));
        if (mapping.brakeButton >= 0)
            r.brake += static_cast<float>(buttonValue(joystick, mapping.brakeButton));
        if (mapping.leftButton >= 0)
            r.steer += static_cast<float>(buttonValue(joystick, mapping.leftButton));
        if (mapping.rightButton >= 0)
            r.steer -= static_cast<float>(buttonValue(joystick, mapping.rightButton));
        // Stick left (negative reading) steers left.
        if (mapping.steerAxis >= 0)
            r.steer = static_cast<float>(r.steer - axisValue(joystick, mapping.steerAxis) / 32767.0);
        // -32767 gives 1.0, centred 0.5, 32767 gives 0.0.
        if (mapping.throttleAxis >= 0)
            r.throttle = static_cast<float>(r.throttle +
                                            (0.5 - axisValue(joystick, mapping.throttleAxis) * 0.5 / 32767.0));
        if (mapping.brakeAxis >= 0)
            r.brake = static_cast<float>(r.brake + (0.5 - axisValue(joystick, mapping.brakeAxis) * 0.5 / 32767.0));
    }

    r.throttle = clampUnit(r.throttle);
    r.brake = clampUnit(r.brake);
    return r;
}
