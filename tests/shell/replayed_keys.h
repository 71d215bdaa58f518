#pragma once
// Test-only: the keyboard of the game's own loop replaced by a list of
// records, so that a race in the loop can be compared with a headless replay.

#include <vector>

#include "shell/game.h"
#include "shell/main_loop.h"

// What the keys give each race tick: the next of these records, or nothing.
inline std::vector<ControlInput> replayedRecords;

// Appends the next record, as pollInput does.
inline void replayedPoll()
{
    const size_t n = game.run.controls.size();
    game.run.controls.push_back(n < replayedRecords.size() ? replayedRecords[n] : ControlInput{});
}

// The game's own step and race ends with the replayed keyboard.
inline TickCalls replayedCalls()
{
    TickCalls calls = gameTickCalls();
    calls.pollInput = replayedPoll;
    return calls;
}
