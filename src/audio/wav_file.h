#pragma once
// Mono 16-bit PCM WAV files: the bytes the content tool writes for the game's
// sounds, and the reader the engine loop is loaded with.

#include <cstdint>
#include <string>
#include <vector>

struct WavSound {
    int32_t sampleRate = 22050;
    std::vector<int16_t> samples;
};

// A complete RIFF/WAVE file: 44-byte header, then the samples little-endian.
std::string wavBytes(const WavSound& sound);

// Reads a PCM file of 16-bit samples; several channels are averaged into one.
// False, with sound left empty, for anything else or a file cut short.
bool parseWav(const std::string& bytes, WavSound& sound);

// parseWav of a whole file; false when it cannot be read.
bool readWavFile(const std::string& path, WavSound& sound);
