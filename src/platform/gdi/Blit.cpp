// Raster operations over rectangles (PatBlt, BitBlt, StretchBlt) and single
// pixels.

#include "platform/gdi/Paint.h"

#include <vector>

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

// The brush colour an operation uses as its pattern; false when the
// operation needs a pattern and the brush is the null brush.
bool PatternOf(HDC dc, DWORD rop, Pixel& pattern)
{
    pattern = 0;
    if (!RopUsesPattern(rop)) {
        return true;
    }
    const Brush* brush = Impl(dc->m_state.brush);
    if (brush == nullptr || brush->m_nStyle == BS_NULL) {
        return false;
    }
    pattern = dc->PixelOf(brush->m_crColor);
    return true;
}

// Pixels of `src` gathered into a buffer of w x h, row by row, from the
// columns and rows given (each inside the surface).
std::vector<Pixel> Gather(const Surface& src, const std::vector<LONG>& cols, const std::vector<LONG>& rows)
{
    std::vector<Pixel> out(cols.size() * rows.size());
    std::size_t k = 0;
    for (LONG y : rows) {
        const Pixel* row = src.Row(y);
        for (LONG x : cols) {
            out[k++] = row[x];
        }
    }
    return out;
}

bool IsRun(const std::vector<LONG>& v)
{
    return v.back() - v.front() + 1 == static_cast<LONG>(v.size()) && (v.size() < 2 || v[1] > v[0]);
}

// Combines the destination rectangle at surface (x, y), of the size of the
// column and row lists, with the source pixels they name.
void Combine(HDC dc, LONG x, LONG y, const std::vector<LONG>& cols, const std::vector<LONG>& rows,
             const Surface& src, DWORD rop, Pixel pattern)
{
    const LONG w = static_cast<LONG>(cols.size());
    const RECT dst{x, y, x + w, y + static_cast<LONG>(rows.size())};
    if (&src != dc->m_pSurface && IsRun(cols) && IsRun(rows)) {
        // An unscaled blit between two surfaces reads the source in place.
        ForEachClippedRow(dc, dst, [&](Pixel* row, int n, LONG px, LONG py) {
            RopRow(rop, pattern, src.Row(rows.front() + (py - y)) + cols.front() + (px - x), row, n);
        });
        return;
    }
    // Gathering first also makes a blit within one surface safe when the
    // rectangles overlap.
    const std::vector<Pixel> pixels = Gather(src, cols, rows);
    ForEachClippedRow(dc, dst, [&](Pixel* row, int n, LONG px, LONG py) {
        const Pixel* from = pixels.data() + static_cast<std::size_t>(py - y) * w + (px - x);
        RopRow(rop, pattern, from, row, n);
    });
}

// Source indices for `count` destination pixels taking `srcCount` source
// pixels from `srcStart` (nearest pixel centre; mirrored when the signs of
// the two extents differ). The destination start moves to the first
// destination pixel whose source lies inside [0, limit), and the list holds
// only the run inside.
std::vector<LONG> MapAxis(LONG& dstStart, LONG count, LONG srcStart, LONG srcCount, LONG limit)
{
    const bool mirror = (count < 0) != (srcCount < 0);
    // A negative extent runs leftward (upward) from its start pixel, which it
    // includes.
    if (count < 0) {
        dstStart += count + 1;
        count = -count;
    }
    if (srcCount < 0) {
        srcStart += srcCount + 1;
        srcCount = -srcCount;
    }
    std::vector<LONG> out;
    LONG firstInside = -1;
    for (LONG i = 0; i < count; ++i) {
        std::int64_t k = ((2 * std::int64_t{i} + 1) * srcCount) / (2 * std::int64_t{count});
        if (mirror) {
            k = srcCount - 1 - k;
        }
        const LONG s = srcStart + static_cast<LONG>(k);
        if (s < 0 || s >= limit) {
            if (firstInside >= 0) {
                break;
            }
            continue;
        }
        if (firstInside < 0) {
            firstInside = i;
        }
        out.push_back(s);
    }
    if (firstInside > 0) {
        dstStart += firstInside;
    }
    return out;
}

BOOL Blit(HDC dc, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc, int heightSrc,
          DWORD rop)
{
    if (dc == nullptr) {
        return FALSE;
    }
    Pixel pattern = 0;
    if (!PatternOf(dc, rop, pattern)) {
        return TRUE;
    }
    if (!RopUsesSource(rop)) {
        const RECT r = Normalized(dc->SurfaceX(x), dc->SurfaceY(y), dc->SurfaceX(x + width), dc->SurfaceY(y + height));
        ForEachClippedRow(dc, r, [&](Pixel* row, int n, LONG, LONG) { RopRow(rop, pattern, nullptr, row, n); });
        return TRUE;
    }
    if (src == nullptr) {
        return FALSE;
    }
    if (src->m_pSurface == nullptr || dc->m_pSurface == nullptr) {
        return TRUE;
    }
    const Surface& from = *src->m_pSurface;
    LONG dx = dc->SurfaceX(x);
    LONG dy = dc->SurfaceY(y);
    const std::vector<LONG> cols = MapAxis(dx, width, src->SurfaceX(xSrc), widthSrc, from.Width());
    const std::vector<LONG> rows = MapAxis(dy, height, src->SurfaceY(ySrc), heightSrc, from.Height());
    if (!cols.empty() && !rows.empty()) {
        Combine(dc, dx, dy, cols, rows, from, rop, pattern);
    }
    return TRUE;
}

} // namespace

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    if (dc != nullptr && RopUsesSource(rop)) {
        return FALSE;
    }
    return Blit(dc, x, y, width, height, nullptr, 0, 0, width, height, rop);
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    if (width <= 0 || height <= 0) {
        return dc != nullptr ? TRUE : FALSE;
    }
    return Blit(dc, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop)
{
    if (width == 0 || height == 0 || widthSrc == 0 || heightSrc == 0) {
        return dc != nullptr ? TRUE : FALSE;
    }
    return Blit(dc, x, y, width, height, src, xSrc, ySrc, widthSrc, heightSrc, rop);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    if (dc == nullptr || dc->m_pSurface == nullptr) {
        return CLR_INVALID;
    }
    const LONG sx = dc->SurfaceX(x);
    const LONG sy = dc->SurfaceY(y);
    if (!InClip(dc, sx, sy)) {
        return CLR_INVALID;
    }
    const Pixel p = dc->PixelOf(color);
    dc->m_pSurface->Row(sy)[sx] = p;
    dc->m_pSurface->Touch();
    return ToColorRef(p);
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    if (dc == nullptr || dc->m_pSurface == nullptr) {
        return CLR_INVALID;
    }
    const LONG sx = dc->SurfaceX(x);
    const LONG sy = dc->SurfaceY(y);
    if (!InClip(dc, sx, sy)) {
        return CLR_INVALID;
    }
    return ToColorRef(dc->m_pSurface->Row(sy)[sx]);
}
