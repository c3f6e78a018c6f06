// Fonts and text: metrics in sane ranges and stable, extents, where
// TextOut and DrawText put their ink for each alignment, opaque and
// transparent backgrounds, word breaks, mnemonic underlines, clipping,
// typeface mapping and dialog base units.

#include "gdi/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);

HFONT Font(const char* face, int height, int weight = FW_NORMAL, BYTE quality = PROOF_QUALITY)
{
    return CreateFont(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                      VARIABLE_PITCH, face);
}

// The dialog font's height in pixels at 96 pixels per inch: 8 points.
constexpr int kArial8 = -11;

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
    bool Empty() const { return count == 0; }
};

// The pixels of `c` that differ from `background`, or with `before` given,
// from the same pixel there.
Ink InkOf(const CCanvas& c, COLORREF background = kPaper, const CCanvas* before = nullptr)
{
    Ink ink;
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            if (c.At(x, y) != (before != nullptr ? before->At(x, y) : background)) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x + 1);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y + 1);
                ++ink.count;
            }
        }
    }
    return ink;
}

// True when canvas b is canvas a moved by (dx, dy) (pixels moved in from
// outside count as background).
bool Shifted(const CCanvas& a, const CCanvas& b, int dx, int dy)
{
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const int sx = x - dx;
            const int sy = y - dy;
            const COLORREF want = (sx >= 0 && sy >= 0 && sx < a.Width() && sy < a.Height()) ? a.At(sx, sy) : kPaper;
            if (b.At(x, y) != want) {
                return false;
            }
        }
    }
    return true;
}

// A fresh w x h canvas on which `draw` ran with `font` selected.
template <class F>
std::unique_ptr<CCanvas> DrawnWith(int w, int h, HFONT font, F&& draw)
{
    auto c = std::make_unique<CCanvas>(w, h);
    CSelected selected(c->Dc(), font);
    draw(c->Dc());
    return c;
}

TEXTMETRIC Metrics(HDC dc)
{
    TEXTMETRIC tm{};
    EXPECT_TRUE(GetTextMetrics(dc, &tm));
    return tm;
}

SIZE Extent(HDC dc, const char* text)
{
    SIZE s{};
    GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &s);
    return s;
}

TEST(TextMetrics, ArialEightAndFourteenAreInASaneRangeAndStable)
{
    CCanvas c(10, 10);
    CSelected small(c.Dc(), Font("Arial", kArial8));
    const TEXTMETRIC tm8 = Metrics(c.Dc());
    // An 11-pixel em plus the room accents need above it.
    EXPECT_GE(tm8.tmHeight, 12);
    EXPECT_LE(tm8.tmHeight, 15);
    EXPECT_EQ(tm8.tmHeight, tm8.tmAscent + tm8.tmDescent);
    EXPECT_EQ(tm8.tmInternalLeading, tm8.tmHeight - 11);
    EXPECT_GE(tm8.tmAscent, 9);
    EXPECT_GE(tm8.tmDescent, 2);
    EXPECT_LT(tm8.tmDescent, tm8.tmAscent / 2);
    EXPECT_GE(tm8.tmAveCharWidth, 4);
    EXPECT_LE(tm8.tmAveCharWidth, 6);
    EXPECT_GT(tm8.tmMaxCharWidth, tm8.tmAveCharWidth);
    EXPECT_GE(tm8.tmExternalLeading, 0);
    EXPECT_NE(tm8.tmPitchAndFamily & TMPF_FIXED_PITCH, 0); // variable pitch
    EXPECT_NE(tm8.tmPitchAndFamily & TMPF_TRUETYPE, 0);

    HFONT big = Font("Arial", 14, 100);
    SelectObject(c.Dc(), big);
    const TEXTMETRIC tm14 = Metrics(c.Dc());
    // A positive height asks for the cell.
    EXPECT_GE(tm14.tmHeight, 13);
    EXPECT_LE(tm14.tmHeight, 14);
    EXPECT_GE(tm14.tmAveCharWidth, 5);
    EXPECT_LE(tm14.tmAveCharWidth, 7);

    // The same answers again, after other fonts, and from a second handle.
    HFONT again = Font("Arial", kArial8);
    SelectObject(c.Dc(), again);
    const TEXTMETRIC tm8b = Metrics(c.Dc());
    EXPECT_EQ(std::memcmp(&tm8, &tm8b, sizeof tm8), 0);
    SelectObject(c.Dc(), big);
    const TEXTMETRIC tm14b = Metrics(c.Dc());
    EXPECT_EQ(std::memcmp(&tm14, &tm14b, sizeof tm14), 0);
    SelectObject(c.Dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(big);
    DeleteObject(again);
}

TEST(TextMetrics, LargerFontsAreTallerAndBoldIsWider)
{
    CCanvas c(10, 10);
    LONG previous = 0;
    for (int h : {11, 14, 16, 28}) {
        CSelected f(c.Dc(), Font("Times New Roman", h, FW_MEDIUM));
        const TEXTMETRIC tm = Metrics(c.Dc());
        EXPECT_LE(tm.tmHeight, h);
        EXPECT_GT(tm.tmHeight, previous);
        previous = tm.tmHeight;
    }
    LONG regular = 0;
    {
        CSelected f(c.Dc(), Font("Arial", 14));
        regular = Extent(c.Dc(), "Scale Detune").cx;
    }
    CSelected f(c.Dc(), Font("Arial", 14, FW_BOLD));
    EXPECT_GT(Extent(c.Dc(), "Scale Detune").cx, regular);
    const TEXTMETRIC tm = Metrics(c.Dc());
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
}

TEST(TextExtent, AddsUpTheCharactersAndUsesTheCellHeight)
{
    CCanvas c(10, 10);
    CSelected f(c.Dc(), Font("Arial", 14));
    const TEXTMETRIC tm = Metrics(c.Dc());
    const SIZE ab = Extent(c.Dc(), "Tracking");
    EXPECT_EQ(ab.cx, Extent(c.Dc(), "Track").cx + Extent(c.Dc(), "ing").cx);
    EXPECT_EQ(ab.cy, tm.tmHeight);
    EXPECT_LT(Extent(c.Dc(), "iiii").cx, Extent(c.Dc(), "MMMM").cx);
    EXPECT_EQ(Extent(c.Dc(), "").cx, 0);

    CSelected mono(c.Dc(), Font("Courier New", 14));
    EXPECT_EQ(Extent(c.Dc(), "iiii").cx, Extent(c.Dc(), "MMMM").cx);
}

TEST(TextOut, InkStaysInTheCellPlacedByTheAlignment)
{
    const char* text = "Retune 48";
    const int n = static_cast<int>(std::strlen(text));
    CCanvas c(200, 60);
    CSelected f(c.Dc(), Font("Arial", 14));
    const TEXTMETRIC tm = Metrics(c.Dc());
    const SIZE size = Extent(c.Dc(), text);
    SetBkMode(c.Dc(), TRANSPARENT);

    TextOut(c.Dc(), 20, 10, text, n);
    const Ink topLeft = InkOf(c);
    ASSERT_FALSE(topLeft.Empty());
    EXPECT_GE(topLeft.left, 20);
    EXPECT_LE(topLeft.left, 22);
    EXPECT_LE(topLeft.right, 20 + size.cx);
    EXPECT_GE(topLeft.top, 10);
    EXPECT_LE(topLeft.bottom, 10 + tm.tmHeight);

    // Baseline, bottom, right and centre alignment only move the same ink.
    struct Case {
        UINT align;
        int x, y, dx, dy;
    };
    const Case cases[] = {
        {TA_LEFT | TA_BASELINE, 20, 40, 0, 40 - tm.tmAscent - 10},
        {TA_LEFT | TA_BOTTOM, 20, 50, 0, 50 - tm.tmHeight - 10},
        {TA_RIGHT | TA_TOP, 150, 10, 150 - size.cx - 20, 0},
        {TA_CENTER | TA_TOP, 100, 10, 100 - size.cx / 2 - 20, 0},
    };
    for (const Case& k : cases) {
        CCanvas moved(200, 60);
        CSelected f2(moved.Dc(), Font("Arial", 14));
        SetBkMode(moved.Dc(), TRANSPARENT);
        SetTextAlign(moved.Dc(), k.align);
        TextOut(moved.Dc(), k.x, k.y, text, n);
        EXPECT_TRUE(Shifted(c, moved, k.dx, k.dy)) << "align " << k.align;
    }
}

TEST(TextOut, OpaqueFillsTheCellAndTransparentKeepsTheBackground)
{
    const char* text = "Graphical";
    CCanvas c(120, 30, RGB(192, 192, 192));
    CSelected f(c.Dc(), Font("Arial", kArial8));
    const SIZE size = Extent(c.Dc(), text);
    SetBkColor(c.Dc(), RGB(255, 255, 225));
    SetTextColor(c.Dc(), RGB(0, 0, 255));
    EXPECT_EQ(GetBkMode(c.Dc()), OPAQUE);
    TextOut(c.Dc(), 5, 5, text, 9);
    // The whole cell is either background or (partly) text, nothing grey.
    for (int y = 5; y < 5 + size.cy; ++y) {
        for (int x = 5; x < 5 + size.cx; ++x) {
            const COLORREF p = c.At(x, y);
            EXPECT_EQ(GetRValue(p), GetGValue(p)) << x << "," << y; // between pale yellow and blue
            EXPECT_EQ(GetBValue(p) >= 225, true) << x << "," << y;
        }
    }
    EXPECT_EQ(c.At(4, 5), RGB(192, 192, 192));
    EXPECT_EQ(c.At(5 + size.cx, 5), RGB(192, 192, 192));
    EXPECT_EQ(c.At(5, 5 + size.cy), RGB(192, 192, 192));

    c.Clear(RGB(192, 192, 192));
    SetBkMode(c.Dc(), TRANSPARENT);
    // Large enough for stems to cover whole pixels.
    CSelected large(c.Dc(), Font("Arial", 28));
    TextOut(c.Dc(), 5, 0, text, 9);
    int exact = 0;
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            const COLORREF p = c.At(x, y);
            EXPECT_NE(p, RGB(255, 255, 225));
            // Blends lie between the grey and the blue.
            EXPECT_EQ(GetRValue(p), GetGValue(p));
            EXPECT_LE(GetRValue(p), 192);
            EXPECT_GE(GetBValue(p), 192);
            exact += p == RGB(0, 0, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(exact, 5); // stems are fully covered
}

TEST(TextOut, BlackAndWhiteQualityDrawsOnlyTheTextColour)
{
    CCanvas c(100, 20);
    CSelected f(c.Dc(), Font("Arial", 14, FW_NORMAL, NONANTIALIASED_QUALITY));
    SetTextColor(c.Dc(), RGB(200, 0, 0));
    TextOut(c.Dc(), 2, 2, "Scale Detune", 12);
    const Ink ink = InkOf(c);
    EXPECT_GT(ink.count, 30);
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            EXPECT_TRUE(c.At(x, y) == kPaper || c.At(x, y) == RGB(200, 0, 0)) << x << "," << y;
        }
    }
}

TEST(TextOut, UnderlinedFontsAddALineUnderTheBaseline)
{
    CCanvas plain(80, 20);
    CCanvas lined(80, 20);
    CSelected f1(plain.Dc(), Font("Arial", 14));
    HFONT u = CreateFont(14, 0, 0, 0, FW_NORMAL, 0, TRUE, 0, 0, 0, 0, PROOF_QUALITY, VARIABLE_PITCH, "Arial");
    CSelected f2(lined.Dc(), u);
    TextOut(plain.Dc(), 2, 2, "oo", 2);
    TextOut(lined.Dc(), 2, 2, "oo", 2);
    const TEXTMETRIC tm = Metrics(lined.Dc());
    EXPECT_EQ(tm.tmUnderlined, 1);
    // The added pixels are one black row just below the baseline, across
    // the whole text.
    const Ink added = InkOf(lined, kPaper, &plain);
    EXPECT_EQ(added.count, Extent(lined.Dc(), "oo").cx);
    EXPECT_EQ(added.right - added.left, added.count);
    EXPECT_EQ(added.bottom, added.top + 1);
    EXPECT_EQ(lined.At(added.left, added.top), kInk);
    EXPECT_EQ(lined.At(added.right - 1, added.top), kInk);
    EXPECT_GT(added.top, 2 + tm.tmAscent - 1);
    EXPECT_LE(added.top, 2 + tm.tmHeight);
}

TEST(TextOut, ExtTextOutFillsAndClipsToItsRectangle)
{
    CCanvas c(100, 30, RGB(192, 192, 192));
    CSelected f(c.Dc(), Font("Arial", 14));
    SetBkColor(c.Dc(), kPaper);
    const RECT r{10, 5, 30, 25};
    ExtTextOut(c.Dc(), 12, 8, ETO_OPAQUE | ETO_CLIPPED, &r, "Scale Detune", 12, nullptr);
    EXPECT_EQ(c.At(10, 5), kPaper);
    EXPECT_EQ(c.At(29, 24), kPaper);
    // Nothing outside the rectangle changed: the grey around it is all there,
    // and inside, text was drawn on the white.
    EXPECT_EQ(c.CountNot(RGB(192, 192, 192)), 20 * 20);
    EXPECT_GT(c.CountNot(kPaper) - (100 * 30 - 20 * 20), 10);
}

TEST(DrawText, AlignmentMovesTheSameLineByStatedAmounts)
{
    const char* text = "Correct Pitch";
    const RECT box{10, 5, 190, 45};
    auto draw = [&](UINT format) {
        int h = 0;
        auto c = DrawnWith(200, 50, Font("Arial", kArial8), [&](HDC dc) {
            RECT r = box;
            h = DrawText(dc, text, -1, &r, format);
        });
        return std::make_pair(std::move(c), h);
    };
    CCanvas probe(2, 2);
    CSelected pf(probe.Dc(), Font("Arial", kArial8));
    const SIZE size = Extent(probe.Dc(), text);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;

    auto [left, h1] = draw(DT_LEFT | DT_TOP | DT_SINGLELINE);
    EXPECT_EQ(h1, size.cy);
    EXPECT_FALSE(InkOf(*left).Empty());
    auto [right, h2] = draw(DT_RIGHT | DT_SINGLELINE);
    EXPECT_TRUE(Shifted(*left, *right, width - size.cx, 0));
    auto [centre, h3] = draw(DT_CENTER | DT_SINGLELINE);
    EXPECT_TRUE(Shifted(*left, *centre, (width - size.cx) / 2, 0));
    auto [middle, h4] = draw(DT_VCENTER | DT_SINGLELINE);
    EXPECT_TRUE(Shifted(*left, *middle, 0, (height - size.cy) / 2));
    EXPECT_EQ(h4, (height - size.cy) / 2 + size.cy);
    auto [bottom, h5] = draw(DT_BOTTOM | DT_RIGHT | DT_SINGLELINE);
    EXPECT_TRUE(Shifted(*left, *bottom, width - size.cx, height - size.cy));
    EXPECT_EQ(h5, height);
}

TEST(DrawText, WordBreakWrapsInsideTheWidthAndCalcRectMeasures)
{
    const char* text = "Hold the <Ctrl> key while dragging the Scale Detune slider for fine tuning.";
    CCanvas c(260, 120);
    CSelected f(c.Dc(), Font("Arial", kArial8));
    const TEXTMETRIC tm = Metrics(c.Dc());
    const SIZE whole = Extent(c.Dc(), text);

    RECT calc{0, 0, 220, 0};
    const int h = DrawText(c.Dc(), text, -1, &calc, DT_WORDBREAK | DT_CALCRECT);
    const int lines = h / tm.tmHeight;
    EXPECT_EQ(h % tm.tmHeight, 0);
    EXPECT_GE(lines, 2);
    EXPECT_LE(lines, 1 + whole.cx / 220 + 1);
    EXPECT_EQ(calc.bottom, h);
    EXPECT_LE(calc.right, 220);
    EXPECT_EQ(InkOf(c).count, 0); // measuring draws nothing

    RECT r{20, 10, 240, 110};
    EXPECT_EQ(DrawText(c.Dc(), text, -1, &r, DT_WORDBREAK | DT_NOCLIP), h);
    const Ink ink = InkOf(c);
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 240);
    EXPECT_GT(ink.bottom, 10 + (lines - 1) * tm.tmHeight);
    EXPECT_LE(ink.bottom, 10 + lines * tm.tmHeight);

    // A single line measures to the text's extent.
    RECT one{5, 5, 6, 6};
    EXPECT_EQ(DrawText(c.Dc(), "Tracking", -1, &one, DT_SINGLELINE | DT_CALCRECT), tm.tmHeight);
    EXPECT_EQ(one.right, 5 + Extent(c.Dc(), "Tracking").cx);
    EXPECT_EQ(one.bottom, 5 + tm.tmHeight);

    // Line ends break lines, except in single-line mode.
    RECT two{0, 0, 300, 0};
    EXPECT_EQ(DrawText(c.Dc(), "fast\nslow", -1, &two, DT_CALCRECT), 2 * tm.tmHeight);
    RECT same{0, 0, 300, 0};
    EXPECT_EQ(DrawText(c.Dc(), "fast\nslow", -1, &same, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
}

TEST(DrawText, AmpersandUnderlinesTheNextLetterAndTwoMakeOne)
{
    auto draw = [](const char* text, UINT extra) {
        return DrawnWith(120, 24, Font("Arial", kArial8), [&](HDC dc) {
            RECT r{4, 4, 116, 20};
            DrawText(dc, text, -1, &r, DT_SINGLELINE | extra);
        });
    };
    const auto plain = draw("Edit Scale", 0);
    const auto marked = draw("&Edit Scale", 0);
    CCanvas probe(2, 2);
    CSelected pf(probe.Dc(), Font("Arial", kArial8));
    const TEXTMETRIC tm = Metrics(probe.Dc());
    const int e = Extent(probe.Dc(), "E").cx;
    // One row under the E, below the baseline.
    const Ink added = InkOf(*marked, kPaper, plain.get());
    EXPECT_EQ(added.count, e);
    EXPECT_GE(added.left, 4);
    EXPECT_LE(added.right, 4 + e);
    EXPECT_GT(added.top, 4 + tm.tmAscent - 1);
    EXPECT_LE(added.bottom, 4 + tm.tmHeight + 1);
    // The mark can be hidden while the '&' is still taken out.
    EXPECT_TRUE(Shifted(*plain, *draw("&Edit Scale", DT_HIDEPREFIX), 0, 0));
    // "&&" is one visible ampersand, as is '&' without prefix processing.
    EXPECT_TRUE(Shifted(*draw("A&&B", 0), *draw("A&B", DT_NOPREFIX), 0, 0));
    EXPECT_FALSE(Shifted(*plain, *draw("&Edit Scale", DT_NOPREFIX), 0, 0));
}

TEST(DrawText, ClipsToItsRectangleUnlessToldNot)
{
    auto ink = [](UINT format) {
        return InkOf(*DrawnWith(200, 30, Font("Arial", kArial8), [&](HDC dc) {
            RECT r{10, 5, 60, 25};
            DrawText(dc, "(No Vibrato) Sine Wave Square Sawtooth", -1, &r, DT_SINGLELINE | format);
        }));
    };
    const Ink clipped = ink(0);
    EXPECT_FALSE(clipped.Empty());
    EXPECT_LE(clipped.right, 60);
    EXPECT_GT(ink(DT_NOCLIP).right, 100);
    // With an ellipsis the shortened line fits even unclipped.
    const Ink shortened = ink(DT_NOCLIP | DT_END_ELLIPSIS);
    EXPECT_LE(shortened.right, 60);
    EXPECT_GT(shortened.right, 40);
}

TEST(Typefaces, NamesMapToTheirFamiliesAndUnknownNamesToTheSansFace)
{
    auto render = [](const char* face) {
        return DrawnWith(120, 24, Font(face, 16), [](HDC dc) { TextOut(dc, 2, 2, "Intonara tm", 11); });
    };
    const auto arial = render("Arial");
    EXPECT_TRUE(Shifted(*arial, *render("No Such Face"), 0, 0));
    EXPECT_TRUE(Shifted(*arial, *render("arial"), 0, 0));
    EXPECT_FALSE(Shifted(*arial, *render("Times New Roman"), 0, 0));
    EXPECT_FALSE(Shifted(*arial, *render("Courier New"), 0, 0));
    EXPECT_FALSE(Shifted(*render("Times New Roman"), *render("Courier New"), 0, 0));
}

TEST(DialogUnits, EachFontGivesItsOwnUnitsAndTheSystemFontTheClassicOnes)
{
    // For the system font and for Arial 8 of a dialog template: the vertical
    // unit is the cell height, the horizontal one the letters' average width,
    // rounded.
    HFONT arial8 = Font("Arial", kArial8);
    for (HFONT font : {static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), arial8}) {
        const SIZE units = platform::gdi::GetFontBaseUnits(font);
        CCanvas c(4, 4);
        SelectObject(c.Dc(), font);
        const TEXTMETRIC tm = Metrics(c.Dc());
        EXPECT_EQ(units.cy, tm.tmHeight) << (font == arial8 ? "Arial" : "system");
        const SIZE letters = Extent(c.Dc(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        EXPECT_LE(std::abs(2 * 52 * units.cx - 2 * letters.cx), 52) << (font == arial8 ? "Arial" : "system");
        SelectObject(c.Dc(), GetStockObject(SYSTEM_FONT));
    }
    const SIZE units = platform::gdi::GetFontBaseUnits(arial8);
    EXPECT_GE(units.cx, 5);
    EXPECT_LE(units.cx, 7);
    HFONT large = Font("Arial", 28);
    const SIZE bigger = platform::gdi::GetFontBaseUnits(large);
    EXPECT_GT(bigger.cx, units.cx);
    EXPECT_GT(bigger.cy, units.cy);
    DeleteObject(large);
    DeleteObject(arial8);
    EXPECT_EQ(platform::gdi::GetFontBaseUnits(nullptr).cx, 0);

    // 8 x 16 at 96 pixels per inch and 10 x 20 at 120: what a page of
    // 322 x 210 dialog units (644 x 420 pixels) and its large-font size of
    // 250 x 170 were laid out for.
    LONG classic = GetDialogBaseUnits();
    EXPECT_EQ(classic & 0xFFFF, 8);
    EXPECT_EQ((classic >> 16) & 0xFFFF, 16);
    platform::gdi::SetLogicalDpi(120);
    classic = GetDialogBaseUnits();
    const SIZE gui = platform::gdi::GetFontBaseUnits(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    platform::gdi::SetLogicalDpi(96);
    EXPECT_EQ(classic & 0xFFFF, 10);
    EXPECT_EQ((classic >> 16) & 0xFFFF, 20);
    EXPECT_GT(gui.cy, platform::gdi::GetFontBaseUnits(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))).cy);
}

} // namespace
