// Static controls: where their text lands, the colours their parent gives
// them, and frames that let what they surround show.

#include "ControlTestSupport.h"

namespace {

using controltest::CControlFixture;

class Statics : public CControlFixture {};

TEST_F(Statics, TextIsPlacedLeftCentredOrRightAndGreyWhenDisabled)
{
    HWND left = Make("Static", "fast", SS_LEFT, 10, 10, 120, 16, 1106);
    HWND centre = Make("Static", "fast", SS_CENTER, 10, 30, 120, 16, 1107);
    HWND right = Make("Static", "fast", SS_RIGHT, 10, 50, 120, 16, 1108);
    const auto l = InkIn(left, {0, 0, 120, 16});
    const auto c = InkIn(centre, {0, 0, 120, 16});
    const auto r = InkIn(right, {0, 0, 120, 16});
    EXPECT_LE(l.left, 2);
    EXPECT_GE(r.right, 116);
    EXPECT_NEAR((c.left + c.right) / 2.0, 60.0, 2.0);
    // The same word everywhere: the same width of ink.
    EXPECT_EQ(l.right - l.left, r.right - r.left);
    // Disabled, the text is grey.
    EnableWindow(left, FALSE);
    EXPECT_EQ(InkIn(left, {0, 0, 120, 16}).darkest, 128);
}

TEST_F(Statics, TheParentChoosesTheColours)
{
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    m_recorder.On(WM_CTLCOLORSTATIC, [&](const uitest::Message& m, LRESULT& result) {
        SetTextColor(reinterpret_cast<HDC>(m.wParam), RGB(255, 0, 0));
        result = reinterpret_cast<LRESULT>(yellow);
        return true;
    });
    HWND label = Make("Static", "Scale:", SS_LEFT, 10, 10, 60, 17, 1051);
    EXPECT_EQ(m_ui.Pixel(label, 58, 15), RGB(255, 255, 0));
    bool red = false;
    for (int x = 0; x < 40 && !red; ++x) {
        for (int y = 0; y < 17 && !red; ++y) {
            const COLORREF c = m_ui.Pixel(label, x, y);
            red = GetRValue(c) == 255 && GetGValue(c) < 64;
        }
    }
    EXPECT_TRUE(red);
    EXPECT_FALSE(m_recorder.Of(m_hParent, {WM_CTLCOLORSTATIC}).empty());
    DestroyWindow(label);
    DeleteObject(yellow);
}

TEST_F(Statics, AFrameShowsAndPassesOnWhatItSurrounds)
{
    HWND frame = Make("Static", "", SS_BLACKFRAME, 10, 10, 120, 100, 1125);
    HWND inside = Make("Button", "Tie", BS_AUTOCHECKBOX | BS_PUSHLIKE, 40, 40, 40, 30, 1081);
    EXPECT_NE(GetWindowLongPtrA(frame, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
    EXPECT_EQ(m_ui.Pixel(frame, 0, 50), RGB(0, 0, 0));
    EXPECT_EQ(m_ui.Pixel(frame, 119, 50), RGB(0, 0, 0));
    EXPECT_EQ(m_ui.Pixel(frame, 10, 10), RGB(255, 255, 255));  // the parent's background
    EXPECT_EQ(m_ui.Pixel(inside, 0, 0), RGB(223, 223, 223));    // the button's light edge
    m_ui.Click(inside, 20, 15);
    EXPECT_EQ(SendMessageA(inside, BM_GETCHECK, 0, 0), BST_CHECKED);

    HWND sunken = Make("Static", "0", SS_RIGHT | SS_SUNKEN, 200, 10, 40, 17, 1127);
    RECT client{};
    GetClientRect(sunken, &client);
    EXPECT_EQ(client.right, 38);
    EXPECT_EQ(m_ui.Pixel(sunken, -1, -1), RGB(128, 128, 128));
    EXPECT_EQ(m_ui.Pixel(sunken, 38, 15), RGB(255, 255, 255));
}


}  // namespace
