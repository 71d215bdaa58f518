#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "shell/bindings.h"
#include "sim/controls.h"
#include "sdl_queue.h"

namespace {

// A keyboard state array with the given keys held.
std::vector<uint8_t> held(std::initializer_list<SDLKey> keys)
{
    std::vector<uint8_t> state(SDLK_LAST, 0);
    for (SDLKey k : keys)
        state[k] = 1;
    return state;
}

bool sameRecord(const ControlInput& a, const ControlInput& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// SDL's event queue with the dummy video driver: no display needed.
class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(startDummySdl(), 0) << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }

    static void pushAxis(int which, int axis, int value) { pushEvent(joyAxisEvent(which, axis, value)); }

    // Feeds every queued event; the last answer of the capture.
    static int drain(AxisCapture& capture)
    {
        int bound = -1;
        SDL_Event e;
        while (SDL_PollEvent(&e))
            bound = feedAxisCapture(capture, e);
        return bound;
    }
};

} // namespace

TEST(Bindings, DefaultKeysDriveExactlyAsTheArrowsAlwaysHave)
{
    const KeyBindings keys = defaultKeyBindings();
    const SDLKey arrows[4] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    JoystickReadings stick;
    JoystickMapping mapping;
    ControlInput lastBound, lastArrows;
    // Every combination of arrows, in a sequence long enough for the smoothing
    // to carry over, with a letter held now and then that must change nothing.
    for (int step = 0; step < 64; ++step) {
        const int combo = (step * 7) % 16;
        std::vector<uint8_t> state = held({});
        KeyReadings direct;
        bool* flags[4] = {&direct.up, &direct.down, &direct.left, &direct.right};
        for (int a = 0; a < 4; ++a)
            if (combo & (1 << a))
                state[arrows[a]] = *flags[a] = true;
        if (step % 3 == 0)
            state[SDLK_w] = 1;
        const ControlInput bound =
            controlFromReadings(keyReadings(keys, state.data(), SDLK_LAST), stick, mapping, step ? &lastBound : nullptr);
        const ControlInput expected = controlFromReadings(direct, stick, mapping, step ? &lastArrows : nullptr);
        EXPECT_TRUE(sameRecord(bound, expected)) << "step " << step;
        lastBound = bound;
        lastArrows = expected;
    }
}

TEST(Bindings, BoundLettersReadAsTheirActionsAndAShortStateIsSafe)
{
    KeyBindings keys = defaultKeyBindings();
    Action lost;
    bindKey(keys, Action::throttle, SDLK_w, lost);
    bindKey(keys, Action::left, SDLK_a, lost);
    std::vector<uint8_t> state = held({SDLK_w, SDLK_a});
    KeyReadings r = keyReadings(keys, state.data(), SDLK_LAST);
    EXPECT_TRUE(r.up);
    EXPECT_TRUE(r.left);
    EXPECT_FALSE(r.down);
    EXPECT_FALSE(r.right);
    // A state shorter than the bound keys reads them as released.
    r = keyReadings(keys, state.data(), SDLK_a);
    EXPECT_FALSE(r.up);
    EXPECT_FALSE(r.left);
}

TEST(Bindings, TwoKeysAnActionStealingAndClearing)
{
    struct Step {
        Action action;
        SDLKey key; // SDLK_UNKNOWN: clear the action
        bool stolen;
        Action lostBy;
        std::vector<SDLKey> throttle, brake, restart;
    };
    const Step steps[] = {
        // A second key joins the first.
        {Action::throttle, SDLK_w, false, Action::throttle, {SDLK_UP, SDLK_w}, {SDLK_DOWN}, {SDLK_r, SDLK_BACKSPACE}},
        // The same key again changes nothing.
        {Action::throttle, SDLK_w, false, Action::throttle, {SDLK_UP, SDLK_w}, {SDLK_DOWN}, {SDLK_r, SDLK_BACKSPACE}},
        // A third key drops the older one.
        {Action::throttle, SDLK_i, false, Action::throttle, {SDLK_w, SDLK_i}, {SDLK_DOWN}, {SDLK_r, SDLK_BACKSPACE}},
        // A key of another action moves and that action is named.
        {Action::brake, SDLK_w, true, Action::throttle, {SDLK_i}, {SDLK_DOWN, SDLK_w}, {SDLK_r, SDLK_BACKSPACE}},
        {Action::brake, SDLK_r, true, Action::restart, {SDLK_i}, {SDLK_w, SDLK_r}, {SDLK_BACKSPACE}},
        {Action::restart, SDLK_UNKNOWN, false, Action::throttle, {SDLK_i}, {SDLK_w, SDLK_r}, {}},
        {Action::restart, SDLK_w, true, Action::brake, {SDLK_i}, {SDLK_r}, {SDLK_w}},
    };
    KeyBindings keys = defaultKeyBindings();
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(n++));
        Action lost = Action::throttle;
        bool stolen = false;
        if (s.key == SDLK_UNKNOWN)
            clearAction(keys, s.action);
        else
            stolen = bindKey(keys, s.action, s.key, lost);
        EXPECT_EQ(stolen, s.stolen);
        if (s.stolen) {
            EXPECT_EQ(lost, s.lostBy);
        }
        EXPECT_EQ(keysOf(keys, Action::throttle), s.throttle);
        EXPECT_EQ(keysOf(keys, Action::brake), s.brake);
        EXPECT_EQ(keysOf(keys, Action::restart), s.restart);
        EXPECT_EQ(keysOf(keys, Action::left), std::vector<SDLKey>{SDLK_LEFT});
    }
    // Keys without a name cannot be written down and are never bound.
    for (SDLKey unnamed : {SDLK_UNKNOWN, static_cast<SDLKey>('A'), static_cast<SDLKey>('%'), SDLK_LAST}) {
        Action lost;
        EXPECT_FALSE(bindKey(keys, Action::left, unnamed, lost));
        EXPECT_EQ(keysOf(keys, Action::left), std::vector<SDLKey>{SDLK_LEFT});
    }
    Action a;
    ASSERT_TRUE(actionOfKey(keys, SDLK_r, a));
    EXPECT_EQ(a, Action::brake);
    EXPECT_FALSE(actionOfKey(keys, SDLK_BACKSPACE, a));
    EXPECT_FALSE(actionOfKey(keys, SDLK_UNKNOWN, a));
}

TEST_F(SdlEvents, KeyNamesAreSdlsOwnAndReadBack)
{
    int named = 0;
    for (int k = 1; k < SDLK_LAST; ++k) {
        const SDLKey key = static_cast<SDLKey>(k);
        const std::string sdl = SDL_GetKeyName(key);
        if (sdl == "unknown key") {
            EXPECT_EQ(keyName(key), "") << k;
            continue;
        }
        ++named;
        EXPECT_EQ(keyName(key), sdl) << k;
        EXPECT_EQ(keyFromName(sdl), key) << sdl;
    }
    EXPECT_GT(named, 200);
    for (const char* bad : {"", "W", "unknown key", "leftshift", " w"})
        EXPECT_EQ(keyFromName(bad), SDLK_UNKNOWN) << bad;
}

TEST(AxisTuning, DeadZoneStretchesTheRestAndInversionTurnsItRound)
{
    const struct {
        int16_t raw;
        int32_t zone;
        bool inverted;
        int16_t tuned;
    } cases[] = {
        // No dead zone, not inverted: the reading as it is, -32768 included.
        {0, 0, false, 0}, {1, 0, false, 1}, {-32768, 0, false, -32768}, {32767, 0, false, 32767},
        {-12345, 0, false, -12345},
        // 15 %: 4915 either side reads as centred; the ends stay the ends.
        {4915, 15, false, 0}, {-4915, 15, false, 0}, {4916, 15, false, 1}, {32767, 15, false, 32767},
        {-32767, 15, false, -32767}, {-32768, 15, false, -32767}, {18841, 15, false, 16383},
        // Inverted.
        {32767, 0, true, -32767}, {-32768, 0, true, 32767}, {100, 0, true, -100}, {20000, 15, true, -17747},
        // Outside 0 to 50 the zone is held within.
        {16000, 80, false, 0}, {16384, 80, false, 1}, {7, -5, false, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tunedAxis(c.raw, c.zone, c.inverted), c.tuned) << c.raw << " zone " << c.zone << " inv " << c.inverted;
}

TEST(AxisTuning, OnlyTheMappedAxesAreTuned)
{
    JoystickReadings raw;
    raw.present = true;
    raw.buttons = {1, 0, 1};
    raw.axes = {3000, 3000, -20000, 3000};
    JoystickMapping mapping;
    mapping.steerAxis = 0;
    mapping.throttleAxis = 2;
    mapping.brakeAxis = 7; // beyond the axes: nothing to tune
    AxisTuning tuning;
    tuning.invertThrottle = true;
    JoystickReadings out = tunedReadings(raw, mapping, tuning);
    EXPECT_EQ(out.buttons, raw.buttons);
    EXPECT_EQ(out.axes, (std::vector<int16_t>{0, 3000, tunedAxis(-20000, 15, true), 3000}));
    // Untuned, the record is today's for the same readings.
    AxisTuning none;
    none.deadZone = 0;
    ControlInput a = controlFromReadings(KeyReadings(), tunedReadings(raw, mapping, none), mapping, nullptr);
    ControlInput b = controlFromReadings(KeyReadings(), raw, mapping, nullptr);
    EXPECT_TRUE(sameRecord(a, b));
}

TEST_F(SdlEvents, AxisCaptureBindsTheAxisMovedFurthestFromItsBaseline)
{
    // Axis 2 is a trigger resting at full scale, axis 3 a noisy stick.
    AxisCapture capture = startAxisCapture({0, 0, 32767, 1200});
    pushAxis(0, 2, 32767);
    pushAxis(0, 3, -9000);
    pushAxis(0, 3, 9000);
    EXPECT_EQ(drain(capture), -1) << "a trigger at rest and noise bind nothing";
    // A third of the range is not yet enough; past it is.
    pushAxis(0, 1, 21845);
    EXPECT_EQ(drain(capture), -1);
    pushAxis(0, 1, 21846);
    EXPECT_EQ(drain(capture), 1);
    // Pulled from its rest to the far end, the trigger has moved furthest.
    pushAxis(0, 2, -32768);
    EXPECT_EQ(drain(capture), 2);
    // Another joystick's axes never count.
    pushAxis(1, 0, -32768);
    EXPECT_EQ(drain(capture), 2);
}

TEST_F(SdlEvents, AnAxisFirstReportedDuringTheCaptureRestsWhereItWasReported)
{
    AxisCapture capture = startAxisCapture({0, 0});
    pushAxis(0, 5, 32767);
    EXPECT_EQ(drain(capture), -1) << "a trigger SDL had not reported yet";
    pushAxis(0, 5, 0);
    EXPECT_EQ(drain(capture), 5);

    pushEvent(joyButtonEvent(0, 4));
    SDL_Event e;
    ASSERT_TRUE(SDL_PollEvent(&e));
    EXPECT_EQ(capturedButton(e), 4);
    e.type = SDL_JOYBUTTONUP;
    EXPECT_EQ(capturedButton(e), -1);
}
