#include "audio/sound_cues.h"

#include "sim/race_session.h"

const char* soundCueFile(SoundCue cue)
{
    switch (cue) {
    case SoundCue::countdownBeep:
        return "countdown.wav";
    case SoundCue::startTone:
        return "start.wav";
    case SoundCue::lap:
        return "lap.wav";
    case SoundCue::finish:
        return "finish.wav";
    case SoundCue::leaveRoad:
        return "leave_road.wav";
    case SoundCue::menuMove:
        return "menu_move.wav";
    case SoundCue::menuSelect:
        return "menu_select.wav";
    }
    return "";
}

const char* engineLoopFile() { return "engine.wav"; }

int32_t countdownDigitAfter(int64_t tick)
{
    if (tick < 1 || tick > countdownTicks)
        return 0;
    int64_t msLeft = countdownStartMs - tick * 1000 / ticksPerSecond;
    return static_cast<int32_t>(msLeft / 1000 + 1);
}

std::vector<SoundCue> cuesForTick(const TickReport& report, RaceSounds& race)
{
    std::vector<SoundCue> cues;
    if (report.countdown) {
        int32_t digit = countdownDigitAfter(report.tick);
        if (digit != 0 && digit != countdownDigitAfter(report.tick - 1))
            cues.push_back(SoundCue::countdownBeep);
    }
    if (report.raceTick == 1)
        cues.push_back(SoundCue::startTone);
    if (report.finished) {
        cues.push_back(SoundCue::finish);
        return cues;
    }
    if (report.leftRoad) {
        cues.push_back(SoundCue::leaveRoad);
        return cues;
    }
    if (report.lap > race.highestLap) {
        if (race.highestLap >= 1)
            cues.push_back(SoundCue::lap);
        race.highestLap = report.lap;
    }
    return cues;
}

bool menuKeyCue(bool enter, bool focusMoved, SoundCue& cue)
{
    if (enter) {
        cue = SoundCue::menuSelect;
        return true;
    }
    if (focusMoved) {
        cue = SoundCue::menuMove;
        return true;
    }
    return false;
}
