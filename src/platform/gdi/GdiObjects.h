#pragma once

// Inside the drawing layer: what the handles point at, the registry of live
// objects, and the device context with its state and clipping.

#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::gdi::detail {

// What the handles point at.
struct Pen : HPEN__ {
    int m_nStyle = PS_SOLID;
    int m_nWidth = 1;
    COLORREF m_crColor = 0;
};

struct Brush : HBRUSH__ {
    UINT m_nStyle = BS_SOLID;
    COLORREF m_crColor = 0;
};

struct Font : HFONT__ {
    LOGFONT m_log{};
    // Stock fonts sized in points follow the logical resolution: the em, or
    // with m_bCellPoints the cell. 0 means m_log.lfHeight is in pixels.
    int m_nPoints = 0;
    bool m_bCellPoints = false;
};

struct Bitmap : HBITMAP__ {
    Surface m_surface;
    HDC m_pSelectedInto = nullptr;
};

struct Palette : HPALETTE__ {
    std::vector<PALETTEENTRY> m_entries;
};

inline Pen* Impl(HPEN h) { return static_cast<Pen*>(h); }
inline Brush* Impl(HBRUSH h) { return static_cast<Brush*>(h); }
inline Font* Impl(HFONT h) { return static_cast<Font*>(h); }
inline Bitmap* Impl(HBITMAP h) { return static_cast<Bitmap*>(h); }
inline Palette* Impl(HPALETTE h) { return static_cast<Palette*>(h); }

// The registry of live objects: their kind (OBJ_PEN ...), whether they are
// stock objects, and how many context states use them (selected, or held by
// a saved state), so that DeleteObject can refuse objects in use.
void RegisterObject(HGDIOBJ object, DWORD type, bool stock);
template <class T>
T* Register(std::unique_ptr<T> object, DWORD type, bool stock = false)
{
    T* p = object.release();
    RegisterObject(p, type, stock);
    return p;
}
// The kind of a live object, 0 for anything else.
DWORD TypeOf(HGDIOBJ handle);
// The handle when it is a live object of that kind, else null.
template <class H>
H Checked(H handle, DWORD type)
{
    return TypeOf(handle) == type ? handle : nullptr;
}
void AddUse(HGDIOBJ handle);
void DropUse(HGDIOBJ handle);
HBITMAP StockBitmap();
// The font's description with a point size resolved to pixels at the
// logical resolution.
LOGFONT EffectiveLogFont(HFONT font);

// The drawing state that SaveDC keeps.
struct DcState {
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    COLORREF crText = 0x000000;
    COLORREF crBk = 0xFFFFFF;
    int nBkMode = OPAQUE;
    int nRop2 = R2_COPYPEN;
    UINT nTextAlign = TA_LEFT | TA_TOP;
    POINT ptCurrent{0, 0};
    POINT ptViewport{0, 0};
    // Clipping set by IntersectClipRect / ExcludeClipRect, in device
    // coordinates; none means the whole visible area.
    bool bUserClip = false;
    std::vector<RECT> userClip;
};

enum class DcKind { Window, Memory, Screen };

} // namespace platform::gdi::detail

struct HDC__ {
    explicit HDC__(platform::gdi::detail::DcKind kind) : m_kind(kind) {}
    HDC__(const HDC__&) = delete;
    HDC__& operator=(const HDC__&) = delete;

    platform::gdi::detail::DcKind m_kind;
    // What drawing lands on; null draws nowhere (the screen stand-in, a memory
    // context holding the stock bitmap).
    platform::gdi::Surface* m_pSurface = nullptr;
    // Device (0, 0) on the surface.
    POINT m_ptOrigin{0, 0};
    // The part of the surface this context may touch, in surface
    // coordinates, as disjoint rectangles.
    std::vector<RECT> m_visible;

    platform::gdi::detail::DcState m_state;
    std::vector<platform::gdi::detail::DcState> m_saved;

    // Visible area and user clipping combined, in surface coordinates;
    // rebuilt when either changes or the surface is resized.
    std::vector<RECT> m_clip;
    RECT m_rcClipBounds{0, 0, 0, 0};
    bool m_bClipDirty = true;
    int m_nClipSurfaceWidth = -1;
    int m_nClipSurfaceHeight = -1;

    // The clip rectangles, up to date.
    const std::vector<RECT>& Clip();
    // Logical to surface coordinates.
    LONG SurfaceX(LONG x) const { return x + m_state.ptViewport.x + m_ptOrigin.x; }
    LONG SurfaceY(LONG y) const { return y + m_state.ptViewport.y + m_ptOrigin.y; }
    // A colour as a surface pixel (the top byte of a COLORREF is ignored).
    std::uint32_t PixelOf(COLORREF color) const;
};

namespace platform::gdi::detail {

// Creates a context of the given kind with the default objects selected.
HDC NewDc(DcKind kind, Surface* surface, POINT origin, std::vector<RECT> visible);
bool IsLiveDc(HDC dc);
void FreeDc(HDC dc);

// Rectangle helpers on half-open rectangles.
inline bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
inline RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return r;
}
inline RECT Normalized(LONG l, LONG t, LONG r, LONG b)
{
    return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// Calls fn(row pointer, count, x, y) for every row of every piece of the
// surface rectangle `r` that lies inside the context's clipping, then marks
// the surface touched when anything was visited.
template <class Fn>
void ForEachClippedRow(HDC dc, const RECT& r, Fn&& fn)
{
    if (dc->m_pSurface == nullptr || IsEmpty(r)) {
        return;
    }
    bool touched = false;
    for (const RECT& c : dc->Clip()) {
        const RECT piece = Intersect(r, c);
        if (IsEmpty(piece)) {
            continue;
        }
        touched = true;
        const int n = piece.right - piece.left;
        for (LONG y = piece.top; y < piece.bottom; ++y) {
            fn(dc->m_pSurface->Row(y) + piece.left, n, piece.left, y);
        }
    }
    if (touched) {
        dc->m_pSurface->Touch();
    }
}

// A logical rectangle in surface coordinates, normalised.
inline RECT ToSurface(HDC dc, const RECT& r)
{
    return Normalized(dc->SurfaceX(r.left), dc->SurfaceY(r.top), dc->SurfaceX(r.right), dc->SurfaceY(r.bottom));
}

// True when the pixel at surface (x, y) may be drawn.
bool InClip(HDC dc, LONG x, LONG y);

} // namespace platform::gdi::detail
