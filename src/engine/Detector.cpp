// Pitch detection: coarse acquisition on a decimated, pre-filtered copy of
// the input, then a bank of eight full-rate lags that follows the period.
//
// Both stages compare a lag's correlation R(L) with the energy E(L) of the
// last 2L samples; D(L) = E/2 - R is half the squared difference between the
// signal and itself one lag earlier, so it sinks toward 0 at the period.
// All full sums run from the newest sample backward (n = 0 upward), in float,
// so every build adds the same terms in the same order.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/PitchEngine.h"
#include "engine/WideCode.h"

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

// The smallest float whose value, taken as a double, is at least the hold
// energy: an energy compares with the one in double exactly as with this.
constexpr float SmallestHeldEnergy()
{
    const float f = static_cast<float>(kHoldEnergy);
    return static_cast<double>(f) >= kHoldEnergy ? f : std::bit_cast<float>(std::bit_cast<uint32_t>(f) + 1u);
}

// What a period update finds in the bank: the index of the smallest
// difference value d_j = E_j / 2 - C_j (the first one on ties, the shorter
// lag), and whether the lock holds there: d_i within the tracking threshold
// of the energy, the minimum inside the bank, enough energy, and all eight
// values finite (running sums that once overflowed stay inf or NaN for
// good). The SIMD path computes each value exactly as the plain one.
struct BankFinding
{
    int nMinimum;
    bool bHolds;
};

inline BankFinding FindInBank(const float* e, const float* c, float fThreshold)
{
#if defined(__SSE2__)
    const __m128 e0 = _mm_load_ps(e);
    const __m128 e1 = _mm_load_ps(e + 4);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 d0 = _mm_sub_ps(_mm_mul_ps(half, e0), _mm_load_ps(c));
    const __m128 d1 = _mm_sub_ps(_mm_mul_ps(half, e1), _mm_load_ps(c + 4));

    const __m128i exponent = _mm_set1_epi32(0x7f800000);
    const __m128i inf0 = _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(d0), exponent), exponent);
    const __m128i inf1 = _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(d1), exponent), exponent);
    const bool allFinite = _mm_movemask_epi8(_mm_or_si128(inf0, inf1)) == 0;

    // Each lane's tests, as if it were the minimum; the minimum's is taken
    // below. They need not wait for the minimum to be known.
    const __m128 threshold = _mm_set1_ps(fThreshold);
    const __m128 held = _mm_set1_ps(SmallestHeldEnergy());
    const int passes = _mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(_mm_mul_ps(threshold, e0), d0), _mm_cmpge_ps(e0, held)))
        | (_mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(_mm_mul_ps(threshold, e1), d1), _mm_cmpge_ps(e1, held))) << 4);

    // With every value finite, the first lane equal to the minimum is what a
    // scan with a strict "less than" finds (+0 and -0 compare equal in both).
    // A steady voice keeps it in one of the two middle lanes, which are tried
    // directly: lane 3 is the first minimum if it lies below lanes 0 to 2
    // and not above 4 to 7, lane 4 if below 0 to 3 and not above 5 to 7.
    int i = 0;
    const __m128 v3 = _mm_shuffle_ps(d0, d0, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128 v4 = _mm_shuffle_ps(d1, d1, _MM_SHUFFLE(0, 0, 0, 0));
    if ((_mm_movemask_ps(_mm_cmplt_ps(v3, d0)) & 7) == 7 && _mm_movemask_ps(_mm_cmple_ps(v3, d1)) == 15) {
        i = 3;
    } else if (_mm_movemask_ps(_mm_cmplt_ps(v4, d0)) == 15 && _mm_movemask_ps(_mm_cmple_ps(v4, d1)) == 15) {
        i = 4;
    } else {
        __m128 m = _mm_min_ps(d0, d1);
        m = _mm_min_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(1, 0, 3, 2)));
        m = _mm_min_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 3, 0, 1)));
        const int equal = _mm_movemask_ps(_mm_cmpeq_ps(d0, m)) | (_mm_movemask_ps(_mm_cmpeq_ps(d1, m)) << 4);
        i = equal != 0 ? __builtin_ctz(static_cast<unsigned>(equal)) : 0;
    }
    return {i, allFinite && i != 0 && i != 7 && ((passes >> i) & 1) != 0};
#else
    float d[8];
    unsigned nonFinite = 0;
    int best = 0;
    for (int j = 0; j < 8; ++j) {
        d[j] = 0.5f * e[j] - c[j];
        if (d[j] < d[best])
            best = j;
        nonFinite |= !std::isfinite(d[j]);
    }
    const bool holds = fThreshold * e[best] >= d[best] && best != 0 && best != 7
        && static_cast<double>(e[best]) >= kHoldEnergy && nonFinite == 0;
    return {best, holds};
#endif
}

// The coarse running sums of lags [nFrom, nTo). pRev[k] is the decimated
// sample k back from the newest one, y; lane k takes a = pRev[k] and
// b = pRev[2 k]. Every lane does exactly the scalar arithmetic below, so the
// vector versions give the same bits.
inline void CoarseLanes(float* pCorr, float* pEnergy, const float* pRev, float y, int nFrom, int nTo)
{
    const float yy = y * y;
    for (int k = nFrom; k < nTo; ++k) {
        const float a = pRev[k];
        const float b = pRev[2 * k];
        pCorr[k] += y * a - a * b;
        pEnergy[k] += yy - b * b;
    }
}

// Four lanes at a time from nFrom; returns the first lag left over.
inline int CoarseLanes4(float* pCorr, float* pEnergy, const float* pRev, float y, int nFrom, int nTo)
{
    int k = nFrom;
#if defined(__SSE2__)
    const __m128 vy = _mm_set1_ps(y);
    const __m128 vyy = _mm_set1_ps(y * y);
    for (; k + 4 <= nTo; k += 4) {
        const __m128 a = _mm_loadu_ps(pRev + k);
        const __m128 b = _mm_shuffle_ps(_mm_loadu_ps(pRev + 2 * k), _mm_loadu_ps(pRev + 2 * k + 4), _MM_SHUFFLE(2, 0, 2, 0));
        const __m128 c = _mm_add_ps(_mm_loadu_ps(pCorr + k), _mm_sub_ps(_mm_mul_ps(vy, a), _mm_mul_ps(a, b)));
        const __m128 e = _mm_add_ps(_mm_loadu_ps(pEnergy + k), _mm_sub_ps(vyy, _mm_mul_ps(b, b)));
        _mm_storeu_ps(pCorr + k, c);
        _mm_storeu_ps(pEnergy + k, e);
    }
#endif
    return k;
}

#if INTONARA_WIDE_CODE
// Eight lanes at a time, built for 256-bit registers.
INTONARA_WIDE_TARGET int CoarseLanes8(float* pCorr, float* pEnergy, const float* pRev, float y, int nTo)
{
    using V8 = float __attribute__((vector_size(32)));
    const float yy = y * y;
    const V8 vy = {y, y, y, y, y, y, y, y};
    const V8 vyy = {yy, yy, yy, yy, yy, yy, yy, yy};
    int k = 0;
    for (; k + 8 <= nTo; k += 8) {
        V8 a, bLow, bHigh, c, e;
        __builtin_memcpy(&a, pRev + k, sizeof a);
        __builtin_memcpy(&bLow, pRev + 2 * k, sizeof bLow);
        __builtin_memcpy(&bHigh, pRev + 2 * k + 8, sizeof bHigh);
        __builtin_memcpy(&c, pCorr + k, sizeof c);
        __builtin_memcpy(&e, pEnergy + k, sizeof e);
        const V8 b = __builtin_shufflevector(bLow, bHigh, 0, 2, 4, 6, 8, 10, 12, 14);
        c = c + (vy * a - a * b);
        e = e + (vyy - b * b);
        __builtin_memcpy(pCorr + k, &c, sizeof c);
        __builtin_memcpy(pEnergy + k, &e, sizeof e);
    }
    return k;
}
#endif

// The first k in [nFrom, nTo) with e[k] * fFactor + c[k] below 0 (bBelow)
// or above 0, else nTo. Each lane rounds the product and the sum as the
// scalar expression does, and a NaN passes neither test in either.
inline int FirstCrossing(const float* e, const float* c, float fFactor, bool bBelow, int nFrom, int nTo)
{
    int k = nFrom;
#if defined(__SSE2__)
    const __m128 factor = _mm_set1_ps(fFactor);
    const __m128 zero = _mm_setzero_ps();
    for (; k + 4 <= nTo; k += 4) {
        const __m128 v = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(e + k), factor), _mm_loadu_ps(c + k));
        const int hits = _mm_movemask_ps(bBelow ? _mm_cmplt_ps(v, zero) : _mm_cmpgt_ps(v, zero));
        if (hits != 0)
            return k + __builtin_ctz(static_cast<unsigned>(hits));
    }
#endif
    for (; k < nTo; ++k) {
        const float v = e[k] * fFactor + c[k];
        if (bBelow ? v < 0.0f : v > 0.0f)
            return k;
    }
    return nTo;
}

} // namespace

void CPitchEngine::ResetDetector()
{
    std::fill(std::begin(m_fPreFilterState), std::end(m_fPreFilterState), 0.0f);
    std::fill(std::begin(m_fCoarseRing), std::end(m_fCoarseRing), 0.0f);
    std::fill(std::begin(m_fCoarseRingReversed), std::end(m_fCoarseRingReversed), 0.0f);
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

void CPitchEngine::CoarseDecimatedStep(float y, int w, bool bWide)
{
    // A cascade output this large (or not finite) would overflow the sums,
    // and a running sum never recovers from inf - inf. Start the search over.
    if (!(std::fabs(y) < kMaxCoarseInput)) {
        ResetDetector();
        return;
    }

    const int j = m_nCoarseWrite;
    m_fCoarseRing[j] = y;
    m_fCoarseRingReversed[kCoarseRingSize - 1 - j] = y;
    m_fCoarseRingReversed[2 * kCoarseRingSize - 1 - j] = y;
    m_nCoarseWrite = (j + 1 == kCoarseRingSize) ? 0 : j + 1;

    // Lag k reads the samples k and 2 k back: at most 218 entries on from
    // the newest, which the doubled copy always holds.
    const float* pRev = m_fCoarseRingReversed + (kCoarseRingSize - 1 - j);
    int k = 0;
#if INTONARA_WIDE_CODE
    if (bWide)
        k = CoarseLanes8(m_fCoarseCorr, m_fCoarseEnergy, pRev, y, kCoarseLags);
#else
    (void)bWide;
#endif
    k = CoarseLanes4(m_fCoarseCorr, m_fCoarseEnergy, pRev, y, k, kCoarseLags);
    CoarseLanes(m_fCoarseCorr, m_fCoarseEnergy, pRev, y, k, kCoarseLags);

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
    float seed = 0.0f;
    const float* pSeed = nullptr;
    if (index < kSecondCandidateBelow) {
        int index2 = 0;
        int period2 = 0;
        if (!FindCandidate(maxLag, start, index2, period2))
            return;
        float seedShort = 0.0f;
        float seedLong = 0.0f;
        const bool lower = LowerOctaveWins(w, period, period2, seedShort, seedLong);
        if (lower)
            period = period2;
        seed = lower ? seedLong : seedShort;
        pSeed = &seed;
    }

    m_nBaseLag = period - 4;
    if (Load(m_bVibrato) != 0)
        m_nNoteFrames = 0;
    if (!SeedBank(w, pSeed))
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
    int k = FirstCrossing(m_fCoarseEnergy, m_fCoarseCorr, decorrelation, true, nStart, nMaxLag);
    if (k >= nMaxLag)
        return false;
    nStart = k + 1;

    k = FirstCrossing(m_fCoarseEnergy, m_fCoarseCorr, accept, false, nStart, nMaxLag);
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

// The energies E1 (the last 2 P1 samples) and E2 (the last 2 P2) are one
// running sum of squares read at two lengths. The bank's seed energy for
// either period (the last 2 (P - 4) samples) is the same sum read earlier
// still, so it is noted on the way for whichever period wins.
bool CPitchEngine::LowerOctaveWins(int w, int nShort, int nLong, float& fSeedShort, float& fSeedLong) const
{
    const float* p = m_fRingReversed + (kRingMask - w);
    const int end1 = 2 * nShort;
    const int end = std::max(end1, 2 * nLong);
    int marks[4] = {2 * (nShort - 4), 2 * (nLong - 4), end1, end};
    std::sort(std::begin(marks), std::end(marks));
    float e = 0.0f;
    float e1 = 0.0f;
    int n = 0;
    for (int mark : marks) {
        for (; n < mark; ++n)
            e += p[n] * p[n];
        if (mark == 2 * (nShort - 4))
            fSeedShort = e;
        if (mark == 2 * (nLong - 4))
            fSeedLong = e;
        if (mark == end1)
            e1 = e;
    }
    const float e2 = e;
    const float r1 = LagCorrelation(w, nShort);
    const float r2 = LagCorrelation(w, nLong);
    return (e1 / 2.0f - r1) * 2.0f > (e2 / 2.0f - r2) * 5.0f;
}

bool CPitchEngine::SeedBank(int w, const float* pEnergy)
{
    const int base = m_nBaseLag;
    float e = pEnergy != nullptr ? *pEnergy : SumSquares(w, 0, 2 * base);
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
bool CPitchEngine::CanMoveBankDown() const
{
    return m_nBaseLag - 1 >= 1;
}

void CPitchEngine::MoveBankDown(int w)
{
    const int base = m_nBaseLag - 1;
    for (int j = kBankSize - 1; j >= 1; --j) {
        m_fFineEnergy[j] = m_fFineEnergy[j - 1];
        m_fFineCorr[j] = m_fFineCorr[j - 1];
    }
    const float* p = m_fRingReversed + (kRingMask - w);
    m_nBaseLag = base;
    m_fFineEnergy[0] = m_fFineEnergy[1] - p[2 * base] * p[2 * base] - p[2 * base + 1] * p[2 * base + 1];
    m_fFineCorr[0] = LagCorrelation(w, base);
}

// The period rose toward the long end: shift the bank one lag up, as long
// as its longest window still fits the ring.
bool CPitchEngine::CanMoveBankUp() const
{
    return 2 * (m_nBaseLag + kBankSize) < kRingSize;
}

void CPitchEngine::MoveBankUp(int w)
{
    const int base = m_nBaseLag + 1;
    const int lag = base + kBankSize - 1;
    for (int j = 0; j < kBankSize - 1; ++j) {
        m_fFineEnergy[j] = m_fFineEnergy[j + 1];
        m_fFineCorr[j] = m_fFineCorr[j + 1];
    }
    const float* p = m_fRingReversed + (kRingMask - w);
    m_nBaseLag = base;
    m_fFineEnergy[7] = m_fFineEnergy[6] + p[2 * lag - 2] * p[2 * lag - 2] + p[2 * lag - 1] * p[2 * lag - 1];
    m_fFineCorr[7] = LagCorrelation(w, lag);
}

void CPitchEngine::PeriodUpdate(int w)
{
    auto D = [this](int k) { return 0.5f * m_fFineEnergy[k] - m_fFineCorr[k]; };
    // The minimum lies in the middle of the bank nearly always; the period
    // there is worked out alongside the search for it rather than after it
    // (the test below is a branch the processor predicts).
    const float middle3 = static_cast<float>(m_nBaseLag + 3) + VertexOffset(D(2), D(3), D(4));
    const float middle4 = static_cast<float>(m_nBaseLag + 4) + VertexOffset(D(3), D(4), D(5));

    const BankFinding finding = FindInBank(m_fFineEnergy, m_fFineCorr, Load(m_fTrackThreshold));
    const int i = finding.nMinimum;
    const bool accepted = finding.bHolds;

    // A minimum off the middle re-centres the bank, which keeps the lock only
    // if the bank can move. The move itself comes last: it shifts the three
    // entries the period is read from without changing them (and the base
    // lag by as much as their index), and its full sum then no longer holds
    // up the ratio.
    const bool down = accepted && i < 3;
    const bool up = accepted && i > 4;
    const bool movable = down ? CanMoveBankDown() : (up ? CanMoveBankUp() : false);
    bool locked = accepted && (movable || !(down || up));

    float period = -1.0f;
    if (locked) {
        if (i == 3)
            period = middle3;
        else if (i == 4)
            period = middle4;
        else
            period = static_cast<float>(m_nBaseLag + i) + VertexOffset(D(i - 1), D(i), D(i + 1));
        locked = std::isfinite(period);
    }

    if (!locked) {
        LoseLock();
        ApplyRatio(1.0f);
    } else {
        Store(m_fPeriod, period);
        Store(m_bPeriodValid, 1);
        ApplyRatio(TargetRatio(period));
    }

    if (movable && down)
        MoveBankDown(w);
    else if (movable && up)
        MoveBankUp(w);
}
