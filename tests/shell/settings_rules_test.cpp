// The settings screen's rules: captions, stepping values within range, the
// window sizes offered, binding a pressed key and the problem line said once.
#include <gtest/gtest.h>

#include "shell/settings_rules.h"

namespace {

std::string caption(const Settings& s, SettingsRow row, bool muted = false)
{
    return settingsView(s, muted, SettingsScreen{}).rows[static_cast<size_t>(row)];
}

TEST(SettingsView, OneCaptionARowSayingTheCurrentValue)
{
    Settings s;
    const SettingsView view = settingsView(s, false, SettingsScreen{});
    ASSERT_EQ(view.rows.size(), size_t(settingsRowCount));
    EXPECT_EQ(view.rows.back(), "back");
    struct Case {
        SettingsRow row;
        const char* text;
    };
    const Case defaults[] = {{SettingsRow::windowSize, "window 800 x 600"}, {SettingsRow::fullscreen, "fullscreen off"},
                             {SettingsRow::volume, "volume 80"},            {SettingsRow::camera, "camera chase"},
                             {SettingsRow::ghost, "ghost on"},              {SettingsRow::ghostOpacity, "ghost opacity 30 %"},
                             {SettingsRow::colours, "colours green / red"}, {SettingsRow::info, "race info full"},
                             {SettingsRow::bindThrottle, "throttle: up"},   {SettingsRow::bindRestart, "restart: r, backspace"},
                             {SettingsRow::deadZone, "dead zone 15 %"},     {SettingsRow::invertBrake, "invert brake axis off"}};
    for (const Case& c : defaults)
        EXPECT_EQ(view.rows[static_cast<size_t>(c.row)], c.text);
    EXPECT_EQ(caption(s, SettingsRow::mute, true), "mute on");
    clearAction(s.keys, Action::left);
    EXPECT_EQ(caption(s, SettingsRow::bindLeft), "left: none");
}

TEST(SettingsStep, ValuesMoveWithinTheirRangesAndSwitchesFlip)
{
    struct Case {
        SettingsRow row;
        int direction;
        int times;
        const char* text;
        bool lastChanged;
    };
    const Case cases[] = {
        {SettingsRow::volume, 1, 1, "volume 90", true},
        {SettingsRow::volume, 1, 5, "volume 100", false},
        {SettingsRow::volume, -1, 20, "volume 0", false},
        {SettingsRow::volume, 0, 1, "volume 80", false},
        {SettingsRow::ghostOpacity, -1, 10, "ghost opacity 10 %", false},
        {SettingsRow::ghostOpacity, 1, 3, "ghost opacity 60 %", true},
        {SettingsRow::deadZone, 1, 20, "dead zone 50 %", false},
        {SettingsRow::deadZone, -1, 3, "dead zone 0 %", true},
        {SettingsRow::camera, 1, 1, "camera behind and above", true},
        {SettingsRow::camera, -1, 2, "camera chase", true},
        {SettingsRow::colours, 0, 1, "colours blue / orange", true},
        {SettingsRow::info, 1, 1, "race info clean", true},
        {SettingsRow::ghost, 0, 1, "ghost off", true},
        {SettingsRow::fullscreen, -1, 1, "fullscreen on", true},
        {SettingsRow::invertSteer, 1, 1, "invert steering axis on", true},
        {SettingsRow::mute, 1, 1, "mute off", false},
        {SettingsRow::bindThrottle, 1, 1, "throttle: up", false},
    };
    for (const Case& c : cases) {
        Settings s;
        bool changed = false;
        for (int i = 0; i < c.times; ++i)
            changed = stepSetting(s, c.row, c.direction, {});
        EXPECT_EQ(caption(s, c.row), c.text) << c.text;
        EXPECT_EQ(changed, c.lastChanged) << c.text;
    }
}

TEST(SettingsStep, WindowSizeGoesRoundTheOfferedSizes)
{
    const std::vector<WindowSize> sizes = {{640, 480}, {800, 600}, {1024, 768}};
    Settings s;
    EXPECT_TRUE(stepSetting(s, SettingsRow::windowSize, 1, sizes));
    EXPECT_EQ(caption(s, SettingsRow::windowSize), "window 1024 x 768");
    EXPECT_TRUE(stepSetting(s, SettingsRow::windowSize, 0, sizes));
    EXPECT_EQ(caption(s, SettingsRow::windowSize), "window 640 x 480") << "round to the smallest";
    EXPECT_TRUE(stepSetting(s, SettingsRow::windowSize, -1, sizes));
    EXPECT_EQ(caption(s, SettingsRow::windowSize), "window 1024 x 768");
    EXPECT_FALSE(stepSetting(s, SettingsRow::windowSize, 1, {})) << "nothing offered, nothing changes";
    EXPECT_FALSE(stepSetting(s, SettingsRow::windowSize, 1, {{1024, 768}}));
}

TEST(WindowSizes, DisplayModesAndCommonSizesUpToTheDesktopWithoutRepeats)
{
    const std::vector<WindowSize> offered =
        windowSizes({{1280, 1024}, {1024, 768}, {1024, 768}, {0, 0}}, {1280, 1024}, {700, 500});
    ASSERT_FALSE(offered.empty());
    for (size_t i = 0; i < offered.size(); ++i) {
        EXPECT_LE(offered[i].width, 1280);
        EXPECT_LE(offered[i].height, 1024);
        EXPECT_GT(offered[i].width, 0);
        for (size_t j = i + 1; j < offered.size(); ++j) {
            EXPECT_FALSE(offered[i] == offered[j]) << "repeated " << offered[i].width;
            EXPECT_LE(offered[i].width, offered[j].width) << "smallest first";
        }
    }
    auto has = [&](WindowSize w) { return std::find(offered.begin(), offered.end(), w) != offered.end(); };
    EXPECT_TRUE(has({800, 600}));
    EXPECT_TRUE(has({1280, 1024}));
    EXPECT_TRUE(has({700, 500})) << "the configured size stays choosable";
    EXPECT_FALSE(has({1920, 1080})) << "larger than the desktop";
    EXPECT_TRUE(windowSizes({}, {}, {}).size() >= 8u) << "an unknown desktop limits nothing";
}

TEST(BindPressedKey, EscapeCancelsDeleteClearsAndAStolenKeyIsSaid)
{
    struct Case {
        Action action;
        SDLKey key;
        bool changed;
        const char* message;
        const char* throttleKeys;
        const char* brakeKeys;
    };
    const Case cases[] = {
        {Action::throttle, SDLK_ESCAPE, false, "throttle unchanged", "throttle: up", "brake: down"},
        {Action::throttle, SDLK_DELETE, true, "throttle has no key or button now", "throttle: none", "brake: down"},
        {Action::throttle, SDLK_w, true, "w bound to throttle", "throttle: up, w", "brake: down"},
        {Action::throttle, SDLK_DOWN, true, "down moved from brake to throttle", "throttle: up, down", "brake: none"},
        {Action::throttle, SDLK_UP, false, "up is already throttle", "throttle: up", "brake: down"},
    };
    for (const Case& c : cases) {
        Settings s;
        SettingsScreen screen;
        screen.binding = true;
        screen.bindingAction = c.action;
        EXPECT_EQ(bindPressedKey(s, screen, c.key), c.changed) << c.message;
        EXPECT_FALSE(screen.binding) << "one key ends the binding";
        EXPECT_EQ(screen.message, c.message);
        EXPECT_EQ(caption(s, SettingsRow::bindThrottle), c.throttleKeys) << c.message;
        EXPECT_EQ(caption(s, SettingsRow::bindBrake), c.brakeKeys) << c.message;
    }
    Settings s;
    SettingsScreen idle;
    EXPECT_FALSE(bindPressedKey(s, idle, SDLK_w)) << "no action waits: the key binds nothing";
    EXPECT_TRUE(s.keys == defaultKeyBindings());
}

TEST(BindPressedKey, TheWaitingActionIsSaidAndAThirdKeyDropsTheOldest)
{
    Settings s;
    SettingsScreen screen;
    screen.binding = true;
    screen.bindingAction = Action::left;
    EXPECT_EQ(settingsView(s, false, screen).status, "press a key or pad button for left (Escape cancels, Delete clears)");
    bindPressedKey(s, screen, SDLK_a);
    screen.binding = true;
    bindPressedKey(s, screen, SDLK_q);
    EXPECT_EQ(caption(s, SettingsRow::bindLeft), "left: a, q");
    EXPECT_EQ(settingsView(s, false, screen).status, "q bound to left");
}

TEST(BindPressedButton, APadButtonBindsAsAKeyDoesAndMovesFromItsAction)
{
    // The mapping's defaults: throttle 2, brake 3, left 0, right 1; restart none.
    struct Case {
        Action action;
        int button;
        bool changed;
        const char* message;
        const char* throttle;
        const char* brake;
        const char* restart;
    };
    const Case cases[] = {
        {Action::restart, 5, true, "pad button 5 bound to restart", "pad button 2", "pad button 3", "pad button 5"},
        {Action::restart, 3, true, "pad button 3 moved from brake to restart", "pad button 2", "pad button none",
         "pad button 3"},
        {Action::throttle, 2, false, "pad button 2 is already throttle", "pad button 2", "pad button 3",
         "pad button none"},
        {Action::throttle, 7, true, "pad button 7 bound to throttle", "pad button 7", "pad button 3", "pad button none"},
    };
    for (const Case& c : cases) {
        Settings s;
        SettingsScreen screen;
        screen.binding = true;
        screen.bindingAction = c.action;
        EXPECT_EQ(bindPressedButton(s, screen, c.button), c.changed) << c.message;
        EXPECT_FALSE(screen.binding) << c.message;
        EXPECT_EQ(screen.message, c.message);
        const SettingsView view = settingsView(s, false, screen);
        EXPECT_EQ(view.buttons[size_t(SettingsRow::bindThrottle)], c.throttle) << c.message;
        EXPECT_EQ(view.buttons[size_t(SettingsRow::bindBrake)], c.brake) << c.message;
        EXPECT_EQ(view.buttons[size_t(SettingsRow::bindRestart)], c.restart) << c.message;
        EXPECT_EQ(view.buttons[size_t(SettingsRow::volume)], "") << "only controls take a button";
        EXPECT_TRUE(s.keys == defaultKeyBindings()) << "a button leaves the keys alone";
    }

    Settings s;
    SettingsScreen screen;
    EXPECT_FALSE(bindPressedButton(s, screen, 4)) << "no action waits";
    screen.binding = true;
    screen.bindingAction = Action::left;
    EXPECT_FALSE(bindPressedButton(s, screen, -1));
    EXPECT_TRUE(screen.binding) << "no button: still waiting";
    EXPECT_TRUE(bindPressedKey(s, screen, SDLK_DELETE));
    EXPECT_EQ(s.joystick.leftButton, -1) << "Delete clears the button with the keys";
    EXPECT_EQ(caption(s, SettingsRow::bindLeft), "left: none");
}

TEST(ConfigProblem, SaidOnceAndOnlyWhenThereIsOne)
{
    SettingsScreen screen;
    sayConfigProblem(screen, "");
    EXPECT_EQ(screen.message, "");
    EXPECT_FALSE(screen.problemSaid);
    sayConfigProblem(screen, "line 3: camera sideways");
    EXPECT_EQ(screen.message, "line 3: camera sideways");
    screen.message.clear();
    sayConfigProblem(screen, "line 3: camera sideways");
    EXPECT_EQ(screen.message, "") << "a second opening says it no more";
}


TEST(AxisRows, CaptionsStepsAndABoundAxisLeavesTheOtherRow)
{
    Settings s;
    EXPECT_EQ(caption(s, SettingsRow::steerAxis), "steering axis 0");
    EXPECT_EQ(caption(s, SettingsRow::throttleAxis), "throttle axis 2");
    EXPECT_TRUE(stepSetting(s, SettingsRow::brakeAxis, 1, {}));
    EXPECT_EQ(caption(s, SettingsRow::brakeAxis), "brake axis 4");
    for (int i = 0; i < 10; ++i)
        stepSetting(s, SettingsRow::brakeAxis, -1, {});
    EXPECT_EQ(caption(s, SettingsRow::brakeAxis), "brake axis none") << "stops at switched off";
    EXPECT_FALSE(stepSetting(s, SettingsRow::brakeAxis, 0, {})) << "Enter binds by moving, not by stepping";

    SettingsScreen screen;
    screen.capturingAxis = true;
    screen.axisRow = SettingsRow::throttleAxis;
    EXPECT_EQ(settingsView(s, false, screen).status, "move the throttle axis (Escape cancels)");
    EXPECT_FALSE(bindCapturedAxis(s, screen, -1)) << "nothing moved far enough yet";
    EXPECT_TRUE(screen.capturingAxis);
    EXPECT_TRUE(bindCapturedAxis(s, screen, 0));
    EXPECT_FALSE(screen.capturingAxis);
    EXPECT_EQ(caption(s, SettingsRow::throttleAxis), "throttle axis 0");
    EXPECT_EQ(caption(s, SettingsRow::steerAxis), "steering axis none") << "one axis drives one thing";
    EXPECT_EQ(screen.message, "throttle axis 0");
    screen.capturingAxis = true;
    EXPECT_FALSE(bindCapturedAxis(s, screen, 0)) << "the same axis again changes nothing";
}

TEST(AxisBar, ShowsTheRawAndTheTunedReading)
{
    struct Case {
        int16_t raw;
        int32_t deadZone;
        bool inverted;
        const char* text;
    };
    const Case cases[] = {
        {0, 15, false, "raw [#####|.....] +0 %  read [#####|.....] +0 %"},
        {32767, 15, false, "raw [#####|#####] +100 %  read [#####|#####] +100 %"},
        {-32768, 0, false, "raw [.....|.....] -100 %  read [.....|.....] -100 %"},
        {3000, 15, false, "raw [#####|.....] +9 %  read [#####|.....] +0 %"},
        {16384, 0, true, "raw [#####|##...] +50 %  read [##...|.....] -50 %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(axisBarText(c.raw, c.deadZone, c.inverted), c.text) << c.raw;
}

}  // namespace
