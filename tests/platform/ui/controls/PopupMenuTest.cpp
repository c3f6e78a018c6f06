// Pop-up menus tracked with the mouse and the keyboard: what they return,
// what they post to their owner, and what they refuse.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

namespace {

using controltest::CControlFixture;

class PopupMenus : public CControlFixture {
protected:
    void SetUp() override
    {
        CControlFixture::SetUp();
        ASSERT_TRUE(m_menu.CreatePopupMenu());
        m_menu.AppendMenu(MF_STRING, 1, "&Copy Selected");
        m_menu.AppendMenu(MF_STRING | MF_GRAYED, 2, "Cu&t Selected");
        m_menu.AppendMenu(MF_SEPARATOR);
        m_menu.AppendMenu(MF_STRING, 0, "Select &All");
    }

    // The menu window while it is shown.
    static HWND MenuWindow() { return FindWindowA("#32768", nullptr); }
    // The middle of text item `index` (separators do not count) in the
    // menu's client coordinates: items stack one row each below a 3-pixel
    // border, a separator taking 8 pixels.
    static POINT ItemPoint(int index)
    {
        RECT rc{};
        GetClientRect(MenuWindow(), &rc);
        const int row = (rc.bottom - 6 - 8) / 3;
        const int top = 3 + index * row + (index >= 2 ? 8 : 0);
        return POINT{rc.right / 2, top + row / 2};
    }
    BOOL Track(UINT flags) { return m_menu.TrackPopupMenu(flags, 200, 150, CWnd::FromHandle(m_hParent)); }

    CMenu m_menu;
};

TEST_F(PopupMenus, AClickOnAnItemReturnsItsCommandOrPostsItWithoutReturnCmd)
{
    RECT placed{};
    m_ui.WhenIdle([&] {
        GetWindowRect(MenuWindow(), &placed);
        const POINT at = ItemPoint(0);
        m_ui.Click(MenuWindow(), at.x, at.y);
    });
    EXPECT_EQ(Track(TPM_RETURNCMD | TPM_LEFTBUTTON), 1);
    EXPECT_EQ(placed.left, 200);
    EXPECT_EQ(placed.top, 150);
    EXPECT_EQ(MenuWindow(), nullptr);
    m_ui.Pump();
    EXPECT_TRUE(Commands().empty());  // returned, not posted

    // Without TPM_RETURNCMD the command is posted to the owner, even 0.
    m_ui.WhenIdle([&] {
        const POINT at = ItemPoint(2);
        m_ui.Move(MenuWindow(), at.x, at.y);
    });
    m_ui.WhenIdle([&] {
        // The item under the pointer is highlighted.
        const POINT at = ItemPoint(2);
        EXPECT_EQ(m_ui.Pixel(MenuWindow(), 8, at.y), RGB(0, 0, 128));
        m_ui.Click(MenuWindow(), at.x, at.y);
    });
    EXPECT_EQ(Track(0), TRUE);
    m_ui.Pump();
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_F(PopupMenus, AGreyedItemCannotBeChosenAndAClickOutsideDismissesWithoutGoingFurther)
{
    COLORREF greyInk = 0;
    m_ui.WhenIdle([&] {
        const POINT at = ItemPoint(1);
        m_ui.Click(MenuWindow(), at.x, at.y);
    });
    m_ui.WhenIdle([&] {
        ASSERT_NE(MenuWindow(), nullptr);  // still open
        const POINT away = ItemPoint(0);
        m_ui.Move(MenuWindow(), away.x, away.y);
    });
    m_ui.WhenIdle([&] {
        // Not under the pointer, its label is embossed grey: the darkest
        // ink is the grey text colour.
        const POINT at = ItemPoint(1);
        const int darkest = InkIn(MenuWindow(), {20, at.y - 5, 80, at.y + 6}).darkest;
        greyInk = RGB(darkest, darkest, darkest);
        m_ui.Click(m_hParent, 10, 10);
    });
    EXPECT_EQ(Track(TPM_RETURNCMD | TPM_RIGHTBUTTON), 0);
    EXPECT_EQ(greyInk, RGB(128, 128, 128));
    m_ui.Pump();
    EXPECT_TRUE(m_recorder.Of(m_hParent, {WM_LBUTTONDOWN}).empty());
}

TEST_F(PopupMenus, TheKeyboardWalksPastSeparatorsAndPicksByMnemonic)
{
    m_ui.WhenIdle([&] {
        m_ui.Key(VK_DOWN);  // the first item
        m_ui.Key(VK_DOWN);  // the greyed one
        m_ui.Key(VK_RETURN);  // refused
        m_ui.Key(VK_DOWN);  // over the separator to "Select All"
        m_ui.Key(VK_RETURN);
    });
    EXPECT_EQ(Track(0), TRUE);
    m_ui.WhenIdle([&] { m_ui.Type("c"); });
    EXPECT_EQ(Track(TPM_RETURNCMD), 1);
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    EXPECT_EQ(Track(0), FALSE);
    m_ui.Pump();
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_F(PopupMenus, ReleasingTheClickThatOpenedTheMenuChoosesNothing)
{
    BOOL result = -1;
    m_recorder.On(WM_RBUTTONDOWN, [&](const uitest::Message& m, LRESULT&) {
        POINT at{m.x(), m.y()};
        ClientToScreen(m.hwnd, &at);
        // Opened over its first item, as a slider's menu is.
        result = TrackPopupMenu(m_menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x - 5, at.y - 10, 0, m.hwnd, nullptr);
        return true;
    });
    m_ui.WhenIdle([&] {
        ASSERT_NE(MenuWindow(), nullptr);
        m_ui.Key(VK_ESCAPE);
    });
    m_ui.RightClick(m_hParent, 100, 100);
    EXPECT_EQ(result, 0);
}

TEST_F(PopupMenus, TheRightButtonPicksOnlyWhenAskedTo)
{
    auto rightClickFirst = [&] {
        const POINT at = ItemPoint(0);
        m_ui.RightClick(MenuWindow(), at.x, at.y);
    };
    m_ui.WhenIdle(rightClickFirst);
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    EXPECT_EQ(Track(TPM_RETURNCMD | TPM_LEFTBUTTON), 0);
    m_ui.WhenIdle(rightClickFirst);
    EXPECT_EQ(Track(TPM_RETURNCMD | TPM_RIGHTBUTTON), 1);
}

TEST(Menus, ItemsCanBeGreyedCheckedReadAndRemoved)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 2000, "&Track");
    menu.AppendMenu(MF_STRING, 2003, "&Add");
    EXPECT_EQ(menu.EnableMenuItem(2003, MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(menu.GetMenuState(2003, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(menu.EnableMenuItem(7, MF_GRAYED), static_cast<UINT>(-1));
    menu.CheckMenuItem(2000, MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION) & MF_CHECKED, MF_CHECKED);
    char text[32] = {};
    EXPECT_EQ(GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION), 4);
    EXPECT_STREQ(text, "&Add");
    EXPECT_TRUE(menu.DeleteMenu(2000, MF_BYCOMMAND));
    EXPECT_EQ(menu.GetMenuItemCount(), 1);
    EXPECT_EQ(menu.GetMenuItemID(0), 2003u);
    HMENU handle = menu.Detach();
    EXPECT_TRUE(DestroyMenu(handle));
    EXPECT_FALSE(IsMenu(handle));
    EXPECT_FALSE(AppendMenuA(handle, MF_STRING, 1, "gone"));
}

}  // namespace
