// Drop-down list combo boxes and list boxes: what opens when, what a pick
// by mouse or keys tells the parent, and how items are laid out.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

#include <array>

namespace {

using controltest::CControlFixture;
using Pair = std::pair<int, int>;

const char* const kScales[] = {"Major", "Minor", "Equal Tempered Chrom.", "Ling Lin", "Scholar's Lute",
                               "Greek Diatonic Genus", "Greek Chromatic Genus", "Greek Enharmonic Genus",
                               "Pythagorean", "Just (major chromatic)", "Just (minor chromatic)",
                               "Meantone Chromatic", "Werckmeister III Chrom.", "Valloti & Young Chrom.",
                               "Barnes-Bach (Chrom)", "Indian", "Slendro", "Pelog", "Arabic 1", "Arabic 2 (Chrom)",
                               "19 Tone", "24 Tone", "31 Tone", "53 Tone", "Partch", "Carlos Alpha", "Carlos Beta",
                               "Carlos Gamma", "Harmonic (Chrom)"};

class Lists : public CControlFixture {
protected:
    void SetUp() override
    {
        CControlFixture::SetUp();
        m_hFont = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");  // Arial 8
    }
    void TearDown() override
    {
        for (HWND hwnd : m_made) {
            DestroyWindow(hwnd);
        }
        DeleteObject(m_hFont);
    }
    HWND MakeCombo(int id, const std::vector<const char*>& items, int height = 200)
    {
        HWND combo = Make("ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 10, 152, height, id);
        SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const int at = static_cast<int>(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i])));
            SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
        }
        m_made.push_back(combo);
        return combo;
    }
    static HWND OpenList() { return FindWindowA("ComboLBox", nullptr); }
    // The middle of item `index` of a list box or an open list.
    static POINT ItemCentre(HWND list, int index)
    {
        RECT rc{};
        SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    std::vector<int> CodesOf(int id) const
    {
        std::vector<int> codes;
        for (const Pair& c : Commands()) {
            if (c.first == id && c.second != CBN_SETFOCUS && c.second != CBN_KILLFOCUS) {
                codes.push_back(c.second);
            }
        }
        return codes;
    }

    HFONT m_hFont = nullptr;
    std::vector<HWND> m_made;
};

TEST_F(Lists, TheComboBoxAsksBeforeItOpensSoItsParentCanRefillIt)
{
    HWND vibrato = MakeCombo(1027, {"(No Vibrato)"});
    SendMessageA(vibrato, CB_SETCURSEL, 0, 0);
    bool openAlready = true;
    m_recorder.On(WM_COMMAND, [&](const uitest::Message& m, LRESULT&) {
        if (HIWORD(m.wParam) == CBN_DROPDOWN) {
            openAlready = SendMessageA(vibrato, CB_GETDROPPEDSTATE, 0, 0) != 0 || OpenList() != nullptr;
            const int kept = static_cast<int>(SendMessageA(vibrato, CB_GETCURSEL, 0, 0));
            SendMessageA(vibrato, CB_RESETCONTENT, 0, 0);
            for (const char* text : {"(No Vibrato)", "Sine Wave", "Square", "Sawtooth"}) {
                SendMessageA(vibrato, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            }
            SendMessageA(vibrato, CB_SETCURSEL, static_cast<WPARAM>(kept), 0);
        }
        return false;
    });
    m_ui.Click(vibrato, 50, 9);
    EXPECT_FALSE(openAlready);
    HWND list = OpenList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(vibrato, CB_GETDROPPEDSTATE, 0, 0), TRUE);
    // Below the box, as wide as it.
    RECT box{};
    RECT open{};
    GetWindowRect(vibrato, &box);
    GetWindowRect(list, &open);
    EXPECT_EQ(open.top, box.bottom);
    EXPECT_EQ(open.right - open.left, box.right - box.left);

    const POINT at = ItemCentre(list, 2);
    m_ui.Click(list, at.x, at.y);
    EXPECT_EQ(OpenList(), nullptr);
    EXPECT_EQ(SendMessageA(vibrato, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(CodesOf(1027), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(TextOf(vibrato), "Square");
}

TEST_F(Lists, TheKeyboardChangesTheSelectionAtOnceWhenClosedAndOnEnterWhenOpen)
{
    HWND key = MakeCombo(1024, {"C", "D-flat", "D", "E-flat", "E", "F"});
    SendMessageA(key, CB_SETCURSEL, 0, 0);
    SetFocus(key);
    m_ui.Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(key, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(CodesOf(1024), (std::vector<int>{CBN_SELCHANGE}));

    m_ui.Key(VK_DOWN, uitest::kAlt);  // opens
    ASSERT_NE(OpenList(), nullptr);
    m_ui.Key(VK_DOWN);
    m_ui.Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(key, CB_GETCURSEL, 0, 0), 1);  // not yet
    m_ui.Key(VK_RETURN);
    EXPECT_EQ(OpenList(), nullptr);
    EXPECT_EQ(SendMessageA(key, CB_GETCURSEL, 0, 0), 3);

    m_ui.Key(VK_F1 + 3);  // F4 opens too
    m_ui.Key(VK_END);
    m_ui.Key(VK_ESCAPE);
    EXPECT_EQ(SendMessageA(key, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(CodesOf(1024), (std::vector<int>{CBN_SELCHANGE, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE,
                                               CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessageA(key, CB_GETITEMDATA, 3, 0), 3);
}

TEST_F(Lists, ALongListScrollsAndTypedLettersFindItems)
{
    HWND scale = MakeCombo(1023, std::vector<const char*>(std::begin(kScales), std::end(kScales)), 19);
    RECT box{};
    GetWindowRect(scale, &box);
    EXPECT_EQ(box.bottom - box.top, 19);  // Arial 8: a 13-pixel line and 6
    SendMessageA(scale, CB_SETCURSEL, 2, 0);
    SetFocus(scale);
    m_ui.Type("s");
    EXPECT_EQ(SendMessageA(scale, CB_GETCURSEL, 0, 0), 4);  // Scholar's Lute
    m_ui.Type("s");
    EXPECT_EQ(SendMessageA(scale, CB_GETCURSEL, 0, 0), 16);  // Slendro
    m_ui.Advance(1500);
    m_ui.Type("pe");
    EXPECT_EQ(SendMessageA(scale, CB_GETCURSEL, 0, 0), 17);  // Pelog

    m_ui.Click(scale, 140, 9);
    HWND list = OpenList();
    ASSERT_NE(list, nullptr);
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_EQ(client.bottom, 12 * 13);  // twelve rows at least, not all 29
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 17 - 11);  // the selection shows
    const int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    m_ui.Click(list, client.right - 8, client.bottom - 8);  // the bar's down arrow
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), top + 1);
    ASSERT_EQ(OpenList(), list);  // still open
    m_ui.Key(VK_END);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 29 - 12);
    // A click outside closes it unchanged and goes no further.
    m_recorder.Clear();
    m_ui.Click(m_hParent, 300, 250);
    EXPECT_EQ(OpenList(), nullptr);
    EXPECT_EQ(SendMessageA(scale, CB_GETCURSEL, 0, 0), 17);
    EXPECT_TRUE(m_recorder.Of(m_hParent, {WM_LBUTTONDOWN}).empty());
}

TEST_F(Lists, ListBoxFieldsStandAtTheirTabStopsAndColumnsSitSideBySide)
{
    HWND intervals = Make("ListBox", "", LBS_USETABSTOPS | LBS_MULTICOLUMN | LBS_NOTIFY, 10, 10, 300, 40, 1054);
    SendMessageA(intervals, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    const int stops[] = {40, 70};
    SendMessageA(intervals, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    SendMessageA(intervals, LB_SETCOLUMNWIDTH, 150, 0);
    for (const char* entry : {"min 2nd\t17/16\t105", "maj 2nd\t9/8\t204", "min 3rd\t19/16\t298", "maj 3rd\t6/4\t386"}) {
        SendMessageA(intervals, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    // Forty and seventy dialog units of a 6-pixel-wide font: 60 and 105
    // pixels after the text's indent of 2.
    for (const auto& [from, lowest] : {std::pair{50, 62}, std::pair{90, 107}}) {
        const int first = InkIn(intervals, {from, 0, from + 50, 13}, 128).left;
        EXPECT_GE(first, lowest) << from;
        EXPECT_LE(first, lowest + 2) << from;
    }
    // Three rows of 13 pixels in 40: the fourth entry heads the second column.
    RECT rc{};
    SendMessageA(intervals, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&rc));
    EXPECT_TRUE(EqualRect(&rc, std::array<RECT, 1>{RECT{150, 0, 300, 13}}.data()));
    EXPECT_EQ(SendMessageA(intervals, LB_ITEMFROMPOINT, 0, MAKELPARAM(160, 5)), 3);
    m_ui.Click(intervals, 160, 5);
    EXPECT_EQ(SendMessageA(intervals, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Commands(), (std::vector<Pair>{{1054, LBN_SETFOCUS}, {1054, LBN_SELCHANGE}}));
    char text[32] = {};
    EXPECT_EQ(SendMessageA(intervals, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(text)), 15);
    EXPECT_STREQ(text, "maj 3rd\t6/4\t386");
}

TEST_F(Lists, AListBoxWithMoreItemsThanRowsScrolls)
{
    CListBox list;
    ASSERT_TRUE(list.Create(WS_VISIBLE | WS_VSCROLL | WS_BORDER, CRect(10, 10, 160, 10 + 5 * 13 + 2),
                            CWnd::FromHandle(m_hParent), 1076));
    list.SetFont(CFont::FromHandle(m_hFont), FALSE);
    for (const char* text : kScales) {
        list.AddString(text);
    }
    m_ui.Click(list, 140, 60);  // the bar's down arrow
    EXPECT_EQ(list.GetTopIndex(), 1);
    list.SetCurSel(0);
    SetFocus(list);
    m_ui.Key(VK_END);
    EXPECT_EQ(list.GetCurSel(), 28);
    EXPECT_EQ(list.GetTopIndex(), 29 - 5);
    m_ui.Key(VK_PRIOR);
    EXPECT_EQ(list.GetCurSel(), 24);
    EXPECT_TRUE(Commands().empty());  // no LBS_NOTIFY
    EXPECT_EQ(m_ui.Pixel(list, 5, 1), RGB(0, 0, 128));  // the selection, now the top row
}

}  // namespace
