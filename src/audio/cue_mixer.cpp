#include "audio/cue_mixer.h"

#include <algorithm>
#include <cmath>

void scheduleCue(CueMixer& mixer, const std::vector<int16_t>* samples, int32_t rate, uint64_t startFrame)
{
    if (!samples || samples->empty() || rate <= 0)
        return;
    if (mixer.voices.size() >= maxCueVoices)
        mixer.voices.erase(mixer.voices.begin());
    CueVoice v;
    v.samples = samples;
    v.rate = rate;
    v.startFrame = std::max(startFrame, mixer.frame);
    mixer.voices.push_back(v);
}

void clearCues(CueMixer& mixer) { mixer.voices.clear(); }

void mixCues(CueMixer& mixer, int16_t* out, int frames, int channels, int outRate, double volume)
{
    if (frames <= 0 || channels <= 0 || outRate <= 0)
        return;
    const uint64_t end = mixer.frame + static_cast<uint64_t>(frames);
    for (CueVoice& v : mixer.voices) {
        if (v.startFrame >= end)
            continue;
        const std::vector<int16_t>& s = *v.samples;
        const double step = static_cast<double>(v.rate) / outRate;
        int first = v.startFrame > mixer.frame ? static_cast<int>(v.startFrame - mixer.frame) : 0;
        for (int f = first; f < frames && v.position < static_cast<double>(s.size()); ++f) {
            size_t i = static_cast<size_t>(v.position);
            double frac = v.position - static_cast<double>(i);
            double next = i + 1 < s.size() ? s[i + 1] : 0.0;
            double sample = s[i] + (next - s[i]) * frac;
            int value = static_cast<int>(std::lround(sample * volume));
            for (int c = 0; c < channels; ++c) {
                int16_t& o = out[f * channels + c];
                o = static_cast<int16_t>(std::clamp(o + value, -32768, 32767));
            }
            v.position += step;
        }
    }
    mixer.voices.erase(std::remove_if(mixer.voices.begin(), mixer.voices.end(),
                                      [](const CueVoice& v) { return v.position >= static_cast<double>(v.samples->size()); }),
                       mixer.voices.end());
    mixer.frame = end;
}
