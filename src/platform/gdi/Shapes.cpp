// Rectangles and ellipses in the pen and brush, brush fills and frames that
// ignore the mix mode, inversion, three-dimensional edges and focus
// rectangles.

#include "platform/gdi/Paint.h"

#include <cmath>

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

// The brush to fill with: a live brush, or a system colour index plus one
// as window classes give their background. Null draws nothing.
const Brush* Resolve(HBRUSH brush)
{
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_MENUBAR + 1) {
        brush = GetSysColorBrush(static_cast<int>(value) - 1);
    }
    if (Checked(brush, OBJ_BRUSH) == nullptr || Impl(brush)->m_nStyle == BS_NULL) {
        return nullptr;
    }
    return Impl(brush);
}

// Mixes a surface rectangle with one colour.
void MixRect(HDC dc, const RECT& r, Pixel color, int rop2)
{
    ForEachClippedRow(dc, r, [&](Pixel* row, int n, LONG, LONG) { MixRow(rop2, color, row, n); });
}

// The pixels of a one-pixel ring just inside r, each once.
template <class Span>
void Ring(const RECT& r, Span&& span)
{
    if (IsEmpty(r)) {
        return;
    }
    span(r.top, r.left, r.right);
    if (r.bottom - 1 > r.top) {
        span(r.bottom - 1, r.left, r.right);
    }
    for (LONG y = r.top + 1; y < r.bottom - 1; ++y) {
        span(y, r.left, r.left + 1);
        if (r.right - 1 > r.left) {
            span(y, r.right - 1, r.right);
        }
    }
}

// Runs of the ellipse inscribed in a w x h box, row by row: for row j
// (0 .. h-1) the columns first .. last (relative to the box) whose pixel
// centres lie inside; first > last for an empty row.
struct EllipseRows {
    std::vector<std::pair<LONG, LONG>> runs;

    EllipseRows(LONG w, LONG h)
    {
        runs.resize(static_cast<std::size_t>(std::max(h, 0)));
        const __int128 w2 = static_cast<__int128>(w) * w;
        const __int128 h2 = static_cast<__int128>(h) * h;
        for (LONG j = 0; j < h; ++j) {
            // Centre at (w/2, h/2); pixel centre (i + 1/2, j + 1/2). Doubled:
            // u = 2i + 1 - w, v = 2j + 1 - h; inside when u²h² + v²w² <= w²h².
            const __int128 v = 2 * static_cast<__int128>(j) + 1 - h;
            const __int128 room = w2 * (h2 - v * v); // u² h² <= room
            if (room < 0) {
                runs[static_cast<std::size_t>(j)] = {0, -1};
                continue;
            }
            const __int128 limit = room / h2; // u² <= limit
            auto u = static_cast<std::int64_t>(std::sqrt(static_cast<double>(limit)));
            while (static_cast<__int128>(u) * u > limit) --u;
            while (static_cast<__int128>(u + 1) * (u + 1) <= limit) ++u;
            // |2i + 1 - w| <= u
            const std::int64_t lo = w - 1 - u;
            const std::int64_t first = lo <= 0 ? -((-lo) / 2) : (lo + 1) / 2;
            const std::int64_t hi = w - 1 + u;
            const std::int64_t last = hi >= 0 ? hi / 2 : -((-hi + 1) / 2);
            runs[static_cast<std::size_t>(j)] = {static_cast<LONG>(first), static_cast<LONG>(last)};
        }
    }

    std::pair<LONG, LONG> At(LONG j) const
    {
        if (j < 0 || j >= static_cast<LONG>(runs.size())) {
            return {0, -1};
        }
        return runs[static_cast<std::size_t>(j)];
    }
};

// What a pen-and-brush shape works with: its box on the surface, the mix
// mode, the pen (width 0 for none) and the brush (null for none).
struct Shape {
    RECT r;
    int rop2;
    const Pen* pen;
    int width;
    const Brush* brush;
    Pixel penColor;
    Pixel brushColor;
};

// False when there is nothing to draw on.
bool SetUp(HDC dc, int left, int top, int right, int bottom, Shape& s)
{
    s.r = Normalized(dc->SurfaceX(left), dc->SurfaceY(top), dc->SurfaceX(right), dc->SurfaceY(bottom));
    if (dc->m_pSurface == nullptr || IsEmpty(s.r)) {
        return false;
    }
    s.rop2 = dc->m_state.nRop2;
    s.pen = Impl(dc->m_state.pen);
    s.width = PenWidth(s.pen);
    s.brush = Resolve(dc->m_state.brush);
    s.penColor = s.width == 0 ? 0 : dc->PixelOf(s.pen->m_crColor);
    s.brushColor = s.brush == nullptr ? 0 : dc->PixelOf(s.brush->m_crColor);
    return true;
}

} // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    Shape shape;
    if (dc == nullptr) {
        return FALSE;
    }
    if (!SetUp(dc, left, top, right, bottom, shape)) {
        return TRUE;
    }
    const auto& [r, rop2, pen, width, brush, penColor, brushColor] = shape;

    RECT inside{r.left + width, r.top + width, r.right - width, r.bottom - width};
    if (width == 0) {
        inside = RECT{r.left, r.top, r.right - 1, r.bottom - 1};
    } else if (pen->m_nStyle == PS_SOLID || pen->m_nStyle == PS_INSIDEFRAME || width > 1) {
        RECT ring = r;
        for (int i = 0; i < width && !IsEmpty(ring); ++i) {
            // Copies: clang 14 does not let a lambda name a structured binding.
            Ring(ring, [&, color = penColor, mix = rop2](LONG y, LONG x0, LONG x1) {
                MixSpan(dc, y, x0, x1, color, mix);
            });
            ring = RECT{ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1};
        }
        dc->m_pSurface->Touch();
    } else {
        // A styled outline runs round the edge as one closed polyline.
        const POINT corners[5] = {{r.left, r.top},
                                  {r.right - 1, r.top},
                                  {r.right - 1, r.bottom - 1},
                                  {r.left, r.bottom - 1},
                                  {r.left, r.top}};
        PenCursor cursor;
        for (int i = 1; i < 5; ++i) {
            StrokeLine(dc, corners[i - 1], corners[i], false, cursor);
        }
    }
    if (brush != nullptr) {
        MixRect(dc, inside, brushColor, rop2);
    }
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    Shape shape;
    if (dc == nullptr) {
        return FALSE;
    }
    if (!SetUp(dc, left, top, right, bottom, shape)) {
        return TRUE;
    }
    const auto& [r, rop2, pen, width, brush, penColor, brushColor] = shape;
    const LONG w = r.right - r.left;
    const LONG h = r.bottom - r.top;
    const EllipseRows outer(w, h);
    // The inner ellipse: for a one-pixel pen, the pixels whose four
    // neighbours are all inside; for a wider pen, the ellipse of the box
    // shrunk by the width on every side.
    const int shrink = width > 1 ? width : 0;
    const EllipseRows inner(std::max<LONG>(w - 2 * shrink, 0), std::max<LONG>(h - 2 * shrink, 0));
    for (LONG j = 0; j < h; ++j) {
        const auto [first, last] = outer.At(j);
        if (first > last) {
            continue;
        }
        LONG inFirst;
        LONG inLast;
        if (width == 0) {
            inFirst = first;
            inLast = last;
        } else if (width == 1) {
            const auto up = outer.At(j - 1);
            const auto down = outer.At(j + 1);
            inFirst = std::max({first + 1, up.first, down.first});
            inLast = std::min({last - 1, up.second, down.second});
            if (up.first > up.second || down.first > down.second) {
                inLast = inFirst - 1;
            }
        } else {
            const auto in = inner.At(j - shrink);
            inFirst = in.first + shrink;
            inLast = in.second + shrink;
        }
        const LONG y = r.top + j;
        if (inFirst > inLast) {
            if (width > 0) {
                MixSpan(dc, y, r.left + first, r.left + last + 1, penColor, rop2);
            }
            continue;
        }
        if (width > 0) {
            MixSpan(dc, y, r.left + first, r.left + inFirst, penColor, rop2);
            MixSpan(dc, y, r.left + inLast + 1, r.left + last + 1, penColor, rop2);
        }
        if (brush != nullptr) {
            MixSpan(dc, y, r.left + inFirst, r.left + inLast + 1, brushColor, rop2);
        }
    }
    dc->m_pSurface->Touch();
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    if (dc == nullptr || rect == nullptr) {
        return 0;
    }
    const Brush* b = Resolve(brush);
    if (b != nullptr) {
        MixRect(dc, ToSurface(dc, *rect), dc->PixelOf(b->m_crColor), R2_COPYPEN);
    }
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    if (dc == nullptr || rect == nullptr) {
        return 0;
    }
    const Brush* b = Resolve(brush);
    if (b != nullptr && dc->m_pSurface != nullptr) {
        const Pixel color = dc->PixelOf(b->m_crColor);
        Ring(ToSurface(dc, *rect), [&](LONG y, LONG x0, LONG x1) { MixSpan(dc, y, x0, x1, color, R2_COPYPEN); });
        dc->m_pSurface->Touch();
    }
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* rect)
{
    if (dc == nullptr || rect == nullptr) {
        return FALSE;
    }
    MixRect(dc, ToSurface(dc, *rect), 0, R2_NOT);
    return TRUE;
}

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags)
{
    if (dc == nullptr || rect == nullptr) {
        return FALSE;
    }
    // Colours of the outer and inner rings: top-left, bottom-right.
    struct Ring2 {
        UINT raised, sunken;
        int raisedTopLeft, raisedBottomRight, sunkenTopLeft, sunkenBottomRight;
    };
    const Ring2 rings[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
    };
    RECT r = ToSurface(dc, *rect);
    const bool hasSurface = dc->m_pSurface != nullptr;
    for (int i = 0; i < 2; ++i) {
        const Ring2& ring = rings[i];
        if ((edge & (ring.raised | ring.sunken)) == 0 || IsEmpty(r)) {
            continue;
        }
        const bool raised = (edge & ring.raised) != 0;
        int topLeft = raised ? ring.raisedTopLeft : ring.sunkenTopLeft;
        int bottomRight = raised ? ring.raisedBottomRight : ring.sunkenBottomRight;
        if (flags & BF_MONO) {
            topLeft = bottomRight = (i == 0) ? COLOR_WINDOWFRAME : COLOR_WINDOW;
        } else if (flags & BF_FLAT) {
            topLeft = bottomRight = (i == 0) ? COLOR_BTNSHADOW : COLOR_BTNFACE;
        }
        const Pixel tl = ToPixel(GetSysColor(topLeft));
        const Pixel br = ToPixel(GetSysColor(bottomRight));
        // Top and left stop one short of the far corners, which belong to
        // the bottom and right sides.
        if (hasSurface) {
            if (flags & BF_TOP) MixSpan(dc, r.top, r.left, r.right - 1, tl, R2_COPYPEN);
            if (flags & BF_LEFT)
                for (LONG y = r.top; y < r.bottom - 1; ++y) MixSpan(dc, y, r.left, r.left + 1, tl, R2_COPYPEN);
            if (flags & BF_BOTTOM) MixSpan(dc, r.bottom - 1, r.left, r.right, br, R2_COPYPEN);
            if (flags & BF_RIGHT)
                for (LONG y = r.top; y < r.bottom; ++y) MixSpan(dc, y, r.right - 1, r.right, br, R2_COPYPEN);
        }
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_BOTTOM) --r.bottom;
        if (flags & BF_RIGHT) --r.right;
    }
    if ((flags & BF_MIDDLE) && hasSurface) {
        const int face = (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE;
        MixRect(dc, r, ToPixel(GetSysColor(face)), R2_COPYPEN);
    }
    if (hasSurface) {
        dc->m_pSurface->Touch();
    }
    if (flags & BF_ADJUST) {
        const LONG dx = dc->SurfaceX(0);
        const LONG dy = dc->SurfaceY(0);
        *rect = RECT{r.left - dx, r.top - dy, r.right - dx, r.bottom - dy};
    }
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect)
{
    if (dc == nullptr || rect == nullptr) {
        return FALSE;
    }
    if (dc->m_pSurface == nullptr) {
        return TRUE;
    }
    // Every other pixel of the ring, on a checkerboard fixed to the surface
    // so that touching rectangles dot alike.
    Surface& s = *dc->m_pSurface;
    Ring(ToSurface(dc, *rect), [&](LONG y, LONG x0, LONG x1) {
        for (LONG x = x0; x < x1; ++x) {
            if (((x + y) & 1) == 0 && InClip(dc, x, y)) {
                s.Row(y)[x] ^= kColorBits;
            }
        }
    });
    s.Touch();
    return TRUE;
}
