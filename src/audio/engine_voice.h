#pragma once
// The engine note: one looped tone played back at a varying rate. The game
// sets a target pitch and loudness up to 100 times a second; the voice moves
// towards them a little on every output sample, so neither a new target nor
// a stop is ever heard as a click or a step.

#include <cstdint>
#include <vector>

struct EngineVoice {
    // The loop, a whole number of periods long, at loopRate samples per second.
    std::vector<int16_t> loop;
    int32_t loopRate = 22050;
    // Read position in loop samples.
    double position = 0.0;
    // Playback speed (1.0 = the loop's own pitch) and loudness (0 to 1) now.
    double pitch = 1.0;
    double gain = 0.0;
    double targetPitch = 1.0;
    double targetGain = 0.0;
    // A stopped voice fades out within a few milliseconds and then stays silent.
    bool stopping = false;
};

// Target pitch and loudness for the player's speed (m/s) and throttle (0 to 1);
// both grow with either. Idle, at rest with no throttle, is the lowest note.
void engineTargets(double speed, double throttle, double& pitch, double& gain);

// Restarts the voice at idle pitch, silent, so it fades in from nothing.
void resetEngine(EngineVoice& voice);

// Adds frames of the voice into out (interleaved, channels per frame, at
// outRate), scaled by volume (0 to 1), saturating at the 16-bit limits.
void mixEngine(EngineVoice& voice, int16_t* out, int frames, int channels, int outRate, double volume);
