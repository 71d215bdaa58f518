// pollInput against SDL's real event queue (dummy video driver) and the
// GUI's real SDL input object.
#include <gtest/gtest.h>

#include <SDL.h>
#include <guichan.hpp>
#include <guichan/sdl.hpp>

#include "audio/sound.h"
#include "shell/game.h"
#include "sdl_queue.h"
#include "shell/input.h"

namespace {

class PollInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(startDummySdl(), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(64, 64, 0, 0), nullptr) << SDL_GetError();
        SDL_EnableUNICODE(1);
        sdlInput = new gcn::SDLInput();
        game = Game();
    }
    void TearDown() override
    {
        delete sdlInput;
        sdlInput = nullptr;
        game = Game();
        SDL_Quit();
    }
    static void pushKey(SDLKey key) { pushEvent(keyDownEvent(key)); }
    static void pushQuit()
    {
        SDL_Event e{};
        e.type = SDL_QUIT;
        pushEvent(e);
    }
};

TEST_F(PollInput, EscapeAbortsTheRaceAndTheSameEventReachesTheGui)
{
    game.inRace = true;
    game.run.controls.assign(5, ControlInput{0.5f, 0.0f, 1.0f});
    game.run.ticks = 4321;
    pushKey(SDLK_ESCAPE);
    pollInput();
    EXPECT_FALSE(game.inRace);
    EXPECT_EQ(game.run.ticks, 0);
    // Emptied by the abort, then this call's record, a menu one.
    ASSERT_EQ(game.run.controls.size(), 1u);
    EXPECT_EQ(game.run.controls[0].throttle, 0.0f);
    EXPECT_EQ(game.run.controls[0].steer, 0.0f);
    EXPECT_FALSE(sdlInput->isKeyQueueEmpty());
    EXPECT_TRUE(game.running);
}

TEST_F(PollInput, EscapeInTheMenusGoesBackAndTheTrackMenuAsksBeforeQuitting)
{
    game.screen = Screen::playMenu;
    pushKey(SDLK_ESCAPE);
    pollInput();
    EXPECT_EQ(game.screen, Screen::trackMenu);
    EXPECT_TRUE(sdlInput->isKeyQueueEmpty()) << "Escape is the menus' own, not a GUI key";

    pushKey(SDLK_ESCAPE);
    pollInput();
    EXPECT_TRUE(game.askingQuit);
    // Any other key takes the question back and goes on to the GUI.
    pushKey(SDLK_DOWN);
    pollInput();
    EXPECT_FALSE(game.askingQuit);
    EXPECT_FALSE(sdlInput->isKeyQueueEmpty());
    EXPECT_TRUE(game.running);

    pushKey(SDLK_ESCAPE);
    pushKey(SDLK_RETURN);
    pollInput();
    EXPECT_FALSE(game.running) << "Enter answers the question";
    game.askingQuit = false;
}

TEST_F(PollInput, AnEscapeWaitingInTheQueueIsSeenWithoutTakingAnyKey)
{
    pushKey(SDLK_UP);
    EXPECT_FALSE(escapeWaiting());
    pushKey(SDLK_ESCAPE);
    EXPECT_TRUE(escapeWaiting());
    SDL_Event e;
    int left = 0;
    while (SDL_PollEvent(&e))
        left += e.type == SDL_KEYDOWN;
    EXPECT_EQ(left, 2) << "the keys of the countdown still wait for its end";
}

TEST_F(PollInput, DuringARaceOtherEventsAreConsumedAndOneRecordIsAdded)
{
    game.inRace = true;
    pushKey(SDLK_a);
    pushKey(SDLK_RETURN);
    pollInput();
    EXPECT_TRUE(game.inRace);
    EXPECT_TRUE(sdlInput->isKeyQueueEmpty());
    ASSERT_EQ(game.run.controls.size(), 1u);
    pollInput();
    EXPECT_EQ(game.run.controls.size(), 2u);
}

TEST_F(PollInput, RAndBackspaceRestartTheRaceWithoutARecordOrTheMenus)
{
    game.track = Track{};
    for (SDLKey key : {SDLK_r, SDLK_BACKSPACE}) {
        game.inRace = true;
        game.race.ticks = 900;
        game.countdownMs = 0;
        game.run.controls.assign(601, ControlInput{0.5f, 0.0f, 1.0f});
        game.run.ticks = 4321;
        pushKey(key);
        pushKey(SDLK_a);
        pollInput();
        EXPECT_TRUE(game.inRace) << key;
        EXPECT_TRUE(game.run.controls.empty()) << "the new race's first record comes at its first race tick";
        EXPECT_EQ(game.race.ticks, 0);
        EXPECT_EQ(game.countdownMs, 3000);
        EXPECT_EQ(game.run.ticks, 4321) << "the last finished time stays";
        EXPECT_TRUE(sdlInput->isKeyQueueEmpty()) << "no key of a race reaches the menus";
    }
    // Escape after a restart in the same poll still leaves for the menus.
    pushKey(SDLK_r);
    pushKey(SDLK_ESCAPE);
    pollInput();
    EXPECT_FALSE(game.inRace);
    EXPECT_EQ(game.run.controls.size(), 1u);
}

TEST_F(PollInput, TheBoundPadButtonRestartsTheRaceAndNoOtherButtonDoes)
{
    game.track = Track{};
    game.settings.restartButton = 5;
    struct Case {
        int which;
        int button;
        Uint8 type;
        bool restarts;
    };
    for (Case c : {Case{0, 4, SDL_JOYBUTTONDOWN, false}, Case{0, 5, SDL_JOYBUTTONUP, false},
                   Case{1, 5, SDL_JOYBUTTONDOWN, false}, Case{0, 5, SDL_JOYBUTTONDOWN, true}}) {
        game.inRace = true;
        game.race.ticks = 900;
        game.run.controls.assign(601, ControlInput{0.5f, 0.0f, 1.0f});
        pushEvent(joyButtonEvent(c.which, c.button, c.type));
        pollInput();
        EXPECT_TRUE(game.inRace);
        EXPECT_EQ(game.race.ticks, c.restarts ? 0 : 900) << c.which << " " << c.button;
        EXPECT_EQ(game.run.controls.size(), c.restarts ? 0u : 602u) << c.which << " " << c.button;
    }
}

TEST_F(PollInput, MMutesAndUnmutesInARaceWithoutTouchingItsRecords)
{
    bool muted = sound.muted;
    game.inRace = true;
    pushKey(SDLK_m);
    pollInput();
    EXPECT_NE(sound.muted, muted);
    EXPECT_TRUE(game.inRace);
    ASSERT_EQ(game.run.controls.size(), 1u);
    for (float value : {game.run.controls[0].steer, game.run.controls[0].brake, game.run.controls[0].throttle})
        EXPECT_EQ(value, 0.0f);
    // In the menus too, where the key also goes on to the GUI.
    game.inRace = false;
    pushKey(SDLK_m);
    pollInput();
    EXPECT_EQ(sound.muted, muted);
    EXPECT_FALSE(sdlInput->isKeyQueueEmpty());
}

TEST_F(PollInput, QuitClearsRunningAndLeavesTheRaceToTheLoop)
{
    game.inRace = true;
    pushQuit();
    pollInput();
    EXPECT_FALSE(game.running);
    EXPECT_TRUE(game.inRace);
    EXPECT_EQ(game.run.controls.size(), 1u);
}

TEST_F(PollInput, InTheMenusEveryEventGoesToTheGuiAndAnEmptyRecordIsAdded)
{
    pushKey(SDLK_DOWN);
    pushKey(SDLK_RETURN);
    pollInput();
    pollInput();
    ASSERT_EQ(game.run.controls.size(), 2u);
    EXPECT_EQ(game.run.controls[1].brake, 0.0f);
    ASSERT_FALSE(sdlInput->isKeyQueueEmpty());
    EXPECT_EQ(sdlInput->dequeueKeyInput().getKey().getValue(), gcn::Key::DOWN);

    // Without a GUI input object the events are simply drained.
    delete sdlInput;
    sdlInput = nullptr;
    pushKey(SDLK_UP);
    pollInput();
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0);
}

} // namespace
