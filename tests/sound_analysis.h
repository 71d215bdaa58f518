#pragma once
// Test-only: reading recorded or generated sound and measuring it. Goertzel
// filters give the strength of one frequency in a stretch of samples; a scan
// of them gives the dominant frequency; onsets are where a frequency's
// strength first rises past a threshold.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Raw signed 16-bit little-endian mono samples, as fractions of full scale.
inline std::vector<double> readRawSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int16_t v = static_cast<int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        out[i] = v / 32768.0;
    }
    return out;
}

inline std::vector<double> toFractions(const std::vector<int16_t>& samples)
{
    std::vector<double> out;
    out.reserve(samples.size());
    for (int16_t s : samples)
        out.push_back(s / 32768.0);
    return out;
}

// Amplitude of the hz component of samples [start, start + n): a full-scale
// sine of that frequency gives about 1, under a Hann window 0.5.
inline double toneAmplitude(const std::vector<double>& s, size_t start, size_t n, double hz, double rate,
                            bool hann = false)
{
    if (start >= s.size())
        return 0.0;
    n = std::min(n, s.size() - start);
    const double pi = 3.14159265358979323846;
    double w = 2.0 * pi * hz / rate;
    double coeff = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = 0; i < n; ++i) {
        double x = s[start + i];
        if (hann)
            x *= 0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(i) / static_cast<double>(n));
        double s0 = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(n);
}

// The strongest frequency between lo and hi Hz, scanned in steps of step Hz.
inline double dominantFrequency(const std::vector<double>& s, size_t start, size_t n, double rate, double lo,
                                double hi, double step = 1.0)
{
    double best = lo, bestAmp = -1.0;
    for (double f = lo; f <= hi; f += step) {
        double a = toneAmplitude(s, start, n, f, rate, true);
        if (a > bestAmp) {
            bestAmp = a;
            best = f;
        }
    }
    return best;
}

// Seconds at which the hz component, measured in windows of window samples,
// rises past threshold after being below it.
inline std::vector<double> toneOnsets(const std::vector<double>& s, double hz, double rate, size_t window,
                                      double threshold)
{
    std::vector<double> onsets;
    bool above = false;
    for (size_t i = 0; i + window <= s.size(); i += window) {
        bool now = toneAmplitude(s, i, window, hz, rate) > threshold;
        if (now && !above)
            onsets.push_back(static_cast<double>(i) / rate);
        above = now;
    }
    return onsets;
}

// The best normalised correlation of the template's first n samples with the
// recording at any start between from and to (samples), and where it is.
inline double bestMatch(const std::vector<double>& rec, const std::vector<double>& tmpl, size_t n, size_t from,
                        size_t to, size_t& at)
{
    n = std::min(n, tmpl.size());
    double tt = 0.0;
    for (size_t i = 0; i < n; ++i)
        tt += tmpl[i] * tmpl[i];
    double best = 0.0;
    at = from;
    for (size_t lag = from; lag < to && lag + n <= rec.size(); ++lag) {
        double rt = 0.0, rr = 0.0;
        for (size_t i = 0; i < n; ++i) {
            rt += rec[lag + i] * tmpl[i];
            rr += rec[lag + i] * rec[lag + i];
        }
        double c = (rr > 0.0 && tt > 0.0) ? rt / std::sqrt(rr * tt) : 0.0;
        if (c > best) {
            best = c;
            at = lag;
        }
    }
    return best;
}
