#pragma once

// Inside the drawing layer: fonts realised at a pixel size through
// FreeType, with their metrics and a cache of rendered glyphs.

#include "platform/gdi/Text.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::gdi::detail {

// One character rendered: an 8-bit coverage mask placed relative to the pen
// position on the baseline.
struct Glyph {
    int width = 0;
    int rows = 0;
    int left = 0; // from the pen position to the mask's left column
    int top = 0;  // from the baseline up to the mask's top row
    int advance = 0;
    std::vector<std::uint8_t> coverage; // rows x width
};

// A typeface at one pixel size. Created once per distinct request and kept
// for the life of the process; safe to use from any thread.
class FontFace {
public:
    // The face for a font description (heights already in pixels).
    static FontFace& For(const LOGFONT& font, int dpi);

    const TEXTMETRIC& Metrics() const { return m_metrics; }
    // The glyph of a byte of Western (1252) text.
    const Glyph& GlyphOf(unsigned char c);
    int Advance(unsigned char c) { return GlyphOf(c).advance; }
    // Rows below the baseline where an underline starts, and its thickness.
    int UnderlineOffset() const { return m_nUnderlineOffset; }
    int UnderlineThickness() const { return m_nUnderlineThickness; }
    // Rows above the baseline where a strike-out line starts.
    int StrikeOffset() const { return m_nStrikeOffset; }

    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    struct Key {
        int file; // family and style
        int ppem; // pixels per em
        bool mono;
        bool operator<(const Key& o) const;
    };
    explicit FontFace(const Key& key, const LOGFONT& font, int dpi);

private:
    Glyph* Render(unsigned char c);

    Key m_key;
    void* m_pFace = nullptr; // FT_Face, null when the font file is missing
    TEXTMETRIC m_metrics{};
    int m_nUnderlineOffset = 1;
    int m_nUnderlineThickness = 1;
    int m_nStrikeOffset = 3;
    std::atomic<Glyph*> m_glyphs[256] = {};
};

} // namespace platform::gdi::detail

namespace platform::gdi::detail {

// The face of the font selected into a context.
FontFace& FaceOf(HDC dc);

// The text metrics of the selected font, with the flags that are the
// font's own rather than the face's (underline, strike-out, weight).
TEXTMETRIC MetricsOf(HDC dc);

// Sum of the advances of n bytes.
LONG TextWidth(FontFace& face, const unsigned char* text, int n);

// One run of text to paint: its bytes, optional per-character advances,
// and optionally which characters get a mnemonic underline.
struct TextRun {
    const unsigned char* text = nullptr;
    int length = 0;
    const int* dx = nullptr;
    const std::vector<bool>* marks = nullptr;
};

// Paints the run with its cell's top-left corner at surface (x, top) in
// the context's text colour, first filling the cell with the background
// colour when `opaque`; nothing lands outside `limit` (surface coordinates)
// when it is given. Underline and strike-out follow the selected font.
// Returns the run's width.
LONG PaintText(HDC dc, LONG x, LONG top, const TextRun& run, const RECT* limit, bool opaque);

} // namespace platform::gdi::detail
