#pragma once

// Per-sample detector work, kept inline so that Process pays no call for it.
// Included only by PitchEngine.cpp.

#include "engine/PitchEngine.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Running sums for the eight lags B..B+7: the newest sample enters each
// window and the sample 2L back leaves it. Lane j is lag B+j; every lane does
// exactly the scalar arithmetic, so all paths agree bit for bit.
template <>
inline void CPitchEngine::FineBankUpdate<false>(float x, int w)
{
    const float* pNewest = m_fRingReversed + (kRingMask - w);
    const float* pA = pNewest + m_nBaseLag;     // pA[j]    = x[w - (B + j)]
    const float* pB = pNewest + 2 * m_nBaseLag; // pB[2 j]  = x[w - 2 (B + j)]
    const float xx = x * x;
#if defined(__SSE2__)
    const __m128 vx = _mm_set1_ps(x);
    const __m128 vxx = _mm_set1_ps(xx);
    const __m128 a0 = _mm_loadu_ps(pA);
    const __m128 a1 = _mm_loadu_ps(pA + 4);
    const __m128 b0 = _mm_shuffle_ps(_mm_loadu_ps(pB), _mm_loadu_ps(pB + 4), _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 b1 = _mm_shuffle_ps(_mm_loadu_ps(pB + 8), _mm_loadu_ps(pB + 12), _MM_SHUFFLE(2, 0, 2, 0));

    __m128 e0 = _mm_load_ps(m_fFineEnergy);
    __m128 e1 = _mm_load_ps(m_fFineEnergy + 4);
    __m128 c0 = _mm_load_ps(m_fFineCorr);
    __m128 c1 = _mm_load_ps(m_fFineCorr + 4);
    e0 = _mm_add_ps(e0, _mm_sub_ps(vxx, _mm_mul_ps(b0, b0)));
    e1 = _mm_add_ps(e1, _mm_sub_ps(vxx, _mm_mul_ps(b1, b1)));
    c0 = _mm_add_ps(c0, _mm_sub_ps(_mm_mul_ps(vx, a0), _mm_mul_ps(a0, b0)));
    c1 = _mm_add_ps(c1, _mm_sub_ps(_mm_mul_ps(vx, a1), _mm_mul_ps(a1, b1)));
    _mm_store_ps(m_fFineEnergy, e0);
    _mm_store_ps(m_fFineEnergy + 4, e1);
    _mm_store_ps(m_fFineCorr, c0);
    _mm_store_ps(m_fFineCorr + 4, c1);
#else
    for (int j = 0; j < kBankSize; ++j) {
        const float a = pA[j];
        const float b = pB[2 * j];
        m_fFineEnergy[j] += xx - b * b;
        m_fFineCorr[j] += x * a - a * b;
    }
#endif
}

// The same in generic 8-lane vectors. Only the wide block loop uses it; built
// there for 256-bit registers, each line is a single instruction.
template <>
inline void CPitchEngine::FineBankUpdate<true>(float x, int w)
{
    using V8 = float __attribute__((vector_size(32)));
    using V4d = double __attribute__((vector_size(32)));
    const float* pNewest = m_fRingReversed + (kRingMask - w);
    V8 a;
    V8 bLow;
    V8 bHigh;
    V8 e;
    V8 c;
    __builtin_memcpy(&a, pNewest + m_nBaseLag, sizeof a);
    __builtin_memcpy(&bLow, pNewest + 2 * m_nBaseLag, sizeof bLow);
    __builtin_memcpy(&bHigh, pNewest + 2 * m_nBaseLag + 8, sizeof bHigh);
    __builtin_memcpy(&e, m_fFineEnergy, sizeof e);
    __builtin_memcpy(&c, m_fFineCorr, sizeof c);
    // The even entries of both halves, each 128-bit lane first (0 2 8 10 |
    // 4 6 12 14), then the middle pairs swapped: two shuffles with no
    // constant to load.
    const V8 evens = __builtin_shufflevector(bLow, bHigh, 0, 2, 8, 10, 4, 6, 12, 14);
    const V8 b = reinterpret_cast<V8>(__builtin_shufflevector(reinterpret_cast<V4d>(evens), reinterpret_cast<V4d>(evens), 0, 2, 1, 3));
    const float xx = x * x;
    const V8 vx = {x, x, x, x, x, x, x, x};
    const V8 vxx = {xx, xx, xx, xx, xx, xx, xx, xx};
    e = e + (vxx - b * b);
    c = c + (vx * a - a * b);
    __builtin_memcpy(m_fFineEnergy, &e, sizeof e);
    __builtin_memcpy(m_fFineCorr, &c, sizeof c);
}

template <bool kWide>
inline void CPitchEngine::FineStep(float x, int w)
{
    FineBankUpdate<kWide>(x, w);
    if (++m_nUpdateCount < kUpdateInterval)
        return;
    m_nUpdateCount = 0;
    PeriodUpdate(w);
}
