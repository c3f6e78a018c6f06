// Mix modes and raster operations, each checked against its truth table on
// chosen pixels: with pen or pattern 0xF0 / 0xCC, source 0xCC and
// destination 0xAA in every channel, every combination of input bits occurs
// in each byte, so the result byte spells out the whole table.

#include "gdi/GdiTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF Grey(BYTE v) { return RGB(v, v, v); }

TEST(MixModes, EachModeCombinesPenAndPixelByItsTruthTable)
{
    struct Case {
        int mode;
        BYTE result; // pen 0xCC, pixel 0xAA
    };
    const Case cases[] = {
        {R2_BLACK, 0x00},       {R2_NOTMERGEPEN, 0x11}, {R2_MASKNOTPEN, 0x22}, {R2_NOTCOPYPEN, 0x33},
        {R2_MASKPENNOT, 0x44},  {R2_NOT, 0x55},         {R2_XORPEN, 0x66},     {R2_NOTMASKPEN, 0x77},
        {R2_MASKPEN, 0x88},     {R2_NOTXORPEN, 0x99},   {R2_NOP, 0xAA},        {R2_MERGENOTPEN, 0xBB},
        {R2_COPYPEN, 0xCC},     {R2_MERGEPENNOT, 0xDD}, {R2_MERGEPEN, 0xEE},   {R2_WHITE, 0xFF},
    };
    for (const Case& c : cases) {
        CCanvas canvas(7, 5, Grey(0xAA));
        CSelected pen(canvas.Dc(), CreatePen(PS_SOLID, 1, Grey(0xCC)));
        EXPECT_EQ(SetROP2(canvas.Dc(), c.mode), R2_COPYPEN);
        EXPECT_EQ(GetROP2(canvas.Dc()), c.mode);
        MoveToEx(canvas.Dc(), 1, 1, nullptr);
        LineTo(canvas.Dc(), 5, 1);
        EXPECT_EQ(canvas.At(2, 1), Grey(c.result)) << "mode " << c.mode;
        EXPECT_EQ(canvas.At(2, 0), Grey(0xAA)) << "mode " << c.mode;
        // A brush fill of a shape goes through the same table; FillRect
        // ignores the mode.
        CSelected brush(canvas.Dc(), CreateSolidBrush(Grey(0xCC)));
        SelectObject(canvas.Dc(), GetStockObject(NULL_PEN));
        Rectangle(canvas.Dc(), 0, 2, 7, 4);
        EXPECT_EQ(canvas.At(3, 2), Grey(c.result)) << "mode " << c.mode;
        EXPECT_EQ(canvas.At(3, 3), Grey(0xAA)) << "mode " << c.mode;
        const RECT r{0, 4, 7, 5};
        FillRect(canvas.Dc(), &r, static_cast<HBRUSH>(GetCurrentObject(canvas.Dc(), OBJ_BRUSH)));
        EXPECT_EQ(canvas.At(3, 4), Grey(0xCC)) << "mode " << c.mode;
    }
}

TEST(RasterOps, BitBltCombinesSourcePatternAndDestinationByTheTable)
{
    struct Case {
        DWORD rop;
        BYTE result; // pattern 0xF0, source 0xCC, destination 0xAA
    };
    const Case cases[] = {
        {SRCCOPY, 0xCC},     {SRCPAINT, 0xEE},   {SRCAND, 0x88},     {SRCINVERT, 0x66},  {SRCERASE, 0x44},
        {NOTSRCCOPY, 0x33},  {NOTSRCERASE, 0x11}, {MERGECOPY, 0xC0}, {MERGEPAINT, 0xBB}, {PATCOPY, 0xF0},
        {PATPAINT, 0xFB},    {PATINVERT, 0x5A},  {DSTINVERT, 0x55},  {BLACKNESS, 0x00},  {WHITENESS, 0xFF},
        {0x00E20746, 0xE2}, // an operation without a name: source where the pattern is set
    };
    CCanvas source(4, 4, Grey(0xCC));
    for (const Case& c : cases) {
        CCanvas dst(8, 8, Grey(0xAA));
        CSelected brush(dst.Dc(), CreateSolidBrush(Grey(0xF0)));
        EXPECT_TRUE(BitBlt(dst.Dc(), 2, 3, 4, 4, source.Dc(), 0, 0, c.rop));
        EXPECT_EQ(dst.At(2, 3), Grey(c.result)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(5, 6), Grey(c.result)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(6, 6), Grey(0xAA)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(2, 2), Grey(0xAA)) << std::hex << c.rop;
    }
}

TEST(RasterOps, PatBltCombinesTheBrushWithTheDestination)
{
    struct Case {
        DWORD rop;
        BYTE result; // brush 0xF0 over 0xAA
    };
    const Case cases[] = {{PATCOPY, 0xF0}, {PATINVERT, 0x5A}, {DSTINVERT, 0x55}, {BLACKNESS, 0x00}, {WHITENESS, 0xFF}};
    for (const Case& c : cases) {
        CCanvas dst(6, 6, Grey(0xAA));
        CSelected brush(dst.Dc(), CreateSolidBrush(Grey(0xF0)));
        EXPECT_TRUE(PatBlt(dst.Dc(), 1, 1, 3, 2, c.rop));
        EXPECT_EQ(dst.At(1, 1), Grey(c.result)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(3, 2), Grey(c.result)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(4, 2), Grey(0xAA)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(1, 3), Grey(0xAA)) << std::hex << c.rop;
    }
    CCanvas dst(2, 2);
    EXPECT_FALSE(PatBlt(dst.Dc(), 0, 0, 2, 2, SRCCOPY)); // needs a source
}

TEST(RasterOps, StencilAndPictureDrawAShapeOverAnyBackground)
{
    // A 3 x 3 plus sign: the stencil is black where the shape is and white
    // around it; the picture is the shape's colours on black.
    CCanvas stencil(3, 3, RGB(255, 255, 255));
    CCanvas picture(3, 3, RGB(0, 0, 0));
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}}) {
        SetPixel(stencil.Dc(), x, y, RGB(0, 0, 0));
        SetPixel(picture.Dc(), x, y, RGB(200, 30, 60));
    }
    CCanvas dst(5, 5, RGB(10, 120, 240));
    BitBlt(dst.Dc(), 1, 1, 3, 3, stencil.Dc(), 0, 0, SRCAND);
    BitBlt(dst.Dc(), 1, 1, 3, 3, picture.Dc(), 0, 0, SRCPAINT);
    EXPECT_EQ(dst.Ascii(RGB(10, 120, 240)), ".....\n"
                                            "..#..\n"
                                            ".###.\n"
                                            "..#..\n"
                                            ".....\n");
    EXPECT_EQ(dst.At(2, 2), RGB(200, 30, 60));
    EXPECT_EQ(dst.At(1, 1), RGB(10, 120, 240));
}

TEST(RasterOps, BlitsWithinOneBitmapMayOverlap)
{
    CCanvas c(6, 1);
    for (int x = 0; x < 6; ++x) {
        SetPixel(c.Dc(), x, 0, RGB(x, 0, 0));
    }
    BitBlt(c.Dc(), 1, 0, 5, 1, c.Dc(), 0, 0, SRCCOPY);
    for (int x = 1; x < 6; ++x) {
        EXPECT_EQ(c.At(x, 0), RGB(x - 1, 0, 0)) << x;
    }
    BitBlt(c.Dc(), 0, 0, 5, 1, c.Dc(), 1, 0, SRCCOPY);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(c.At(x, 0), RGB(x, 0, 0)) << x;
    }
}

TEST(RasterOps, SourceOutsideItsBitmapLeavesTheDestinationAlone)
{
    CCanvas source(4, 4, Grey(0xCC));
    CCanvas dst(8, 8, Grey(0xAA));
    BitBlt(dst.Dc(), 0, 0, 8, 8, source.Dc(), -2, -1, SRCCOPY);
    EXPECT_EQ(dst.At(1, 1), Grey(0xAA));
    EXPECT_EQ(dst.At(2, 1), Grey(0xCC));
    EXPECT_EQ(dst.At(5, 4), Grey(0xCC));
    EXPECT_EQ(dst.At(6, 4), Grey(0xAA));
    EXPECT_EQ(dst.At(5, 5), Grey(0xAA));
}

TEST(RasterOps, StretchBltScalesByWholePixelsAndMirrors)
{
    // Source pixel (x, y) is RGB(1 + x + 2y, 0, 0); doubled, each covers a
    // 2 x 2 block.
    CCanvas src(2, 2);
    for (int i = 0; i < 4; ++i) {
        SetPixel(src.Dc(), i % 2, i / 2, RGB(1 + i, 0, 0));
    }
    CCanvas dst(4, 4);
    StretchBlt(dst.Dc(), 0, 0, 4, 4, src.Dc(), 0, 0, 2, 2, SRCCOPY);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(dst.At(x, y), RGB(1 + x / 2 + 2 * (y / 2), 0, 0)) << x << "," << y;
        }
    }
    StretchBlt(dst.Dc(), 0, 0, 4, 2, src.Dc(), 1, 0, -2, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(2, 0, 0));
    EXPECT_EQ(dst.At(3, 1), RGB(1, 0, 0));
}

TEST(Inversion, AMarkerOfFiveByFivePixelsTogglesExactlyThosePixels)
{
    CCanvas c(12, 12, RGB(255, 255, 255));
    // A node marker at (6, 6): (x - 2, y - 2) .. (x + 3, y + 3).
    const RECT marker{4, 4, 9, 9};
    InvertRect(c.Dc(), &marker);
    EXPECT_EQ(c.CountNot(RGB(255, 255, 255)), 25);
    EXPECT_EQ(c.At(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(c.At(8, 8), RGB(0, 0, 0));
    EXPECT_EQ(c.At(9, 8), RGB(255, 255, 255));
    InvertRect(c.Dc(), &marker);
    EXPECT_EQ(c.CountNot(RGB(255, 255, 255)), 0);

    // On a coloured pixel, inversion gives the complement.
    c.Clear(RGB(0x12, 0x34, 0x56));
    InvertRect(c.Dc(), &marker);
    EXPECT_EQ(c.At(6, 6), RGB(0xED, 0xCB, 0xA9));
}

TEST(Inversion, FocusRectanglesDotTheEdgeAndVanishWhenDrawnAgain)
{
    CCanvas c(10, 8, RGB(192, 192, 192));
    const RECT r{1, 1, 9, 7};
    DrawFocusRect(c.Dc(), &r);
    const int dots = c.CountNot(RGB(192, 192, 192));
    // Half the 24 edge pixels, the inside untouched.
    EXPECT_EQ(dots, 12);
    EXPECT_EQ(c.At(4, 4), RGB(192, 192, 192));
    for (int x = 1; x < 8; ++x) {
        EXPECT_NE(c.At(x, 1) == RGB(192, 192, 192), c.At(x + 1, 1) == RGB(192, 192, 192)) << x;
    }
    DrawFocusRect(c.Dc(), &r);
    EXPECT_EQ(c.CountNot(RGB(192, 192, 192)), 0);
}

} // namespace
