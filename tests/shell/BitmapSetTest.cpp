// The shared bitmap set: which resource each slot shows, stencils inverted
// as they load, pictures that fit the fader, and LoadDIBitmap's palettes.

#include "ShellTestSupport.h"

#include "shell/BitmapSet.h"

#include <string>
#include <vector>

using shelltest::kBlack;
using shelltest::kWhite;
using shelltest::ResourcePixel;

namespace {

BitmapResourceData Resource(WORD id)
{
    BitmapResourceData data;
    EXPECT_TRUE(GetBitmapResourceData(nullptr, MAKEINTRESOURCE(id), &data)) << "bitmap " << id;
    return data;
}

struct SlotCase {
    int slot;
    WORD resource;
    bool inverted;
};

class SlotPictures : public ::testing::TestWithParam<SlotCase> {
protected:
    void SetUp() override { shelltest::StartApp(); }
};

TEST_P(SlotPictures, ShowTheirResourceAndStencilsTheInverse)
{
    const SlotCase c = GetParam();
    const BitmapResourceData data = Resource(c.resource);
    ASSERT_EQ(g_Bitmaps.GetBitmapWidth(c.slot), data.m_nWidth);
    ASSERT_EQ(g_Bitmaps.GetBitmapHeight(c.slot), data.m_nHeight);
    CDC* dc = g_Bitmaps.GetMemDC(c.slot);
    ASSERT_NE(dc, nullptr);
    int differing = 0;
    for (int y = 0; y < data.m_nHeight; ++y) {
        for (int x = 0; x < data.m_nWidth; ++x) {
            const COLORREF stored = ResourcePixel(data, x, y);
            const COLORREF expected = c.inverted ? (stored ^ 0xFFFFFF) : stored;
            differing += dc->GetPixel(x, y) != expected ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0) << "slot " << c.slot;
}

INSTANTIATE_TEST_SUITE_P(Table, SlotPictures,
                         ::testing::Values(SlotCase{0, 157, false}, SlotCase{1, 625, false}, SlotCase{2, 625, false},
                                           SlotCase{3, 626, true}, SlotCase{4, 626, true}, SlotCase{5, 621, false},
                                           SlotCase{6, 622, true}, SlotCase{7, 125, false}, SlotCase{14, 136, false},
                                           SlotCase{15, 139, false}, SlotCase{22, 146, false}),
                         [](const ::testing::TestParamInfo<SlotCase>& info) {
                             return "Slot" + std::to_string(info.param.slot);
                         });

TEST(BitmapSet, EveryStencilIsBlackExactlyUnderItsPicture)
{
    shelltest::StartApp();
    for (auto [picture, stencil] : {std::pair{1, 3}, std::pair{2, 4}, std::pair{5, 6}}) {
        ASSERT_EQ(g_Bitmaps.GetBitmapWidth(picture), g_Bitmaps.GetBitmapWidth(stencil));
        ASSERT_EQ(g_Bitmaps.GetBitmapHeight(picture), g_Bitmaps.GetBitmapHeight(stencil));
        CDC* p = g_Bitmaps.GetMemDC(picture);
        CDC* s = g_Bitmaps.GetMemDC(stencil);
        int shapePixels = 0;
        for (int y = 0; y < g_Bitmaps.GetBitmapHeight(picture); ++y) {
            for (int x = 0; x < g_Bitmaps.GetBitmapWidth(picture); ++x) {
                const COLORREF mask = s->GetPixel(x, y);
                ASSERT_TRUE(mask == kBlack || mask == kWhite) << "stencil " << stencil << " at " << x << "," << y;
                if (mask == kWhite) {
                    // Where the background shows, the picture must add nothing.
                    ASSERT_EQ(p->GetPixel(x, y), kBlack) << "picture " << picture << " at " << x << "," << y;
                } else {
                    ++shapePixels;
                }
            }
        }
        EXPECT_GT(shapePixels, 0) << "stencil " << stencil << " hides nothing";
    }
}

TEST(BitmapSet, FaderPicturesFitTheFader)
{
    shelltest::StartApp();
    // The thumb is drawn at x 17 inside a frame whose right line is 4 pixels
    // from the right of the narrowest (45-pixel) fader, and travels 101
    // pixels down a 130-pixel fader whose bottom line is 6 from its bottom.
    EXPECT_LE(17 + g_Bitmaps.GetBitmapWidth(kBitmapThumb), 45 - 4);
    EXPECT_LE(101 + g_Bitmaps.GetBitmapHeight(kBitmapThumb), 130 - 6);
    // The track sits at (15, 5) inside the 66 x 165 picture.
    EXPECT_LE(15 + g_Bitmaps.GetBitmapWidth(kBitmapTrack), 45 - 4);
    EXPECT_LE(5 + g_Bitmaps.GetBitmapHeight(kBitmapTrack), 130 - 6);
    // Tool pictures fit the smaller (30 x 32) tool buttons, zoom pictures
    // theirs, each inside a 2-pixel bevel.
    for (int slot = kBitmapToolFirst; slot < kBitmapToolLatchedFirst + 4; ++slot) {
        EXPECT_LE(g_Bitmaps.GetBitmapWidth(slot), 30 - 4) << slot;
        EXPECT_LE(g_Bitmaps.GetBitmapHeight(slot), 32 - 4) << slot;
    }
    EXPECT_LE(g_Bitmaps.GetBitmapHeight(kBitmapZoomPitchIn), 18 - 4);
    EXPECT_LE(g_Bitmaps.GetBitmapHeight(kBitmapZoomAmplitudeIn), 17 - 4);
    EXPECT_LE(g_Bitmaps.GetBitmapHeight(kBitmapZoomTimeIn), 36 - 4);
}

TEST(BitmapSet, SlotsOutsideTheTableGiveNothing)
{
    shelltest::StartApp();
    EXPECT_EQ(g_Bitmaps.GetMemDC(23), nullptr);
    EXPECT_EQ(g_Bitmaps.GetMemDC(-1), nullptr);
    EXPECT_EQ(g_Bitmaps.GetBitmapWidth(23), 0);
    EXPECT_EQ(g_Bitmaps.GetBitmapHeight(23), 0);
    EXPECT_EQ(g_Bitmaps.GetBitmapWidth(-1), 0);
    EXPECT_NE(g_Bitmaps.GetMemDC(22), nullptr);
}

TEST(BitmapSet, AModuleWithoutTheBitmapsLeavesEverySlotEmpty)
{
    CBitmapSet set;
    set.Load(reinterpret_cast<HINSTANCE>(0x10));  // no such module
    for (int slot = 0; slot < CBitmapSet::kSlotCount; ++slot) {
        EXPECT_EQ(set.GetBitmapWidth(slot), 0);
        EXPECT_EQ(set.GetBitmapHeight(slot), 0);
    }
}

TEST(BitmapSet, ReleasingGivesEveryContextItsBitmapBackAndFreesTheBitmaps)
{
    CBitmapSet set;
    set.Load(nullptr);
    std::vector<HGDIOBJ> bitmaps;
    for (int slot = 0; slot < CBitmapSet::kSlotCount; ++slot) {
        bitmaps.push_back(GetCurrentObject(*set.GetMemDC(slot), OBJ_BITMAP));
        ASSERT_NE(bitmaps.back(), nullptr);
    }
    set.Release();
    EXPECT_EQ(set.GetMemDC(0), nullptr);
    BITMAP info{};
    for (HGDIOBJ bitmap : bitmaps) {
        // Only a bitmap no context holds any more can be deleted.
        EXPECT_EQ(GetObject(bitmap, sizeof info, &info), 0);
    }
}

TEST(LoadDIBitmap, AFourBitBitmapGetsItsSixteenColoursAsAPalette)
{
    HPALETTE palette = nullptr;
    HBITMAP bitmap = LoadDIBitmap(nullptr, MAKEINTRESOURCE(621), &palette);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 16u);
    const BitmapResourceData data = Resource(621);
    ASSERT_EQ(data.m_nBitCount, 4);
    PALETTEENTRY entries[16];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 16, entries), 16u);
    for (int i = 0; i < 16; ++i) {
        const BYTE* q = data.m_pInfo + 40 + 4 * i;
        EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue), RGB(q[2], q[1], q[0])) << i;
        EXPECT_EQ(entries[i].peFlags, 0);
    }
    DeleteObject(palette);
    DeleteObject(bitmap);
}

TEST(LoadDIBitmap, AnEightBitBitmapGetsTwoHundredFiftySixEntries)
{
    HPALETTE palette = nullptr;
    HBITMAP bitmap = LoadDIBitmap(nullptr, MAKEINTRESOURCE(625), &palette);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256u);
    DeleteObject(palette);
    DeleteObject(bitmap);
}

TEST(LoadDIBitmap, ATrueColourBitmapGetsNoPaletteAndIsStillMade)
{
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    HBITMAP bitmap = LoadDIBitmap(nullptr, MAKEINTRESOURCE(9001), &palette);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(palette, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(40, 80, 120));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(LoadDIBitmap, AMissingResourceGivesNeitherBitmapNorPalette)
{
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    EXPECT_EQ(LoadDIBitmap(nullptr, MAKEINTRESOURCE(9999), &palette), nullptr);
    EXPECT_EQ(palette, nullptr);
}

}  // namespace
