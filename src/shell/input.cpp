#include "shell/input.h"

#include <SDL.h>
#include <guichan.hpp>
#include <guichan/sdl.hpp>

#include "audio/sound.h"
#include "shell/bindings.h"
#include "shell/game.h"
#include "shell/flow.h"
#include "shell/held_keys.h"
#include "shell/editor_flow.h"
#include "shell/record_feed.h"
#include "shell/settings_flow.h"
#include "sim/controls.h"

// Joystick buttons that abort a race together with any key press.
static const int abortButtonA = 8;
static const int abortButtonB = 9;

static bool joystickButton(int index)
{
    return joystick && SDL_JoystickGetButton(joystick, index) != 0;
}

// A text box with the focus takes M as a letter of the name being typed.
static bool typingText()
{
    if (!game.gui || !game.top || !game.top->_getFocusHandler())
        return false;
    return dynamic_cast<gcn::TextBox*>(game.top->_getFocusHandler()->getFocused()) != nullptr;
}

static JoystickMapping gameMapping()
{
    JoystickMapping m;
    m.throttleButton = game.joyThrottleButton;
    m.brakeButton = game.joyBrakeButton;
    m.leftButton = game.joyLeftButton;
    m.rightButton = game.joyRightButton;
    m.throttleAxis = game.joyThrottleAxis;
    m.brakeAxis = game.joyBrakeAxis;
    m.steerAxis = game.joySteerAxis;
    return m;
}

// Reads the mapped buttons and axes of joystick 0; the others stay released.
static JoystickReadings readJoystick(const JoystickMapping& m)
{
    JoystickReadings j;
    j.present = SDL_NumJoysticks() > 0;
    if (!j.present || !joystick)
        return j;
    j.buttons.assign(size_t(SDL_JoystickNumButtons(joystick) > 0 ? SDL_JoystickNumButtons(joystick) : 0), 0);
    for (int32_t b : {m.throttleButton, m.brakeButton, m.leftButton, m.rightButton}) {
        if (b >= 0 && size_t(b) < j.buttons.size())
            j.buttons[size_t(b)] = SDL_JoystickGetButton(joystick, b);
    }
    j.axes.assign(size_t(SDL_JoystickNumAxes(joystick) > 0 ? SDL_JoystickNumAxes(joystick) : 0), 0);
    for (int32_t a : {m.throttleAxis, m.brakeAxis, m.steerAxis}) {
        if (a >= 0 && size_t(a) < j.axes.size())
            j.axes[size_t(a)] = SDL_JoystickGetAxis(joystick, a);
    }
    return j;
}

// Escape and the quit question in the menus, before the GUI sees the key;
// true when the key was used here.
static bool menuKeyTaken(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN)
        return false;
    const SDLKey key = event.key.keysym.sym;
    if (game.askingQuit && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) {
        confirmQuit(game);
        return true;
    }
    if (key == SDLK_ESCAPE) {
        escapeInMenus(game);
        return true;
    }
    if (game.askingQuit)
        // Any other key takes the question back and does what it always does.
        escapeInMenus(game);
    return false;
}

bool escapeWaiting()
{
    SDL_Event events[64];
    SDL_PumpEvents();
    int n = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_KEYDOWN));
    for (int i = 0; i < n; ++i)
        if (events[i].key.keysym.sym == SDLK_ESCAPE)
            return true;
    return false;
}

// The keys SDL has down now.
static std::vector<int> keysDown()
{
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    std::vector<int> down;
    for (int k = 0; state && k < count; ++k)
        if (state[k])
            down.push_back(k);
    return down;
}

static bool restartKey(SDLKey key)
{
    Action action;
    return actionOfKey(game.settings.keys, key, action) && action == Action::restart;
}

static bool restartButton(const SDL_Event& event)
{
    const int button = capturedButton(event);
    return button >= 0 && button == game.settings.restartButton;
}

static KeyEvent keyEventOf(const SDL_Event& event)
{
    if (event.type == SDL_KEYDOWN)
        return KeyEvent::down;
    return event.type == SDL_KEYUP ? KeyEvent::up : KeyEvent::other;
}

void pollInput()
{
    ControlInput record;
    SDL_Event event;
    bool restarted = false;
    noteRaceState(game.heldKeys, game.inRace, keysDown());
    while (SDL_PollEvent(&event)) {
        // The Escape that ends a race is not also the menus' Escape.
        bool aborted = false;
        if (event.type == SDL_QUIT)
            game.running = false;
        // M mutes at any time; the controls read the keyboard's state, not
        // its events, so it never reaches a record.
        // A key for a control being bound is the control's, not the menus'.
        if (settingsTakesEvent(game, event))
            continue;
        // A race whose controls use M keeps it for driving.
        Action boundTo;
        const bool mBound = game.inRace && actionOfKey(game.settings.keys, SDLK_m, boundTo);
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_m && !typingText() && !mBound)
            toggleMute();
        if (game.inRace && event.type == SDL_KEYDOWN &&
            (event.key.keysym.sym == SDLK_ESCAPE || joystickButton(abortButtonA) || joystickButton(abortButtonB))) {
            abortRace(game);
            aborted = true;
        } else if (game.inRace && ((event.type == SDL_KEYDOWN && restartKey(event.key.keysym.sym)) ||
                                   restartButton(event))) {
            restartRace(game);
            restarted = true;
        }
        // During a race every event stops here. In the menus each one goes
        // on, except the keys held over the race's end (the Escape that has
        // just aborted it included) until they are released; the menus' own
        // keys are taken before the GUI.
        noteRaceState(game.heldKeys, game.inRace, keysDown());
        // Only key events carry a key; the union holds other fields otherwise.
        const KeyEvent kind = keyEventOf(event);
        const int key = kind == KeyEvent::other ? 0 : static_cast<int>(event.key.keysym.sym);
        if (game.inRace || !reachesMenus(game.heldKeys, kind, key))
            continue;
        if (!aborted && editorTakesEvent(game, event))
            continue;
        if (!aborted && menuKeyTaken(event))
            continue;
        if (sdlInput)
            sdlInput->pushInput(event);
    }

    // A restarted race takes its first record at its own first race tick.
    if (restarted && game.inRace)
        return;
    if (game.inRace) {
        int keyCount = 0;
        Uint8* keyState = SDL_GetKeyState(&keyCount);
        const KeyReadings keys = keyReadings(game.settings.keys, keyState, keyCount);
        JoystickMapping mapping = gameMapping();
        JoystickReadings stick = tunedReadings(readJoystick(mapping), mapping, game.settings.axes);
        const ControlInput* last = game.run.controls.empty() ? nullptr : &game.run.controls.back();
        record = controlFromReadings(keys, stick, mapping, last);
        feedRecord(game.run.controls.size(), record);
    }
    // One record on every call, in the menus too.
    game.run.controls.push_back(record);
}
