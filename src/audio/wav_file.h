#pragma once
// Mono 16-bit PCM WAV files: the bytes the content tool writes for the game's
// sounds, and the reader the engine loop is loaded with.

#include <cstddef>
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

// Largest sound file read: minutes of sound at the rates the mixer plays,
// and a few hundred times the largest of the game's own.
const size_t maxWavFileBytes = 16u * 1024u * 1024u;

// parseWav of a whole file; false when it is not a regular file of at most
// maxWavFileBytes or cannot be read.
bool readWavFile(const std::string& path, WavSound& sound);
