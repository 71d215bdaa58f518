#include "audio/wav_file.h"

#include <cstring>

#include "assets/binary_io.h"
#include "assets/regular_file.h"

std::string wavBytes(const WavSound& sound)
{
    uint32_t dataBytes = static_cast<uint32_t>(sound.samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    putBytes(out, "RIFF", 4);
    putU32(out, 36 + dataBytes);
    putBytes(out, "WAVEfmt ", 8);
    putU32(out, 16);
    putU16(out, 1); // PCM
    putU16(out, 1); // mono
    putU32(out, static_cast<uint32_t>(sound.sampleRate));
    putU32(out, static_cast<uint32_t>(sound.sampleRate) * 2);
    putU16(out, 2);
    putU16(out, 16);
    putBytes(out, "data", 4);
    putU32(out, dataBytes);
    for (int16_t s : sound.samples)
        putU16(out, static_cast<uint16_t>(s));
    return std::string(out.begin(), out.end());
}

bool parseWav(const std::string& bytes, WavSound& sound)
{
    sound = WavSound();
    ByteReader in = byteReader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const uint8_t* riff = nullptr;
    if (!takeBytes(in, 12, riff) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return false;
    int channels = 0;
    int32_t rate = 0;
    // Chunks in any order; the format must come before the data.
    const uint8_t* id = nullptr;
    uint32_t size = 0;
    while (takeBytes(in, 4, id) && readU32(in, size)) {
        ByteReader body = in;
        const uint8_t* skipped = nullptr;
        if (!takeBytes(in, size, skipped))
            return false;
        if (std::memcmp(id, "fmt ", 4) == 0) {
            uint16_t format = 0, count = 0, bits = 0;
            uint32_t samplesPerSecond = 0;
            const uint8_t* between = nullptr;
            if (size < 16)
                return false;
            readU16(body, format);
            readU16(body, count);
            readU32(body, samplesPerSecond);
            takeBytes(body, 6, between);
            readU16(body, bits);
            if (format != 1 || bits != 16)
                return false;
            channels = count;
            rate = static_cast<int32_t>(samplesPerSecond);
            if (channels < 1 || rate < 1 || rate > 384000)
                return false;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (channels == 0)
                return false;
            size_t frames = size / (2 * size_t(channels));
            sound.samples.resize(frames);
            for (size_t f = 0; f < frames; ++f) {
                int32_t sum = 0;
                for (int c = 0; c < channels; ++c) {
                    uint16_t sample = 0;
                    readU16(body, sample);
                    sum += static_cast<int16_t>(sample);
                }
                sound.samples[f] = static_cast<int16_t>(sum / channels);
            }
            sound.sampleRate = rate;
            return true;
        }
        // Chunks are padded to an even length; the pad of the last may be missing.
        if (size & 1)
            takeBytes(in, 1, skipped);
    }
    return false;
}

bool readWavFile(const std::string& path, WavSound& sound)
{
    const FileRead file = readRegularFile(path, maxWavFileBytes);
    if (file.status != FileStatus::ok) {
        sound = WavSound();
        return false;
    }
    return parseWav(asText(file), sound);
}
