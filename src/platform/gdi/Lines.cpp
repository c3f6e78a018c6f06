// Lines: one-pixel lines pixel by pixel, with the end point left out and the
// same pixels whichever way they are drawn; wide lines as round-ended bands
// filled row by row.

#include "platform/gdi/Paint.h"

#include <array>
#include <cstdlib>

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

// Dash patterns of one-pixel styled pens: lengths of alternate on and off
// runs.
struct Dashes {
    std::array<int, 6> runs;
    int count;
};

const Dashes* DashesOf(int style)
{
    static const Dashes kDash{{18, 6}, 2};
    static const Dashes kDot{{3, 3}, 2};
    static const Dashes kDashDot{{9, 6, 3, 6}, 4};
    static const Dashes kDashDotDot{{9, 3, 3, 3, 3, 3}, 6};
    switch (style) {
    case PS_DASH:
        return &kDash;
    case PS_DOT:
        return &kDot;
    case PS_DASHDOT:
        return &kDashDot;
    case PS_DASHDOTDOT:
        return &kDashDotDot;
    default:
        return nullptr;
    }
}

// Whether step `step` of the pattern is in an "on" run.
bool DashOn(const Dashes& d, int step)
{
    int period = 0;
    for (int i = 0; i < d.count; ++i) {
        period += d.runs[static_cast<std::size_t>(i)];
    }
    int s = step % period;
    for (int i = 0; i < d.count; ++i) {
        if (s < d.runs[static_cast<std::size_t>(i)]) {
            return (i % 2) == 0;
        }
        s -= d.runs[static_cast<std::size_t>(i)];
    }
    return true;
}

LONG FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return static_cast<LONG>(q);
}

// The pixels of the closed segment a..b. Walking from the end with the
// smaller major coordinate makes the pixel set independent of the direction
// the caller draws in; at an exact half the minor coordinate stays with the
// walk's start. `visit(x, y, stepFromA)` gets each pixel once.
template <class Visit>
void WalkSegment(POINT a, POINT b, Visit&& visit)
{
    const std::int64_t dx = std::int64_t{b.x} - a.x;
    const std::int64_t dy = std::int64_t{b.y} - a.y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (n == 0) {
        visit(a.x, a.y, 0);
        return;
    }
    // Walk from s to e along the major axis in increasing order.
    const bool fromA = xMajor ? (a.x <= b.x) : (a.y <= b.y);
    const POINT s = fromA ? a : b;
    const POINT e = fromA ? b : a;
    const std::int64_t m = xMajor ? std::llabs(std::int64_t{e.y} - s.y) : std::llabs(std::int64_t{e.x} - s.x);
    const int minorStep = xMajor ? (e.y >= s.y ? 1 : -1) : (e.x >= s.x ? 1 : -1);
    // minor offset k(i) = floor((2 i m + n - 1) / 2n): i m / n rounded, halves down.
    std::int64_t rem = n - 1;
    LONG k = 0;
    const std::int64_t twoN = 2 * n;
    for (std::int64_t i = 0; i <= n; ++i) {
        const LONG major = static_cast<LONG>((xMajor ? s.x : s.y) + i);
        const LONG minor = (xMajor ? s.y : s.x) + k * minorStep;
        const LONG x = xMajor ? major : minor;
        const LONG y = xMajor ? minor : major;
        visit(x, y, static_cast<int>(fromA ? i : n - i));
        rem += 2 * m;
        if (rem >= twoN) {
            rem -= twoN;
            ++k;
        }
    }
}

// A band of half-width w/2 around a segment with round ends, in doubled
// coordinates so that both odd widths (centred on pixel centres) and even
// widths (centred on pixel corners) are exact.
class Band {
public:
    Band(POINT a, POINT b, int width)
    {
        const std::int64_t o = (width % 2 != 0) ? 1 : 0;
        m_ax = 2 * std::int64_t{a.x} + o;
        m_ay = 2 * std::int64_t{a.y} + o;
        m_bx = 2 * std::int64_t{b.x} + o;
        m_by = 2 * std::int64_t{b.y} + o;
        m_dx = m_bx - m_ax;
        m_dy = m_by - m_ay;
        m_len2 = m_dx * m_dx + m_dy * m_dy;
        m_r = width;
    }

    // Whether the centre of pixel (x, y) is inside.
    bool Inside(LONG x, LONG y) const
    {
        const std::int64_t px = 2 * std::int64_t{x} + 1;
        const std::int64_t py = 2 * std::int64_t{y} + 1;
        const std::int64_t wx = px - m_ax;
        const std::int64_t wy = py - m_ay;
        const std::int64_t dot = wx * m_dx + wy * m_dy;
        const std::int64_t r2 = m_r * m_r;
        if (m_len2 == 0 || dot <= 0) {
            return wx * wx + wy * wy <= r2;
        }
        if (dot >= m_len2) {
            const std::int64_t ux = px - m_bx;
            const std::int64_t uy = py - m_by;
            return ux * ux + uy * uy <= r2;
        }
        const __int128 cross = static_cast<__int128>(wx) * m_dy - static_cast<__int128>(wy) * m_dx;
        return cross * cross <= static_cast<__int128>(r2) * m_len2;
    }

    LONG Top() const { return FloorDiv(std::min(m_ay, m_by) - m_r - 1, 2); }
    LONG Bottom() const { return FloorDiv(std::max(m_ay, m_by) + m_r + 1, 2); }
    LONG Left() const { return FloorDiv(std::min(m_ax, m_bx) - m_r - 1, 2); }
    LONG Right() const { return FloorDiv(std::max(m_ax, m_bx) + m_r + 1, 2); }

    // The pixel column nearest to where the row comes closest to the core
    // segment.
    LONG NearestColumn(LONG y) const
    {
        const std::int64_t py = 2 * std::int64_t{y} + 1;
        std::int64_t cx2; // doubled x of the closest core point
        const std::int64_t lo = std::min(m_ay, m_by);
        const std::int64_t hi = std::max(m_ay, m_by);
        if (m_dy == 0) {
            cx2 = m_ax;
        } else if (py <= lo) {
            cx2 = m_ay <= m_by ? m_ax : m_bx;
        } else if (py >= hi) {
            cx2 = m_ay >= m_by ? m_ax : m_bx;
        } else {
            cx2 = m_ax + FloorDiv((py - m_ay) * m_dx, m_dy);
        }
        return FloorDiv(cx2 - 1, 2);
    }

private:
    std::int64_t m_ax, m_ay, m_bx, m_by, m_dx, m_dy, m_len2, m_r;
};

// The inside pixels of one row of a convex shape lie in one run; finds its
// ends by bisection from a pixel known to be inside.
template <class In>
std::pair<LONG, LONG> RunAround(LONG inside, LONG leftLimit, LONG rightLimit, In&& in)
{
    LONG lo = leftLimit;
    LONG hi = inside; // in(hi)
    while (lo < hi) {
        const LONG mid = lo + (hi - lo) / 2;
        if (in(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    const LONG first = hi;
    lo = inside;
    hi = rightLimit;
    while (lo < hi) {
        const LONG mid = lo + (hi - lo + 1) / 2;
        if (in(mid)) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return {first, lo + 1};
}

void StrokeWide(HDC dc, POINT a, POINT b, int width, Pixel color, int rop2)
{
    const Band band(a, b, width);
    const LONG left = band.Left();
    const LONG right = band.Right();
    const RECT bounds = dc->m_rcClipBounds;
    const LONG top = std::max(band.Top(), bounds.top);
    const LONG bottom = std::min(band.Bottom(), bounds.bottom - 1);
    for (LONG y = top; y <= bottom; ++y) {
        const LONG c = band.NearestColumn(y);
        LONG seed = c;
        if (!band.Inside(seed, y)) {
            seed = c + 1;
            if (!band.Inside(seed, y)) {
                continue;
            }
        }
        const auto run = RunAround(seed, left, right, [&](LONG x) { return band.Inside(x, y); });
        MixSpan(dc, y, run.first, run.second, color, rop2);
    }
}

} // namespace

namespace platform::gdi::detail {

int PenWidth(const Pen* pen)
{
    if (pen == nullptr || pen->m_nStyle == PS_NULL) {
        return 0;
    }
    return std::max(pen->m_nWidth, 1);
}

void MixSpan(HDC dc, LONG y, LONG x0, LONG x1, Pixel color, int rop2)
{
    dc->Clip();
    const RECT& b = dc->m_rcClipBounds;
    if (y < b.top || y >= b.bottom || x1 <= b.left || x0 >= b.right) {
        return;
    }
    for (const RECT& c : dc->m_clip) {
        if (y < c.top || y >= c.bottom) {
            continue;
        }
        const LONG l = std::max(x0, c.left);
        const LONG r = std::min(x1, c.right);
        if (l < r) {
            MixRow(rop2, color, dc->m_pSurface->Row(y) + l, r - l);
        }
    }
}

void StrokeLine(HDC dc, POINT a, POINT b, bool includeEnd, PenCursor& cursor)
{
    const Pen* pen = Impl(dc->m_state.pen);
    const int width = PenWidth(pen);
    if (width == 0 || dc->m_pSurface == nullptr) {
        return;
    }
    dc->Clip();
    if (dc->m_clip.empty()) {
        return;
    }
    const int rop2 = dc->m_state.nRop2;
    const Pixel color = dc->PixelOf(pen->m_crColor);
    if (width > 1) {
        StrokeWide(dc, a, b, width, color, rop2);
        dc->m_pSurface->Touch();
        return;
    }
    const Dashes* dashes = DashesOf(pen->m_nStyle);
    const bool fillGaps = dashes != nullptr && dc->m_state.nBkMode == OPAQUE;
    const Pixel gap = dc->PixelOf(dc->m_state.crBk);
    const LONG steps = std::max(std::labs(LONG{b.x} - a.x), std::labs(LONG{b.y} - a.y));
    const int start = cursor.step;

    // A line wholly inside one clipping rectangle needs no test per pixel.
    const RECT box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
    bool inOne = false;
    for (const RECT& c : dc->m_clip) {
        if (box.left >= c.left && box.right <= c.right && box.top >= c.top && box.bottom <= c.bottom) {
            inOne = true;
            break;
        }
    }
    Surface& surface = *dc->m_pSurface;
    WalkSegment(a, b, [&](LONG x, LONG y, int step) {
        if (step == steps && !includeEnd) {
            return;
        }
        if (!inOne && !InClip(dc, x, y)) {
            return;
        }
        Pixel* p = surface.Row(y) + x;
        if (dashes == nullptr) {
            *p = Mix(rop2, color, *p);
        } else if (DashOn(*dashes, start + step)) {
            *p = Mix(rop2, color, *p);
        } else if (fillGaps) {
            *p = Mix(rop2, gap, *p);
        }
    });
    cursor.step = start + static_cast<int>(steps);
    surface.Touch();
}

} // namespace platform::gdi::detail

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous)
{
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->m_state.ptCurrent;
    }
    dc->m_state.ptCurrent = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* position)
{
    if (dc == nullptr || position == nullptr) {
        return FALSE;
    }
    *position = dc->m_state.ptCurrent;
    return TRUE;
}

namespace {

POINT ToSurfacePoint(HDC dc, POINT p) { return POINT{dc->SurfaceX(p.x), dc->SurfaceY(p.y)}; }

} // namespace

BOOL LineTo(HDC dc, int x, int y)
{
    if (dc == nullptr) {
        return FALSE;
    }
    PenCursor cursor;
    StrokeLine(dc, ToSurfacePoint(dc, dc->m_state.ptCurrent), ToSurfacePoint(dc, POINT{x, y}), false, cursor);
    dc->m_state.ptCurrent = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count)
{
    if (dc == nullptr || points == nullptr || count < 2) {
        return FALSE;
    }
    PenCursor cursor;
    for (int i = 1; i < count; ++i) {
        StrokeLine(dc, ToSurfacePoint(dc, points[i - 1]), ToSurfacePoint(dc, points[i]), false, cursor);
    }
    return TRUE;
}
