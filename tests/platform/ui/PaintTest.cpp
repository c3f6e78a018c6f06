// Painting: update regions, erasing, paint contexts clipped to what shows,
// children clipping their parent, siblings, drawing outside a paint, frames.

#include "UiFixture.h"

#include <algorithm>
#include <map>
#include <thread>

namespace {

using uitest::Message;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Every recorder window paints its whole client area (and a bit beyond, to
// show clipping) in the colour given for it, if any.
class Painting : public uitest::CUiTest {
protected:
    void SetUp() override
    {
        rec.On(WM_PAINT, [this](const Message& m, LRESULT&) {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(m.hwnd, &ps);
            if (auto it = colours.find(m.hwnd); it != colours.end()) {
                HBRUSH brush = CreateSolidBrush(it->second);
                const RECT everything{-500, -500, 2000, 2000};
                FillRect(dc, &everything, brush);
                DeleteObject(brush);
            }
            EndPaint(m.hwnd, &ps);
            return true;
        });
    }

    std::map<HWND, COLORREF> colours;
};

TEST_F(Painting, AChildClipsItsParentsPaintAndHiddenShowsTheParentBehindIt)
{
    HWND top = rec.Create(0, 0, 200, 150);
    HWND child = rec.Create(50, 40, 60, 30, top, 1);
    colours[top] = kRed;
    colours[child] = kGreen;
    InvalidateRect(top, nullptr, TRUE);
    ui.Pump();
    EXPECT_EQ(ui.Pixel(top, 10, 10), kRed);
    EXPECT_EQ(ui.Pixel(top, 50, 40), kGreen);
    EXPECT_EQ(ui.Pixel(top, 109, 69), kGreen);
    EXPECT_EQ(ui.Pixel(top, 110, 69), kRed);

    // The parent alone paints again, after its child: the child stays.
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(ui.Pixel(top, 60, 50), kGreen);
    EXPECT_EQ(ui.Pixel(top, 49, 50), kRed);

    // Hidden, it shows the parent behind it; moved and shown, it is drawn
    // where it now is.
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(ui.Pixel(top, 60, 50), kRed);
    MoveWindow(child, 120, 80, 60, 30, TRUE);
    ShowWindow(child, SW_SHOW);
    EXPECT_EQ(ui.Pixel(top, 60, 50), kRed);
    EXPECT_EQ(ui.Pixel(top, 130, 90), kGreen);
}

TEST_F(Painting, SiblingsDoNotOverdrawEachOther)
{
    HWND top = rec.Create(0, 0, 200, 150);
    HWND upper = rec.Create(10, 10, 60, 60, top, 1);   // created first: top of the z-order
    HWND lower = rec.Create(40, 40, 60, 60, top, 2);
    colours[top] = kRed;
    colours[upper] = kGreen;
    colours[lower] = kBlue;
    InvalidateRect(top, nullptr, TRUE);
    ui.Pump();
    EXPECT_EQ(ui.Pixel(top, 50, 50), kGreen) << "the overlap belongs to the upper sibling";
    EXPECT_EQ(ui.Pixel(top, 90, 90), kBlue);
    InvalidateRect(lower, nullptr, TRUE);
    UpdateWindow(lower);
    EXPECT_EQ(ui.Pixel(top, 50, 50), kGreen);
    EXPECT_EQ(ui.Pixel(top, 75, 45), kBlue);
    SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ui.Pump();
    EXPECT_EQ(ui.Pixel(top, 50, 50), kBlue) << "raised, it covers the other";
}

TEST_F(Painting, DrawingOutsideAPaintIsClippedToWhatShowsOfTheWindow)
{
    HWND top = rec.Create(0, 0, 300, 200);
    HWND cover = rec.Create(80, 0, 40, 40, top, 2);       // above the view
    HWND view = rec.Create(20, 20, 120, 80, top, 1, WS_BORDER);
    colours[top] = kRed;
    colours[cover] = kGreen;
    ui.Pump();
    HDC dc = GetDC(view);
    ASSERT_NE(dc, nullptr);
    HBRUSH blue = CreateSolidBrush(kBlue);
    const RECT everything{-100, -100, 1000, 1000};
    FillRect(dc, &everything, blue);
    DeleteObject(blue);
    ReleaseDC(view, dc);
    EXPECT_EQ(ui.Pixel(view, 0, 0), kBlue);
    EXPECT_EQ(ui.Pixel(view, 117, 77), kBlue);
    EXPECT_EQ(ui.Pixel(top, 19, 50), kRed) << "the parent outside the view";
    EXPECT_EQ(ui.Pixel(top, 20, 50), RGB(0, 0, 0)) << "the view's own border";
    EXPECT_EQ(ui.Pixel(top, 100, 30), kGreen) << "the sibling above the view";
    EXPECT_EQ(ui.Pixel(top, 100, 41), kBlue);
}

TEST_F(Painting, AnXorLineDrawnTwiceThroughGetDcLeavesNoTrace)
{
    HWND top = rec.Create(0, 0, 200, 200);
    HWND view = rec.Create(10, 10, 150, 150, top, 1);
    colours[view] = RGB(255, 255, 255);
    ui.Pump();
    const platform::gdi::Surface before = ui.Shot(view);
    auto band = [&] {
        HDC dc = GetDC(view);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc, pen);
        SetROP2(dc, R2_XORPEN);
        MoveToEx(dc, 5, 5, nullptr);
        LineTo(dc, 140, 100);
        SelectObject(dc, old);
        DeleteObject(pen);
        ReleaseDC(view, dc);
    };
    band();
    EXPECT_EQ(ui.Pixel(view, 5, 5), RGB(0, 0, 0)) << "white XOR white";
    band();
    const platform::gdi::Surface after = ui.Shot(view);
    ASSERT_EQ(before.Width(), after.Width());
    const auto pixels = static_cast<std::size_t>(before.Width()) * before.Height();
    EXPECT_TRUE(std::equal(before.Row(0), before.Row(0) + pixels, after.Row(0)));
}

TEST_F(Painting, UpdateRegionsEraseAndPaintStructs)
{
    HWND w = rec.Create(0, 0, 100, 100);
    ui.Pump();
    std::vector<RECT> painted;
    std::vector<BOOL> erasedBySystem;
    bool eraseAnswers = true;
    rec.On(WM_ERASEBKGND, [&](const Message&, LRESULT& result) {
        result = eraseAnswers ? 1 : 0;
        return true;
    });
    rec.On(WM_PAINT, [&](const Message& m, LRESULT&) {
        PAINTSTRUCT ps{};
        BeginPaint(m.hwnd, &ps);
        painted.push_back(ps.rcPaint);
        erasedBySystem.push_back(ps.fErase);
        EndPaint(m.hwnd, &ps);
        return true;
    });
    const RECT a{10, 10, 20, 20};
    const RECT b{50, 60, 70, 65};
    InvalidateRect(w, &a, TRUE);
    InvalidateRect(w, &b, FALSE);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
    EXPECT_TRUE(EqualRect(&update, &(const RECT&)RECT{10, 10, 70, 65}));
    ui.Pump();
    ASSERT_EQ(painted.size(), 1u) << "one WM_PAINT for both rectangles";
    EXPECT_TRUE(EqualRect(&painted[0], &update));
    EXPECT_FALSE(erasedBySystem[0]);
    EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));

    eraseAnswers = false;
    InvalidateRect(w, nullptr, TRUE);
    ValidateRect(w, nullptr);
    ui.Pump();
    EXPECT_EQ(painted.size(), 1u) << "validated before it was painted";
    InvalidateRect(w, nullptr, TRUE);
    ui.Pump();
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_TRUE(erasedBySystem[1]) << "the window did not erase, so the paint must";
}

TEST_F(Painting, PaintComesAfterPostedMessagesUpdateWindowPaintsAtOnceAndHiddenWindowsWait)
{
    HWND w = rec.Create(0, 0, 50, 50);
    ui.Pump();
    rec.Clear();
    InvalidateRect(w, nullptr, FALSE);
    PostMessageA(w, WM_USER, 0, 0);
    ui.Pump();
    EXPECT_EQ(rec.Sequence({WM_USER, WM_PAINT}), (std::vector<UINT>{WM_USER, WM_PAINT}));
    rec.Clear();
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    EXPECT_EQ(rec.Sequence({WM_PAINT}).size(), 1u);
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    // A hidden window gets no paint.
    ShowWindow(w, SW_HIDE);
    ui.Pump();
    rec.Clear();
    InvalidateRect(w, nullptr, TRUE);
    ui.Pump();
    EXPECT_TRUE(rec.Of(w, {WM_PAINT}).empty());
    ShowWindow(w, SW_SHOW);
    ui.Pump();
    EXPECT_EQ(rec.Of(w, {WM_PAINT}).size(), 1u) << "shown again, it is painted whole";
}

TEST_F(Painting, ARepaintAskedForByAnotherThreadHappensOnTheOwnersThread)
{
    HWND w = rec.Create(0, 0, 40, 40);
    ui.Pump();
    const DWORD owner = GetCurrentThreadId();
    std::vector<DWORD> paintedOn;
    rec.On(WM_PAINT, [&](const uitest::Message& m, LRESULT&) {
        paintedOn.push_back(GetCurrentThreadId());
        PAINTSTRUCT ps{};
        BeginPaint(m.hwnd, &ps);
        EndPaint(m.hwnd, &ps);
        return true;
    });
    BOOL asked = FALSE;
    std::thread([&] { asked = InvalidateRect(w, nullptr, TRUE); }).join();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(paintedOn.empty()) << "nothing happens until the owner looks at its queue";
    ui.Pump();
    EXPECT_EQ(paintedOn, (std::vector<DWORD>{owner}));
}

}  // namespace
