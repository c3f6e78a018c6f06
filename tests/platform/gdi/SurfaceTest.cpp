// Surfaces, window contexts with their visible rectangles, and PNG files.

#include "platform/gdi/Gdi.h"

#include "PlatformTestSupport.h"
#include "gdi/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <png.h>

#include <fstream>
#include <tuple>
#include <vector>

using platform::gdi::Surface;

namespace {

TEST(Surface, StartsBlackAndKeepsPixelsThroughAResize)
{
    Surface s(4, 3);
    EXPECT_EQ(s.Pixel(3, 2), 0u);
    s.Row(1)[2] = 0x123456;
    const auto before = s.Generation();
    s.Resize(6, 2);
    EXPECT_EQ(s.Width(), 6);
    EXPECT_EQ(s.Height(), 2);
    EXPECT_EQ(s.Pixel(2, 1), 0x123456u);
    EXPECT_EQ(s.Pixel(5, 1), 0u);
    EXPECT_GT(s.Generation(), before);
}

TEST(WindowDc, DrawsOnlyInsideItsVisibleRectanglesAndFromItsOrigin)
{
    Surface s(20, 10);
    // The window's client (0, 0) is at surface (5, 2); a child covers the
    // middle, so the window sees two strips.
    HDC dc = platform::gdi::CreateSurfaceDC(s, POINT{5, 2}, {RECT{5, 2, 9, 8}, RECT{12, 2, 15, 8}});
    const RECT all{-10, -10, 100, 100};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    platform::gdi::ReleaseSurfaceDC(dc);
    int white = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = y >= 2 && y < 8 && ((x >= 5 && x < 9) || (x >= 12 && x < 15));
            EXPECT_EQ(s.Pixel(x, y), inside ? 0xFFFFFFu : 0u) << x << "," << y;
            white += inside ? 1 : 0;
        }
    }
    EXPECT_EQ(white, 6 * 7);

    HDC dc2 = platform::gdi::CreateSurfaceDC(s, POINT{5, 2}, {RECT{0, 0, 20, 10}});
    EXPECT_EQ(SetPixel(dc2, 1, 1, RGB(255, 0, 0)), RGB(255, 0, 0));
    EXPECT_EQ(s.Pixel(6, 3), 0xFF0000u);
    EXPECT_EQ(GetPixel(dc2, 1, 1), RGB(255, 0, 0));
    platform::gdi::ReleaseSurfaceDC(dc2);
}

TEST(WindowDc, IntersectAndExcludeClipNarrowTheVisibleArea)
{
    Surface s(12, 12);
    HDC dc = platform::gdi::CreateSurfaceDC(s, POINT{0, 0}, {RECT{0, 0, 12, 12}});
    EXPECT_EQ(IntersectClipRect(dc, 2, 2, 10, 10), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(dc, 4, 4, 6, 6), COMPLEXREGION);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.bottom, 10);
    const RECT all{0, 0, 12, 12};
    InvertRect(dc, &all);
    // Inverted inside (2, 2)..(10, 10) except the hole (4, 4)..(6, 6).
    for (auto [x, y, inverted] : {std::tuple{1, 1, false}, {2, 2, true}, {9, 9, true}, {10, 9, false},
                                  {4, 4, false}, {5, 5, false}, {6, 5, true}}) {
        EXPECT_EQ(s.Pixel(x, y), inverted ? 0xFFFFFFu : 0u) << x << "," << y;
    }
    EXPECT_EQ(GetPixel(dc, 5, 5), CLR_INVALID);
    EXPECT_FALSE(PtVisible(dc, 1, 1));
    EXPECT_TRUE(PtVisible(dc, 3, 3));

    // Saved clipping comes back; dropping it opens the whole window again.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, 3, 3);
    EXPECT_FALSE(PtVisible(dc, 6, 6));
    EXPECT_TRUE(RestoreDC(dc, saved));
    EXPECT_TRUE(PtVisible(dc, 6, 6));
    EXPECT_EQ(platform::gdi::ResetClip(dc), SIMPLEREGION);
    EXPECT_TRUE(PtVisible(dc, 0, 0));
    platform::gdi::ReleaseSurfaceDC(dc);
}

TEST(WindowDc, ClippingStaysWhereItWasSetWhenTheViewportMoves)
{
    Surface s(10, 10);
    HDC dc = platform::gdi::CreateSurfaceDC(s, POINT{0, 0}, {RECT{0, 0, 10, 10}});
    IntersectClipRect(dc, 0, 0, 4, 4);
    SetViewportOrgEx(dc, 2, 2, nullptr);
    // Logical (0, 0) is device (2, 2), still inside; logical (2, 2) is device
    // (4, 4), outside.
    EXPECT_NE(SetPixel(dc, 0, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(s.Pixel(2, 2), 0x010203u);
    EXPECT_EQ(SetPixel(dc, 2, 2, RGB(1, 2, 3)), CLR_INVALID);
    platform::gdi::ReleaseSurfaceDC(dc);
}

TEST(Png, RedColorRefIsRedInTheFileAndReadsBack)
{
    CScratchDir dir;
    CCanvas canvas(7, 5, RGB(0, 0, 0));
    const RECT r{1, 1, 4, 3};
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(canvas.Dc(), &r, red);
    DeleteObject(red);
    const std::string path = dir.File("red.png");
    ASSERT_TRUE(platform::gdi::SavePng(canvas.Pixels(), path.c_str()));

    Surface back;
    ASSERT_TRUE(platform::gdi::LoadPng(path.c_str(), back));
    ASSERT_EQ(back.Width(), 7);
    ASSERT_EQ(back.Height(), 5);
    EXPECT_EQ(back.Pixel(1, 1), 0xFF0000u); // 0x00RRGGBB: all red
    EXPECT_EQ(back.Pixel(3, 2), 0xFF0000u);
    EXPECT_EQ(back.Pixel(4, 2), 0u);
    EXPECT_EQ(back.Pixel(0, 0), 0u);

    // Decoded by libpng on its own, the file's bytes are R=255, G=0, B=0.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr));
    const std::size_t at = (1 * 7 + 1) * 3;
    EXPECT_EQ(std::vector<int>(bytes.begin() + at, bytes.begin() + at + 3), (std::vector<int>{255, 0, 0}));

    const RECT part{1, 1, 3, 2};
    const std::string partPath = dir.File("part.png");
    ASSERT_TRUE(platform::gdi::SavePng(canvas.Pixels(), partPath.c_str(), &part));
    ASSERT_TRUE(platform::gdi::LoadPng(partPath.c_str(), back));
    EXPECT_EQ(back.Width(), 2);
    EXPECT_EQ(back.Height(), 1);
    EXPECT_EQ(back.Pixel(1, 0), 0xFF0000u);
}

TEST(Png, SaveFailsCleanlyAndLoadRejectsOtherFiles)
{
    CScratchDir dir;
    Surface s(3, 3);
    EXPECT_FALSE(platform::gdi::SavePng(s, dir.File("missing/dir/x.png").c_str()));
    const RECT empty{2, 2, 2, 3};
    EXPECT_FALSE(platform::gdi::SavePng(s, dir.File("empty.png").c_str(), &empty));
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));

    std::ofstream(dir.File("not.png")) << "hello";
    Surface keep(2, 2);
    keep.Row(0)[0] = 7;
    EXPECT_FALSE(platform::gdi::LoadPng(dir.File("not.png").c_str(), keep));
    EXPECT_FALSE(platform::gdi::LoadPng(dir.File("absent.png").c_str(), keep));
    EXPECT_EQ(keep.Width(), 2);
    EXPECT_EQ(keep.Pixel(0, 0), 7u);
}

} // namespace
