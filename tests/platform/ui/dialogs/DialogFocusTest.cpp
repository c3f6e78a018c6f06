// What dialogs keep and hand on: the focus across deactivation, the
// default button, controls inside a control parent, boxes over dialogs and
// a quit met in a modal loop.

#include "../UiFixture.h"

#include "platform/ui/AfxCtrl.h"
#include "platform/ui/AfxDialog.h"

namespace {

class DialogFocus : public uitest::COwnerTest {
protected:
    HWND Keys() { return CreateDialogParamA(nullptr, MAKEINTRESOURCEA(301), m_hOwner, nullptr, 0); }
};

TEST_F(DialogFocus, ADialogGivesTheFocusBackToItsControlWhenActivatedAgain)
{
    HWND dialog = Keys();
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(GetDlgItem(dialog, 1155));
    SetActiveWindow(m_hOwner);
    EXPECT_EQ(GetFocus(), m_hOwner);
    SetActiveWindow(dialog);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1155);
    // WM_NEXTDLGCTL moves on from there, or to a control named.
    SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1121);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL);
    DestroyWindow(dialog);
}

class CCounting : public CDialog {
public:
    int m_nOK = 0;
    int m_nCancel = 0;
    void OnOK() override { ++m_nOK; }
    void OnCancel() override { ++m_nCancel; }
};

TEST_F(DialogFocus, TheDefaultButtonCanBeChangedAndEnterFollowsIt)
{
    CCounting counting;
    ASSERT_TRUE(counting.Create(301, CWnd::FromHandle(m_hOwner)));
    HWND dialog = counting.m_hWnd;
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    SendMessageA(dialog, DM_SETDEFID, IDCANCEL, 0);
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDCANCEL, DC_HASDEFID));
    EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(dialog, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    // Enter on a check box now presses Cancel.
    ShowWindow(dialog, SW_SHOW);
    SetFocus(GetDlgItem(dialog, 1155));
    MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    EXPECT_TRUE(IsDialogMessageA(dialog, &enter));
    EXPECT_EQ(counting.m_nCancel, 1);
    EXPECT_EQ(counting.m_nOK, 0);
    counting.DestroyWindow();
}

// A host window that lays a child dialog into itself as a control parent:
// Tab walks from the host's own controls into the page's and out again.
TEST_F(DialogFocus, TabGoesThroughAControlParentsControls)
{
    HWND host = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(301), m_hOwner, nullptr, 0);
    ASSERT_NE(host, nullptr);
    HWND page = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(305), host, nullptr, 0);
    ASSERT_NE(page, nullptr);
    SetWindowLongPtrA(page, GWL_EXSTYLE, GetWindowLongPtrA(page, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ShowWindow(page, SW_SHOW);
    ShowWindow(host, SW_SHOW);
    SetFocus(GetDlgItem(host, IDCANCEL));
    std::vector<int> order;
    for (int i = 0; i < 4; ++i) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
        IsDialogMessageA(host, &tab);
        order.push_back(GetDlgCtrlID(GetFocus()));
    }
    // The page came last in the host's z-order: after Cancel its two
    // buttons, then round to the host's first.
    EXPECT_EQ(order, (std::vector<int>{1058, 1060, 1026, 1155}));
    DestroyWindow(host);
}

TEST_F(DialogFocus, AMessageBoxOverAModalDialogHoldsTheDialogNotTheOwnerTwice)
{
    bool dialogHeld = false;
    bool ownerHeld = false;
    class CAsking : public CDialog {
    public:
        CAsking(CWnd* parent) : CDialog(301, parent) {}
        void OnOK() override
        {
            if (AfxMessageBox("Discard the curve?", MB_YESNO) == IDYES) {
                CDialog::OnOK();
            }
        }
    } dialog(CWnd::FromHandle(m_hOwner));
    m_ui.WhenIdle([&] {
        dialog.GotoDlgCtrl(dialog.GetDlgItem(1155));
        m_ui.Key(VK_RETURN);  // the default button, OK, asks
    });
    m_ui.WhenIdle([&] {
        dialogHeld = !IsWindowEnabled(dialog.m_hWnd);
        ownerHeld = !IsWindowEnabled(m_hOwner);
        m_ui.Key('N', uitest::kAlt);  // "No": the dialog stays
    });
    m_ui.WhenIdle([&] {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1155);  // given back to the dialog's control
        m_ui.Key(VK_RETURN);
    });
    m_ui.WhenIdle([&] { m_ui.Type("y"); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialogHeld);
    EXPECT_TRUE(ownerHeld);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
    EXPECT_EQ(GetActiveWindow(), m_hOwner);
}

TEST_F(DialogFocus, AQuitInAModalLoopCancelsTheDialogAndReachesTheLoopOutside)
{
    m_ui.WhenIdle([&] { PostQuitMessage(3); });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(301), m_hOwner, nullptr, 0), IDCANCEL);
    MSG msg{};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
}

TEST_F(DialogFocus, EndDialogHidesAModelessDialogAndTemporariesHaveTheClassAskedFor)
{
    CDialog page;
    ASSERT_TRUE(page.Create(305, CWnd::FromHandle(m_hOwner)));
    page.ShowWindow(SW_SHOW);
    page.EndDialog(IDOK);
    EXPECT_FALSE(page.IsWindowVisible());
    EXPECT_TRUE(IsWindow(page.m_hWnd));
    // The same control as a plain window and as a button: two objects,
    // each of its own class.
    CWnd* plain = page.GetDlgItem(1058);
    CButton* button = page.GetDlgItemAs<CButton>(1058);
    EXPECT_NE(static_cast<CWnd*>(button), plain);
    button->SetCheck(BST_CHECKED);
    EXPECT_EQ(page.IsDlgButtonChecked(1058), BST_CHECKED);
    page.DestroyWindow();
}

}  // namespace
