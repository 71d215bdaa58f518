#include "audio/engine_voice.h"

#include <algorithm>
#include <cmath>

// Speed at which the note stops rising, m/s (about 157 mph).
static const double topSpeed = 70.0;
// Time constants of the per-sample smoothing, seconds: long enough to hide
// the 100 Hz steps of the targets, short enough to follow a gear of throttle.
static const double pitchSeconds = 0.06;
static const double gainSeconds = 0.03;
static const double stopSeconds = 0.004;

void engineTargets(double speed, double throttle, double& pitch, double& gain)
{
    double s = std::clamp(speed / topSpeed, 0.0, 1.0);
    double t = std::clamp(throttle, 0.0, 1.0);
    pitch = 0.7 + 2.3 * s + 0.15 * t;
    gain = 0.3 + 0.35 * t + 0.35 * s;
}

void resetEngine(EngineVoice& voice)
{
    voice.position = 0.0;
    engineTargets(0.0, 0.0, voice.targetPitch, voice.targetGain);
    voice.pitch = voice.targetPitch;
    voice.gain = 0.0;
    voice.stopping = false;
}

void mixEngine(EngineVoice& voice, int16_t* out, int frames, int channels, int outRate, double volume)
{
    if (voice.loop.empty() || frames <= 0 || channels <= 0 || outRate <= 0)
        return;
    double pitchStep = 1.0 - std::exp(-1.0 / (pitchSeconds * outRate));
    double gainStep = 1.0 - std::exp(-1.0 / ((voice.stopping ? stopSeconds : gainSeconds) * outRate));
    double targetGain = voice.stopping ? 0.0 : voice.targetGain;
    double length = static_cast<double>(voice.loop.size());
    double rateScale = static_cast<double>(voice.loopRate) / outRate;
    for (int f = 0; f < frames; ++f) {
        voice.pitch += (voice.targetPitch - voice.pitch) * pitchStep;
        voice.gain += (targetGain - voice.gain) * gainStep;
        size_t i = static_cast<size_t>(voice.position);
        size_t next = i + 1 < voice.loop.size() ? i + 1 : 0;
        double frac = voice.position - static_cast<double>(i);
        double sample = voice.loop[i] + (voice.loop[next] - voice.loop[i]) * frac;
        int value = static_cast<int>(std::lround(sample * voice.gain * volume));
        for (int c = 0; c < channels; ++c) {
            int16_t& o = out[f * channels + c];
            o = static_cast<int16_t>(std::clamp(o + value, -32768, 32767));
        }
        voice.position += voice.pitch * rateScale;
        while (voice.position >= length)
            voice.position -= length;
    }
    // Below one part in a million the faded voice is silence; settle it there.
    if (voice.stopping && voice.gain < 1e-6)
        voice.gain = 0.0;
}
