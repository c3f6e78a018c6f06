#pragma once

// Signals, note tables and a pitch analyser for the engine's tests and
// benchmarks, built from musical facts and sharing nothing with the engine.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/PitchEngine.h"

namespace enginetest {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kRate = 44100.0;
constexpr float kThresholdU = 25.0f / 500.0f; // the controller's default Threshold

enum class Shape { Sine, Sawtooth, Pulses, Harmonics };

// Whole-number periods repeat exactly. Pulses are wide raised cosines minus
// their mean; Harmonics are five decaying partials, voice-like.
inline std::vector<float> Tone(Shape shape, double period, double amp, int n)
{
    std::vector<float> v(n);
    const double width = std::max(4.0, std::floor(period * 0.4));
    for (int i = 0; i < n; ++i) {
        const double k = std::fmod(i, period);
        double s = shape == Shape::Sine ? std::sin(kTwoPi * i / period)
            : shape == Shape::Sawtooth  ? 2.0 * k / period - 1.0
            : shape == Shape::Pulses    ? 0.5 * ((k < width ? 1.0 - std::cos(kTwoPi * (k + 0.5) / width) : 0.0) - width / period)
                                        : 0.0;
        for (int h = 1; shape == Shape::Harmonics && h <= 5; ++h)
            s += 0.6 * std::sin(kTwoPi * h * i / period) / h;
        v[i] = static_cast<float>(amp * s);
    }
    return v;
}

// Sawtooth whose period moves linearly from p0 to p1.
inline std::vector<float> Glide(double p0, double p1, double amp, int n, std::vector<double>* periods = nullptr)
{
    std::vector<float> v(n);
    for (double i = 0, phase = 0.0; i < n; ++i) {
        const double p = p0 + (p1 - p0) * i / n;
        if (periods != nullptr)
            periods->push_back(p);
        v[int(i)] = static_cast<float>(amp * (2.0 * phase - 1.0));
        phase = std::fmod(phase + 1.0 / p, 1.0);
    }
    return v;
}

inline std::vector<float> Noise(double amp, int n, unsigned seed = 1234)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-amp, amp);
    std::vector<float> v(n);
    for (auto& s : v)
        s = static_cast<float>(dist(rng));
    return v;
}

// A noise floor 54 dB under a 0.5 tone, as any recording has. Without one a
// whole-number period repeats to the last bit and the octave check compares
// two rounding residues.
inline std::vector<float> WithFloor(std::vector<float> x, unsigned seed = 99)
{
    const auto n = Noise(1e-3, static_cast<int>(x.size()), seed);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] += n[i];
    return x;
}

// Equal-tempered chromatic table: key note period doubled into [173130,
// 346260), targets ascending from the note 11 semitones up to the key note
// (twice that base), integer midpoints as boundaries tiling one octave.
struct NoteTable
{
    std::vector<int> targets, bounds;
};

inline NoteTable ChromaticTable(int key)
{
    double base = kRate / (440.0 * std::pow(2.0, (key - 9) / 12.0));
    while (base < 173130.0)
        base *= 2.0;
    NoteTable t;
    for (int semis = 11; semis >= 0; --semis)
        t.targets.push_back(static_cast<int>(std::lround(2.0 * base * std::pow(2.0, -semis / 12.0))));
    t.bounds.resize(13);
    for (int i = 1; i < 12; ++i)
        t.bounds[i] = (t.targets[i - 1] + t.targets[i]) / 2;
    t.bounds[12] = (t.targets[11] + 2 * t.targets[0]) / 2;
    t.bounds[0] = t.bounds[12] / 2;
    return t;
}

inline double NotePeriod(int midi) { return kRate / (440.0 * std::pow(2.0, (midi - 69) / 12.0)); }

// Period by normalised autocorrelation: the shortest lag whose peak comes
// within 5 % of the best (so multiples lose), refined by a parabola.
inline double MeasurePeriod(const std::vector<float>& x, int from, int len, int minLag, int maxLag)
{
    std::vector<double> r(maxLag + 2);
    for (int lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (int n = from; n < from + len; ++n) {
            xy += double(x.at(n)) * x.at(n + lag);
            xx += double(x[n]) * x[n];
            yy += double(x[n + lag]) * x[n + lag];
        }
        r[lag] = xy / std::sqrt(xx * yy + 1e-300);
    }
    const double best = *std::max_element(r.begin() + minLag, r.begin() + maxLag + 1);
    for (int lag = minLag; lag <= maxLag; ++lag)
        if (r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1] && r[lag] >= best - 0.05 * std::fabs(best))
            return lag + 0.5 * (r[lag - 1] - r[lag + 1]) / (r[lag - 1] - 2.0 * r[lag] + r[lag + 1]);
    return -1.0;
}

inline void SetDefaultThresholds(CPitchEngine& e) { e.SetThresholds(kThresholdU, kThresholdU - 0.5f, kThresholdU * 1.1f); }

// Acceptance would need C > 2E, which no signal has: the engine stays in
// search state and leaves period and ratio wherever a test puts them.
inline void NeverLock(CPitchEngine& e) { e.SetThresholds(0.0f, -2.0f, 0.0f); }

inline void LoadTable(CPitchEngine& e, const NoteTable& t)
{
    e.SetScaleTable(static_cast<short>(t.targets.size()), t.targets.data(), t.bounds.data());
}

inline std::vector<float> ProcessAll(CPitchEngine& e, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    e.Process(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

// Sample by sample from `from`: the index after which the engine first
// reports a lock, or -1.
inline int RunUntilLocked(CPitchEngine& e, const std::vector<float>& in, size_t from = 0)
{
    float out = 0.0f;
    for (size_t i = from; i < in.size(); ++i) {
        e.Process(&in[i], &out, 1);
        if (e.IsSearching() == 0)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace enginetest
