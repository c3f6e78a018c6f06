// Clipping: the visible area a context was given, narrowed and cut by
// IntersectClipRect and ExcludeClipRect, kept as disjoint rectangles.

#include "platform/gdi/GdiObjects.h"

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

// Every rectangle of `rects` minus `cut`: up to four pieces each (the band
// above, the band below, and left and right of it in between).
std::vector<RECT> Subtract(const std::vector<RECT>& rects, const RECT& cut)
{
    std::vector<RECT> out;
    for (const RECT& r : rects) {
        const RECT i = Intersect(r, cut);
        if (IsEmpty(i)) {
            out.push_back(r);
            continue;
        }
        if (r.top < i.top) out.push_back(RECT{r.left, r.top, r.right, i.top});
        if (i.bottom < r.bottom) out.push_back(RECT{r.left, i.bottom, r.right, r.bottom});
        if (r.left < i.left) out.push_back(RECT{r.left, i.top, i.left, i.bottom});
        if (i.right < r.right) out.push_back(RECT{i.right, i.top, r.right, i.bottom});
    }
    return out;
}

std::vector<RECT> IntersectAll(const std::vector<RECT>& rects, const RECT& with)
{
    std::vector<RECT> out;
    for (const RECT& r : rects) {
        const RECT i = Intersect(r, with);
        if (!IsEmpty(i)) {
            out.push_back(i);
        }
    }
    return out;
}

RECT Bounds(const std::vector<RECT>& rects)
{
    if (rects.empty()) {
        return RECT{0, 0, 0, 0};
    }
    RECT b = rects.front();
    for (const RECT& r : rects) {
        b = RECT{std::min(b.left, r.left), std::min(b.top, r.top), std::max(b.right, r.right),
                 std::max(b.bottom, r.bottom)};
    }
    return b;
}

int RegionKind(const std::vector<RECT>& rects)
{
    return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// The user clipping as it stands, in device coordinates: the whole visible
// area when none was set.
std::vector<RECT> UserClip(HDC dc)
{
    if (dc->m_state.bUserClip) {
        return dc->m_state.userClip;
    }
    std::vector<RECT> out;
    for (const RECT& r : dc->m_visible) {
        out.push_back(RECT{r.left - dc->m_ptOrigin.x, r.top - dc->m_ptOrigin.y, r.right - dc->m_ptOrigin.x,
                           r.bottom - dc->m_ptOrigin.y});
    }
    return out;
}

// A logical rectangle in device coordinates.
RECT ToDevice(HDC dc, int left, int top, int right, int bottom)
{
    const POINT v = dc->m_state.ptViewport;
    return Normalized(left + v.x, top + v.y, right + v.x, bottom + v.y);
}

int SetUserClip(HDC dc, std::vector<RECT> rects)
{
    dc->m_state.bUserClip = true;
    dc->m_state.userClip = std::move(rects);
    dc->m_bClipDirty = true;
    return RegionKind(dc->Clip());
}

} // namespace

const std::vector<RECT>& HDC__::Clip()
{
    const int w = m_pSurface == nullptr ? 0 : m_pSurface->Width();
    const int h = m_pSurface == nullptr ? 0 : m_pSurface->Height();
    if (!m_bClipDirty && w == m_nClipSurfaceWidth && h == m_nClipSurfaceHeight) {
        return m_clip;
    }
    m_clip = IntersectAll(m_visible, RECT{0, 0, w, h});
    if (m_state.bUserClip) {
        std::vector<RECT> combined;
        for (const RECT& u : m_state.userClip) {
            const RECT onSurface{u.left + m_ptOrigin.x, u.top + m_ptOrigin.y, u.right + m_ptOrigin.x,
                                 u.bottom + m_ptOrigin.y};
            for (const RECT& r : IntersectAll(m_clip, onSurface)) {
                combined.push_back(r);
            }
        }
        m_clip = std::move(combined);
    }
    m_rcClipBounds = Bounds(m_clip);
    m_nClipSurfaceWidth = w;
    m_nClipSurfaceHeight = h;
    m_bClipDirty = false;
    return m_clip;
}

namespace platform::gdi::detail {

bool InClip(HDC dc, LONG x, LONG y)
{
    const std::vector<RECT>& clip = dc->Clip();
    const RECT& b = dc->m_rcClipBounds;
    if (x < b.left || x >= b.right || y < b.top || y >= b.bottom) {
        return false;
    }
    for (const RECT& r : clip) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            return true;
        }
    }
    return false;
}

} // namespace platform::gdi::detail

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    if (dc == nullptr) {
        return ERROR;
    }
    return SetUserClip(dc, IntersectAll(UserClip(dc), ToDevice(dc, left, top, right, bottom)));
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom)
{
    if (dc == nullptr) {
        return ERROR;
    }
    return SetUserClip(dc, Subtract(UserClip(dc), ToDevice(dc, left, top, right, bottom)));
}

namespace platform::gdi {
int ResetClip(HDC dc)
{
    if (dc == nullptr) {
        return ERROR;
    }
    dc->m_state.bUserClip = false;
    dc->m_state.userClip.clear();
    dc->m_bClipDirty = true;
    return RegionKind(dc->Clip());
}
} // namespace platform::gdi

int GetClipBox(HDC dc, RECT* box)
{
    if (dc == nullptr || box == nullptr) {
        return ERROR;
    }
    const std::vector<RECT>& clip = dc->Clip();
    const RECT b = dc->m_rcClipBounds;
    const LONG dx = dc->SurfaceX(0);
    const LONG dy = dc->SurfaceY(0);
    *box = clip.empty() ? RECT{0, 0, 0, 0} : RECT{b.left - dx, b.top - dy, b.right - dx, b.bottom - dy};
    return RegionKind(clip);
}

BOOL PtVisible(HDC dc, int x, int y)
{
    return dc != nullptr && InClip(dc, dc->SurfaceX(x), dc->SurfaceY(y)) ? TRUE : FALSE;
}

BOOL RectVisible(HDC dc, const RECT* rect)
{
    if (dc == nullptr || rect == nullptr) {
        return FALSE;
    }
    const RECT r = ToSurface(dc, *rect);
    for (const RECT& c : dc->Clip()) {
        if (!IsEmpty(Intersect(r, c))) {
            return TRUE;
        }
    }
    return FALSE;
}
