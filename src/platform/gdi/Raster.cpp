#include "platform/gdi/Raster.h"

#include "platform/gdi/Draw.h"

namespace platform::gdi::detail {

namespace {

// One bit plane each: the result has a 1 wherever the truth table maps the
// bits of the inputs at that position to 1.
Pixel MixFromTable(unsigned table, Pixel p, Pixel d)
{
    Pixel r = 0;
    if (table & 0x8) r |= p & d;
    if (table & 0x4) r |= p & ~d;
    if (table & 0x2) r |= ~p & d;
    if (table & 0x1) r |= ~p & ~d;
    return r & kColorBits;
}

Pixel RopFromTable(unsigned table, Pixel p, Pixel s, Pixel d)
{
    Pixel r = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (table & (1u << i)) {
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        }
    }
    return r & kColorBits;
}

template <class F>
void ForRow(Pixel* dst, int n, F f)
{
    for (int i = 0; i < n; ++i) {
        dst[i] = f(dst[i]);
    }
}

template <class F>
void ForRow(const Pixel* src, Pixel* dst, int n, F f)
{
    for (int i = 0; i < n; ++i) {
        dst[i] = f(src[i], dst[i]);
    }
}

} // namespace

Pixel Mix(int rop2, Pixel pen, Pixel dst)
{
    if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
        rop2 = R2_COPYPEN;
    }
    return MixFromTable(static_cast<unsigned>(rop2 - 1), pen, dst);
}

void MixRow(int rop2, Pixel pen, Pixel* dst, int n)
{
    switch (rop2) {
    case R2_COPYPEN:
        ForRow(dst, n, [pen](Pixel) { return pen; });
        return;
    case R2_XORPEN:
        ForRow(dst, n, [pen](Pixel d) { return d ^ pen; });
        return;
    case R2_NOTXORPEN:
        ForRow(dst, n, [pen](Pixel d) { return ~(d ^ pen) & kColorBits; });
        return;
    case R2_NOT:
        ForRow(dst, n, [](Pixel d) { return ~d & kColorBits; });
        return;
    case R2_BLACK:
        ForRow(dst, n, [](Pixel) { return Pixel{0}; });
        return;
    case R2_WHITE:
        ForRow(dst, n, [](Pixel) { return kColorBits; });
        return;
    case R2_NOP:
        return;
    case R2_MASKPEN:
        ForRow(dst, n, [pen](Pixel d) { return d & pen; });
        return;
    case R2_MERGEPEN:
        ForRow(dst, n, [pen](Pixel d) { return d | pen; });
        return;
    default:
        ForRow(dst, n, [rop2, pen](Pixel d) { return Mix(rop2, pen, d); });
        return;
    }
}

void RopRow(DWORD rop, Pixel pattern, const Pixel* src, Pixel* dst, int n)
{
    const unsigned table = RopTable(rop);
    switch (table) {
    case 0xCC: // SRCCOPY
        ForRow(src, dst, n, [](Pixel s, Pixel) { return s; });
        return;
    case 0x88: // SRCAND
        ForRow(src, dst, n, [](Pixel s, Pixel d) { return s & d; });
        return;
    case 0xEE: // SRCPAINT
        ForRow(src, dst, n, [](Pixel s, Pixel d) { return s | d; });
        return;
    case 0x66: // SRCINVERT
        ForRow(src, dst, n, [](Pixel s, Pixel d) { return s ^ d; });
        return;
    case 0x33: // NOTSRCCOPY
        ForRow(src, dst, n, [](Pixel s, Pixel) { return ~s & kColorBits; });
        return;
    case 0x55: // DSTINVERT
        ForRow(dst, n, [](Pixel d) { return ~d & kColorBits; });
        return;
    case 0xF0: // PATCOPY
        ForRow(dst, n, [pattern](Pixel) { return pattern; });
        return;
    case 0x5A: // PATINVERT
        ForRow(dst, n, [pattern](Pixel d) { return d ^ pattern; });
        return;
    case 0x00: // BLACKNESS
        ForRow(dst, n, [](Pixel) { return Pixel{0}; });
        return;
    case 0xFF: // WHITENESS
        ForRow(dst, n, [](Pixel) { return kColorBits; });
        return;
    case 0xAA: // the destination as it is
        return;
    default:
        if (src != nullptr) {
            ForRow(src, dst, n, [table, pattern](Pixel s, Pixel d) { return RopFromTable(table, pattern, s, d); });
        } else {
            ForRow(dst, n, [table, pattern](Pixel d) { return RopFromTable(table, pattern, 0, d); });
        }
        return;
    }
}

} // namespace platform::gdi::detail
