#pragma once
// The engine works on floats at full scale +-1.0; 16-bit files are carried
// through it by these two conversions, which must stay exactly as they are
// so that a file processed here matches the plug-in's output bit for bit.

#include <cstddef>
#include <cstdint>

namespace job {

// Exact: every 16-bit value is representable as a float after dividing by 2^15.
inline float Pcm16ToFloat(int16_t sample)
{
    return static_cast<float>(sample / 32768.0);
}

// Scale, truncate toward zero, clamp. Truncation (not rounding) keeps tiny
// negative values at 0 rather than -1. NaN, which the engine never produces
// from finite input but a damaged float file could carry, becomes silence.
inline int16_t FloatToPcm16(float sample)
{
    const double scaled = static_cast<double>(sample) * 32768.0;
    if (!(scaled == scaled))
        return 0;
    if (scaled >= 32767.0)
        return 32767;
    if (scaled <= -32768.0)
        return -32768;
    return static_cast<int16_t>(scaled); // the cast truncates toward zero
}

void ConvertPcm16ToFloat(const int16_t* pIn, float* pOut, std::size_t nCount);
void ConvertFloatToPcm16(const float* pIn, int16_t* pOut, std::size_t nCount);

} // namespace job
