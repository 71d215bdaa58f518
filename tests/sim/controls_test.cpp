// Keyboard and joystick readings turned into control records.
#include <gtest/gtest.h>

#include <vector>

#include "sim/controls.h"

namespace {

const JoystickMapping defaults;

KeyReadings keys(bool up, bool down, bool left, bool right)
{
    KeyReadings k;
    k.up = up;
    k.down = down;
    k.left = left;
    k.right = right;
    return k;
}

// A joystick with every mapped axis centred and no button pressed.
JoystickReadings stick()
{
    JoystickReadings j;
    j.present = true;
    j.buttons.assign(10, 0);
    j.axes.assign(4, 0);
    return j;
}

// Feeds the readings of successive ticks through a run, as the game does.
std::vector<ControlInput> run(const std::vector<KeyReadings>& ticks, const JoystickReadings& joy,
                              const JoystickMapping& mapping = defaults)
{
    std::vector<ControlInput> records;
    for (const KeyReadings& k : ticks)
        records.push_back(controlFromReadings(k, joy, mapping, records.empty() ? nullptr : &records.back()));
    return records;
}

TEST(KeyboardControls, KeysGiveFullThrottleBrakeAndSteering)
{
    JoystickReadings none;
    ControlInput up = controlFromReadings(keys(true, false, false, false), none, defaults, nullptr);
    EXPECT_EQ(up.throttle, 1.0f);
    EXPECT_EQ(up.brake, 0.0f);
    EXPECT_EQ(up.steer, 0.0f);
    ControlInput both = controlFromReadings(keys(false, true, true, true), none, defaults, nullptr);
    EXPECT_EQ(both.brake, 1.0f);
    EXPECT_EQ(both.steer, 0.0f);
    EXPECT_EQ(controlFromReadings(keys(false, false, false, true), none, defaults, nullptr).steer, -1.0f);
}

TEST(KeyboardControls, SteeringIsSmoothedWhileAnArrowIsHeld)
{
    std::vector<KeyReadings> ticks(10, keys(true, false, false, false));
    for (int i = 0; i < 30; ++i)
        ticks.push_back(keys(true, false, true, false));
    for (int i = 0; i < 5; ++i)
        ticks.push_back(keys(true, false, false, false));
    ticks.push_back(keys(false, false, false, false));
    std::vector<ControlInput> r = run(ticks, JoystickReadings{});
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(r[size_t(i)].steer, 0.0f);
    // 0.05, 0.0975, 0.142625 as floats. Smoothing in double rounds 0.0975 to
    // the float one unit above the one float arithmetic would give.
    EXPECT_EQ(r[10].steer, 0.05f);
    EXPECT_EQ(r[11].steer, 0x1.8f5c2ap-4f);
    EXPECT_NE(r[11].steer, 0.95f * 0.05f + 0.05f);
    EXPECT_EQ(r[12].steer, 0x1.241894p-3f);
    EXPECT_EQ(r[12].steer, 0.142625f);
    for (int i = 13; i < 40; ++i) {
        EXPECT_GT(r[size_t(i)].steer, r[size_t(i - 1)].steer);
        EXPECT_LT(r[size_t(i)].steer, 1.0f);
    }
    // Left released with up still held: decays by 0.95 a tick.
    EXPECT_EQ(r[40].steer, float(0.95 * double(r[39].steer)));
    EXPECT_LT(r[44].steer, r[40].steer);
    // Every arrow released: exactly 0 at once.
    EXPECT_EQ(r[45].steer, 0.0f);
    EXPECT_EQ(r[45].throttle, 0.0f);
}

TEST(KeyboardControls, LeftHeldFromTheFirstTickStaysAtOne)
{
    std::vector<ControlInput> r = run(std::vector<KeyReadings>(20, keys(false, false, true, false)), {});
    for (const ControlInput& c : r)
        EXPECT_EQ(c.steer, 1.0f);
}

TEST(JoystickControls, ButtonsAndAxesAddToTheKeysAndClamp)
{
    JoystickReadings j = stick();
    // Centred throttle and brake axes add half each.
    ControlInput idle = controlFromReadings(KeyReadings{}, j, defaults, nullptr);
    EXPECT_EQ(idle.throttle, 0.5f);
    EXPECT_EQ(idle.brake, 0.5f);
    EXPECT_EQ(idle.steer, 0.0f);

    j.axes[2] = -32767;
    j.axes[3] = 32767;
    ControlInput pedals = controlFromReadings(KeyReadings{}, j, defaults, nullptr);
    EXPECT_EQ(pedals.throttle, 1.0f);
    EXPECT_EQ(pedals.brake, 0.0f);

    // Key and button together give 2, clamped to 1.
    j.buttons[2] = 1;
    ControlInput both = controlFromReadings(keys(true, false, false, false), j, defaults, nullptr);
    EXPECT_EQ(both.throttle, 1.0f);
    j.axes[3] = -32767;
    j.buttons[3] = 1;
    EXPECT_EQ(controlFromReadings(keys(false, true, false, false), j, defaults, nullptr).brake, 1.0f);

    // Steering buttons add and subtract.
    JoystickReadings s = stick();
    s.buttons[0] = 1;
    EXPECT_EQ(controlFromReadings(KeyReadings{}, s, defaults, nullptr).steer, 1.0f);
    s.buttons[1] = 1;
    EXPECT_EQ(controlFromReadings(KeyReadings{}, s, defaults, nullptr).steer, 0.0f);
}

TEST(JoystickControls, NegativeMappingsSwitchOff)
{
    JoystickMapping off;
    off.throttleAxis = -1;
    off.brakeAxis = -1;
    off.throttleButton = -1;
    JoystickReadings j = stick();
    j.buttons[2] = 1;
    ControlInput c = controlFromReadings(KeyReadings{}, j, off, nullptr);
    EXPECT_EQ(c.throttle, 0.0f);
    EXPECT_EQ(c.brake, 0.0f);
    // Without a joystick nothing but the keys counts.
    JoystickReadings absent = stick();
    absent.present = false;
    absent.buttons[2] = 1;
    EXPECT_EQ(controlFromReadings(KeyReadings{}, absent, defaults, nullptr).throttle, 0.0f);
}

TEST(JoystickControls, StickSteeringIsFedBackThroughTheSmoothing)
{
    JoystickMapping steerOnly;
    steerOnly.throttleAxis = -1;
    steerOnly.brakeAxis = -1;
    JoystickReadings j = stick();
    j.axes[0] = -32767;
    // Left key plus full left stick: 2 on the first tick, no clamp.
    std::vector<ControlInput> r = run(std::vector<KeyReadings>(400, keys(false, false, true, false)), j, steerOnly);
    EXPECT_EQ(r[0].steer, 2.0f);
    // s = 0.95 s + 0.05 + 1 tends to 21.
    EXPECT_NEAR(r.back().steer, 21.0f, 1e-3f);
    EXPECT_GT(r[1].steer, 2.0f);

    // Up key and a half stick j = 0.5: tends to 20 j = 10.
    JoystickReadings half = stick();
    half.axes[0] = -16384;
    double share = 16384.0 / 32767.0;
    std::vector<ControlInput> u = run(std::vector<KeyReadings>(400, keys(true, false, false, false)), half, steerOnly);
    EXPECT_NEAR(u.back().steer, 20.0 * share, 1e-3);

    // With no arrow held the stick is used as read.
    JoystickReadings right = stick();
    right.axes[0] = 32767;
    ControlInput prev{5.0f, 0.0f, 0.0f};
    EXPECT_EQ(controlFromReadings(KeyReadings{}, right, steerOnly, &prev).steer, -1.0f);
}

} // namespace
