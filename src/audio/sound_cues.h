#pragma once
// Which sound marks what: the short sounds a race tick or a menu key calls
// for, decided from what the tick reports, with no audio involved.

#include <cstdint>
#include <vector>

struct TickReport;

enum class SoundCue { countdownBeep, startTone, lap, finish, leaveRoad, menuMove, menuSelect };
constexpr int soundCueCount = 7;

// The file of a cue under data/sounds/.
const char* soundCueFile(SoundCue cue);
// The engine's loop under data/sounds/.
const char* engineLoopFile();

// What the race's sounds remember between ticks; a new race starts afresh.
struct RaceSounds {
    // Highest lap the HUD has shown in this race.
    int32_t highestLap = 0;
};

// The countdown digit the HUD shows once `tick` countdown ticks have run
// (3 from the first tick, then 2 and 1 a second apart); 0 when none shows.
int32_t countdownDigitAfter(int64_t tick);

// The cues of one tick, in the order they are to start: a beep as each
// countdown digit appears, the start tone with the first race tick, the finish
// or the leaving-the-road sound at the end, and a lap sound when the HUD's
// lap rises past every lap of this race already shown, from lap 2 on (the
// step from 0 to 1 just after the start is the first lap beginning).
std::vector<SoundCue> cuesForTick(const TickReport& report, RaceSounds& race);

// A menu key's cue: Enter selects, any other key that moved the focus
// between buttons moves. False when the key calls for no sound.
bool menuKeyCue(bool enter, bool focusMoved, SoundCue& cue);
