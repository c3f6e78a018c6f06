// Drawing objects and contexts: selection and deletion rules, stock objects,
// object descriptions, saved states, the system colour theme, edges and
// device capabilities.

#include "gdi/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

TEST(Objects, SelectObjectReturnsWhatItReplacesAndObjectsInUseCannotBeDeleted)
{
    CCanvas c(4, 4);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.Dc(), red);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_PEN), red);
    EXPECT_FALSE(DeleteObject(red));
    // Still usable after the refused delete.
    MoveToEx(c.Dc(), 0, 0, nullptr);
    LineTo(c.Dc(), 3, 0);
    EXPECT_EQ(c.At(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(SelectObject(c.Dc(), old), red);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_FALSE(DeleteObject(red)); // gone
    EXPECT_EQ(SelectObject(c.Dc(), red), nullptr);
    EXPECT_EQ(GetObjectType(red), 0u);
}

TEST(Objects, ABitmapLivesInOneMemoryContextAtATime)
{
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(a, 3, 2);
    HGDIOBJ oldA = SelectObject(a, bmp);
    ASSERT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);
    EXPECT_FALSE(DeleteObject(bmp));
    SelectObject(a, oldA);
    EXPECT_NE(SelectObject(b, bmp), nullptr);
    DeleteDC(b); // deleting the context lets the bitmap go
    EXPECT_TRUE(DeleteObject(bmp));
    DeleteDC(a);

    // A window context takes no bitmap.
    platform::gdi::Surface s(2, 2);
    HDC w = platform::gdi::CreateSurfaceDC(s, POINT{0, 0}, {RECT{0, 0, 2, 2}});
    HBITMAP other = CreateCompatibleBitmap(w, 2, 2);
    EXPECT_EQ(SelectObject(w, other), nullptr);
    platform::gdi::ReleaseSurfaceDC(w);
    EXPECT_TRUE(DeleteObject(other));
}

TEST(Objects, AMemoryContextDrawsNothingUntilABitmapIsSelected)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_TRUE(Rectangle(dc, 0, 0, 5, 5));
    BITMAP bm{};
    ASSERT_EQ(GetObject(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    DeleteDC(dc);
}

TEST(Objects, GetObjectDescribesEachKind)
{
    HBITMAP bmp = CreateCompatibleBitmap(nullptr, 66, 165);
    BITMAP bm{};
    EXPECT_EQ(GetObject(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(std::tuple(bm.bmWidth, bm.bmHeight, bm.bmBitsPixel), std::tuple(66, 165, 32));
    EXPECT_EQ(GetObject(bmp, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    DeleteObject(bmp);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 5), nullptr);

    HPEN pen = CreatePen(PS_DOT, 3, RGB(1, 2, 3));
    LOGPEN lp{};
    GetObject(pen, sizeof lp, &lp);
    EXPECT_EQ(std::tuple(lp.lopnStyle, lp.lopnWidth.x, lp.lopnColor), std::tuple(UINT{PS_DOT}, 3, RGB(1, 2, 3)));
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
    DeleteObject(pen);

    LOGBRUSH lb{};
    GetObject(GetStockObject(NULL_BRUSH), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, BS_NULL);
    GetObject(GetStockObject(GRAY_BRUSH), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(128, 128, 128));
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(Objects, StockObjectsSurviveDeletion)
{
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    EXPECT_TRUE(DeleteObject(white));
    EXPECT_EQ(GetObjectType(white), OBJ_BRUSH);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_BTNFACE)), OBJ_BRUSH);
}

TEST(Contexts, RestoreDcBringsBackObjectsColoursAndModes)
{
    CCanvas c(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    const int level = SaveDC(c.Dc());
    EXPECT_EQ(level, 1);
    SelectObject(c.Dc(), pen);
    SetTextColor(c.Dc(), RGB(1, 1, 1));
    SetBkMode(c.Dc(), TRANSPARENT);
    SetROP2(c.Dc(), R2_XORPEN);
    SetViewportOrgEx(c.Dc(), 3, 3, nullptr);
    EXPECT_EQ(SaveDC(c.Dc()), 2);
    EXPECT_TRUE(RestoreDC(c.Dc(), -2));
    EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(std::tuple(GetTextColor(c.Dc()), GetBkMode(c.Dc()), GetROP2(c.Dc())),
              std::tuple(RGB(0, 0, 0), OPAQUE, R2_COPYPEN));
    POINT org{};
    GetViewportOrgEx(c.Dc(), &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_FALSE(RestoreDC(c.Dc(), 1)); // nothing left to restore
    EXPECT_TRUE(DeleteObject(pen));     // no saved state holds it any more
}

TEST(Contexts, ASavedStateKeepsItsObjectsFromDeletion)
{
    CCanvas c(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(5, 5, 5));
    SelectObject(c.Dc(), brush);
    SaveDC(c.Dc());
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(brush));
    RestoreDC(c.Dc(), 1);
    EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_BRUSH), brush);
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(Contexts, ViewportOriginShiftsDrawing)
{
    CCanvas c(10, 10);
    SetViewportOrgEx(c.Dc(), 4, 2, nullptr);
    OffsetViewportOrgEx(c.Dc(), 1, 1, nullptr);
    const RECT r{0, 0, 2, 2};
    FillRect(c.Dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.At(5, 3), RGB(0, 0, 0));
    EXPECT_EQ(c.At(6, 4), RGB(0, 0, 0));
    EXPECT_EQ(c.CountNot(RGB(255, 255, 255)), 4);
    RECT box{};
    GetClipBox(c.Dc(), &box);
    EXPECT_EQ(box.left, -5);
    EXPECT_EQ(box.right, 5);
}

TEST(SystemColours, TheThemeIsAConsistentGreyThreeDimensionalLook)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_LT(Brightness(GetSysColor(COLOR_BTNSHADOW)), Brightness(face));
    EXPECT_LT(Brightness(GetSysColor(COLOR_3DDKSHADOW)), Brightness(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_GT(Brightness(GetSysColor(COLOR_BTNHIGHLIGHT)), Brightness(face));
    EXPECT_GE(Brightness(GetSysColor(COLOR_3DLIGHT)), Brightness(face));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), RGB(0, 0, 0));
    // Selected text stands out from its background; grey text is legible
    // on the button face.
    EXPECT_GT(std::abs(Brightness(GetSysColor(COLOR_HIGHLIGHT)) - Brightness(GetSysColor(COLOR_HIGHLIGHTTEXT))), 300);
    EXPECT_NE(GetSysColor(COLOR_GRAYTEXT), face);
    EXPECT_GT(Brightness(GetSysColor(COLOR_INFOBK)), 600);
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColorBrush(99), nullptr);
}

TEST(SystemColours, BrushesAndClassBackgroundsPaintTheThemeColour)
{
    CCanvas c(4, 4);
    const RECT left{0, 0, 2, 4};
    FillRect(c.Dc(), &left, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_BTNFACE));
    const RECT right{2, 0, 4, 4};
    FillRect(c.Dc(), &right, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_HIGHLIGHT + 1)));
    EXPECT_EQ(c.At(3, 3), GetSysColor(COLOR_HIGHLIGHT));
}

TEST(Edges, SunkenAndRaisedEdgesUseShadowAndLightOnOppositeSides)
{
    CCanvas c(10, 10, RGB(1, 1, 1));
    RECT r{0, 0, 10, 10};
    DrawEdge(c.Dc(), &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(5, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(9, 9), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(9, 0), GetSysColor(COLOR_BTNHIGHLIGHT)); // the far corner goes to the right side
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(8, 8), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(5, 5), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(std::tuple(r.left, r.bottom), std::tuple(2, 8));

    RECT raised{0, 0, 10, 10};
    DrawEdge(c.Dc(), &raised, EDGE_RAISED, BF_TOP | BF_LEFT);
    EXPECT_EQ(c.At(3, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(3, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(9, 9), GetSysColor(COLOR_BTNHIGHLIGHT)); // bottom and right untouched
}

TEST(Edges, FrameRectDrawsAOnePixelRing)
{
    CCanvas c(6, 5);
    const RECT r{1, 1, 5, 4};
    FrameRect(c.Dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.Ascii(RGB(255, 255, 255)), "......\n"
                                           ".####.\n"
                                           ".#..#.\n"
                                           ".####.\n"
                                           "......\n");
}

TEST(DeviceCaps, ScreenFactsFollowTheDisplaySettings)
{
    HDC screen = platform::gdi::CreateScreenDC();
    auto caps = [screen](auto... index) { return std::tuple(GetDeviceCaps(screen, index)...); };
    EXPECT_EQ(caps(BITSPIXEL, PLANES, LOGPIXELSX, LOGPIXELSY), std::tuple(32, 1, 96, 96));
    platform::gdi::SetLogicalDpi(120);
    platform::gdi::SetScreenSize(1920, 1080);
    EXPECT_EQ(caps(LOGPIXELSX, HORZRES, VERTRES), std::tuple(120, 1920, 1080));
    platform::gdi::SetLogicalDpi(0); // ignored
    EXPECT_EQ(platform::gdi::GetLogicalDpi(), 120);
    platform::gdi::SetLogicalDpi(96);
    platform::gdi::SetScreenSize(1024, 768);
    // Drawing on the screen stand-in changes nothing and fails nothing.
    EXPECT_EQ(SetPixel(screen, 1, 1, RGB(1, 1, 1)), CLR_INVALID);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 5, 5);
    EXPECT_NE(SelectObject(mem, bmp), nullptr);
    DeleteDC(mem);
    DeleteObject(bmp);
    platform::gdi::ReleaseSurfaceDC(screen);
}

} // namespace
