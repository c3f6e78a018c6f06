#include "voice/VoiceParts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace voice::detail {

namespace {

constexpr double kOpening = 0.45;   // fraction of the period the folds take to open
constexpr double kClosing = 0.20;   // and to snap shut again

constexpr int kMaxHarmonics = 1024;
constexpr int kGridSize = 16384;    // points per period when measuring the harmonics

// Above this the voice carries nothing worth the work; below Nyquist the
// harmonics fade out over the top band so none switches on or off abruptly.
constexpr double kTopHz = 20000.0;
constexpr double kTopOfNyquist = 0.45;
constexpr double kFadeStart = 0.85;

PulseSpectrum MeasurePulseSpectrum()
{
    constexpr double twoPi = 2.0 * std::numbers::pi;
    std::vector<double> cosTable(kGridSize);
    std::vector<double> sinTable(kGridSize);
    for (int k = 0; k < kGridSize; ++k) {
        cosTable[k] = std::cos(twoPi * k / kGridSize);
        sinTable[k] = std::sin(twoPi * k / kGridSize);
    }
    // The flow is zero for the closed part of the period; only the open part
    // contributes to the sums.
    const int openPoints = static_cast<int>(std::ceil((kOpening + kClosing) * kGridSize)) + 1;
    std::vector<double> flow(openPoints);
    for (int k = 0; k < openPoints; ++k)
        flow[k] = GlottalFlow(static_cast<double>(k) / kGridSize);

    // Scale so the steepest point of the derivative, the closing edge, is -1.
    const double derivativePeak = std::numbers::pi / (2.0 * kClosing);

    PulseSpectrum spectrum;
    spectrum.cosine.assign(kMaxHarmonics + 1, 0.0);
    spectrum.sine.assign(kMaxHarmonics + 1, 0.0);
    for (int n = 1; n <= kMaxHarmonics; ++n) {
        double alpha = 0.0;   // flow's cosine part
        double beta = 0.0;    // flow's sine part
        for (int k = 0; k < openPoints; ++k) {
            const int index = static_cast<int>((static_cast<int64_t>(n) * k) & (kGridSize - 1));
            alpha += flow[k] * cosTable[index];
            beta += flow[k] * sinTable[index];
        }
        alpha *= 2.0 / kGridSize;
        beta *= 2.0 / kGridSize;
        // d/dphase of (alpha cos + beta sin)(2 pi n phase)
        spectrum.cosine[n] = twoPi * n * beta / derivativePeak;
        spectrum.sine[n] = -twoPi * n * alpha / derivativePeak;
    }
    return spectrum;
}

}  // namespace

double GlottalFlow(double phase)
{
    if (phase < 0.0)
        return 0.0;
    if (phase < kOpening)
        return 0.5 - 0.5 * std::cos(std::numbers::pi * phase / kOpening);
    if (phase < kOpening + kClosing)
        return std::cos(0.5 * std::numbers::pi * (phase - kOpening) / kClosing);
    return 0.0;
}

const PulseSpectrum& GlottalPulseSpectrum()
{
    static const PulseSpectrum spectrum = MeasurePulseSpectrum();
    return spectrum;
}

CGlottalSource::CGlottalSource(const VoiceOptions& options)
    : m_Spectrum(GlottalPulseSpectrum()),
      m_dSampleRate(options.sampleRate),
      m_dJitter(options.jitter),
      m_dShimmer(options.shimmer),
      m_dBreath(options.breath),
      m_PeriodRandom(StreamSeed(options.seed, Stream::Period)),
      m_NoiseRandom(StreamSeed(options.seed, Stream::Noise))
{
    StartPeriod();
}

void CGlottalSource::StartPeriod()
{
    m_dPeriodRatio = 1.0 + m_dJitter * m_PeriodRandom.Uniform();
    m_dPeriodGain = 1.0 + m_dShimmer * m_PeriodRandom.Uniform();
}

double CGlottalSource::PulseAt(double phase, double hz) const
{
    const double top = std::min(kTopHz, kTopOfNyquist * m_dSampleRate);
    const double fadeFrom = kFadeStart * top;
    const int highest = std::min(kMaxHarmonics, static_cast<int>(top / hz));
    const int unfaded = std::min(highest, static_cast<int>(fadeFrom / hz));

    const double theta = 2.0 * std::numbers::pi * phase;
    const double c1 = std::cos(theta);
    const double s1 = std::sin(theta);
    const double* cosine = m_Spectrum.cosine.data();
    const double* sine = m_Spectrum.sine.data();

    // cos(n theta) and sin(n theta) by rotation: one complex multiply per
    // harmonic instead of two library calls.
    double c = c1;
    double s = s1;
    double sum = 0.0;
    int n = 1;
    for (; n <= unfaded; ++n) {
        sum += cosine[n] * c + sine[n] * s;
        const double nextC = c * c1 - s * s1;
        s = s * c1 + c * s1;
        c = nextC;
    }
    for (; n <= highest; ++n) {
        const double x = (top - n * hz) / (top - fadeFrom);
        const double weight = x * x * (3.0 - 2.0 * x);
        sum += weight * (cosine[n] * c + sine[n] * s);
        const double nextC = c * c1 - s * s1;
        s = s * c1 + c * s1;
        c = nextC;
    }
    return sum;
}

double CGlottalSource::Next(double hz, double amplitude)
{
    const double frequency = hz * m_dPeriodRatio;
    const double pulse = PulseAt(m_dPhase, frequency);

    // Breath is hiss rather than rumble, and it gusts while the folds are open.
    const double white = m_NoiseRandom.Uniform();
    const double hiss = white - m_dLastNoise;
    m_dLastNoise = white;
    const double breath = m_dBreath * hiss * (0.25 + GlottalFlow(m_dPhase));

    const double out = amplitude * m_dPeriodGain * (pulse + breath);
    SkipSample(hz);
    return out;
}

void CGlottalSource::SkipSample(double hz)
{
    m_dPhase += hz * m_dPeriodRatio / m_dSampleRate;
    if (m_dPhase >= 1.0) {
        m_dPhase -= std::floor(m_dPhase);
        StartPeriod();
    }
}

}  // namespace voice::detail
