#include "audio/wav_file.h"

#include <fstream>
#include <iterator>

static void put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xff);
}

static void put16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

static uint32_t get32(const std::string& in, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[at + size_t(i)]);
    return v;
}

static uint16_t get16(const std::string& in, size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(in[at]) | (static_cast<unsigned char>(in[at + 1]) << 8));
}

std::string wavBytes(const WavSound& sound)
{
    uint32_t dataBytes = static_cast<uint32_t>(sound.samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, static_cast<uint32_t>(sound.sampleRate));
    put32(out, static_cast<uint32_t>(sound.sampleRate) * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (int16_t s : sound.samples)
        put16(out, static_cast<uint16_t>(s));
    return out;
}

bool parseWav(const std::string& bytes, WavSound& sound)
{
    sound = WavSound();
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    int channels = 0;
    int32_t rate = 0;
    size_t at = 12;
    // Chunks in any order; the format must come before the data.
    while (at + 8 <= bytes.size()) {
        std::string id = bytes.substr(at, 4);
        uint32_t size = get32(bytes, at + 4);
        size_t body = at + 8;
        if (size > bytes.size() - body)
            return false;
        if (id == "fmt ") {
            if (size < 16 || get16(bytes, body) != 1 || get16(bytes, body + 14) != 16)
                return false;
            channels = get16(bytes, body + 2);
            rate = static_cast<int32_t>(get32(bytes, body + 4));
            if (channels < 1 || rate < 1 || rate > 384000)
                return false;
        } else if (id == "data") {
            if (channels == 0)
                return false;
            size_t frames = size / (2 * size_t(channels));
            sound.samples.resize(frames);
            for (size_t f = 0; f < frames; ++f) {
                int32_t sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += static_cast<int16_t>(get16(bytes, body + (f * size_t(channels) + size_t(c)) * 2));
                sound.samples[f] = static_cast<int16_t>(sum / channels);
            }
            sound.sampleRate = rate;
            return true;
        }
        // Chunks are padded to an even length.
        at = body + size + (size & 1);
    }
    return false;
}

bool readWavFile(const std::string& path, WavSound& sound)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        sound = WavSound();
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseWav(bytes, sound);
}
