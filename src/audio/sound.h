#pragma once
// The game's sound: SDL_mixer opens the device, and one hook of its own mixes
// the engine note and the short sounds into the stream, each race cue at the
// stream frame of its tick. Sound follows the game and never feeds back into
// it. Without an audio device every call here does nothing.

#include <cstdint>

#include "audio/sound_cues.h"

struct SoundState {
    // The device is open and the sounds are loaded.
    bool open = false;
    // 0 (off) to 100, from the configuration.
    int32_t volume = 80;
    bool muted = false;
    // Cues asked for since start-up, heard or not.
    int32_t requested[soundCueCount] = {};
};

extern SoundState sound;

// Opens the audio device and loads data/sounds. When there is no device it
// says so in one line on standard error, and the game runs on silently;
// nothing is printed on standard output either way.
void openSound(int32_t volume);
void closeSound();

// Plays a cue with the next buffer (the menus' clicks).
void playCue(SoundCue cue);

// A race begins: the engine fades in at idle, the race's cues start afresh
// and are timed from now.
void startEngine();
// After each race tick: its cues (countdown, start, lap, finish, leaving the
// road), heard the tick's time after the race's start whatever the frame
// rate; a finish or a loss also stops the engine.
void soundAfterTick(const TickReport& report);
// Once per race frame: the engine follows the player's speed (m/s) and throttle.
void driveEngine(double speed, double throttle);
// The race is over or abandoned: the engine falls silent at once.
void stopEngine();

// M: silence everything, or bring the configured volume back.
void toggleMute();
// The volume from 0 to 100, as the settings screen sets it.
void setSoundVolume(int32_t volume);
