// The game's sounds, synthesised: sine tones with smooth envelopes for the
// signals, filtered noise for the crash, and a harmonic-rich loop for the
// engine. Fixed arithmetic and a fixed noise seed: the same bytes every run.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "audio/sound_cues.h"
#include "audio/wav_file.h"
#include "content/content.h"
#include "shell/paths.h"

namespace {

const int32_t rate = 22050;
const double twoPi = 6.283185307179586;

// A sound being built, in samples of -1 to 1.
using Signal = std::vector<double>;

// Rises over attack seconds, falls over release seconds at the end, so that
// no sound starts or stops with a click.
double envelope(size_t i, size_t n, double attack, double release)
{
    double t = static_cast<double>(i) / rate;
    double left = static_cast<double>(n - i) / rate;
    double e = 1.0;
    if (t < attack)
        e = t / attack;
    if (left < release)
        e = std::min(e, left / release);
    return e;
}

// A tone of hz with octave times as much of its octave, added into s from
// start seconds.
void addTone(Signal& s, double start, double seconds, double hz, double level, double release = 0.05,
             double octave = 0.2)
{
    size_t first = static_cast<size_t>(start * rate);
    size_t n = static_cast<size_t>(seconds * rate);
    if (s.size() < first + n)
        s.resize(first + n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / rate;
        double v = std::sin(twoPi * hz * t) + octave * std::sin(twoPi * 2.0 * hz * t);
        s[first + i] += level * envelope(i, n, 0.005, release) * v / (1.0 + octave);
    }
}

WavSound toWav(const Signal& s)
{
    WavSound w;
    w.sampleRate = rate;
    w.samples.reserve(s.size());
    for (double v : s) {
        double c = std::max(-1.0, std::min(1.0, v));
        w.samples.push_back(static_cast<int16_t>(std::lround(c * 32000.0)));
    }
    return w;
}

// The signals are pure sines, each heard clearly over the engine's harmonics.
Signal countdownBeep()
{
    Signal s;
    addTone(s, 0.0, 0.16, 880.0, 0.6, 0.05, 0.0);
    return s;
}

// An octave above the beeps, and longer: the race is on.
Signal startTone()
{
    Signal s;
    addTone(s, 0.0, 0.45, 1760.0, 0.6, 0.15, 0.0);
    return s;
}

Signal lapChime()
{
    Signal s;
    addTone(s, 0.0, 0.12, 1318.5, 0.5);
    addTone(s, 0.1, 0.25, 1760.0, 0.5, 0.12);
    return s;
}

// A rising major arpeggio that ends on a held chord.
Signal finishFanfare()
{
    Signal s;
    const double notes[] = {523.25, 659.25, 783.99, 1046.5};
    for (int k = 0; k < 4; ++k)
        addTone(s, 0.12 * k, 1.1 - 0.12 * k, notes[k], 0.22, 0.4);
    return s;
}

// Low-passed noise under a falling tone: the ship goes over the edge.
Signal leaveRoadCrash()
{
    size_t n = static_cast<size_t>(0.9 * rate);
    Signal s(n, 0.0);
    uint32_t seed = 12345u;
    double low = 0.0, phase = 0.0;
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        double white = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
        low += (white - low) * 0.15;
        double t = static_cast<double>(i) / rate;
        double hz = 420.0 * std::exp(-2.2 * t);
        phase += twoPi * hz / rate;
        double decay = std::exp(-3.0 * t);
        s[i] = envelope(i, n, 0.003, 0.1) * decay * (0.9 * low + 0.45 * std::sin(phase));
    }
    return s;
}

Signal menuMove()
{
    Signal s;
    addTone(s, 0.0, 0.045, 1200.0, 0.35, 0.03);
    return s;
}

Signal menuSelect()
{
    Signal s;
    addTone(s, 0.0, 0.06, 660.0, 0.45, 0.02);
    addTone(s, 0.05, 0.09, 990.0, 0.45, 0.05);
    return s;
}

// 200 samples a period (110.25 Hz), 20 periods: the loop ends exactly where
// it began, so it repeats without a click at any playback rate. Harmonics
// falling off as 1/k keep the fundamental the strongest; a slow swell over
// four periods gives the note some grit.
Signal engineLoop()
{
    const size_t period = 200, periods = 20;
    Signal s(period * periods, 0.0);
    for (size_t i = 0; i < s.size(); ++i) {
        double x = twoPi * static_cast<double>(i) / period;
        double v = 0.0;
        for (int k = 1; k <= 14; ++k) {
            double weight = (k % 2 == 1 ? 1.0 : 0.6) / k;
            v += weight * std::sin(k * x + 0.3 * k * k);
        }
        double swell = 1.0 + 0.12 * std::sin(x / 4.0);
        s[i] = 0.42 * swell * v;
    }
    return s;
}

bool writeSound(const std::string& folder, const char* name, const Signal& s)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    std::string bytes = wavBytes(toWav(s));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

bool writeSounds(const std::string& root)
{
    std::string folder = root + "/sounds";
    if (!makeDirectories(folder))
        return false;
    const std::pair<SoundCue, Signal> cues[] = {
        {SoundCue::countdownBeep, countdownBeep()}, {SoundCue::startTone, startTone()},
        {SoundCue::lap, lapChime()},                {SoundCue::finish, finishFanfare()},
        {SoundCue::leaveRoad, leaveRoadCrash()},    {SoundCue::menuMove, menuMove()},
        {SoundCue::menuSelect, menuSelect()}};
    for (const auto& [cue, signal] : cues) {
        if (!writeSound(folder, soundCueFile(cue), signal))
            return false;
    }
    return writeSound(folder, engineLoopFile(), engineLoop());
}
