// The less travelled ways of the controls: limits, case, hidden text,
// sorted lists, lists that must open upwards, menus at the screen's edge,
// owner-drawn statics and bitmaps.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

namespace {

using controltest::CControlFixture;
using Pair = std::pair<int, int>;

class ControlEdges : public CControlFixture {};

TEST_F(ControlEdges, AnEditFieldKeepsItsLimitItsCaseAndHidesAPassword)
{
    HWND upper = Make("Edit", "", ES_UPPERCASE | ES_AUTOHSCROLL, 10, 10, 120, 20, 1);
    SendMessageA(upper, EM_LIMITTEXT, 4, 0);
    SetFocus(upper);
    m_ui.Type("abcdef");
    EXPECT_EQ(TextOf(upper), "ABCD");
    EXPECT_EQ(Count(1, EN_MAXTEXT), 2);

    HWND secret = Make("Edit", "", ES_PASSWORD | ES_AUTOHSCROLL, 10, 40, 120, 20, 2);
    HWND shown = Make("Edit", "", ES_AUTOHSCROLL, 140, 40, 120, 20, 8);
    SetWindowTextA(secret, "||||");
    SetWindowTextA(shown, "||||");
    SetFocus(upper);  // no caret in the fields looked at
    // Stars sit in the upper part of the line; bars run its whole height.
    auto inkHeight = [&](HWND edit) {
        const auto ink = InkIn(edit, {0, 0, 120, 20});
        return ink.bottom - ink.top;
    };
    EXPECT_LT(inkHeight(secret) * 2, inkHeight(shown));
    EXPECT_EQ(TextOf(secret), "||||");
    HWND plain = Make("Edit", "x", ES_AUTOHSCROLL, 10, 70, 120, 20, 7);
    SendMessageA(plain, EM_SETSEL, 0, -1);
    SendMessageA(plain, WM_COPY, 0, 0);
    SendMessageA(secret, EM_SETSEL, 0, -1);
    SendMessageA(secret, WM_COPY, 0, 0);  // a password is not copied
    SendMessageA(upper, EM_SETSEL, 0, -1);
    SendMessageA(upper, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(upper), "X");
}

TEST_F(ControlEdges, CtrlArrowsStepByWordsAndADoubleClickSelectsOne)
{
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL, 10, 10, 200, 20, 3);
    SetWindowTextA(edit, "Scale Detune slider");
    SetFocus(edit);
    m_ui.Key(VK_RIGHT, uitest::kControl);
    EXPECT_EQ(Sel(edit), Pair(6, 6));  // after "Scale "
    m_ui.Key(VK_RIGHT, uitest::kControl | uitest::kShift);
    EXPECT_EQ(Sel(edit), Pair(6, 13));
    m_ui.DoubleClick(edit, 4, 10);
    EXPECT_EQ(Sel(edit), Pair(0, 5));
}

TEST_F(ControlEdges, ALongTextScrollsSoTheCaretStaysInView)
{
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL, 10, 10, 60, 20, 4);
    SetFocus(edit);
    m_ui.Type("0123456789012345678901234567890123456789");
    // The last characters typed show at the right; the first have gone.
    EXPECT_GT(InkIn(edit, {30, 0, 58, 20}).count, 20);
    m_ui.Key(VK_HOME);
    EXPECT_GT(InkIn(edit, {2, 0, 30, 20}).count, 20);
}

TEST_F(ControlEdges, SortedListsKeepOrderAndTheSelectionFollowsInsertsAndDeletes)
{
    HWND list = Make("ListBox", "", LBS_SORT | LBS_NOTIFY, 10, 10, 120, 100, 5);
    for (const char* name : {"Pelog", "major", "Slendro", "Indian"}) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    char text[32] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Indian");
    SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "major");  // case does not count
    SendMessageA(list, LB_SETCURSEL, 2, 0);  // Pelog
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Arabic 1"));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
    SendMessageA(list, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("sl")), 3);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Pelo")),
              LB_ERR);
    // Typing and double-clicking in the list itself.
    SetFocus(list);
    m_ui.Type("i");
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
    RECT rc{};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
    m_ui.DoubleClick(list, 20, rc.top + 2);
    EXPECT_EQ(Count(5, LBN_DBLCLK), 1);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
}

TEST_F(ControlEdges, AComboBoxNearTheScreensFootOpensUpwardsAndADisabledOneStaysShut)
{
    MoveWindow(m_hParent, 40, 500, 420, 90, TRUE);
    HWND combo = Make("ComboBox", "", CBS_DROPDOWNLIST, 10, 40, 150, 200, 6);
    for (const char* key : {"C", "D-flat", "D", "E-flat", "E", "F", "F-sharp", "G"}) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key));
    }
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = FindWindowA("ComboLBox", nullptr);
    ASSERT_NE(list, nullptr);
    RECT box{};
    RECT open{};
    GetWindowRect(combo, &box);
    GetWindowRect(list, &open);
    EXPECT_EQ(open.bottom, box.top);
    RECT reported{};
    SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&reported));
    EXPECT_TRUE(EqualRect(&reported, &open));
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(FindWindowA("ComboLBox", nullptr), nullptr);

    EnableWindow(combo, FALSE);
    m_ui.Click(combo, 140, 8);
    EXPECT_EQ(FindWindowA("ComboLBox", nullptr), nullptr);
    EXPECT_EQ(Count(6, CBN_DROPDOWN), 1);
}

TEST_F(ControlEdges, AMenuAtTheScreensCornerOpensBackTowardsItAndOwnersMayGreyItems)
{
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 1, "Default");
    menu.AppendMenu(MF_STRING, 2, "&Track");
    m_recorder.On(WM_INITMENUPOPUP, [&](const uitest::Message& m, LRESULT&) {
        EnableMenuItem(reinterpret_cast<HMENU>(m.wParam), 2, MF_GRAYED);
        return true;
    });
    RECT placed{};
    m_ui.WhenIdle([&] {
        HWND window = FindWindowA("#32768", nullptr);
        GetWindowRect(window, &placed);
        m_ui.Type("t");  // greyed by the owner: refused
    });
    m_ui.WhenIdle([&] { EndMenu(); });
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 795, 595, CWnd::FromHandle(m_hParent)), 0);
    EXPECT_EQ(placed.right, 795);
    EXPECT_EQ(placed.bottom, 595);
    EXPECT_EQ(menu.GetMenuState(2, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(m_recorder.Of(m_hParent, {WM_ENTERMENULOOP, WM_EXITMENULOOP}).size(), 2u);
}

TEST_F(ControlEdges, OwnerDrawnStaticsAndBitmapStaticsShowWhatTheyAreGiven)
{
    m_recorder.On(WM_DRAWITEM, [](const uitest::Message& m, LRESULT& result) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam);
        if (item->CtlType == ODT_STATIC) {
            FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            result = TRUE;
            return true;
        }
        return false;
    });
    HWND meter = Make("Static", "", SS_OWNERDRAW, 10, 10, 15, 176, 1129);
    EXPECT_EQ(m_ui.Pixel(meter, 7, 100), RGB(128, 128, 128));

    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, picture);
    RECT all{0, 0, 4, 4};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(memory, old);
    DeleteDC(memory);
    HWND brand = Make("Static", "", SS_BITMAP, 40, 10, 20, 20, 1173);
    CStatic wrapper;
    wrapper.Attach(brand);
    EXPECT_EQ(wrapper.SetBitmap(picture), nullptr);
    EXPECT_EQ(wrapper.GetBitmap(), picture);
    EXPECT_EQ(m_ui.Pixel(brand, 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(m_ui.Pixel(brand, 10, 10), RGB(192, 192, 192));
    wrapper.Detach();
    DestroyWindow(brand);
    DeleteObject(picture);
}

}  // namespace
