// The shared bitmap set: which resource each slot shows, stencils inverted
// as they load, pictures that fit the fader, and LoadDIBitmap's palettes.

#include "ShellTestSupport.h"

#include "platform/resources/ImageResources.h"
#include "shell/BitmapSet.h"

#include <tuple>
#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

BitmapResourceData Resource(int id)
{
    BitmapResourceData data;
    EXPECT_TRUE(GetBitmapResourceData(nullptr, MAKEINTRESOURCE(id), &data)) << "bitmap " << id;
    return data;
}

// Entry i of a 4- or 8-bit resource's colour table.
COLORREF TableColour(const BitmapResourceData& data, int i)
{
    const BYTE* entry = data.m_pInfo + 40 + 4 * i;  // blue, green, red, reserved
    return RGB(entry[2], entry[1], entry[0]);
}

// The colour the resource's colour table gives pixel (x, y), rows counted
// from the top.
COLORREF ResourcePixel(const BitmapResourceData& data, int x, int y)
{
    const DWORD stride = ((static_cast<DWORD>(data.m_nWidth) * data.m_nBitCount + 31) / 32) * 4;
    const BYTE* row = data.m_pBits + static_cast<std::size_t>(data.m_nHeight - 1 - y) * stride;
    return TableColour(data, data.m_nBitCount == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F));
}

// A stencil slot holds its resource inverted: black exactly where the
// picture it goes with (one of the same size) may draw, white elsewhere.
TEST(BitmapSet, SlotsShowTheirResourceAndStencilSlotsItsInverse)
{
    shelltest::StartApp();
    // (slot, resource, picture for a stencil or -1) from the slot table.
    for (auto [slot, id, picture] : {std::tuple{0, 157, -1}, std::tuple{1, 625, -1}, std::tuple{2, 625, -1},
                                     std::tuple{3, 626, 1}, std::tuple{4, 626, 2}, std::tuple{5, 621, -1},
                                     std::tuple{6, 622, 5}, std::tuple{7, 125, -1}, std::tuple{14, 136, -1},
                                     std::tuple{15, 139, -1}, std::tuple{22, 146, -1}}) {
        const BitmapResourceData data = Resource(id);
        ASSERT_EQ(g_Bitmaps.GetBitmapWidth(slot), data.m_nWidth) << slot;
        ASSERT_EQ(g_Bitmaps.GetBitmapHeight(slot), data.m_nHeight) << slot;
        int differing = 0;
        int shape = 0;
        for (int y = 0; y < data.m_nHeight; ++y) {
            for (int x = 0; x < data.m_nWidth; ++x) {
                const COLORREF stored = ResourcePixel(data, x, y);
                const COLORREF shown = g_Bitmaps.GetMemDC(slot)->GetPixel(x, y);
                differing += shown != (picture >= 0 ? stored ^ 0xFFFFFF : stored);
                if (picture >= 0) {
                    ASSERT_EQ(std::pair(g_Bitmaps.GetBitmapWidth(picture), g_Bitmaps.GetBitmapHeight(picture)),
                              std::pair(data.m_nWidth, data.m_nHeight)) << slot;
                    ASSERT_TRUE(shown == kBlack || shown == kWhite) << slot << " at " << x << "," << y;
                    ASSERT_TRUE(shown == kBlack || g_Bitmaps.GetMemDC(picture)->GetPixel(x, y) == kBlack)
                        << picture << " adds to the background at " << x << "," << y;
                    shape += shown == kBlack ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(differing, 0) << "slot " << slot;
        EXPECT_TRUE(picture < 0 || shape > 0) << "stencil " << slot << " hides nothing";
    }
}

TEST(BitmapSet, PicturesFitTheFaderAndTheButtons)
{
    shelltest::StartApp();
    // The thumb is drawn at x 17 and travels 101 pixels; the track sits at
    // (15, 5); the frame's right line is 4 pixels from the right of the
    // narrowest (45-pixel) fader, its bottom line 6 from the bottom of 130.
    EXPECT_LE(17 + g_Bitmaps.GetBitmapWidth(kBitmapThumb), 45 - 4);
    EXPECT_LE(101 + g_Bitmaps.GetBitmapHeight(kBitmapThumb), 130 - 6);
    EXPECT_LE(15 + g_Bitmaps.GetBitmapWidth(kBitmapTrack), 45 - 4);
    EXPECT_LE(5 + g_Bitmaps.GetBitmapHeight(kBitmapTrack), 130 - 6);
    // Button pictures leave a 2-pixel bevel: tools in 30 x 32, pitch zooms
    // 21 x 18, envelope zooms 21 x 17, time zooms 21 x 36.
    for (auto [slot, width, height] : {std::tuple{11, 30, 32}, std::tuple{18, 30, 32}, std::tuple{9, 21, 18},
                                       std::tuple{19, 21, 17}, std::tuple{8, 21, 36}}) {
        EXPECT_LE(g_Bitmaps.GetBitmapWidth(slot), width - 4) << slot;
        EXPECT_LE(g_Bitmaps.GetBitmapHeight(slot), height - 4) << slot;
    }
    EXPECT_EQ(g_Bitmaps.GetMemDC(23), nullptr);
    EXPECT_EQ(g_Bitmaps.GetMemDC(-1), nullptr);
    EXPECT_EQ(g_Bitmaps.GetBitmapWidth(23) + g_Bitmaps.GetBitmapHeight(-1), 0);
}

TEST(BitmapSet, MissingResourcesLeaveSlotsEmptyAndReleasingFreesEveryBitmap)
{
    CBitmapSet empty;
    empty.Load(reinterpret_cast<HINSTANCE>(0x10));  // no such module
    EXPECT_EQ(empty.GetBitmapWidth(0) + empty.GetBitmapHeight(22), 0);
    CBitmapSet set;
    set.Load(nullptr);
    std::vector<HGDIOBJ> bitmaps;
    for (int slot = 0; slot < CBitmapSet::kSlotCount; ++slot) {
        bitmaps.push_back(GetCurrentObject(*set.GetMemDC(slot), OBJ_BITMAP));
    }
    set.Release();
    EXPECT_EQ(set.GetMemDC(0), nullptr);
    BITMAP info{};
    for (HGDIOBJ bitmap : bitmaps) {
        // Only a bitmap no context holds any more can be deleted.
        EXPECT_EQ(GetObject(bitmap, sizeof info, &info), 0);
    }
}

TEST(LoadDIBitmap, IndexedBitmapsGetTheirColourTableAsAPaletteTrueColourNone)
{
    for (auto [id, bits, entries] : {std::tuple{621, 4, 16u}, std::tuple{625, 8, 256u}}) {
        const BitmapResourceData data = Resource(id);
        ASSERT_EQ(data.m_nBitCount, bits);
        HPALETTE palette = nullptr;
        HBITMAP bitmap = LoadDIBitmap(nullptr, MAKEINTRESOURCE(id), &palette);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), entries) << id;
        std::vector<PALETTEENTRY> got(entries);
        GetPaletteEntries(palette, 0, entries, got.data());
        for (unsigned i = 0; i < entries; ++i) {
            EXPECT_EQ(RGB(got[i].peRed, got[i].peGreen, got[i].peBlue), TableColour(data, static_cast<int>(i)));
            EXPECT_EQ(got[i].peFlags, 0);
        }
        DeleteObject(palette);
        DeleteObject(bitmap);
    }
    // 9001 is 3 x 2 at 24 bits: red, green, blue over white, black, (40, 80, 120).
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    HBITMAP bitmap = LoadDIBitmap(nullptr, MAKEINTRESOURCE(9001), &palette);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(palette, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(40, 80, 120));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    palette = reinterpret_cast<HPALETTE>(1);
    EXPECT_EQ(LoadDIBitmap(nullptr, MAKEINTRESOURCE(9999), &palette), nullptr);
    EXPECT_EQ(palette, nullptr) << "a missing resource gives neither";
}

}  // namespace
