// The picture buttons: momentary and latching states, what the parent hears,
// and the faces they show.

#include "ShellTestSupport.h"

#include "shell/BitmapPushButton.h"
#include "shell/BitmapSet.h"
#include "support/ui/UiTestSupport.h"

#include <vector>

namespace {

// A framework parent (owner-drawn buttons are drawn through it) that notes
// its buttons' clicks together with the clicked button's state then.
class CParent : public CWnd {
public:
    std::vector<std::pair<UINT, int>> m_clicks;
    std::vector<CBitmapPushButton*> m_buttons;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == BN_CLICKED) {
            for (CBitmapPushButton* button : m_buttons) {
                if (button->GetDlgCtrlID() == LOWORD(wParam)) {
                    m_clicks.emplace_back(LOWORD(wParam), button->GetState());
                }
            }
        }
        return CWnd::OnCommand(wParam, lParam);
    }
};

class PictureButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::StartApp();
        const LPCSTR cls = AfxRegisterWndClass(0, LoadCursorA(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
        ASSERT_TRUE(m_parent.CreateEx(0, cls, "", WS_POPUP | WS_VISIBLE, 20, 20, 200, 120, nullptr, nullptr));
        // The line tool (32 x 32) and the time zoom-in button (21 x 36).
        ASSERT_TRUE(m_tool.Create("", WS_VISIBLE, CRect(10, 10, 42, 42), &m_parent, 1092, TRUE));
        m_tool.SetPictures(kBitmapToolFirst, kBitmapToolLatchedFirst);
        ASSERT_TRUE(m_zoom.Create("", WS_VISIBLE, CRect(60, 10, 81, 46), &m_parent, 1089, FALSE));
        m_zoom.SetPictures(kBitmapZoomTimeIn);
        m_parent.m_buttons = {&m_tool, &m_zoom};
        m_ui.Pump();
    }
    void TearDown() override { m_parent.DestroyWindow(); }

    uitest::CUi m_ui;
    CParent m_parent;
    CBitmapPushButton m_tool;
    CBitmapPushButton m_zoom;
};

TEST_F(PictureButtons, ALatchingButtonFlipsAtEveryPressAndTheParentSeesTheNewState)
{
    EXPECT_EQ(m_tool.GetState(), 0);
    m_ui.Click(m_tool, 16, 16);
    EXPECT_EQ(m_tool.GetState(), 1);
    m_ui.Click(m_tool, 16, 16);
    EXPECT_EQ(m_tool.GetState(), 0);
    m_ui.Click(m_tool, 16, 16);
    const std::vector<std::pair<UINT, int>> expected = {{1092, 1}, {1092, 0}, {1092, 1}};
    EXPECT_EQ(m_parent.m_clicks, expected);
    m_tool.Click(0);
    EXPECT_EQ(m_tool.GetState(), 1) << "a release leaves a latching button where it is";
    m_tool.Reset();
    EXPECT_EQ(m_tool.GetState(), 0);
}

TEST_F(PictureButtons, AMomentaryButtonIsDownOnlyWhileHeld)
{
    m_ui.Down(m_zoom, 10, 10);
    EXPECT_EQ(m_zoom.GetState(), 1);
    m_ui.Up(m_zoom, 10, 10);
    EXPECT_EQ(m_zoom.GetState(), 0);
    ASSERT_EQ(m_parent.m_clicks.size(), 1u);
    EXPECT_EQ(m_parent.m_clicks[0].first, 1089u);
    m_zoom.Click(1);
    EXPECT_EQ(m_zoom.GetState(), 1);
    m_zoom.Click(7);
    EXPECT_EQ(m_zoom.GetState(), 0);
}

TEST_F(PictureButtons, TheFaceIsRaisedWhenUpAndSunkWithItsPictureWhenDown)
{
    // Pixels of the button that show picture `slot` with its top-left at x, y.
    auto showing = [&](int slot, int at) {
        CDC* picture = g_Bitmaps.GetMemDC(slot);
        int same = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                same += m_ui.Pixel(m_tool, at + x, at + y) == picture->GetPixel(x, y) ? 1 : 0;
            }
        }
        return same;
    };
    const COLORREF white = RGB(255, 255, 255);
    // Up: a white inner top-left edge, the 24 x 24 picture centred at (4, 4).
    EXPECT_EQ(m_ui.Pixel(m_tool, 1, 1), white);
    EXPECT_EQ(showing(kBitmapToolFirst, 4), 24 * 24);
    // Latched down: sunk, the latched picture one pixel down and right.
    m_tool.Click(1);
    EXPECT_NE(m_ui.Pixel(m_tool, 1, 1), white);
    EXPECT_EQ(showing(kBitmapToolLatchedFirst, 5), 24 * 24);
    m_tool.Reset();
    EXPECT_EQ(m_ui.Pixel(m_tool, 1, 1), white) << "Reset shows it up again";
}

}  // namespace
