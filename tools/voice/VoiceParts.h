#pragma once

// The pieces the synthesiser is built from. Internal to the voice library.

#include "voice/VoiceSynth.h"

#include <cstdint>
#include <vector>

namespace voice::detail {

// xorshift64* seeded through splitmix64: the same numbers on every platform
// and compiler, unlike the distributions of <random>.
class CRandom {
public:
    explicit CRandom(uint64_t seed);
    uint64_t NextBits();
    double Uniform();   // in [-1, 1)

private:
    uint64_t m_nState;
};

// A slowly wandering value in [-1, 1]: random knots a fixed time apart,
// joined by half-cosine segments so it has no corners.
class CSlowWobble {
public:
    CSlowWobble(uint64_t seed, double knotSeconds, double sampleRate);
    double Next();

private:
    CRandom m_Random;
    double m_dStep;      // knot intervals per sample
    double m_dPosition;  // within the current interval, 0..1
    double m_dFrom;
    double m_dTo;
};

// Glottal flow of one period, phase in [0, 1): a Rosenberg-style pulse that
// opens over the first 45 % and closes, more steeply, over the next 20 %.
double GlottalFlow(double phase);

// The flow's time derivative (which is what the lips radiate), as harmonic
// amplitudes: derivative(phase) = sum over n of cosine[n] cos(2 pi n phase)
// + sine[n] sin(2 pi n phase), scaled so the closing edge reaches -1.
struct PulseSpectrum {
    std::vector<double> cosine;   // index 0 unused
    std::vector<double> sine;
};
const PulseSpectrum& GlottalPulseSpectrum();

// The excitation: pulse train plus breath, with jitter and shimmer applied
// once per glottal period.
class CGlottalSource {
public:
    CGlottalSource(const VoiceOptions& options);
    double Next(double hz, double amplitude);
    void SkipSample(double hz);   // advance through silence cheaply

private:
    double PulseAt(double phase, double hz) const;
    void StartPeriod();

    const PulseSpectrum& m_Spectrum;
    double m_dSampleRate;
    double m_dJitter;
    double m_dShimmer;
    double m_dBreath;
    CRandom m_PeriodRandom;
    CRandom m_NoiseRandom;
    double m_dPhase = 0.0;
    double m_dPeriodRatio = 1.0;   // jitter of the current period
    double m_dPeriodGain = 1.0;    // shimmer of the current period
    double m_dLastNoise = 0.0;
};

// Cascade of two-pole resonators, each with unity gain at DC, so the
// relative formant levels come out the way a vocal tract gives them.
class CFormantFilter {
public:
    CFormantFilter(const VoiceOptions& options);
    double Process(double x);
    void Reset();

private:
    void AddResonator(double hz, double bandwidth, double sampleRate, double ceiling);

    struct Resonator {
        double a, b, c;
        double y1 = 0.0, y2 = 0.0;
    };
    std::vector<Resonator> m_vResonators;
};

// Sings the pitch in hz[i] at loudness amplitude[i] (0 = silent), then
// scales the result so its peak is options.level.
std::vector<float> RenderVoice(const std::vector<double>& hz, const std::vector<double>& amplitude,
                               const VoiceOptions& options);

// Throws std::invalid_argument for options no voice can be made from.
void ValidateOptions(const VoiceOptions& options);

// Distinct generator streams derived from the one user seed.
enum class Stream : uint64_t { Period = 1, Noise = 2, VibratoRate = 3, VibratoDepth = 4 };
uint64_t StreamSeed(uint32_t seed, Stream stream);

}  // namespace voice::detail
