// Lines and shapes in the pen and brush: which pixels a line covers, the
// end point left out, direction independence, mix modes that undo
// themselves, clipping, rectangles and ellipses.

#include "gdi/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Drawn(const CCanvas& c, COLORREF background = kWhite)
{
    PixelSet out;
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            if (c.At(x, y) != background) {
                out.insert({x, y});
            }
        }
    }
    return out;
}

PixelSet Line(int x0, int y0, int x1, int y1, int size = 40)
{
    CCanvas c(size, size);
    MoveToEx(c.Dc(), x0, y0, nullptr);
    LineTo(c.Dc(), x1, y1);
    return Drawn(c);
}

TEST(Lines, StraightAndDiagonalLinesLeaveOutTheEndPointInEveryDirection)
{
    struct Case {
        int x0, y0, x1, y1;
        PixelSet pixels;
    };
    const Case cases[] = {
        {2, 3, 7, 3, {{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}},
        {7, 3, 2, 3, {{7, 3}, {6, 3}, {5, 3}, {4, 3}, {3, 3}}},
        {4, 1, 4, 5, {{4, 1}, {4, 2}, {4, 3}, {4, 4}}},
        {4, 5, 4, 1, {{4, 5}, {4, 4}, {4, 3}, {4, 2}}},
        {6, 6, 6, 6, {}}, // to where it starts: nothing
        // Diagonals step one pixel in each direction.
        {1, 1, 5, 5, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {5, 5, 1, 1, {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},
        {1, 5, 5, 1, {{1, 5}, {2, 4}, {3, 3}, {4, 2}}},
        {5, 1, 1, 5, {{5, 1}, {4, 2}, {3, 3}, {2, 4}}},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(Line(k.x0, k.y0, k.x1, k.y1), k.pixels) << k.x0 << "," << k.y0 << " to " << k.x1 << "," << k.y1;
    }
    // LineTo leaves the current position at its end.
    CCanvas c(10, 10);
    MoveToEx(c.Dc(), 1, 2, nullptr);
    LineTo(c.Dc(), 5, 2);
    POINT old{};
    MoveToEx(c.Dc(), 7, 7, &old);
    EXPECT_EQ(old.x, 5);
    EXPECT_EQ(old.y, 2);
}

TEST(Lines, ShallowAndSteepLinesFollowTheIdealLine)
{
    // Slope 1/4: the row changes once, in the middle of the run.
    EXPECT_EQ(Line(0, 0, 8, 2), (PixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 2}}));
    // Slope 4: one pixel per row; the column changes near 1/4 and 3/4.
    const PixelSet steep = Line(3, 0, 5, 8);
    EXPECT_EQ(steep.size(), 8u);
    for (const auto& [x, y] : steep) {
        // Within half a pixel of the ideal line (x = 3 + y/4), ties allowed.
        EXPECT_LE(std::abs(4 * (x - 3) - y), 2) << x << "," << y;
    }
}

TEST(Lines, EveryLineCoversTheSamePixelsWhicheverWayItIsDrawn)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(0, 29);
    for (int i = 0; i < 300; ++i) {
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        PixelSet forward = Line(x0, y0, x1, y1, 30);
        PixelSet backward = Line(x1, y1, x0, y0, 30);
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        ASSERT_EQ(static_cast<int>(forward.size()), steps) << x0 << "," << y0 << " " << x1 << "," << y1;
        ASSERT_EQ(forward.count({x1, y1}), 0u);
        ASSERT_EQ(backward.count({x0, y0}), 0u);
        if (steps > 0) {
            ASSERT_EQ(forward.count({x0, y0}), 1u);
            forward.insert({x1, y1});
            backward.insert({x0, y0});
        }
        ASSERT_EQ(forward, backward) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
}

// A background where no two neighbouring pixels are alike, so a pixel
// drawn in the wrong place shows.
void Noise(CCanvas& c, unsigned seed)
{
    std::mt19937 rng(seed);
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            c.Pixels().Row(y)[x] = rng() & 0xFFFFFF;
        }
    }
}

TEST(Lines, XorDrawingTwiceRestoresEveryPixel)
{
    CCanvas c(60, 40);
    Noise(c, 3);
    const std::vector<std::uint32_t> before(c.Pixels().Row(0), c.Pixels().Row(0) + 60 * 40);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    SelectObject(c.Dc(), pen);
    for (int mode : {R2_XORPEN, R2_NOTXORPEN, R2_NOT}) {
        SetROP2(c.Dc(), mode);
        for (int pass = 0; pass < 2; ++pass) {
            // A fan of lines in every direction from the middle, some of them
            // running off the bitmap, and a polyline that turns back on itself.
            for (int k = 0; k < 16; ++k) {
                MoveToEx(c.Dc(), 30, 20, nullptr);
                LineTo(c.Dc(), 30 + (k % 4 - 2) * 23, 20 + (k / 4 - 2) * 17);
            }
            const POINT zig[] = {{2, 2}, {50, 5}, {10, 30}, {58, 38}, {2, 2}};
            Polyline(c.Dc(), zig, 5);
            const RECT marker{20, 10, 25, 15};
            InvertRect(c.Dc(), &marker);
            // A filled rectangle, whose outline and fill both follow the mode,
            // and a wide line.
            Rectangle(c.Dc(), 5, 25, 40, 38);
            HPEN wide = CreatePen(PS_SOLID, 3, RGB(0x5A, 0xA5, 0x3C));
            HGDIOBJ thin = SelectObject(c.Dc(), wide);
            MoveToEx(c.Dc(), 45, 3, nullptr);
            LineTo(c.Dc(), 55, 30);
            SelectObject(c.Dc(), thin);
            DeleteObject(wide);
        }
        EXPECT_TRUE(std::equal(before.begin(), before.end(), c.Pixels().Row(0))) << "mode " << mode;
    }
    SelectObject(c.Dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Lines, PolylineDrawsEveryJointOnceSoXorLeavesNoHoles)
{
    CCanvas c(10, 10);
    CSelected pen(c.Dc(), CreatePen(PS_SOLID, 1, kWhite));
    SetROP2(c.Dc(), R2_XORPEN);
    const POINT l[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
    Polyline(c.Dc(), l, 4);
    // XOR white on white is black; a joint drawn twice would come back white.
    EXPECT_EQ(c.At(6, 1), kBlack);
    EXPECT_EQ(c.At(6, 6), kBlack);
    EXPECT_EQ(c.At(1, 6), kWhite); // the last point is left out
    EXPECT_EQ(c.CountNot(kWhite), 15);
}

TEST(Lines, TheNullPenDrawsNothingAndWidePensDrawRoundEndedBands)
{
    CCanvas c(20, 12);
    SelectObject(c.Dc(), GetStockObject(NULL_PEN));
    MoveToEx(c.Dc(), 1, 1, nullptr);
    LineTo(c.Dc(), 15, 9);
    EXPECT_EQ(c.CountNot(kWhite), 0);

    CSelected pen(c.Dc(), CreatePen(PS_SOLID, 3, kBlack));
    MoveToEx(c.Dc(), 4, 5, nullptr);
    LineTo(c.Dc(), 12, 5);
    // Three rows, and the end points included with half the width beyond.
    EXPECT_EQ(c.At(3, 5), kBlack);
    EXPECT_EQ(c.At(13, 5), kBlack);
    EXPECT_EQ(c.At(2, 5), kWhite);
    EXPECT_EQ(c.At(14, 5), kWhite);
    for (int x = 4; x <= 12; ++x) {
        EXPECT_EQ(c.At(x, 4), kBlack);
        EXPECT_EQ(c.At(x, 6), kBlack);
        EXPECT_EQ(c.At(x, 3), kWhite);
        EXPECT_EQ(c.At(x, 7), kWhite);
    }

    c.Clear(kWhite);
    CSelected two(c.Dc(), CreatePen(PS_SOLID, 2, kBlack));
    MoveToEx(c.Dc(), 5, 2, nullptr);
    LineTo(c.Dc(), 5, 10);
    // An even width: two columns.
    for (int y = 3; y < 10; ++y) {
        EXPECT_EQ(c.At(4, y), kBlack);
        EXPECT_EQ(c.At(5, y), kBlack);
        EXPECT_EQ(c.At(3, y), kWhite);
        EXPECT_EQ(c.At(6, y), kWhite);
    }
}

TEST(Lines, DottedPensLeaveGapsInTheBackgroundColourWhenOpaque)
{
    CCanvas c(30, 3, kBlack);
    CSelected pen(c.Dc(), CreatePen(PS_DOT, 1, RGB(255, 0, 0)));
    SetBkColor(c.Dc(), RGB(0, 0, 255));
    SetBkMode(c.Dc(), TRANSPARENT);
    MoveToEx(c.Dc(), 0, 0, nullptr);
    LineTo(c.Dc(), 30, 0);
    SetBkMode(c.Dc(), OPAQUE);
    MoveToEx(c.Dc(), 0, 1, nullptr);
    LineTo(c.Dc(), 30, 1);
    int red = 0, blackGaps = 0, blueGaps = 0;
    for (int x = 0; x < 30; ++x) {
        red += c.At(x, 0) == RGB(255, 0, 0) ? 1 : 0;
        blackGaps += c.At(x, 0) == kBlack ? 1 : 0;
        blueGaps += c.At(x, 1) == RGB(0, 0, 255) ? 1 : 0;
        EXPECT_EQ(c.At(x, 0) == RGB(255, 0, 0), c.At(x, 1) == RGB(255, 0, 0)) << x;
    }
    EXPECT_GT(red, 5);
    EXPECT_GT(blackGaps, 5);
    EXPECT_EQ(blueGaps, blackGaps);
    EXPECT_EQ(red + blackGaps, 30);
}

TEST(Lines, ClippedLinesStopAtTheClipEdgeAndKeepTheirPixels)
{
    const PixelSet whole = Line(0, 3, 30, 20, 32);
    CCanvas c(32, 32);
    IntersectClipRect(c.Dc(), 5, 0, 20, 32);
    MoveToEx(c.Dc(), 0, 3, nullptr);
    LineTo(c.Dc(), 30, 20);
    const PixelSet clipped = Drawn(c);
    PixelSet expected;
    for (const auto& p : whole) {
        if (p.first >= 5 && p.first < 20) {
            expected.insert(p);
        }
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(clipped, expected);
}

TEST(Shapes, RectangleOutlinesInThePenAndFillsInTheBrushRightAndBottomExclusive)
{
    CCanvas c(8, 8);
    CSelected brush(c.Dc(), CreateSolidBrush(RGB(255, 0, 0)));
    Rectangle(c.Dc(), 1, 1, 6, 5);
    EXPECT_EQ(c.Ascii(kWhite), "........\n"
                               ".#####..\n"
                               ".#####..\n"
                               ".#####..\n"
                               ".#####..\n"
                               "........\n"
                               "........\n"
                               "........\n");
    EXPECT_EQ(c.At(1, 1), kBlack);
    EXPECT_EQ(c.At(5, 4), kBlack);
    EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(c.At(4, 3), RGB(255, 0, 0));

    // Without a pen the fill is one pixel short on the right and bottom.
    c.Clear(kWhite);
    SelectObject(c.Dc(), GetStockObject(NULL_PEN));
    Rectangle(c.Dc(), 1, 1, 6, 5);
    EXPECT_EQ(c.Ascii(kWhite), "........\n"
                               ".####...\n"
                               ".####...\n"
                               ".####...\n"
                               "........\n"
                               "........\n"
                               "........\n"
                               "........\n");
    SelectObject(c.Dc(), GetStockObject(BLACK_PEN));
}

TEST(Shapes, RectangleWithTheNullBrushOnlyOutlinesAndHonoursTheMixMode)
{
    CCanvas c(8, 8);
    SelectObject(c.Dc(), GetStockObject(NULL_BRUSH));
    CSelected pen(c.Dc(), CreatePen(PS_SOLID, 1, kWhite));
    SetROP2(c.Dc(), R2_XORPEN);
    Rectangle(c.Dc(), 0, 0, 4, 4);
    EXPECT_EQ(c.CountNot(kWhite), 12); // the ring, every corner once
    Rectangle(c.Dc(), 0, 0, 4, 4);
    EXPECT_EQ(c.CountNot(kWhite), 0);
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
}

TEST(Shapes, EllipseFitsItsBoxAndIsSymmetric)
{
    CCanvas c(20, 14);
    CSelected brush(c.Dc(), CreateSolidBrush(RGB(0, 0, 255)));
    Ellipse(c.Dc(), 2, 1, 15, 12);
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool drawn = c.At(x, y) != kWhite;
            if (x < 2 || x >= 15 || y < 1 || y >= 12) {
                EXPECT_FALSE(drawn) << x << "," << y;
                continue;
            }
            // Mirror images across the box's centre lines.
            EXPECT_EQ(drawn, c.At(2 + 14 - x, y) != kWhite) << x << "," << y;
            EXPECT_EQ(drawn, c.At(x, 1 + 11 - y) != kWhite) << x << "," << y;
        }
    }
    // It touches all four sides at their middles, is black at the edge and
    // blue inside, and leaves the corners.
    EXPECT_EQ(c.At(2, 6), kBlack);
    EXPECT_EQ(c.At(14, 6), kBlack);
    EXPECT_EQ(c.At(8, 1), kBlack);
    EXPECT_EQ(c.At(8, 11), kBlack);
    EXPECT_EQ(c.At(8, 6), RGB(0, 0, 255));
    EXPECT_EQ(c.At(2, 1), kWhite);
    EXPECT_EQ(c.At(14, 11), kWhite);
}

} // namespace
