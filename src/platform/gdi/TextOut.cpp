// Painting text: glyph masks blended onto the surface in the text colour,
// the opaque background cell, underlines, and TextOut / ExtTextOut with the
// context's text alignment.

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Paint.h"

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline std::uint32_t Div255(std::uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

inline Pixel Blend(Pixel dst, Pixel color, std::uint32_t a)
{
    const std::uint32_t na = 255 - a;
    const std::uint32_t r = Div255(((dst >> 16) & 0xFF) * na + ((color >> 16) & 0xFF) * a);
    const std::uint32_t g = Div255(((dst >> 8) & 0xFF) * na + ((color >> 8) & 0xFF) * a);
    const std::uint32_t b = Div255((dst & 0xFF) * na + (color & 0xFF) * a);
    return (r << 16) | (g << 8) | b;
}

// Calls fn on every piece of the surface rectangle inside both the
// clipping and the optional limit.
template <class Fn>
void ForEachPiece(HDC dc, const RECT& r, const RECT* limit, Fn&& fn)
{
    const RECT bounded = limit != nullptr ? Intersect(r, *limit) : r;
    if (IsEmpty(bounded)) {
        return;
    }
    for (const RECT& c : dc->Clip()) {
        const RECT piece = Intersect(bounded, c);
        if (!IsEmpty(piece)) {
            fn(piece);
        }
    }
}

void FillPieces(HDC dc, const RECT& r, const RECT* limit, Pixel color)
{
    Surface& s = *dc->m_pSurface;
    ForEachPiece(dc, r, limit, [&](const RECT& p) {
        for (LONG y = p.top; y < p.bottom; ++y) {
            std::fill(s.Row(y) + p.left, s.Row(y) + p.right, color);
        }
    });
}

void PaintGlyph(HDC dc, const Glyph& g, LONG penX, LONG baseline, const RECT* limit, Pixel color)
{
    if (g.width == 0 || g.rows == 0) {
        return;
    }
    const LONG left = penX + g.left;
    const LONG top = baseline - g.top;
    Surface& s = *dc->m_pSurface;
    ForEachPiece(dc, RECT{left, top, left + g.width, top + g.rows}, limit, [&](const RECT& p) {
        for (LONG y = p.top; y < p.bottom; ++y) {
            const std::uint8_t* cov = g.coverage.data() + static_cast<std::size_t>(y - top) * g.width - left;
            Pixel* row = s.Row(y);
            for (LONG x = p.left; x < p.right; ++x) {
                const std::uint32_t a = cov[x];
                if (a == 255) {
                    row[x] = color;
                } else if (a != 0) {
                    row[x] = Blend(row[x], color, a);
                }
            }
        }
    });
}

} // namespace

namespace platform::gdi::detail {

LONG PaintText(HDC dc, LONG x, LONG top, const TextRun& run, const RECT* limit, bool opaque)
{
    FontFace& face = FaceOf(dc);
    LONG width = 0;
    for (int i = 0; i < run.length; ++i) {
        width += run.dx != nullptr ? run.dx[i] : face.Advance(run.text[i]);
    }
    if (dc->m_pSurface == nullptr) {
        return width;
    }
    const TEXTMETRIC& tm = face.Metrics();
    const LONG baseline = top + tm.tmAscent;
    if (opaque) {
        FillPieces(dc, RECT{x, top, x + width, top + tm.tmHeight}, limit, dc->PixelOf(dc->m_state.crBk));
    }
    const Pixel color = dc->PixelOf(dc->m_state.crText);
    const LOGFONT& log = Impl(dc->m_state.font)->m_log;
    const LONG thickness = face.UnderlineThickness();
    const LONG underline = baseline + face.UnderlineOffset();
    LONG pen = x;
    for (int i = 0; i < run.length; ++i) {
        const unsigned char c = run.text[i];
        PaintGlyph(dc, face.GlyphOf(c), pen, baseline, limit, color);
        const LONG advance = run.dx != nullptr ? run.dx[i] : face.Advance(c);
        if (run.marks != nullptr && i < static_cast<int>(run.marks->size()) && (*run.marks)[i]) {
            FillPieces(dc, RECT{pen, underline, pen + advance, underline + thickness}, limit, color);
        }
        pen += advance;
    }
    if (log.lfUnderline) {
        FillPieces(dc, RECT{x, underline, x + width, underline + thickness}, limit, color);
    }
    if (log.lfStrikeOut) {
        const LONG strike = baseline - face.StrikeOffset();
        FillPieces(dc, RECT{x, strike, x + width, strike + thickness}, limit, color);
    }
    dc->m_pSurface->Touch();
    return width;
}

} // namespace platform::gdi::detail

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length, const int* dx)
{
    if (dc == nullptr || (text == nullptr && length > 0)) {
        return FALSE;
    }
    DcState& st = dc->m_state;
    RECT limit{};
    const bool hasRect = rect != nullptr && (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if (hasRect) {
        limit = ToSurface(dc, *rect);
        if ((options & ETO_OPAQUE) && dc->m_pSurface != nullptr) {
            FillPieces(dc, limit, nullptr, dc->PixelOf(st.crBk));
            dc->m_pSurface->Touch();
        }
    }
    FontFace& face = FaceOf(dc);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int n = static_cast<int>(length);
    LONG width = 0;
    for (int i = 0; i < n; ++i) {
        width += dx != nullptr ? dx[i] : face.Advance(bytes[i]);
    }
    // Horizontal: TA_LEFT 0, TA_RIGHT 2, TA_CENTER 6. Vertical: TA_TOP 0,
    // TA_BOTTOM 8, TA_BASELINE 24.
    LONG left = x;
    const UINT horizontal = st.nTextAlign & TA_CENTER;
    if (horizontal == TA_CENTER) {
        left = x - width / 2;
    } else if (horizontal == TA_RIGHT) {
        left = x - width;
    }
    const TEXTMETRIC& tm = face.Metrics();
    LONG top = y;
    const UINT vertical = st.nTextAlign & TA_BASELINE;
    if (vertical == TA_BASELINE) {
        top = y - tm.tmAscent;
    } else if (vertical == TA_BOTTOM) {
        top = y - tm.tmHeight;
    }
    const TextRun run{bytes, n, dx, nullptr};
    // An opaque rectangle already holds the background.
    const bool opaqueCell = st.nBkMode == OPAQUE && !(hasRect && (options & ETO_OPAQUE));
    PaintText(dc, dc->SurfaceX(left), dc->SurfaceY(top), run, (hasRect && (options & ETO_CLIPPED)) ? &limit : nullptr,
              opaqueCell);
    return TRUE;
}

BOOL TextOut(HDC dc, int x, int y, const char* text, int length)
{
    if (length < 0) {
        return FALSE;
    }
    return ExtTextOut(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}
