// Edit fields typed into, edited with keys and the mouse, and the
// notifications and colours their parent sees.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

namespace {

using controltest::CControlFixture;
using controltest::Gray;
using Pair = std::pair<int, int>;

class Edits : public CControlFixture {
protected:
    HWND MakeEdit(DWORD style, int id = 1178, int width = 120)
    {
        return Make("Edit", "", style | WS_TABSTOP, 10, 10 + 30 * (id % 10), width, 20, id, WS_EX_CLIENTEDGE);
    }
};

TEST_F(Edits, TypingBackspaceHomeAndDeleteEditTheTextAndReportEachChange)
{
    HWND edit = MakeEdit(ES_AUTOHSCROLL);
    m_ui.Click(edit, 5, 5);
    EXPECT_EQ(GetFocus(), edit);
    m_ui.Type("Arial");
    m_ui.Key(VK_BACK);
    m_ui.Key(VK_BACK);
    m_ui.Key(VK_HOME);
    m_ui.Key(VK_DELETE);
    EXPECT_EQ(TextOf(edit), "ri");
    EXPECT_EQ(Count(1178, EN_CHANGE), 8);
    EXPECT_EQ(Count(1178, EN_SETFOCUS), 1);
    EXPECT_EQ(SendMessageA(edit, EM_GETMODIFY, 0, 0), TRUE);
    // EN_UPDATE comes just before each EN_CHANGE.
    const auto commands = Commands();
    for (std::size_t i = 1; i < commands.size(); ++i) {
        if (commands[i].second == EN_CHANGE) {
            EXPECT_EQ(commands[i - 1].second, EN_UPDATE);
        }
    }
}

TEST_F(Edits, ShiftAndArrowsSelectAndTypingReplacesTheSelection)
{
    HWND edit = MakeEdit(ES_AUTOHSCROLL);
    SetWindowTextA(edit, "12345");
    SetFocus(edit);
    m_ui.Key(VK_END);
    m_ui.Key(VK_LEFT, uitest::kShift);
    m_ui.Key(VK_LEFT, uitest::kShift);
    EXPECT_EQ(Sel(edit), Pair(3, 5));
    m_ui.Type("9");
    EXPECT_EQ(TextOf(edit), "1239");
    EXPECT_EQ(Sel(edit), Pair(4, 4));
    m_ui.Key(VK_HOME, uitest::kShift);
    EXPECT_EQ(Sel(edit), Pair(0, 4));
    m_ui.Key(VK_RIGHT);  // collapses to the end of the selection
    EXPECT_EQ(Sel(edit), Pair(4, 4));
    // A drag across the whole field selects all of it.
    m_ui.Drag(edit, POINT{1, 8}, POINT{115, 8});
    EXPECT_EQ(Sel(edit), Pair(0, 4));
    m_ui.Type("a");  // Ctrl+A would come as character 1; plain typing replaces
    EXPECT_EQ(TextOf(edit), "a");
}

TEST_F(Edits, FocusChangesAreReportedInOrder)
{
    HWND first = MakeEdit(ES_AUTOHSCROLL, 1028);
    HWND second = MakeEdit(ES_AUTOHSCROLL, 1029);
    SetFocus(first);
    SetFocus(second);
    EXPECT_EQ(Commands(), (std::vector<Pair>{{1028, EN_SETFOCUS}, {1028, EN_KILLFOCUS}, {1029, EN_SETFOCUS}}));
}

TEST_F(Edits, NumberAndReadOnlyFieldsRefuseWhatTheyMustAndAskForTheirColours)
{
    HWND number = MakeEdit(ES_NUMBER | ES_AUTOHSCROLL, 1127);
    HWND value = MakeEdit(ES_READONLY | ES_RIGHT, 1028);
    SetWindowTextA(value, "-100");
    const std::uint64_t beeps = platform::ui::BeepCount();
    SetFocus(number);
    m_ui.Type("2x0-0");
    EXPECT_EQ(TextOf(number), "200");
    SetFocus(value);
    m_ui.Type("5");
    m_ui.Key(VK_BACK);
    EXPECT_EQ(TextOf(value), "-100");
    EXPECT_EQ(platform::ui::BeepCount(), beeps + 4);
    m_ui.Key(VK_END);
    m_ui.Key(VK_HOME, uitest::kShift);  // selecting is still allowed
    EXPECT_EQ(Sel(value), Pair(0, 4));

    m_ui.Pump();
    bool editAsked = false;
    bool staticAsked = false;
    for (const uitest::Message& m : m_recorder.Of(m_hParent, {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC})) {
        editAsked |= m.message == WM_CTLCOLOREDIT && reinterpret_cast<HWND>(m.lParam) == number;
        staticAsked |= m.message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(m.lParam) == value;
    }
    EXPECT_TRUE(editAsked);
    EXPECT_TRUE(staticAsked);
    // Editable on white; read-only on the face colour.
    EXPECT_EQ(m_ui.Pixel(number, 100, 2), RGB(255, 255, 255));
    EXPECT_EQ(m_ui.Pixel(value, 3, 2), RGB(192, 192, 192));
}

TEST_F(Edits, TextStaysWithinAFieldThatDoesNotScrollAndIsAlignedRight)
{
    HWND narrow = MakeEdit(0, 1031, 40);
    SetFocus(narrow);
    m_ui.Type("1234567890123");
    const std::string kept = TextOf(narrow);
    EXPECT_GT(kept.size(), 2u);
    EXPECT_LT(kept.size(), 13u);
    EXPECT_EQ(kept, std::string("1234567890123").substr(0, kept.size()));
    EXPECT_GT(Count(1031, EN_MAXTEXT), 0);

    HWND wide = MakeEdit(ES_AUTOHSCROLL, 1032, 40);
    SetFocus(wide);
    m_ui.Type("1234567890123");
    EXPECT_EQ(TextOf(wide), "1234567890123");

    HWND right = MakeEdit(ES_RIGHT | ES_READONLY, 1033, 80);
    SetWindowTextA(right, "55");
    EXPECT_GE(InkIn(right, {0, 0, 76, 16}).right, 70);  // against the right margin
}

TEST_F(Edits, TheCaretAndTheSelectionShowOnlyWithTheFocus)
{
    HWND edit = MakeEdit(ES_AUTOHSCROLL);
    SetWindowTextA(edit, "Graph");
    auto highlighted = [&] {
        int count = 0;
        for (int x = 0; x < 100; ++x) {
            count += m_ui.Pixel(edit, x, 8) == RGB(0, 0, 128) ? 1 : 0;
        }
        return count;
    };
    SendMessageA(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(highlighted(), 0);
    SetFocus(edit);
    EXPECT_GT(highlighted(), 10);
    CEdit wrapper;
    wrapper.Attach(edit);
    wrapper.SetSel(5, 5);
    int start = -1;
    int end = -1;
    wrapper.GetSel(start, end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(5, 5));
    EXPECT_EQ(highlighted(), 0);
    // The caret: one dark column just after the text's last ink.
    int caretColumn = -1;
    for (int x = 99; x >= 0 && caretColumn < 0; --x) {
        int dark = 0;
        for (int y = 0; y < 16; ++y) {
            dark += Gray(m_ui.Pixel(edit, x, y)) < 64 ? 1 : 0;
        }
        caretColumn = dark >= 12 ? x : -1;
    }
    EXPECT_GT(caretColumn, 20);
    wrapper.Cut();  // nothing selected: nothing changes
    EXPECT_EQ(TextOf(edit), "Graph");
    wrapper.SetSel(0, 2);
    wrapper.Cut();
    wrapper.SetSel(3, 3);
    wrapper.Paste();
    EXPECT_EQ(TextOf(edit), "aphGr");
    wrapper.Detach();
}

}  // namespace
