#pragma once

// Pixel combiners: a row of pixels combined with a pen colour by a mix mode,
// or with a source row and a pattern colour by a raster operation. The
// common modes have loops of their own; every other one is evaluated from
// its truth table.

#include "platform/gdi/GdiTypes.h"

#include <cstdint>

namespace platform::gdi::detail {

using Pixel = std::uint32_t;
inline constexpr Pixel kColorBits = 0x00FFFFFF;

// The mix mode applied to one pixel.
Pixel Mix(int rop2, Pixel pen, Pixel dst);
// `n` pixels from `dst` on, mixed with the pen.
void MixRow(int rop2, Pixel pen, Pixel* dst, int n);

// The third byte of a raster operation: its truth table.
inline unsigned RopTable(DWORD rop) { return (rop >> 16) & 0xFF; }
// Whether the operation reads the source, the pattern.
inline bool RopUsesSource(DWORD rop)
{
    const unsigned t = RopTable(rop);
    return ((t >> 2) & 0x33) != (t & 0x33);
}
inline bool RopUsesPattern(DWORD rop)
{
    const unsigned t = RopTable(rop);
    return ((t >> 4) & 0x0F) != (t & 0x0F);
}

// `n` pixels from `dst` on combined with the source row (may be null when the
// operation does not read it) and the pattern colour.
void RopRow(DWORD rop, Pixel pattern, const Pixel* src, Pixel* dst, int n);

} // namespace platform::gdi::detail
