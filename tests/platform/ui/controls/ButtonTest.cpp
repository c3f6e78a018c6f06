// Buttons driven with the mouse and keys: what they tell their parent, how
// check boxes and radio groups keep their state, and how they look.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

namespace {

using controltest::CControlFixture;
using Pair = std::pair<int, int>;

const COLORREF kFace = RGB(192, 192, 192);

class Buttons : public CControlFixture {};

TEST_F(Buttons, PushLikeCheckBoxTogglesSinksAndReportsEachClick)
{
    HWND bypass = Make("Button", "&Bypass", BS_AUTOCHECKBOX | BS_PUSHLIKE, 10, 10, 63, 19, 1155);
    EXPECT_EQ(m_ui.Pixel(bypass, 0, 0), RGB(223, 223, 223));  // raised: light top-left
    EXPECT_EQ(m_ui.Pixel(bypass, 62, 18), RGB(0, 0, 0));      // and a dark bottom-right

    m_ui.Click(bypass, 30, 9);
    EXPECT_EQ(SendMessageA(bypass, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Commands(), (std::vector<Pair>{{1155, BN_CLICKED}}));
    // Checked, it stays down: shadow on the top-left, light at the bottom
    // right, a lighter face.
    EXPECT_EQ(m_ui.Pixel(bypass, 0, 0), RGB(128, 128, 128));
    EXPECT_EQ(m_ui.Pixel(bypass, 62, 18), RGB(255, 255, 255));
    EXPECT_EQ(m_ui.Pixel(bypass, 2, 2), RGB(223, 223, 223));

    m_ui.Click(bypass, 30, 9);
    EXPECT_EQ(SendMessageA(bypass, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Commands().size(), 2u);
    EXPECT_EQ(m_ui.Pixel(bypass, 0, 0), RGB(223, 223, 223));
}

TEST_F(Buttons, APressReleasedOutsideIsNoClickAndSpaceClicksTheFocusedButton)
{
    HWND track = Make("Button", "&Track Pitch", BS_AUTOCHECKBOX | BS_PUSHLIKE, 10, 10, 79, 22, 1058);
    m_ui.Down(track, 10, 10);
    EXPECT_NE(SendMessageA(track, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    EXPECT_EQ(GetFocus(), track);
    m_ui.Move(track, 120, 10);
    EXPECT_EQ(SendMessageA(track, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    m_ui.Up(track, 120, 10);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(SendMessageA(track, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    m_ui.KeyDown(VK_SPACE);
    EXPECT_NE(SendMessageA(track, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    EXPECT_TRUE(Commands().empty());
    m_ui.KeyUp(VK_SPACE);
    EXPECT_EQ(Commands(), (std::vector<Pair>{{1058, BN_CLICKED}}));
    EXPECT_EQ(SendMessageA(track, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Buttons, AutoRadioButtonsExcludeEachOtherOnlyWithinTheirGroup)
{
    HWND automatic = Make("Button", "Automatic", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 81, 18, 1121);
    HWND graphical = Make("Button", "Graphical", BS_AUTORADIOBUTTON, 100, 10, 81, 18, 1122);
    HWND other = Make("Button", "Other", BS_AUTORADIOBUTTON | WS_GROUP, 10, 40, 81, 18, 1123);
    SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);

    m_ui.Click(automatic, 5, 9);
    m_ui.Click(graphical, 5, 9);
    EXPECT_EQ(SendMessageA(automatic, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(graphical, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(other, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Commands(), (std::vector<Pair>{{1121, BN_CLICKED}, {1122, BN_CLICKED}}));
    // The checked one of a group is the one Tab stops at.
    EXPECT_EQ(GetWindowLongPtrA(automatic, GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_NE(GetWindowLongPtrA(graphical, GWL_STYLE) & WS_TABSTOP, 0);
    // The dot sits in the middle of the circle.
    EXPECT_EQ(m_ui.Pixel(graphical, 6, 9), RGB(0, 0, 0));
    EXPECT_EQ(m_ui.Pixel(automatic, 6, 9), RGB(255, 255, 255));
}

TEST_F(Buttons, ADisabledButtonIgnoresClicksAndGreysItsText)
{
    HWND undo = Make("Button", "undo", BS_PUSHBUTTON, 10, 10, 63, 19, 1071);
    HWND cut = Make("Button", "cut", BS_PUSHBUTTON, 100, 10, 63, 19, 1073);
    EnableWindow(cut, FALSE);
    m_ui.Click(cut, 30, 9);
    EXPECT_TRUE(Commands().empty());

    EXPECT_LT(InkIn(undo, {4, 4, 59, 15}).darkest, 64);  // black text
    const auto grey = InkIn(cut, {4, 4, 59, 15}, 129);
    EXPECT_EQ(grey.darkest, 128);  // grey text and nothing darker
    EXPECT_GT(grey.count, 5);
}

TEST_F(Buttons, TheFocusRectangleAndTheDefaultFrameFollowTheFocus)
{
    HWND ok = Make("Button", "OK", BS_DEFPUSHBUTTON, 10, 10, 75, 23, IDOK);
    HWND cancel = Make("Button", "Cancel", BS_PUSHBUTTON, 100, 10, 75, 23, IDCANCEL);
    auto dotted = [&](HWND button, int inset) {
        int inverted = 0;
        for (int x = inset; x < 75 - inset; ++x) {
            inverted += m_ui.Pixel(button, x, inset) == RGB(63, 63, 63) ? 1 : 0;
        }
        return inverted;
    };
    EXPECT_EQ(m_ui.Pixel(ok, 0, 0), RGB(0, 0, 0));  // the default frame
    EXPECT_EQ(dotted(ok, 4), 0);

    SetFocus(ok);
    EXPECT_GT(dotted(ok, 4), 25);  // every other pixel of the row
    SetFocus(cancel);
    EXPECT_EQ(dotted(ok, 4), 0);
    EXPECT_GT(dotted(cancel, 4), 25);
    // The focused push button is the one Enter would press: it takes the frame.
    EXPECT_EQ(m_ui.Pixel(cancel, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(m_ui.Pixel(ok, 0, 0), RGB(223, 223, 223));
}

TEST_F(Buttons, AGroupBoxLetsClicksThroughToTheButtonsItFrames)
{
    HWND group = Make("Button", "Mode:", BS_GROUPBOX, 5, 5, 200, 50, 1120);
    HWND automatic = Make("Button", "Automatic", BS_AUTORADIOBUTTON, 15, 20, 81, 18, 1121);
    EXPECT_NE(GetWindowLongPtrA(group, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
    m_ui.Click(automatic, 5, 9);
    EXPECT_EQ(SendMessageA(automatic, BM_GETCHECK, 0, 0), BST_CHECKED);
    // The etched frame: shadow then highlight.
    EXPECT_EQ(m_ui.Pixel(group, 100, 49 - 1), RGB(128, 128, 128));
    EXPECT_EQ(m_ui.Pixel(group, 100, 49), RGB(255, 255, 255));
}

class CRedButton : public CButton {
public:
    std::vector<UINT> m_states;
    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        m_states.push_back(item->itemState);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SetPixel(item->hDC, 2, 2, RGB(255, 0, 0));
    }
};

class CPanel : public CWnd {};

TEST_F(Buttons, AnOwnerDrawnButtonIsDrawnByItsParentOrByItsOwnObject)
{
    HWND plain = Make("Button", "", BS_OWNERDRAW, 10, 10, 21, 36, 1088);
    m_ui.Pump();
    auto drawn = m_recorder.Of(m_hParent, {WM_DRAWITEM});
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().wParam, 1088u);

    CPanel panel;
    ASSERT_TRUE(panel.CreateEx(0, nullptr, "panel", WS_CHILD | WS_VISIBLE, 100, 10, 100, 100, m_hParent, ControlId(7)));
    CRedButton zoom;
    ASSERT_TRUE(zoom.Create("", BS_OWNERDRAW | WS_VISIBLE, CRect(5, 5, 37, 37), &panel, 1092));
    EXPECT_EQ(m_ui.Pixel(zoom, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(m_ui.Pixel(zoom, 20, 20), RGB(0, 0, 0));
    m_ui.Down(zoom, 10, 10);
    ASSERT_FALSE(zoom.m_states.empty());
    EXPECT_EQ(zoom.m_states.back() & (ODS_SELECTED | ODS_FOCUS), ODS_SELECTED | ODS_FOCUS);
    m_ui.Up(zoom, 10, 10);
    EXPECT_EQ(zoom.m_states.back() & ODS_SELECTED, 0u);
    EXPECT_NE(plain, nullptr);
}

}  // namespace
