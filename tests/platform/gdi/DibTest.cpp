// Device-independent bitmaps: colour tables, bit depths, row order and
// padding, and the palettes built from their tables.

#include "gdi/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A packed DIB as a resource holds it: header, colour table, rows.
struct Dib {
    std::vector<BYTE> bytes;

    Dib(int width, int height, int bpp, const std::vector<RGBQUAD>& table, const std::vector<BYTE>& rows)
    {
        BITMAPINFOHEADER h{};
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bpp);
        h.biCompression = BI_RGB;
        bytes.resize(40 + 4 * table.size());
        std::memcpy(bytes.data(), &h, 40);
        if (!table.empty()) {
            std::memcpy(bytes.data() + 40, table.data(), 4 * table.size());
        }
        bytes.insert(bytes.end(), rows.begin(), rows.end());
    }

    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(bytes.data()); }
    BITMAPINFOHEADER* Header() { return &Info()->bmiHeader; }
    const BYTE* Bits() { return bytes.data() + 40 + 4 * platform::gdi::DibColorCount(*Header()); }

    HBITMAP Create(HDC dc = nullptr) { return CreateDIBitmap(dc, Header(), CBM_INIT, Bits(), Info(), DIB_RGB_COLORS); }
};

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }

// The sixteen colours of a classic 4-bit table.
std::vector<RGBQUAD> Sixteen()
{
    return {Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
            Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(192, 192, 192),
            Quad(128, 128, 128), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
            Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};
}

// Reads a bitmap's pixels through a memory context.
COLORREF PixelOf(HBITMAP bmp, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

// Compares a bitmap's rows, top first, with the colours expected.
void ExpectRows(HBITMAP bmp, const std::vector<std::vector<COLORREF>>& rows)
{
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            EXPECT_EQ(PixelOf(bmp, static_cast<int>(x), static_cast<int>(y)), rows[y][x]) << x << "," << y;
        }
    }
}

TEST(Dib, FourBitsPerPixelWithASixteenColourTableBottomRowFirst)
{
    // 5 x 3: each row is 20 bits, padded to 4 bytes. The first row in the
    // data is the bottom row of the picture.
    Dib dib(5, 3, 4, Sixteen(),
            {
                0x9A, 0xBC, 0xD0, 0xEE, // bottom: red, green, yellow, blue, magenta, padding
                0x01, 0x23, 0x40, 0x00, // middle: black, dark red, dark green, olive, navy
                0xFF, 0xFF, 0xF0, 0x00, // top: white
            });
    HBITMAP bmp = dib.Create();
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    GetObject(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 5);
    EXPECT_EQ(bm.bmHeight, 3);
    const COLORREF white = RGB(255, 255, 255);
    ExpectRows(bmp, {{white, white, white, white, white},
                     {RGB(0, 0, 0), RGB(128, 0, 0), RGB(0, 128, 0), RGB(128, 128, 0), RGB(0, 0, 128)},
                     {RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0), RGB(0, 0, 255), RGB(255, 0, 255)}});
    DeleteObject(bmp);
}

TEST(Dib, TwentyFourBitsPerPixelHaveNoTableAndStoreBlueFirst)
{
    // 3 x 2: rows of 9 bytes padded to 12.
    Dib dib(3, 2, 24, {},
            {
                0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,       // bottom: red, green, blue
                10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0,    // top
            });
    EXPECT_EQ(platform::gdi::DibColorCount(*dib.Header()), 0u);
    EXPECT_EQ(platform::gdi::DibRowBytes(*dib.Header()), 12u);
    HBITMAP bmp = dib.Create();
    ASSERT_NE(bmp, nullptr);
    ExpectRows(bmp, {{RGB(30, 20, 10), RGB(60, 50, 40), RGB(90, 80, 70)},
                     {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}});
    DeleteObject(bmp);
}

TEST(Dib, NegativeHeightMeansTopRowFirstAndOneBitUsesTwoColours)
{
    std::vector<RGBQUAD> two{Quad(0, 0, 0), Quad(255, 255, 0)};
    // 10 x 2, top-down: 0b10110000 0b01xxxxxx, then all ones.
    Dib dib(10, -2, 1, two, {0xB0, 0x40, 0, 0, 0xFF, 0xFF, 0, 0});
    HBITMAP bmp = dib.Create();
    ASSERT_NE(bmp, nullptr);
    const COLORREF y = RGB(255, 255, 0);
    const COLORREF k = RGB(0, 0, 0);
    ExpectRows(bmp, {{y, k, y, y, k, k, k, k, k, y}, std::vector<COLORREF>(10, y)});
    DeleteObject(bmp);
}

TEST(Dib, EightBitImagesCarryAPaletteOfTwoHundredFiftySixEntries)
{
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i) {
        table[static_cast<std::size_t>(i)] = Quad(static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7);
    }
    Dib dib(2, 1, 8, table, {3, 250, 0, 0});
    // The palette of a table, built as the bitmap loader does: one entry per
    // table colour, version 0x300.
    const DWORD count = platform::gdi::DibColorCount(*dib.Header());
    ASSERT_EQ(count, 256u);
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(count);
    for (DWORD i = 0; i < count; ++i) {
        lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    }
    HPALETTE pal = CreatePalette(lp);
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 256u);
    WORD n = 0;
    EXPECT_EQ(GetObject(pal, sizeof n, &n), 2);
    EXPECT_EQ(n, 256);
    PALETTEENTRY e[2]{};
    EXPECT_EQ(GetPaletteEntries(pal, 254, 5, e), 2u);
    EXPECT_EQ(e[0].peRed, 254);
    EXPECT_EQ(e[1].peGreen, 0);

    // Selecting and realising it on a true-colour screen maps nothing and
    // changes no pixel.
    CCanvas c(2, 1, RGB(1, 2, 3));
    HPALETTE old = SelectPalette(c.Dc(), pal, FALSE);
    EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(GetPaletteEntries(old, 0, 0, nullptr), 20u);
    EXPECT_EQ(RealizePalette(c.Dc()), 0u);
    EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3));
    EXPECT_FALSE(DeleteObject(pal)); // still selected

    HBITMAP bmp = dib.Create(c.Dc());
    EXPECT_EQ(PixelOf(bmp, 0, 0), RGB(3, 252, 7));
    EXPECT_EQ(PixelOf(bmp, 1, 0), RGB(250, 5, 7));
    DeleteObject(bmp);

    SelectPalette(c.Dc(), old, FALSE);
    EXPECT_TRUE(DeleteObject(pal));
}

TEST(Dib, UnreadableHeadersGiveNoBitmap)
{
    Dib dib(2, 2, 24, {}, std::vector<BYTE>(16, 0));
    EXPECT_EQ(CreateDIBitmap(nullptr, nullptr, CBM_INIT, dib.Bits(), dib.Info(), DIB_RGB_COLORS), nullptr);
    dib.Header()->biCompression = BI_RLE8;
    EXPECT_EQ(dib.Create(), nullptr);
    dib.Header()->biCompression = BI_RGB;
    dib.Header()->biBitCount = 7;
    EXPECT_EQ(dib.Create(), nullptr);
    dib.Header()->biBitCount = 16;
    EXPECT_EQ(dib.Create(), nullptr);
    dib.Header()->biBitCount = 24;
    dib.Header()->biWidth = 0;
    EXPECT_EQ(dib.Create(), nullptr);
    dib.Header()->biWidth = 2;
    dib.Header()->biSize = 12;
    EXPECT_EQ(dib.Create(), nullptr);
    dib.Header()->biSize = 40;
    // Without CBM_INIT the bitmap is made, black.
    HBITMAP blank = CreateDIBitmap(nullptr, dib.Header(), 0, nullptr, nullptr, DIB_RGB_COLORS);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(PixelOf(blank, 1, 1), RGB(0, 0, 0));
    DeleteObject(blank);

    LOGPALETTE bad{0x200, 1, {{1, 2, 3, 0}}};
    EXPECT_EQ(CreatePalette(&bad), nullptr);
}

} // namespace
