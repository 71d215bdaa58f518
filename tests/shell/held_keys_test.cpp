#include <gtest/gtest.h>

#include "shell/held_keys.h"

namespace {

const int kUp = 273, kLeft = 276, kReturn = 13;

struct Step {
    bool inRace;
    KeyEvent kind;
    int key;
    bool reaches;
};

}  // namespace

TEST(HeldKeys, KeysHeldOverARacesEndDoNothingInTheMenusUntilReleased)
{
    struct Case {
        const char* name;
        std::vector<int> downAtEnd;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"a held throttle repeats unheard, its release frees it",
         {kUp},
         {{false, KeyEvent::down, kUp, false},
          {false, KeyEvent::down, kUp, false},
          {false, KeyEvent::up, kUp, false},
          {false, KeyEvent::down, kUp, true},
          {false, KeyEvent::up, kUp, true}}},
        {"other keys and other events pass",
         {kUp, kLeft},
         {{false, KeyEvent::down, kReturn, true},
          {false, KeyEvent::other, kUp, true},
          {false, KeyEvent::up, kLeft, false},
          {false, KeyEvent::down, kLeft, true},
          {false, KeyEvent::down, kUp, false}}},
        {"nothing held at the end",
         {},
         {{false, KeyEvent::down, kUp, true}, {false, KeyEvent::up, kUp, true}}},
        {"a new race forgets the held keys",
         {kUp},
         {{true, KeyEvent::other, 0, true}, {true, KeyEvent::down, kUp, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeldKeys held;
        noteRaceState(held, true, {});
        noteRaceState(held, false, c.downAtEnd);
        for (const Step& s : c.steps) {
            noteRaceState(held, s.inRace, {kUp, kLeft});
            EXPECT_EQ(reachesMenus(held, s.kind, s.key), s.reaches) << "key " << s.key;
        }
    }
}

TEST(HeldKeys, OnlyTheEndOfARaceTakesTheHeldKeys)
{
    HeldKeys held;
    // In the menus all along: keys down are the player's own presses.
    noteRaceState(held, false, {kUp});
    EXPECT_TRUE(reachesMenus(held, KeyEvent::down, kUp));
    noteRaceState(held, true, {kUp});
    noteRaceState(held, false, {kUp});
    EXPECT_FALSE(reachesMenus(held, KeyEvent::down, kUp));
    // Later polls in the menus keep what was taken at the end.
    noteRaceState(held, false, {});
    EXPECT_FALSE(reachesMenus(held, KeyEvent::down, kUp));
}
