// Where windows are: client areas inside frames, moving and showing,
// enabling, mapping points and finding the window under a point.

#include "UiFixture.h"

namespace {

using Geometry = uitest::CUiTest;
using Frames = uitest::CUiTest;
using Reparenting = uitest::CUiTest;
using MouseWheel = uitest::CUiTest;

TEST_F(Geometry, ABorderTakesOnePixelAndPointsMapAcrossTheTree)
{
    HWND top = rec.Create(100, 50, 300, 200);
    HWND view = rec.Create(5, 65, 380, 230, top, 2005, WS_BORDER);
    RECT client{};
    GetClientRect(view, &client);
    EXPECT_EQ(client.right, 378);
    EXPECT_EQ(client.bottom, 228);
    RECT window{};
    GetWindowRect(view, &window);
    EXPECT_EQ(window.left, 105);
    EXPECT_EQ(window.top, 115);
    EXPECT_EQ(window.right, 105 + 380);

    POINT pt{0, 0};
    ClientToScreen(view, &pt);
    EXPECT_EQ(pt.x, 106) << "inside the border";
    EXPECT_EQ(pt.y, 116);
    ScreenToClient(top, &pt);
    EXPECT_EQ(pt.x, 6);
    EXPECT_EQ(pt.y, 66);

    POINT pts[2] = {{0, 0}, {10, 20}};
    const int shift = MapWindowPoints(view, top, pts, 2);
    EXPECT_EQ(pts[1].x, 16);
    EXPECT_EQ(pts[1].y, 86);
    EXPECT_EQ(static_cast<short>(LOWORD(shift)), 6);
    EXPECT_EQ(static_cast<short>(HIWORD(shift)), 66);
    MapWindowPoints(top, nullptr, pts, 1);
    EXPECT_EQ(pts[0].x, 106);
}

TEST_F(Geometry, MovingSendsPositionChangesAndSizeOnlyWhenTheSizeChanges)
{
    HWND top = rec.Create(0, 0, 300, 300);
    HWND w = rec.Create(10, 10, 50, 40, top, 1);
    rec.Clear();
    MoveWindow(w, 20, 30, 50, 40, TRUE);
    EXPECT_EQ(rec.Sequence({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
    const auto moves = rec.Of(w, {WM_MOVE});
    EXPECT_EQ(moves.back().x(), 20);
    EXPECT_EQ(moves.back().y(), 30);
    rec.Clear();
    SetWindowPos(w, nullptr, 0, 0, 70, 45, SWP_NOMOVE | SWP_NOZORDER);
    const auto sizes = rec.Of(w, {WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(LOWORD(sizes[0].lParam), 70);
    EXPECT_EQ(HIWORD(sizes[0].lParam), 45);
    EXPECT_TRUE(rec.Of(w, {WM_MOVE}).empty());
}

TEST_F(Geometry, ShowAndEnableReportTheOldStateAndTellTheWindowAndVisibilityNeedsAncestors)
{
    HWND top = rec.Create(0, 0, 100, 100);
    HWND child = rec.Create(0, 0, 10, 10, top, 1);
    rec.Clear();
    EXPECT_TRUE(ShowWindow(top, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child)) << "a hidden parent hides its child";
    EXPECT_NE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_FALSE(ShowWindow(top, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(top, SW_SHOW)) << "already shown: no change";
    // Disabling takes the focus away.
    SetFocus(child);
    ASSERT_EQ(GetFocus(), child);
    EXPECT_FALSE(EnableWindow(child, FALSE)) << "it was enabled";
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(child, FALSE)) << "it was disabled";
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_TRUE(IsWindowEnabled(child));
    // Each change was told once, off then on.
    for (const auto& [hwnd, message] : {std::pair{top, UINT{WM_SHOWWINDOW}}, std::pair{child, UINT{WM_ENABLE}}}) {
        const auto told = rec.Of(hwnd, {message});
        ASSERT_EQ(told.size(), 2u) << message;
        EXPECT_EQ(told[0].wParam, static_cast<WPARAM>(FALSE)) << message;
        EXPECT_EQ(told[1].wParam, static_cast<WPARAM>(TRUE)) << message;
    }
}

TEST_F(Geometry, WindowFromPointFindsTheDeepestShownChild)
{
    HWND top = rec.Create(100, 100, 200, 200);
    HWND panel = rec.Create(10, 10, 100, 100, top, 1);
    HWND button = rec.Create(10, 10, 30, 20, panel, 2);
    HWND hidden = rec.Create(50, 50, 30, 30, panel, 3);
    ShowWindow(hidden, SW_HIDE);
    EXPECT_EQ(WindowFromPoint(POINT{125, 125}), button);
    EXPECT_EQ(WindowFromPoint(POINT{165, 165}), panel) << "a hidden child is passed over";
    EXPECT_EQ(WindowFromPoint(POINT{280, 280}), top);
    EXPECT_EQ(WindowFromPoint(POINT{5, 5}), nullptr);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{25, 25}), panel) << "only direct children";
    EXPECT_EQ(ChildWindowFromPoint(panel, POINT{55, 55}), hidden) << "hidden ones count here";
    EXPECT_EQ(ChildWindowFromPointEx(panel, POINT{55, 55}, CWP_SKIPINVISIBLE), panel);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{-1, 5}), nullptr);
}

TEST_F(Frames, ACaptionedWindowGetsAFrameAndATitleBarAroundItsClientArea)
{
    RECT want{0, 0, 200, 100};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    ASSERT_TRUE(AdjustWindowRectEx(&want, style, FALSE, 0));
    EXPECT_EQ(want.right - want.left, 200 + 2 * GetSystemMetrics(SM_CXDLGFRAME));
    EXPECT_EQ(want.bottom - want.top, 100 + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION));
    HWND w = CreateWindowExA(0, "UiTestRecorder", "Edit Scales", style, 30, 30, want.right - want.left,
                             want.bottom - want.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    ui.Pump();
    const platform::gdi::Surface whole = ui.Shot(w, false);
    const int frame = GetSystemMetrics(SM_CXDLGFRAME);
    const COLORREF bar = GetSysColor(GetActiveWindow() == w ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    // The bar's colour at its far right, where no title text reaches.
    EXPECT_EQ(platform::gdi::ToColorRef(whole.Pixel(whole.Width() - frame - 2, frame + 2)), bar);
    // Some title text in the bar's left part.
    int textPixels = 0;
    for (int x = frame + 4; x < frame + 80; ++x) {
        for (int y = frame + 2; y < frame + GetSystemMetrics(SM_CYCAPTION) - 2; ++y) {
            textPixels += platform::gdi::ToColorRef(whole.Pixel(x, y)) != bar ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 20) << "the title is written in the bar";
    EXPECT_EQ(ui.Pixel(w, 0, 0), GetSysColor(COLOR_WINDOW)) << "the client area starts below the bar";
    // Clicking the bar is not a client click.
    rec.Clear();
    RECT rc{};
    GetWindowRect(w, &rc);
    const POINT onBar{rc.left + 100, rc.top + frame + 5};
    ui.Display().MouseMove(onBar);
    ui.Display().ButtonDown(onBar);
    ui.Display().ButtonUp(onBar);
    ui.Pump();
    EXPECT_TRUE(rec.Of(w, {WM_LBUTTONDOWN}).empty());
    const auto nc = rec.Of(w, {WM_NCLBUTTONDOWN});
    ASSERT_EQ(nc.size(), 1u);
    EXPECT_EQ(static_cast<LRESULT>(nc[0].wParam), HTCAPTION);
    DestroyWindow(w);
}

TEST_F(Frames, ABorderIsDrawnAroundTheClientAndWindowContextsReachItButClientContextsDoNot)
{
    HWND top = rec.Create(0, 0, 100, 100);
    HWND view = rec.Create(10, 10, 40, 40, top, 1, WS_BORDER);
    ui.Pump();
    // The class background erases the client; a border is drawn around it once.
    EXPECT_EQ(ui.Pixel(view, 0, 0), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ui.Pixel(top, 10, 10), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(ui.Pixel(top, 49, 49), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(rec.Of(view, {WM_NCPAINT}).size(), 1u);
    HDC client = GetDC(view);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT big{-10, -10, 100, 100};
    FillRect(client, &big, red);
    ReleaseDC(view, client);
    EXPECT_EQ(ui.Pixel(top, 10, 10), GetSysColor(COLOR_WINDOWFRAME));
    HDC window = GetWindowDC(view);
    FillRect(window, &big, red);
    ReleaseDC(view, window);
    EXPECT_EQ(ui.Pixel(top, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(ui.Pixel(top, 50, 50), GetSysColor(COLOR_WINDOW)) << "nothing outside the window";
    DeleteObject(red);
    RedrawWindow(view, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(ui.Pixel(top, 10, 10), GetSysColor(COLOR_WINDOWFRAME)) << "the frame drawn again";
}

TEST_F(Reparenting, AWindowMovedToAnotherParentPaintsThere)
{
    HWND a = rec.Create(0, 0, 100, 100);
    HWND b = rec.Create(200, 0, 100, 100);
    HWND child = rec.Create(10, 10, 20, 20, a, 5);
    EXPECT_EQ(SetParent(child, b), a);
    EXPECT_EQ(GetParent(child), b);
    EXPECT_EQ(GetDlgItem(a, 5), nullptr);
    EXPECT_EQ(GetDlgItem(b, 5), child);
    RECT rc{};
    GetWindowRect(child, &rc);
    EXPECT_EQ(rc.left, 210);
    EXPECT_EQ(WindowFromPoint(POINT{215, 15}), child);
}

TEST_F(MouseWheel, GoesToTheFocusAndUpToItsParentWhenUnhandled)
{
    HWND top = rec.Create(0, 0, 100, 100);
    HWND child = rec.Create(10, 10, 20, 20, top, 1);
    SetFocus(child);
    rec.Clear();
    ui.Wheel(top, 50, 50, -WHEEL_DELTA);
    const auto atChild = rec.Of(child, {WM_MOUSEWHEEL});
    const auto atTop = rec.Of(top, {WM_MOUSEWHEEL});
    ASSERT_EQ(atChild.size(), 1u);
    ASSERT_EQ(atTop.size(), 1u) << "the default handling passes it up";
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(atChild[0].wParam), -WHEEL_DELTA);
    EXPECT_EQ(atChild[0].x(), 50) << "screen coordinates";
}

}  // namespace
