#pragma once

// The filter's conversions between 16-bit samples and the engine's floats
// at full scale +-1.0. A file corrected by the command-line tool without the
// filter must come out bit for bit the same, so these stay exactly as they
// are.

#include <cstdint>

// Exact: every 16-bit value divided by 2^15 is a float.
inline float Pcm16ToFloat(std::int16_t sample)
{
    return static_cast<float>(sample / 32768.0);
}

// Scale, truncate toward zero, clamp. Truncation keeps tiny negative values
// at 0 rather than -1. A NaN (never made by the engine from finite input)
// becomes silence rather than an undefined conversion.
inline std::int16_t FloatToPcm16(float sample)
{
    const double scaled = static_cast<double>(sample) * 32768.0;
    if (!(scaled == scaled)) {
        return 0;
    }
    if (scaled >= 32767.0) {
        return 32767;
    }
    if (scaled <= -32768.0) {
        return -32768;
    }
    return static_cast<std::int16_t>(scaled);
}

inline void ConvertPcm16ToFloat(const std::int16_t* pIn, float* pOut, int nCount)
{
    for (int i = 0; i < nCount; ++i) {
        pOut[i] = Pcm16ToFloat(pIn[i]);
    }
}

inline void ConvertFloatToPcm16(const float* pIn, std::int16_t* pOut, int nCount)
{
    for (int i = 0; i < nCount; ++i) {
        pOut[i] = FloatToPcm16(pIn[i]);
    }
}
