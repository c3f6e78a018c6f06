#pragma once

// Per-sample detector work, kept inline so that Process pays no call for it.
// Included only by PitchEngine.cpp.

#include "engine/PitchEngine.h"


// Two identical biquad sections in series. The state is written back on
// every sample, decimated or not, so the filter's history never has gaps.
inline float CPitchEngine::PreFilterStep(float x)
{
    float* s = m_fPreFilterState;
    const float* c = m_fPreFilter;

    float w1 = s[0];
    float w2 = s[1];
    float w0 = x + c[0] * w1 + c[1] * w2;
    const float y1 = w0 + c[2] * w1 + c[3] * w2;
    s[0] = w0;
    s[1] = w1;

    w1 = s[2];
    w2 = s[3];
    w0 = y1 + c[4] * w1 + c[5] * w2;
    const float y2 = w0 + c[6] * w1 + c[7] * w2;
    s[2] = w0;
    s[3] = w1;
    return y2;
}

template <bool kWide>
inline void CPitchEngine::CoarseStep(float x, int w)
{
    if (m_Now.bResetDetectorPending != 0) {
        PublishResetPending(0);
        ResetDetector();
    }
    const float y = PreFilterStep(x);
    if ((w & 7) != 0)
        return;
    CoarseDecimatedStep(y, w, kWide);
}

namespace fine_bank {

using V4 = float __attribute__((vector_size(16)));
using V8 = float __attribute__((vector_size(32)));
using V4d = double __attribute__((vector_size(32)));

// The bank's eight running sums of each kind, held in registers while a run
// of samples goes into them. Running sums for the eight lags B..B+7: the
// newest sample enters each window and the sample 2L back leaves it. Lane j
// is lag B+j; every lane does exactly the scalar arithmetic, so the two
// builds agree bit for bit.
template <bool kWide>
struct Sums;

// Four lanes to a vector: the x86-64 baseline (or plain scalar code where
// there are no vectors).
template <>
struct Sums<false>
{
    V4 e0, e1, c0, c1;

    [[gnu::always_inline]] void Load(const float* e, const float* c)
    {
        __builtin_memcpy(&e0, e, 16);
        __builtin_memcpy(&e1, e + 4, 16);
        __builtin_memcpy(&c0, c, 16);
        __builtin_memcpy(&c1, c + 4, 16);
    }
    [[gnu::always_inline]] void Store(float* e, float* c) const
    {
        __builtin_memcpy(e, &e0, 16);
        __builtin_memcpy(e + 4, &e1, 16);
        __builtin_memcpy(c, &c0, 16);
        __builtin_memcpy(c + 4, &c1, 16);
    }
    // pNewest[n] is the sample n back from the newest one, x.
    [[gnu::always_inline]] void Add(const float* pNewest, int nBase, float x)
    {
        const float* pA = pNewest + nBase;     // pA[j]   = x[w - (B + j)]
        const float* pB = pNewest + 2 * nBase; // pB[2 j] = x[w - 2 (B + j)]
        V4 a0, a1, q0, q1, q2, q3;
        __builtin_memcpy(&a0, pA, 16);
        __builtin_memcpy(&a1, pA + 4, 16);
        __builtin_memcpy(&q0, pB, 16);
        __builtin_memcpy(&q1, pB + 4, 16);
        __builtin_memcpy(&q2, pB + 8, 16);
        __builtin_memcpy(&q3, pB + 12, 16);
        const V4 b0 = __builtin_shufflevector(q0, q1, 0, 2, 4, 6);
        const V4 b1 = __builtin_shufflevector(q2, q3, 0, 2, 4, 6);
        const float xx = x * x;
        const V4 vx = {x, x, x, x};
        const V4 vxx = {xx, xx, xx, xx};
        e0 = e0 + (vxx - b0 * b0);
        e1 = e1 + (vxx - b1 * b1);
        c0 = c0 + (vx * a0 - a0 * b0);
        c1 = c1 + (vx * a1 - a1 * b1);
    }
};

// Eight lanes to a vector. Only the wide block loop uses it; built there for
// 256-bit registers, each line is a single instruction.
template <>
struct Sums<true>
{
    V8 e, c;

    [[gnu::always_inline]] void Load(const float* pE, const float* pC)
    {
        __builtin_memcpy(&e, pE, 32);
        __builtin_memcpy(&c, pC, 32);
    }
    // In 128-bit halves: the period update reads the sums back in halves,
    // and a half read from a 256-bit store just made has to wait for it.
    [[gnu::always_inline]] void Store(float* pE, float* pC) const
    {
        const V4 eLow = __builtin_shufflevector(e, e, 0, 1, 2, 3);
        const V4 eHigh = __builtin_shufflevector(e, e, 4, 5, 6, 7);
        const V4 cLow = __builtin_shufflevector(c, c, 0, 1, 2, 3);
        const V4 cHigh = __builtin_shufflevector(c, c, 4, 5, 6, 7);
        __builtin_memcpy(pE, &eLow, 16);
        __builtin_memcpy(pE + 4, &eHigh, 16);
        __builtin_memcpy(pC, &cLow, 16);
        __builtin_memcpy(pC + 4, &cHigh, 16);
    }
    [[gnu::always_inline]] void Add(const float* pNewest, int nBase, float x)
    {
        V8 a, bLow, bHigh;
        __builtin_memcpy(&a, pNewest + nBase, 32);
        __builtin_memcpy(&bLow, pNewest + 2 * nBase, 32);
        __builtin_memcpy(&bHigh, pNewest + 2 * nBase + 8, 32);
        // The even entries of both halves, each 128-bit lane first (0 2 8 10
        // | 4 6 12 14), then the middle pairs swapped: two shuffles with no
        // constant to load.
        const V8 evens = __builtin_shufflevector(bLow, bHigh, 0, 2, 8, 10, 4, 6, 12, 14);
        const V8 b = reinterpret_cast<V8>(
            __builtin_shufflevector(reinterpret_cast<V4d>(evens), reinterpret_cast<V4d>(evens), 0, 2, 1, 3));
        const float xx = x * x;
        const V8 vx = {x, x, x, x, x, x, x, x};
        const V8 vxx = {xx, xx, xx, xx, xx, xx, xx, xx};
        e = e + (vxx - b * b);
        c = c + (vx * a - a * b);
    }
};

} // namespace fine_bank

template <bool kWide>
inline void CPitchEngine::FineStep(float x, int w)
{
    fine_bank::Sums<kWide> sums;
    sums.Load(m_fFineEnergy, m_fFineCorr);
    sums.Add(m_fRingReversed + (kRingMask - w), m_nBaseLag, x);
    sums.Store(m_fFineEnergy, m_fFineCorr);
    if (++m_nUpdateCount < kUpdateInterval)
        return;
    m_nUpdateCount = 0;
    PeriodUpdate(w);
}
