#include "job/PitchRange.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "host/SampleConversion.h"
#include "job/TextFormat.h"

namespace job {

namespace {

// The longest period the detector follows, measured with steady voiced
// tones at rates from 22.05 to 192 kHz.
constexpr double kLongestPeriod = 860.0;
// The analysis runs near this rate, at which 20 Hz is a lag of 551.
constexpr int kAnalysisRate = 11025;
constexpr size_t kFrame = 1024;
constexpr double kLowestHz = 20.0;
// A frame counts as voiced when it is this loud (RMS) and its best lag
// repeats it this closely (normalised autocorrelation).
constexpr double kVoicedRms = 0.01;
constexpr double kVoicedCorrelation = 0.6;
// Fewer voiced frames than this (about a second) say nothing.
constexpr int kMinVoiced = 10;

inline float Finite(float x)
{
    return (std::bit_cast<uint32_t>(x) & 0x7F800000u) != 0x7F800000u ? x : 0.0f;
}

inline float Finite(int16_t x)
{
    return Pcm16ToFloat(x);
}

// Runs of doubles at any double's address, taken as one vector.
using Double2 = double __attribute__((vector_size(16), aligned(alignof(double)), may_alias));
using Double4 = double __attribute__((vector_size(32), aligned(alignof(double)), may_alias));

// For each lag in [nFrom, nTo): the sum over i < nSpan of f[i] f[i + lag]
// and of g[i + lag]. Every sum runs over i in order in its own accumulator,
// so the lanes below add exactly what one lag at a time would. Four vectors
// of lags at a time keep enough additions in flight.
template <class V>
[[gnu::always_inline]] inline void AccumulateLags(const double* f, const double* g, size_t nSpan, size_t nFrom,
                                                  size_t nTo, double* pProducts, double* pEnergies)
{
    constexpr size_t kLanes = sizeof(V) / sizeof(double);
    auto load = [](const double* p) -> const V& { return *reinterpret_cast<const V*>(p); };
    auto store = [](double* p) -> V& { return *reinterpret_cast<V*>(p); };
    size_t lag = nFrom;
    for (; lag + 4 * kLanes <= nTo; lag += 4 * kLanes) {
        V xy0 = {}, xy1 = {}, xy2 = {}, xy3 = {};
        V yy0 = {}, yy1 = {}, yy2 = {}, yy3 = {};
        const double* later = f + lag;
        const double* energy = g + lag;
        for (size_t i = 0; i < nSpan; ++i) {
            const V x = V{} + f[i];
            xy0 = xy0 + x * load(later + i);
            xy1 = xy1 + x * load(later + i + kLanes);
            xy2 = xy2 + x * load(later + i + 2 * kLanes);
            xy3 = xy3 + x * load(later + i + 3 * kLanes);
            yy0 = yy0 + load(energy + i);
            yy1 = yy1 + load(energy + i + kLanes);
            yy2 = yy2 + load(energy + i + 2 * kLanes);
            yy3 = yy3 + load(energy + i + 3 * kLanes);
        }
        store(pProducts + lag) = xy0;
        store(pProducts + lag + kLanes) = xy1;
        store(pProducts + lag + 2 * kLanes) = xy2;
        store(pProducts + lag + 3 * kLanes) = xy3;
        store(pEnergies + lag) = yy0;
        store(pEnergies + lag + kLanes) = yy1;
        store(pEnergies + lag + 2 * kLanes) = yy2;
        store(pEnergies + lag + 3 * kLanes) = yy3;
    }
    for (; lag < nTo; ++lag) {
        double xy = 0.0;
        double yy = 0.0;
        for (size_t i = 0; i < nSpan; ++i) {
            xy += f[i] * f[i + lag];
            yy += g[i + lag];
        }
        pProducts[lag] = xy;
        pEnergies[lag] = yy;
    }
}


#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void AccumulateLagsWide(const double* f, const double* g, size_t nSpan, size_t nFrom,
                                                        size_t nTo, double* pProducts, double* pEnergies)
{
    AccumulateLags<Double4>(f, g, nSpan, nFrom, nTo, pProducts, pEnergies);
}

bool HasWideVectors()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#endif

void AccumulateAllLags(const double* f, const double* g, size_t nSpan, size_t nFrom, size_t nTo, double* pProducts,
                       double* pEnergies)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool wide = HasWideVectors();
    if (wide) {
        AccumulateLagsWide(f, g, nSpan, nFrom, nTo, pProducts, pEnergies);
        return;
    }
#endif
    AccumulateLags<Double2>(f, g, nSpan, nFrom, nTo, pProducts, pEnergies);
}

} // namespace

double LowestCorrectedHz(int sampleRate)
{
    return sampleRate / kLongestPeriod;
}

CLowPitchCheck::CLowPitchCheck(int sampleRate)
    : m_nRate(sampleRate), m_nDecimation(std::max(1, sampleRate / kAnalysisRate)), m_Frame(kFrame),
      m_Samples(kFrame), m_Squares(kFrame), m_Products(kFrame / 2 + 1), m_LagEnergy(kFrame / 2 + 1),
      m_Corr(kFrame / 2 + 1)
{
}

void CLowPitchCheck::Add(const float* pMono, int nFrames)
{
    AddSamples(pMono, nFrames);
}

void CLowPitchCheck::Add(const int16_t* pMono, int nFrames)
{
    AddSamples(pMono, nFrames);
}

// Averaging groups of samples is a crude low-pass, enough for the
// fundamental of a voice.
template <class Sample>
void CLowPitchCheck::AddSamples(const Sample* pMono, int nFrames)
{
    const int group = m_nDecimation;
    int i = 0;
    while (i < nFrames) {
        // Whole groups straight from the block; the sum of a group left
        // unfinished by the block before goes on where it stopped.
        const int take = std::min(nFrames - i, group - m_nSummed);
        float sum = m_fSum;
        for (int k = 0; k < take; ++k)
            sum += Finite(pMono[i + k]);
        i += take;
        m_nSummed += take;
        if (m_nSummed < group) {
            m_fSum = sum;
            break;
        }
        m_Frame[m_nFilled++] = sum / static_cast<float>(group);
        m_fSum = 0.0f;
        m_nSummed = 0;
        if (m_nFilled == kFrame) {
            AnalyseFrame();
            m_nFilled = 0;
        }
    }
}

void CLowPitchCheck::AnalyseFrame()
{
    const double rate = static_cast<double>(m_nRate) / m_nDecimation;
    const size_t maxLag = std::min(kFrame / 2, static_cast<size_t>(rate / kLowestHz));
    const size_t minLag = std::max<size_t>(2, static_cast<size_t>(rate / 1000.0));
    const size_t span = kFrame - maxLag;
    double energy = 0.0;
    for (size_t i = 0; i < kFrame; ++i)
        energy += static_cast<double>(m_Frame[i]) * m_Frame[i];
    if (std::sqrt(energy / kFrame) < kVoicedRms)
        return;
    // The shortest lag within 10 % of the best correlation, so that a
    // multiple of the period does not win. Products of two floats are exact
    // in double, so squaring ahead changes no term of the sums.
    double* f = m_Samples.data();
    double* g = m_Squares.data();
    for (size_t i = 0; i < kFrame; ++i) {
        f[i] = m_Frame[i];
        g[i] = f[i] * f[i];
    }
    double xx = 0.0; // the earlier part's energy, the same for every lag
    for (size_t i = 0; i < span; ++i)
        xx += g[i];
    AccumulateAllLags(f, g, span, minLag, maxLag + 1, m_Products.data(), m_LagEnergy.data());
    std::vector<double>& corr = m_Corr;
    double best = 0.0;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        corr[lag] = m_Products[lag] / std::sqrt(xx * m_LagEnergy[lag] + 1e-30);
        best = std::max(best, corr[lag]);
    }
    if (best < kVoicedCorrelation)
        return;
    size_t lag = minLag;
    while (lag < maxLag && !(corr[lag] >= 0.9 * best && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1]))
        ++lag;
    ++m_nVoiced;
    if (rate / static_cast<double>(lag) < LowestCorrectedHz(m_nRate))
        ++m_nBelow;
}

std::string CLowPitchCheck::Warning() const
{
    if (m_nVoiced < kMinVoiced || m_nBelow * 2 <= m_nVoiced)
        return {};
    return Printf("most of the voice lies below %.0f Hz, the lowest pitch corrected at %d Hz; "
                  "those notes pass through uncorrected",
                  LowestCorrectedHz(m_nRate), m_nRate);
}

} // namespace job
