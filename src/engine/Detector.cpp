// Pitch detection: coarse acquisition on a decimated, pre-filtered copy of
// the input, then a bank of eight full-rate lags that follows the period.
//
// Both stages compare a lag's correlation R(L) with the energy E(L) of the
// last 2L samples; D(L) = E/2 - R is half the squared difference between the
// signal and itself one lag earlier, so it sinks toward 0 at the period.
// All full sums run from the newest sample backward (n = 0 upward), in float,
// so every build adds the same terms in the same order.

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/PitchEngine.h"

namespace {

constexpr int kMinCoarseCount = 11;  // decimated samples before any search
constexpr int kSecondCandidateBelow = 45;
constexpr int kLargestCoarseLag = 109;
constexpr float kMaxCoarseInput = 1e18f; // squares and products stay finite below this
constexpr double kSeedEnergy = 1.65e-5;
constexpr double kHoldEnergy = 1.5e-5;

// Parabolic vertex offset through three equally spaced values. A flat
// triple has no vertex; the middle point is as good an answer as any.
inline float VertexOffset(float dm, float d0, float dp)
{
    const float den = dm - 2.0f * d0 + dp;
    if (den == 0.0f)
        return 0.0f;
    return (dm - dp) * 0.5f / den;
}

// The bank's difference values d_j = E_j / 2 - C_j and the index of their
// minimum, the first one on ties (the shorter lag). Running sums that once
// overflowed stay inf or NaN for good, so the caller also learns whether all
// eight are finite. The SIMD path computes each d_j exactly as the plain one.
inline int BankMinimum(const float* e, const float* c, float* d, bool& allFinite)
{
#if defined(__SSE2__)
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 d0 = _mm_sub_ps(_mm_mul_ps(half, _mm_load_ps(e)), _mm_load_ps(c));
    const __m128 d1 = _mm_sub_ps(_mm_mul_ps(half, _mm_load_ps(e + 4)), _mm_load_ps(c + 4));
    _mm_storeu_ps(d, d0);
    _mm_storeu_ps(d + 4, d1);

    const __m128i exponent = _mm_set1_epi32(0x7f800000);
    const __m128i inf0 = _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(d0), exponent), exponent);
    const __m128i inf1 = _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(d1), exponent), exponent);
    allFinite = _mm_movemask_epi8(_mm_or_si128(inf0, inf1)) == 0;

    // With every value finite, the first lane equal to the minimum is what a
    // scan with a strict "less than" finds (+0 and -0 compare equal in both).
    __m128 m = _mm_min_ps(d0, d1);
    m = _mm_min_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(1, 0, 3, 2)));
    m = _mm_min_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 3, 0, 1)));
    const int equal = _mm_movemask_ps(_mm_cmpeq_ps(d0, m)) | (_mm_movemask_ps(_mm_cmpeq_ps(d1, m)) << 4);
    return equal != 0 ? __builtin_ctz(static_cast<unsigned>(equal)) : 0;
#else
    unsigned nonFinite = 0;
    int best = 0;
    for (int j = 0; j < 8; ++j) {
        d[j] = 0.5f * e[j] - c[j];
        if (d[j] < d[best])
            best = j;
        nonFinite |= !std::isfinite(d[j]);
    }
    allFinite = nonFinite == 0;
    return best;
#endif
}

} // namespace

void CPitchEngine::ResetDetector()
{
    std::fill(std::begin(m_fPreFilterState), std::end(m_fPreFilterState), 0.0f);
    std::fill(std::begin(m_fCoarseRing), std::end(m_fCoarseRing), 0.0f);
    std::fill(std::begin(m_fCoarseEnergy), std::end(m_fCoarseEnergy), 0.0f);
    std::fill(std::begin(m_fCoarseCorr), std::end(m_fCoarseCorr), 0.0f);
    m_nCoarseCount = 0;
    m_nCoarseWrite = 0;
    PublishSearching(1);
}

// x[w - nFrom] squared and summed over nCount samples going back.
float CPitchEngine::SumSquares(int w, int nFrom, int nCount) const
{
    const float* p = m_fRingReversed + (kRingMask - w) + nFrom;
    float e = 0.0f;
    for (int n = 0; n < nCount; ++n)
        e += p[n] * p[n];
    return e;
}

// R(L): the last L samples against the L samples one lag earlier.
float CPitchEngine::LagCorrelation(int w, int nLag) const
{
    const float* p = m_fRingReversed + (kRingMask - w);
    const float* q = p + nLag;
    float r = 0.0f;
    for (int n = 0; n < nLag; ++n)
        r += p[n] * q[n];
    return r;
}

void CPitchEngine::CoarseDecimatedStep(float y, int w)
{
    // A cascade output this large (or not finite) would overflow the sums,
    // and a running sum never recovers from inf - inf. Start the search over.
    if (!(std::fabs(y) < kMaxCoarseInput)) {
        ResetDetector();
        return;
    }

    const int j = m_nCoarseWrite;
    m_fCoarseRing[j] = y;
    m_nCoarseWrite = (j + 1 == kCoarseRingSize) ? 0 : j + 1;

    const float yy = y * y;
    for (int k = 0; k < kCoarseLags; ++k) {
        int ia = j - k;
        if (ia < 0)
            ia += kCoarseRingSize;
        int ib = j - 2 * k;
        if (ib < 0)
            ib += kCoarseRingSize;
        const float a = m_fCoarseRing[ia];
        const float b = m_fCoarseRing[ib];
        m_fCoarseCorr[k] += y * a - a * b;
        m_fCoarseEnergy[k] += yy - b * b;
    }

    // Only the first few counts matter (the longest lag saturates at 109),
    // so the counter stops well short of overflow.
    if (m_nCoarseCount < (1 << 20))
        ++m_nCoarseCount;
    if (m_nCoarseCount < kMinCoarseCount)
        return;

    const int maxLag = std::min((m_nCoarseCount - 6) / 2, kLargestCoarseLag);
    int start = 1;
    int index = 0;
    int period = 0;
    if (!FindCandidate(maxLag, start, index, period))
        return;

    // A short first candidate may be the second harmonic of a lower voice:
    // look for the next valley too and let the full-rate ring decide.
    if (index < kSecondCandidateBelow) {
        int index2 = 0;
        int period2 = 0;
        if (!FindCandidate(maxLag, start, index2, period2))
            return;
        if (LowerOctaveWins(w, period, period2))
            period = period2;
    }

    m_nBaseLag = period - 4;
    if (Load(m_bVibrato) != 0)
        m_nNoteFrames = 0;
    if (!SeedBank(w))
        return;

    m_nUpdateCount = kUpdateInterval - 1; // the next sample already updates
    PublishSearching(0);
}

bool CPitchEngine::FindCandidate(int nMaxLag, int& nStart, int& nIndex, int& nPeriod) const
{
    const float decorrelation = m_fDecorrelation;
    const float accept = Load(m_fAcceptThreshold);
    auto D = [this](int k) { return 0.5f * m_fCoarseEnergy[k] - m_fCoarseCorr[k]; };

    // The correlation must first turn clearly negative, which keeps the
    // zero-lag peak from ever passing as a period.
    int k = nStart;
    while (k < nMaxLag && !(m_fCoarseEnergy[k] * decorrelation + m_fCoarseCorr[k] < 0.0f))
        ++k;
    if (k >= nMaxLag)
        return false;
    nStart = k + 1;

    k = nStart;
    while (k < nMaxLag && !(m_fCoarseEnergy[k] * accept + m_fCoarseCorr[k] > 0.0f))
        ++k;
    if (k >= nMaxLag)
        return false;
    nStart = k + 1;
    float prev = D(k);

    // Walk down into the valley; equal values keep walking, so ties go to
    // the longer lag.
    k = nStart;
    while (k < nMaxLag) {
        const float d = D(k);
        if (d > prev)
            break;
        prev = d;
        ++k;
    }
    if (k >= nMaxLag)
        return false;
    const int m = k - 1;
    nStart = k + 1;

    const float offset = VertexOffset(D(m - 1), D(m), D(m + 1));
    const float scaled = (static_cast<float>(m) + offset) * 8.0f + 0.5f;
    // The valley's left neighbour is not guaranteed to lie above it, so a
    // wild vertex is possible; a period the bank could not hold is no
    // candidate (and must not reach the integer conversion).
    if (!(scaled >= 5.0f && scaled < 1021.0f))
        return false;
    nIndex = m;
    nPeriod = static_cast<int>(scaled);
    return true;
}

bool CPitchEngine::LowerOctaveWins(int w, int nShort, int nLong) const
{
    const float e1 = SumSquares(w, 0, 2 * nShort);
    float e2 = e1;
    const float* p = m_fRingReversed + (kRingMask - w);
    for (int n = 2 * nShort; n < 2 * nLong; ++n)
        e2 += p[n] * p[n];
    const float r1 = LagCorrelation(w, nShort);
    const float r2 = LagCorrelation(w, nLong);
    return (e1 / 2.0f - r1) * 2.0f > (e2 / 2.0f - r2) * 5.0f;
}

bool CPitchEngine::SeedBank(int w)
{
    const int base = m_nBaseLag;
    float e = SumSquares(w, 0, 2 * base);
    m_fFineEnergy[0] = e;
    if (static_cast<double>(e) < kSeedEnergy)
        return false;

    const float* p = m_fRingReversed + (kRingMask - w);
    int n = 2 * base;
    for (int j = 1; j < kBankSize; ++j) {
        e += p[n] * p[n];
        e += p[n + 1] * p[n + 1];
        n += 2;
        m_fFineEnergy[j] = e;
    }
    for (int j = 0; j < kBankSize; ++j)
        m_fFineCorr[j] = LagCorrelation(w, base + j);
    return true;
}

void CPitchEngine::LoseLock()
{
    Store(m_fRatioSmoothed, 1.0f);
    PublishRatio(1.0f);
    Store(m_fPeriod, -1.0f);
    Store(m_bPeriodValid, 0);
    PublishResetPending(1);
    PublishSearching(1);
}

// The period fell toward the short end: shift the bank one lag down.
bool CPitchEngine::MoveBankDown(int w)
{
    const int base = m_nBaseLag - 1;
    if (base < 1)
        return false;
    for (int j = kBankSize - 1; j >= 1; --j) {
        m_fFineEnergy[j] = m_fFineEnergy[j - 1];
        m_fFineCorr[j] = m_fFineCorr[j - 1];
    }
    const float* p = m_fRingReversed + (kRingMask - w);
    m_nBaseLag = base;
    m_fFineEnergy[0] = m_fFineEnergy[1] - p[2 * base] * p[2 * base] - p[2 * base + 1] * p[2 * base + 1];
    m_fFineCorr[0] = LagCorrelation(w, base);
    return true;
}

// The period rose toward the long end: shift the bank one lag up.
bool CPitchEngine::MoveBankUp(int w)
{
    const int base = m_nBaseLag + 1;
    const int lag = base + kBankSize - 1;
    if (2 * lag >= kRingSize)
        return false;
    for (int j = 0; j < kBankSize - 1; ++j) {
        m_fFineEnergy[j] = m_fFineEnergy[j + 1];
        m_fFineCorr[j] = m_fFineCorr[j + 1];
    }
    const float* p = m_fRingReversed + (kRingMask - w);
    m_nBaseLag = base;
    m_fFineEnergy[7] = m_fFineEnergy[6] + p[2 * lag - 2] * p[2 * lag - 2] + p[2 * lag - 1] * p[2 * lag - 1];
    m_fFineCorr[7] = LagCorrelation(w, lag);
    return true;
}

void CPitchEngine::PeriodUpdate(int w)
{
    float d[kBankSize];
    bool allFinite = true;
    int i = BankMinimum(m_fFineEnergy, m_fFineCorr, d, allFinite);

    const float energy = m_fFineEnergy[i];
    const bool accepted = Load(m_fTrackThreshold) * energy >= d[i] && i != 0 && i != kBankSize - 1
        && static_cast<double>(energy) >= kHoldEnergy && allFinite;

    bool locked = accepted;
    if (locked && i < 3) {
        locked = MoveBankDown(w);
        ++i;
    } else if (locked && i > 4) {
        locked = MoveBankUp(w);
        --i;
    }

    float period = -1.0f;
    if (locked) {
        auto D = [this](int k) { return 0.5f * m_fFineEnergy[k] - m_fFineCorr[k]; };
        period = static_cast<float>(m_nBaseLag + i) + VertexOffset(D(i - 1), D(i), D(i + 1));
        locked = std::isfinite(period);
    }

    if (!locked) {
        LoseLock();
        ApplyRatio(1.0f);
        return;
    }

    Store(m_fPeriod, period);
    Store(m_bPeriodValid, 1);
    ApplyRatio(TargetRatio(period));
}
