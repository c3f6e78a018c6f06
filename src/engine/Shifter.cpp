// Splices of the read position. Because the signal repeats with the period,
// jumping by exactly one period lands on the same point of the waveform and
// needs no crossfade.

#include "engine/PitchEngine.h"

namespace {

constexpr float kFarMargin = 20.0f;

// A splice needs a period that fits the ring. A lost lock forces the ratio
// to 1.0 together with the period, but a UI-side Reset racing a period update
// can leave a shifted ratio beside period -1; skipping the splice then is
// harmless, jumping by -1 would not be.
inline bool UsablePeriod(float p)
{
    return p > 0.0f && p < static_cast<float>(CPitchEngine::kRingSize);
}

} // namespace

// Reading faster than writing: the read index has come within 23 samples of
// the write index, so go back one period.
CPitchEngine::ReadPosition CPitchEngine::SpliceBack(ReadPosition pos, float fPeriod)
{
    const float p = fPeriod;
    if (!UsablePeriod(p))
        return pos;
    const float target = static_cast<float>(pos.nIndex + kRingSize) - p + pos.fFrac;
    int rd = static_cast<int>(target + 0.5f);
    const float f = target - static_cast<float>(rd);
    if (rd >= kRingSize)
        rd -= kRingSize;
    return {rd, f};
}

// Reading slower than writing: once the read position trails by more than
// one period plus the far margin, go forward one period.
CPitchEngine::ReadPosition CPitchEngine::SpliceForwardIfBehind(int w, ReadPosition pos, float fPeriod)
{
    const float p = fPeriod;
    if (!UsablePeriod(p))
        return pos;
    const int wUnwrapped = (w < pos.nIndex) ? w + kRingSize : w;
    if (!(static_cast<float>(pos.nIndex) <= static_cast<float>(wUnwrapped) - p - kFarMargin - kFarMargin))
        return pos;
    const float target = static_cast<float>(pos.nIndex) + p + pos.fFrac;
    int rd = static_cast<int>(target + 0.5f);
    const float f = target - static_cast<float>(rd);
    if (rd >= kRingSize)
        rd -= kRingSize;
    return {rd, f};
}
