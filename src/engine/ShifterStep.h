#pragma once

// Per-sample shifter work, kept inline so that Process pays no call for it.
// Included only by PitchEngine.cpp.

#include <cfloat>
#include <cmath>

#include "engine/PitchEngine.h"

// Parabola through the ring samples around rd, evaluated at offset f. The
// time-reversed copy holds slot s at 2047 - s and 4095 - s, so the slots on
// either side of rd lie one entry after the first place and one before the
// second, with no wrap to take.
inline float CPitchEngine::Interpolate(int rd, float f) const
{
    const float* p = m_fRingReversed + (kRingMask - rd);
    const float s0 = p[1];
    const float s1 = p[0];
    const float s2 = p[kRingSize - 1];
    const float out = f * (f * ((s0 + s2) * 0.5f - s1) + (s2 - s0) * 0.5f) + s1;
    // Only inputs within a few times of FLT_MAX can overflow the parabola;
    // the centre sample is then the closest finite answer.
    return std::fabs(out) <= FLT_MAX ? out : s1;
}

// Moves the read position on by r samples and returns the output sample.
// Splices are tested only at the moment the integer index takes its extra
// step, which is what keeps the near guard exact.
template <class Period>
inline float CPitchEngine::ShiftStep(float r, Period period, int w, ReadPosition& pos)
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
                const ReadPosition moved = SpliceBack({rd, f}, period());
                rd = moved.nIndex;
                f = moved.fFrac;
            }
        }
    } else if (f < -0.5f) {
        f += 1.0f;
        rd = (rd - 1) & kRingMask;
        const ReadPosition moved = SpliceForwardIfBehind(w, {rd, f}, period());
        rd = moved.nIndex;
        f = moved.fFrac;
    }
    pos = {rd, f};
    return Interpolate(rd, f);
}
