// The framework's dialogs: CDialog run modally and modeless from the
// program's templates, with message maps, the dialog keyboard through
// PreTranslateMessage, and bitmaps and cursors from the program's
// resources.

#include "../UiFixture.h"

#include "platform/ui/AfxCtrl.h"
#include "platform/ui/AfxDialog.h"
#include "platform/ui/Cursors.h"

#include <string>
#include <vector>

namespace {

class CKeysDialog : public CDialog {
public:
    explicit CKeysDialog(CWnd* parent) : CDialog(301, parent) {}
    std::vector<std::string> m_calls;

protected:
    BOOL OnInitDialog() override
    {
        m_calls.push_back("init");
        SetDlgItemText(1026, "&Edit Scale...");
        CheckRadioButton(1121, 1122, 1122);
        return TRUE;
    }
    void OnOK() override
    {
        m_calls.push_back("ok " + std::to_string(GetDlgItemAs<CButton>(1155)->GetCheck()));
        CDialog::OnOK();
    }
    void OnEditScale() { m_calls.push_back("edit scale"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CKeysDialog, CDialog)
    ON_BN_CLICKED(1026, &CKeysDialog::OnEditScale)
END_MESSAGE_MAP()

using FrameworkDialogs = uitest::COwnerTest;

TEST_F(FrameworkDialogs, DoModalRunsTheMessageMapAndEndsWithOKOrCancel)
{
    CKeysDialog dialog(CWnd::FromHandle(m_hOwner));
    std::string label;
    m_ui.WhenIdle([&] {
        EXPECT_EQ(GetActiveWindow(), dialog.m_hWnd);
        dialog.GetDlgItemText(1026, label);
        EXPECT_EQ(dialog.IsDlgButtonChecked(1122), BST_CHECKED);
        m_ui.Key(VK_SPACE);  // the focus is on "Edit Scale..."
    });
    m_ui.WhenIdle([&] { m_ui.Key('B', uitest::kAlt); });  // the focus moves to "Bypass"
    m_ui.WhenIdle([&] {
        dialog.GotoDlgCtrl(dialog.GetDlgItem(1026));
        m_ui.Key(VK_RETURN);  // presses the focused push button
    });
    m_ui.WhenIdle([&] {
        dialog.GotoDlgCtrl(dialog.GetDlgItem(1155));
        m_ui.Key(VK_RETURN);  // the default button
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(label, "&Edit Scale...");
    EXPECT_EQ(dialog.m_calls, (std::vector<std::string>{"init", "edit scale", "edit scale", "ok 1"}));
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // destroyed and detached

    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
}

class CPage : public CDialog {
public:
    int m_nCorrect = 0;

protected:
    void OnCorrect() { ++m_nCorrect; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPage, CDialog)
    ON_BN_CLICKED(1060, &CPage::OnCorrect)
END_MESSAGE_MAP()

TEST_F(FrameworkDialogs, AModelessChildDialogGetsItsKeysThroughPreTranslateMessage)
{
    CPage page;
    ASSERT_TRUE(page.Create(305, CWnd::FromHandle(m_hOwner)));
    page.ShowWindow(SW_SHOW);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1058);
    m_ui.Key(VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1060);
    m_ui.Key(VK_SPACE);
    EXPECT_EQ(page.m_nCorrect, 1);
    m_ui.Key('T', uitest::kAlt);
    EXPECT_EQ(page.GetDlgItemAs<CButton>(1058)->GetCheck(), BST_CHECKED);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1058);

    RECT rc{8, 8, 68, 22};
    page.MapDialogRect(&rc);
    RECT placed{};
    page.GetDlgItem(1058)->GetWindowRect(&placed);
    page.ScreenToClient(&placed);
    EXPECT_TRUE(EqualRect(&rc, &placed));

    page.SetDlgItemInt(1118, 200);
    BOOL ok = FALSE;
    EXPECT_EQ(page.GetDlgItemInt(1118, &ok), 200u);
    EXPECT_TRUE(ok);
    page.DestroyWindow();
    EXPECT_EQ(page.m_hWnd, nullptr);
}

TEST(ModuleImages, BitmapsAndCursorsComeFromTheProgramsResources)
{
    uitest::CUi ui;
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(119));  // 3 x 2, 24 bits: white black grey over red green blue
    BITMAP info{};
    ASSERT_TRUE(bitmap.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(2, 0), RGB(128, 128, 128));
    EXPECT_EQ(dc.GetPixel(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(2, 1), RGB(0, 0, 255));
    dc.SelectObject(old);
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(120)), nullptr);

    HCURSOR cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(149));
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(149)), cursor);  // made once
    const platform::ui::CursorImage* image = platform::ui::CursorImageOf(cursor);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->m_nWidth, 10);
    EXPECT_EQ(image->m_nHeight, 4);
    EXPECT_EQ(image->m_ptHotSpot.x, 7);
    EXPECT_EQ(image->m_ptHotSpot.y, 2);
    EXPECT_EQ(image->m_pixels[0] >> 24, 0u);        // '.' clear
    EXPECT_EQ(image->m_pixels[2], 0xFF000000u);     // '#' black
    EXPECT_EQ(image->m_pixels[12], 0xFFFFFFFFu);    // '+' white
    EXPECT_EQ(image->m_pixels[22], 0xFF000000u);    // '~' drawn black
    EXPECT_TRUE(DestroyCursor(cursor));
    EXPECT_EQ(platform::ui::CursorImageOf(cursor), image);  // shared: still there
}

}  // namespace
