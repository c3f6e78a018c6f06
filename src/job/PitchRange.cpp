#include "job/PitchRange.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Runs of floats at any float's address, taken as one vector.
using Float4 = float __attribute__((vector_size(16), aligned(alignof(float)), may_alias));
using Float8 = float __attribute__((vector_size(32), aligned(alignof(float)), may_alias));

// For each lag in [nFrom, nTo): the sum over i < nSpan of x[i] x[i + lag],
// in float. Only an estimate, with a known bound on its error: the products
// and the sums are rounded to float, in whatever order is fastest.
template <class V>
[[gnu::always_inline]] inline void EstimateLags(const float* x, size_t nSpan, size_t nFrom, size_t nTo, float* pOut)
{
    constexpr size_t kLanes = sizeof(V) / sizeof(float);
    auto load = [](const float* p) -> const V& { return *reinterpret_cast<const V*>(p); };
    auto store = [](float* p) -> V& { return *reinterpret_cast<V*>(p); };
    size_t lag = nFrom;
    for (; lag + 8 * kLanes <= nTo; lag += 8 * kLanes) {
        V s0 = {}, s1 = {}, s2 = {}, s3 = {}, s4 = {}, s5 = {}, s6 = {}, s7 = {};
        const float* later = x + lag;
        for (size_t i = 0; i < nSpan; ++i) {
            const V v = V{} + x[i];
            const float* p = later + i;
            s0 = s0 + v * load(p);
            s1 = s1 + v * load(p + kLanes);
            s2 = s2 + v * load(p + 2 * kLanes);
            s3 = s3 + v * load(p + 3 * kLanes);
            s4 = s4 + v * load(p + 4 * kLanes);
            s5 = s5 + v * load(p + 5 * kLanes);
            s6 = s6 + v * load(p + 6 * kLanes);
            s7 = s7 + v * load(p + 7 * kLanes);
        }
        store(pOut + lag) = s0;
        store(pOut + lag + kLanes) = s1;
        store(pOut + lag + 2 * kLanes) = s2;
        store(pOut + lag + 3 * kLanes) = s3;
        store(pOut + lag + 4 * kLanes) = s4;
        store(pOut + lag + 5 * kLanes) = s5;
        store(pOut + lag + 6 * kLanes) = s6;
        store(pOut + lag + 7 * kLanes) = s7;
    }
    for (; lag + kLanes <= nTo; lag += kLanes) {
        V sum = {};
        for (size_t i = 0; i < nSpan; ++i)
            sum = sum + (V{} + x[i]) * load(x + lag + i);
        store(pOut + lag) = sum;
    }
    for (; lag < nTo; ++lag) {
        float sum = 0.0f;
        for (size_t i = 0; i < nSpan; ++i)
            sum += x[i] * x[i + lag];
        pOut[lag] = sum;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void EstimateLagsWide(const float* x, size_t nSpan, size_t nFrom, size_t nTo,
                                                      float* pOut)
{
    EstimateLags<Float8>(x, nSpan, nFrom, nTo, pOut);
}
#endif

void EstimateAllLags(const float* x, size_t nSpan, size_t nFrom, size_t nTo, float* pOut)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool wide = HasWideVectors();
    if (wide) {
        EstimateLagsWide(x, nSpan, nFrom, nTo, pOut);
        return;
    }
#endif
    EstimateLags<Float4>(x, nSpan, nFrom, nTo, pOut);
}

// The float estimate of a product sum of n terms lies within
// (n + 1) 2^-24 / (1 - n 2^-24) of the sum of the terms' magnitudes, which
// (Cauchy-Schwarz) is at most the square root of the two energies; the
// double sums the analysis defines lie far closer still. Three times that,
// for a frame of 1024, is comfortably below this.
constexpr double kEstimateError = 1e-4;
// Samples above this could overflow a float product sum.
constexpr double kLargestEstimated = 1e17;
// No normalised correlation the analysis computes exceeds this: 1 by
// Cauchy-Schwarz, plus the rounding of sums in double (far below 1e-9).
constexpr double kHighestCorrelation = 1.0 + 1e-9;
// Lags estimated at a time while scanning a frame.
constexpr size_t kLagBlock = 64;

} // namespace

double LowestCorrectedHz(int sampleRate)
{
    return sampleRate / kLongestPeriod;
}

CLowPitchCheck::CLowPitchCheck(int sampleRate)
    : m_nRate(sampleRate), m_nDecimation(std::max(1, sampleRate / kAnalysisRate)), m_Frame(kFrame),
      m_Samples(kFrame), m_Squares(kFrame), m_Prefix(kFrame + 1), m_Products(kFrame / 2 + 1),
      m_LagEnergy(kFrame / 2 + 1), m_Estimate(kFrame / 2 + 1), m_Near(kFrame / 2 + 1), m_Margin(kFrame / 2 + 1),
      m_Corr(kFrame / 2 + 1), m_Known(kFrame / 2 + 1)
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
    // Four whole groups at a time while the frame has room: four separate
    // sums, each added in its own order, so they do not wait on each other.
    while (m_nSummed == 0 && nFrames - i >= 4 * group && kFrame - m_nFilled >= 4) {
        float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
        const Sample* p = pMono + i;
        for (int k = 0; k < group; ++k) {
            s0 += Finite(p[k]);
            s1 += Finite(p[group + k]);
            s2 += Finite(p[2 * group + k]);
            s3 += Finite(p[3 * group + k]);
        }
        i += 4 * group;
        float* out = &m_Frame[m_nFilled];
        out[0] = s0 / static_cast<float>(group);
        out[1] = s1 / static_cast<float>(group);
        out[2] = s2 / static_cast<float>(group);
        out[3] = s3 / static_cast<float>(group);
        m_nFilled += 4;
        if (m_nFilled == kFrame) {
            AnalyseFrame();
            m_nFilled = 0;
        }
    }
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

// Exactly the sums the analysis is defined by, in their order, several lags
// side by side.
void CLowPitchCheck::ComputeExactly(const size_t* pLags, size_t nCount, size_t nSpan, double dEarlierEnergy)
{
    const double* f = m_Samples.data();
    const double* g = m_Squares.data();
    size_t lags[4];
    size_t n = 0;
    auto flush = [&] {
        double xy[4] = {};
        double yy[4] = {};
        for (size_t i = 0; i < nSpan; ++i) {
            for (size_t k = 0; k < n; ++k) {
                xy[k] += f[i] * f[i + lags[k]];
                yy[k] += g[i + lags[k]];
            }
        }
        for (size_t k = 0; k < n; ++k) {
            m_Corr[lags[k]] = xy[k] / std::sqrt(dEarlierEnergy * yy[k] + 1e-30);
            m_Known[lags[k]] = 1;
        }
        n = 0;
    };
    for (size_t j = 0; j < nCount; ++j) {
        if (m_Known[pLags[j]] != 0 || std::find(lags, lags + n, pLags[j]) != lags + n)
            continue;
        lags[n++] = pLags[j];
        if (n == 4)
            flush();
    }
    if (n > 0)
        flush();
}

// Estimates and bounds for the lags [nFrom, nTo): the float product sum
// over the later part's energy from the running sums, and how far that can
// be from the correlation the analysis defines.
void CLowPitchCheck::BoundLags(size_t nFrom, size_t nTo, size_t nSpan, double dEarlierEnergy, double dEnergy)
{
    EstimateAllLags(m_Frame.data(), nSpan, nFrom, nTo, m_Estimate.data());
    const float* __restrict estimate = m_Estimate.data();
    double* __restrict near = m_Near.data();
    double* __restrict margin = m_Margin.data();
    const double* __restrict sums = m_Prefix.data();
    const double xx = dEarlierEnergy;
    size_t lag = nFrom;
#if defined(__SSE2__)
    // Two lags at a time (a square root that sets no error code).
    for (; lag + 2 <= nTo; lag += 2) {
        const __m128d later = _mm_sub_pd(_mm_loadu_pd(sums + lag + nSpan), _mm_loadu_pd(sums + lag));
        const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), later);
        const __m128d laterError =
            _mm_add_pd(_mm_set1_pd(2.5e-13 * dEnergy), _mm_mul_pd(_mm_set1_pd(2.5e-13), magnitude));
        const __m128d relative = _mm_div_pd(laterError, _mm_sub_pd(later, laterError));
        const __m128d denominator =
            _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(_mm_set1_pd(xx), later), _mm_set1_pd(1e-30)));
        const __m128d estimated =
            _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(estimate + lag))));
        _mm_storeu_pd(near + lag, _mm_div_pd(estimated, denominator));
        _mm_storeu_pd(margin + lag,
                      _mm_add_pd(_mm_add_pd(_mm_set1_pd(kEstimateError), _mm_mul_pd(_mm_set1_pd(3.0), relative)),
                                 _mm_div_pd(_mm_set1_pd(1e-40), denominator)));
    }
#endif
    for (; lag < nTo; ++lag) {
        const double later = sums[lag + nSpan] - sums[lag];
        const double laterError = 2.5e-13 * dEnergy + 2.5e-13 * std::fabs(later);
        const double relative = laterError / (later - laterError);
        const double denominator = std::sqrt(xx * later + 1e-30);
        near[lag] = static_cast<double>(estimate[lag]) / denominator;
        margin[lag] = kEstimateError + 3.0 * relative + 1e-40 / denominator;
    }
    // Where the running sums say too little about the later part, the lag
    // has no useful bound and is always worked out.
    for (lag = nFrom; lag < nTo; ++lag) {
        const double later = sums[lag + nSpan] - sums[lag];
        if (!(later > 0.0 && 2.5e-13 * dEnergy + 2.5e-13 * std::fabs(later) < 0.01 * later)) {
            near[lag] = 0.0;
            margin[lag] = HUGE_VAL;
        }
    }
}

void CLowPitchCheck::AnalyseFrame()
{
    const double rate = static_cast<double>(m_nRate) / m_nDecimation;
    const size_t maxLag = std::min(kFrame / 2, static_cast<size_t>(rate / kLowestHz));
    const size_t minLag = std::max<size_t>(2, static_cast<size_t>(rate / 1000.0));
    const size_t span = kFrame - maxLag;
    // Products of two floats are exact in double, so squaring ahead changes
    // no term of the sums. The running sums of the squares, in order, give
    // the frame's energy and the earlier part's (the same for every lag) as
    // the analysis defines them.
    double* f = m_Samples.data();
    double* g = m_Squares.data();
    double* prefix = m_Prefix.data();
    double largest = 0.0;
    double running = 0.0;
    prefix[0] = 0.0;
    for (size_t i = 0; i < kFrame; ++i) {
        f[i] = m_Frame[i];
        g[i] = f[i] * f[i];
        running += g[i];
        prefix[i + 1] = running;
        largest = std::max(largest, std::fabs(f[i]));
    }
    const double energy = prefix[kFrame];
    if (std::sqrt(energy / kFrame) < kVoicedRms)
        return;
    const double xx = prefix[span];

    // Each lag's normalised correlation is defined by sums in double in a
    // fixed order. Worked out for every lag that costs more than all the
    // rest of the tool, so lags get an estimate with a bound on its error
    // (m_Near, m_Margin), and only the lags the outcome could turn on are
    // worked out exactly.
    std::fill(m_Known.begin(), m_Known.end(), 0);
    const bool estimable = std::isfinite(energy) && largest < kLargestEstimated;
    size_t bounded = minLag; // lags below this have their estimate and bound
    double seen = 0.0;       // the best correlation is at least this
    auto boundUpTo = [&](size_t end) {
        end = std::min(end, maxLag + 1);
        if (end <= bounded)
            return;
        BoundLags(bounded, end, span, xx, energy);
        for (size_t lag = bounded; lag < end; ++lag)
            seen = std::max(seen, m_Near[lag] - m_Margin[lag]);
        bounded = end;
    };
    if (!estimable) {
        // Out of the estimate's range: every lag exactly, as defined.
        AccumulateAllLags(f, g, span, minLag, maxLag + 1, m_Products.data(), m_LagEnergy.data());
        for (size_t lag = minLag; lag <= maxLag; ++lag) {
            m_Corr[lag] = m_Products[lag] / std::sqrt(xx * m_LagEnergy[lag] + 1e-30);
            m_Known[lag] = 1;
            m_Near[lag] = m_Corr[lag];
            m_Margin[lag] = 0.0;
        }
        bounded = maxLag + 1;
    }
    auto lower = [&](size_t lag) { return lag < minLag ? 0.0 : m_Near[lag] - m_Margin[lag]; };
    // The correlation at lag when it is a local maximum not below the
    // threshold (what makes it the lag a scan stops at), else -infinity.
    // Lags the bounds rule out need no exact value.
    auto peak = [&](size_t lag, double threshold) {
        const double upper = m_Near[lag] + m_Margin[lag];
        if (upper < threshold || upper < lower(lag - 1) || upper < lower(lag + 1))
            return -HUGE_VAL;
        const size_t around[3] = {lag - 1, lag, lag + 1};
        ComputeExactly(lag - 1 < minLag ? around + 1 : around, lag - 1 < minLag ? 2 : 3, span, xx);
        const double before = lag - 1 < minLag ? 0.0 : m_Corr[lag - 1];
        const double here = m_Corr[lag];
        seen = std::max({seen, before, here, m_Corr[lag + 1]});
        return here >= threshold && here >= before && here >= m_Corr[lag + 1] ? here : -HUGE_VAL;
    };

    // Most voiced frames repeat clearly. No correlation exceeds 1 by more
    // than rounding (Cauchy-Schwarz), so a first local maximum above 0.9 of
    // that is the lag whatever the best turns out to be: the lags beyond it
    // need no estimate at all. Lags are estimated a block at a time as the
    // scan reaches them; the first one it cannot settle without the best
    // sends the frame the long way below.
    if (estimable) {
        const double sure = 0.9 * kHighestCorrelation;
        for (size_t lag = minLag; lag < maxLag; ++lag) {
            if (lag + 2 > bounded)
                boundUpTo(lag + 2 + kLagBlock);
            // Nine tenths of what the best is known to be at least: a lag
            // below that, or no local maximum, is passed over whatever the
            // best.
            const double here = peak(lag, 0.9 * seen);
            if (here >= sure) {
                CountVoiced(rate / static_cast<double>(lag));
                return;
            }
            if (here != -HUGE_VAL)
                break;
        }
        boundUpTo(maxLag + 1);
    }

    // The best correlation: among the lags whose upper bound reaches what
    // the best is known to be at least (and the voicing threshold, below
    // which its value does not matter).
    double atLeast = 0.0;
    double atMost = 0.0;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        atLeast = std::max(atLeast, m_Near[lag] - m_Margin[lag]);
        atMost = std::max(atMost, m_Near[lag] + m_Margin[lag]);
    }
    if (!(atMost >= kVoicedCorrelation))
        return;
    const double floor = std::max(atLeast, kVoicedCorrelation);
    m_Pending.clear();
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        if (m_Near[lag] + m_Margin[lag] >= floor)
            m_Pending.push_back(lag);
    }
    ComputeExactly(m_Pending.data(), m_Pending.size(), span, xx);
    double best = 0.0;
    for (size_t lag : m_Pending)
        best = std::max(best, m_Corr[lag]);
    if (best < kVoicedCorrelation)
        return;

    // The shortest lag within 10 % of the best correlation, so that a
    // multiple of the period does not win; a lag the bounds rule out needs
    // no exact value. Below the shortest lag the correlation counts as 0.
    size_t lag = minLag;
    while (lag < maxLag && peak(lag, 0.9 * best) == -HUGE_VAL)
        ++lag;
    CountVoiced(rate / static_cast<double>(lag));
}

void CLowPitchCheck::CountVoiced(double dHz)
{
    ++m_nVoiced;
    if (dHz < LowestCorrectedHz(m_nRate))
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
