#pragma once

// Per-sample shifter work, kept inline so that Process pays no call for it.
// Included only by PitchEngine.cpp.

#include <cfloat>
#include <cmath>

#include "engine/PitchEngine.h"

// Parabola through the ring samples around rd, evaluated at offset f.
inline float CPitchEngine::Interpolate(int rd, float f) const
{
    const float s0 = m_fRing[(rd - 1) & kRingMask];
    const float s1 = m_fRing[rd];
    const float s2 = m_fRing[(rd + 1) & kRingMask];
    const float out = f * (f * ((s0 + s2) * 0.5f - s1) + (s2 - s0) * 0.5f) + s1;
    // Only inputs within a few times of FLT_MAX can overflow the parabola;
    // the centre sample is then the closest finite answer.
    return std::fabs(out) <= FLT_MAX ? out : s1;
}

// Moves the read position on by r samples and returns the output sample.
// Splices are tested only at the moment the integer index takes its extra
// step, which is what keeps the near guard exact.
inline float CPitchEngine::ShiftStep(float r, int w, ReadPosition& pos)
{
    int rd = pos.nIndex;
    float f = pos.fFrac;
    f += r - 1.0f;
    rd = (rd + 1) & kRingMask;
    if (r >= 1.0f) {
        if (f >= 0.5f) {
            f -= 1.0f;
            rd = (rd + 1) & kRingMask;
            if (rd == ((w - 23) & kRingMask)) {
                const ReadPosition moved = SpliceBack({rd, f});
                rd = moved.nIndex;
                f = moved.fFrac;
            }
        }
    } else if (f < -0.5f) {
        f += 1.0f;
        rd = (rd - 1) & kRingMask;
        const ReadPosition moved = SpliceForwardIfBehind(w, {rd, f});
        rd = moved.nIndex;
        f = moved.fFrac;
    }
    pos = {rd, f};
    return Interpolate(rd, f);
}
