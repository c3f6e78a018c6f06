#pragma once

// Signals and drivers for the engine's tests and benchmarks: tones built
// from their definitions, the chromatic note table, runs sample by sample.

#include <cmath>
#include <random>
#include <vector>

#include "engine/PitchEngine.h"
#include "settings/ScaleSet.h"

namespace enginetest {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kRate = 44100.0;
constexpr float kThresholdU = 25.0f / 500.0f; // the controller's default Threshold

enum class Shape { Sine, Sawtooth, Harmonics }; // Harmonics: five decaying partials

inline std::vector<float> Tone(Shape shape, double period, double amp, int n)
{
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) {
        double s = shape == Shape::Sawtooth ? 2.0 * std::fmod(i, period) / period - 1.0 : 0.0;
        for (int h = 1; h <= (shape == Shape::Harmonics ? 5 : shape == Shape::Sine); ++h)
            s += (shape == Shape::Sine ? 1.0 : 0.6 / h) * std::sin(kTwoPi * h * i / period);
        v[i] = static_cast<float>(amp * s);
    }
    return v;
}

// Sawtooth whose period moves linearly from p0 to p1.
inline std::vector<float> Glide(double p0, double p1, double amp, int n)
{
    std::vector<float> v(n);
    for (double i = 0, phase = 0.0; i < n; phase = std::fmod(phase + 1.0 / (p0 + (p1 - p0) * i / n), 1.0), ++i)
        v[int(i)] = static_cast<float>(amp * (2.0 * phase - 1.0));
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

inline std::vector<float> Concat(std::vector<float> a, const std::vector<float>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct NoteTable
{
    std::vector<int> targets, bounds;
};

// Twelve equal-tempered notes on the key at 44.1 kHz (the scale set's own
// tests pin its numbers).
inline NoteTable ChromaticTable(int key)
{
    CScaleSet set;
    set.SetScale(2);
    short n = 0;
    const int *targets = nullptr, *bounds = nullptr;
    set.ComputeTargets(static_cast<short>(key), kRate, &n, &targets, &bounds);
    return {std::vector<int>(targets, targets + n), std::vector<int>(bounds, bounds + n + 1)};
}

inline double NotePeriod(int midi) { return kRate / (440.0 * std::pow(2.0, (midi - 69) / 12.0)); }

// The controller's defaults, a note table, and a run over all of a signal.
inline void Prepare(CPitchEngine& e, bool withTable = true)
{
    e.SetThresholds(kThresholdU, kThresholdU - 0.5f, kThresholdU * 1.1f);
    if (withTable) {
        const NoteTable t = ChromaticTable(0);
        e.SetScaleTable(static_cast<short>(t.targets.size()), t.targets.data(), t.bounds.data());
    }
}

// Acceptance would need C > 2E, which no signal has: the engine stays in
// search state and leaves period and ratio wherever a test puts them.
inline void NeverLock(CPitchEngine& e) { e.SetThresholds(0.0f, -2.0f, 0.0f); }

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
    for (float out = 0.0f; from < in.size(); ++from) {
        e.Process(&in[from], &out, 1);
        if (e.IsSearching() == 0)
            return static_cast<int>(from);
    }
    return -1;
}

} // namespace enginetest
