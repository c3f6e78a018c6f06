// The picture buttons (momentary and latching states, what the parent hears,
// the faces they show) and the number box over the buffer-length field.

#include "ShellTestSupport.h"

#include "shell/BitmapPushButton.h"
#include "shell/BitmapSet.h"
#include "shell/ValueEntryDialog.h"
#include "support/ui/UiTestSupport.h"

#include <string>
#include <tuple>
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
        for (CBitmapPushButton* button : m_buttons) {
            if (HIWORD(wParam) == BN_CLICKED && button->GetDlgCtrlID() == LOWORD(wParam)) {
                m_clicks.emplace_back(LOWORD(wParam), button->GetState());
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

    // Pixels of the tool that show picture `slot` with its top-left at (at, at).
    int Showing(int slot, int at)
    {
        int same = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                same += m_ui.Pixel(m_tool, at + x, at + y) == g_Bitmaps.GetMemDC(slot)->GetPixel(x, y) ? 1 : 0;
            }
        }
        return same;
    }

    uitest::CUi m_ui;
    CParent m_parent;
    CBitmapPushButton m_tool;
    CBitmapPushButton m_zoom;
};

TEST_F(PictureButtons, ALatchingButtonFlipsAtEveryPressAndShowsItsLatchedPictureSunk)
{
    const COLORREF white = RGB(255, 255, 255);
    // Up: a white inner top-left edge, the 24 x 24 picture centred at (4, 4).
    EXPECT_EQ(m_tool.GetState(), 0);
    EXPECT_EQ(m_ui.Pixel(m_tool, 1, 1), white);
    EXPECT_EQ(Showing(kBitmapToolFirst, 4), 24 * 24);
    for (int press = 0; press < 3; ++press) {
        m_ui.Click(m_tool, 16, 16);
    }
    const std::vector<std::pair<UINT, int>> expected = {{1092, 1}, {1092, 0}, {1092, 1}};
    EXPECT_EQ(m_parent.m_clicks, expected) << "the parent sees the new state";
    // Latched down: sunk, the latched picture one pixel down and right.
    m_tool.Click(0);
    EXPECT_EQ(m_tool.GetState(), 1) << "a release leaves a latching button where it is";
    EXPECT_NE(m_ui.Pixel(m_tool, 1, 1), white);
    EXPECT_EQ(Showing(kBitmapToolLatchedFirst, 5), 24 * 24);
    m_tool.Reset();
    EXPECT_EQ(m_tool.GetState(), 0);
    EXPECT_EQ(m_ui.Pixel(m_tool, 1, 1), white) << "Reset shows it up again";
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

class ValueEntry : public ::testing::Test {
protected:
    // Runs the box at screen (541, 137) holding 200, types `text` and ends
    // with `key`; returns GetValue().
    int Run(const std::string& text, UINT key, RECT* placed = nullptr)
    {
        CValueEntryDialog box(200, RECT{541, 137, 581, 154}, CWnd::FromHandle(m_owner));
        m_ui.WhenIdle([&] {
            if (placed != nullptr) {
                GetWindowRect(GetActiveWindow(), placed);
            }
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), CValueEntryDialog::kFieldId) << "typing goes to the field";
            m_ui.Type(text);
            m_ui.Key(key);
        });
        EXPECT_EQ(box.DoModal(), key == VK_RETURN ? IDOK : IDCANCEL);
        return box.GetValue();
    }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    HWND m_owner = m_recorder.Create(100, 100, 400, 300);
};

TEST_F(ValueEntry, EnterKeepsANonZeroNumberAtTheFieldsCornerZeroTextOrEscapeDoNot)
{
    RECT placed{};
    EXPECT_EQ(Run("45", VK_RETURN, &placed), 45);
    // Its own size covers the buffer field (541, 137, 581, 154) taken one
    // pixel larger at the left and top.
    EXPECT_EQ(placed.left, 541);
    EXPECT_EQ(placed.top, 137);
    EXPECT_EQ(placed.right - placed.left, 581 - 540);
    EXPECT_EQ(placed.bottom - placed.top, 154 - 136);
    for (auto [text, key, value] : {std::tuple{"-3", VK_RETURN, -3}, std::tuple{"0", VK_RETURN, 200},
                                    std::tuple{"many", VK_RETURN, 200}, std::tuple{"", VK_RETURN, 200},
                                    std::tuple{"60", VK_ESCAPE, 200}}) {
        EXPECT_EQ(Run(text, static_cast<UINT>(key), nullptr), value) << "'" << text << "' " << key;
    }
}

}  // namespace
