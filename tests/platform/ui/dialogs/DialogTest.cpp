// Dialogs from templates: where their controls land, the keyboard that
// moves over them, and how modal dialogs end.

#include "../UiFixture.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

// What the dialog procedure saw: every WM_COMMAND as (ID, code), and the
// control WM_INITDIALOG offered the focus to.
struct CSeen {
    std::vector<std::pair<int, int>> m_commands;
    int m_nInitialFocus = 0;
    LPARAM m_param = 0;
};

INT_PTR RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* seen = reinterpret_cast<CSeen*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        seen = reinterpret_cast<CSeen*>(lParam);
        seen->m_nInitialFocus = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
        seen->m_param = lParam;
        return TRUE;
    }
    if (message == WM_COMMAND && seen != nullptr) {
        seen->m_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wParam) == IDOK ? 100 : 200);
        }
        return TRUE;
    }
    return FALSE;
}

class Dialogs : public uitest::COwnerTest {
protected:
    INT_PTR RunKeys(CSeen* seen) { return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(301), m_hOwner, &RecordingProc,
                                                          reinterpret_cast<LPARAM>(seen)); }

    // Steps of a modal loop, one key each: the loop handles a key only
    // once the step that gave it has returned.
    void KeySteps(int count, UINT vk, unsigned modifiers, std::vector<int>* focus)
    {
        for (int i = 0; i < count; ++i) {
            m_ui.WhenIdle([=, this] {
                if (focus != nullptr) {
                    focus->push_back(GetDlgCtrlID(GetFocus()));
                }
                m_ui.Key(vk, modifiers);
            });
        }
    }
};

TEST_F(Dialogs, TabFollowsTheTemplateOverVisibleEnabledTabStops)
{
    CSeen seen;
    std::vector<int> order;
    std::vector<int> backwards;
    KeySteps(6, VK_TAB, 0, &order);
    KeySteps(3, VK_TAB, uitest::kShift, nullptr);
    KeySteps(2, VK_TAB, uitest::kShift, &backwards);
    KeySteps(1, VK_ESCAPE, 0, nullptr);
    EXPECT_EQ(RunKeys(&seen), 200);
    // Hidden (1123) and disabled (1124) buttons are passed over; the
    // label (no WS_TABSTOP) and the group box too.
    EXPECT_EQ(order, (std::vector<int>{1026, 1155, 1121, IDOK, IDCANCEL, 1026}));
    EXPECT_EQ(backwards, (std::vector<int>{IDOK, 1121}));
    EXPECT_EQ(seen.m_nInitialFocus, 1026);
}

TEST_F(Dialogs, ArrowsMoveWithinARadioGroupAndCheckAsTheyGo)
{
    CSeen seen;
    std::vector<std::pair<UINT, UINT>> checks;
    m_ui.WhenIdle([&] {
        HWND dialog = GetActiveWindow();
        SetFocus(GetDlgItem(dialog, 1121));
        m_ui.Key(VK_DOWN);
    });
    m_ui.WhenIdle([&] {
        HWND dialog = GetActiveWindow();
        checks.emplace_back(IsDlgButtonChecked(dialog, 1121), IsDlgButtonChecked(dialog, 1122));
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1122);
        m_ui.Key(VK_RIGHT);  // wraps within the group
    });
    m_ui.WhenIdle([&] {
        HWND dialog = GetActiveWindow();
        checks.emplace_back(IsDlgButtonChecked(dialog, 1121), IsDlgButtonChecked(dialog, 1122));
        // Tab now lands on the checked radio button from outside the group.
        SetFocus(GetDlgItem(dialog, 1155));
        m_ui.Key(VK_TAB);
    });
    m_ui.WhenIdle([&] {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1121);
        m_ui.Key(VK_ESCAPE);
    });
    RunKeys(&seen);
    EXPECT_EQ(checks, (std::vector<std::pair<UINT, UINT>>{{BST_UNCHECKED, BST_CHECKED}, {BST_CHECKED, BST_UNCHECKED}}));
    EXPECT_EQ(seen.m_commands,
              (std::vector<std::pair<int, int>>{{1122, BN_CLICKED}, {1121, BN_CLICKED}, {IDCANCEL, BN_CLICKED}}));
}

TEST_F(Dialogs, EnterPressesTheFocusedPushButtonElseTheDefaultOneAndEscapeOrCloseCancel)
{
    CSeen seen;
    m_ui.WhenIdle([&] {
        EXPECT_FALSE(IsWindowEnabled(m_hOwner));
        m_ui.Key(VK_RETURN);  // on "Edit Scale", a push button
    });
    m_ui.WhenIdle([&] {
        SetFocus(GetDlgItem(GetActiveWindow(), 1155));
        m_ui.Key(VK_RETURN);  // on a check box: the default button, OK
    });
    EXPECT_EQ(RunKeys(&seen), 100);
    EXPECT_EQ(seen.m_commands, (std::vector<std::pair<int, int>>{{1026, BN_CLICKED}, {IDOK, BN_CLICKED}}));
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
    EXPECT_EQ(FindWindowA(WC_DIALOG, "Keys"), nullptr);

    // Escape and the close message cancel.
    m_ui.WhenIdle([&] { PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(RunKeys(&seen), 200);
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    EXPECT_EQ(RunKeys(&seen), 200);
    EXPECT_EQ(seen.m_param, reinterpret_cast<LPARAM>(&seen));
}

TEST_F(Dialogs, AltAndAMnemonicActsOnItsControl)
{
    CSeen seen;
    m_ui.WhenIdle([&] { m_ui.Key('B', uitest::kAlt); });  // "&Bypass" toggles
    m_ui.WhenIdle([&] {
        SetFocus(GetDlgItem(GetActiveWindow(), 1026));
        m_ui.Key('K', uitest::kAlt);  // the label "&Key:" leads to the control after it
    });
    m_ui.WhenIdle([&] {
        HWND dialog = GetActiveWindow();
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1155), BST_CHECKED);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1155);
        m_ui.Type("g");  // a button takes no characters: the letter alone works
    });
    m_ui.WhenIdle([&] {
        EXPECT_EQ(IsDlgButtonChecked(GetActiveWindow(), 1122), BST_CHECKED);
        EndDialog(GetActiveWindow(), 7);
    });
    EXPECT_EQ(RunKeys(&seen), 7);
    EXPECT_EQ(seen.m_commands, (std::vector<std::pair<int, int>>{{1155, BN_CLICKED}, {1122, BN_CLICKED}}));
}

// A template in dialog units lands where the font's base units put it:
// Arial 8 has 6 x 13, so x * 6 / 4 and y * 13 / 8; the system font 8 x 16.
TEST_F(Dialogs, ControlsLandWhereTheBaseUnitsOfTheTemplateFontPutThem)
{
    struct Case {
        int templateId;
        RECT client;
        RECT frame;
        RECT button;
    };
    const Case cases[] = {
        {302, RECT{0, 0, 483, 341}, RECT{12, 26, 72, 65}, RECT{150, 130, 180, 156}},
        {303, RECT{0, 0, 644, 420}, RECT{16, 32, 96, 80}, RECT{200, 160, 240, 192}},
    };
    for (const Case& c : cases) {
        HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(c.templateId), m_hOwner, nullptr, 0);
        ASSERT_NE(dialog, nullptr);
        auto placed = [&](int id) {
            RECT rc{};
            HWND control = GetDlgItem(dialog, id);
            GetWindowRect(control, &rc);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
            return rc;
        };
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_TRUE(EqualRect(&client, &c.client)) << c.templateId << ": " << client.right << "x" << client.bottom;
        const RECT frame = placed(2005);
        const RECT button = placed(2006);
        EXPECT_TRUE(EqualRect(&frame, &c.frame)) << c.templateId;
        EXPECT_TRUE(EqualRect(&button, &c.button)) << c.templateId;
        RECT mapped{100, 80, 120, 96};
        ASSERT_TRUE(MapDialogRect(dialog, &mapped));
        EXPECT_TRUE(EqualRect(&mapped, &button)) << c.templateId;
        DestroyWindow(dialog);
    }
}

TEST_F(Dialogs, AChildDialogLivesInItsHostItsItemsReadAndWriteAndAMissingControlClassFails)
{
    HWND page = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(305), m_hOwner, nullptr, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(GetParent(page), m_hOwner);
    EXPECT_FALSE(IsWindowVisible(page));  // shown by its host when it wants
    RECT rc{};
    GetWindowRect(page, &rc);
    POINT origin{0, 0};
    ClientToScreen(m_hOwner, &origin);
    EXPECT_EQ(rc.left - origin.x, 6);  // 4 * 6 / 4
    EXPECT_EQ(rc.top - origin.y, 10);  // 6 * 13 / 8, rounded
    ShowWindow(page, SW_SHOW);
    m_ui.Click(GetDlgItem(page, 1058), 5, 5);
    EXPECT_EQ(IsDlgButtonChecked(page, 1058), BST_CHECKED);
    char text[32] = {};
    EXPECT_EQ(GetDlgItemTextA(page, 1118, text, sizeof text), 8u);
    EXPECT_STREQ(text, "Buffers:");
    // The item helpers read and write numbers and checks.
    BOOL ok = FALSE;
    for (const auto& [typed, isSigned, value, valid] : std::vector<std::tuple<const char*, BOOL, UINT, BOOL>>{
             {" 200 ", TRUE, 200u, TRUE}, {"-12", TRUE, static_cast<UINT>(-12), TRUE}, {"-12", FALSE, 0u, FALSE},
             {"12x", TRUE, 0u, FALSE}, {"", TRUE, 0u, FALSE}, {"4294967295", FALSE, 4294967295u, TRUE},
             {"2147483648", TRUE, 0u, FALSE}}) {
        SetDlgItemTextA(page, 1118, typed);
        EXPECT_EQ(GetDlgItemInt(page, 1118, &ok, isSigned), value) << typed;
        EXPECT_EQ(ok, valid) << typed;
    }
    SetDlgItemInt(page, 1118, static_cast<UINT>(-100), TRUE);
    GetDlgItemTextA(page, 1118, text, sizeof text);
    EXPECT_STREQ(text, "-100");
    CheckDlgButton(page, 1060, BST_CHECKED);
    CheckRadioButton(page, 1058, 1060, 1058);
    EXPECT_EQ(IsDlgButtonChecked(page, 1058), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, 1060), BST_UNCHECKED);
    EXPECT_EQ(SendDlgItemMessageA(page, 1058, BM_GETCHECK, 0, 0), BST_CHECKED);

    EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(306), m_hOwner, nullptr, 0), nullptr);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), m_hOwner, nullptr, 0), -1);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
}

}  // namespace
