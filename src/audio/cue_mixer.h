#pragma once
// The short sounds, mixed on the audio stream's own clock: each cue starts
// at the stream frame it was scheduled for, so sounds of ticks 100 ticks
// apart start exactly a second apart in what is heard, however the frames
// and the audio buffers of the moment fall.

#include <cstddef>
#include <cstdint>
#include <vector>

struct CueVoice {
    // Mono samples at rate per second, owned elsewhere and kept alive.
    const std::vector<int16_t>* samples = nullptr;
    int32_t rate = 22050;
    // Stream frame of the first sample, and the read position once started.
    uint64_t startFrame = 0;
    double position = 0.0;
};

struct CueMixer {
    std::vector<CueVoice> voices;
    // Frames of the stream mixed so far.
    uint64_t frame = 0;
};

// At most this many sounds at once; a new one replaces the oldest.
constexpr size_t maxCueVoices = 16;

// Schedules samples to start at stream frame startFrame; a frame already
// mixed starts it with the next buffer.
void scheduleCue(CueMixer& mixer, const std::vector<int16_t>* samples, int32_t rate, uint64_t startFrame);

// Silences every sound, playing or waiting.
void clearCues(CueMixer& mixer);

// Adds the next frames of the stream into out (interleaved, channels per
// frame, at outRate), scaled by volume (0 to 1), saturating; advances frame.
void mixCues(CueMixer& mixer, int16_t* out, int frames, int channels, int outRate, double volume);
