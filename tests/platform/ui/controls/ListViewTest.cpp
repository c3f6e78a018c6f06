// Report-style list views: columns, items and subitems, the row a click
// lands on, and a list of 53 notes that scrolls.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

namespace {

using controltest::CControlFixture;

// What the parent learned from one click notification.
struct CClick {
    UINT m_uCode = 0;
    int m_nNotified = -2;  // the row the notification named
    int m_nHit = -2;       // the row LVM_HITTEST finds under the cursor then
};

class ListViews : public CControlFixture {
protected:
    void SetUp() override
    {
        CControlFixture::SetUp();
        m_hFont = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        ASSERT_TRUE(m_list.Create(WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL,
                                  CRect(10, 10, 348, 172), CWnd::FromHandle(m_hParent), 1053));
        m_list.SetFont(CFont::FromHandle(m_hFont), FALSE);
        m_list.InsertColumn(0, "Note", LVCFMT_LEFT, 45);
        m_list.InsertColumn(1, "Frequency", LVCFMT_LEFT, 65);
        m_list.InsertColumn(2, "Track", LVCFMT_LEFT, 103);
        m_list.InsertColumn(3, "Remove", LVCFMT_LEFT, 85);
        for (int i = 0; i < 53; ++i) {
            std::string note;
            if (i % 4 == 0) {
                note = std::to_string(i);
                note.insert(note.begin(), 'N');
            }
            const int at = m_list.InsertItem(i, note.c_str());
            m_list.SetItemText(at, 1, std::to_string(i * 1200 / 53).c_str());
        }
        // The note menu's way: where the cursor is, in the list's terms.
        m_recorder.On(WM_NOTIFY, [this](const uitest::Message& m, LRESULT&) {
            const auto* header = reinterpret_cast<const NMHDR*>(m.lParam);
            if (header->code == NM_CLICK || header->code == NM_RCLICK) {
                CClick click;
                click.m_uCode = header->code;
                click.m_nNotified = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
                POINT at{};
                GetCursorPos(&at);
                m_list.ScreenToClient(&at);
                click.m_nHit = m_list.HitTest(at);
                m_clicks.push_back(click);
            }
            return false;
        });
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        DeleteObject(m_hFont);
    }

    HFONT m_hFont = nullptr;
    CListCtrl m_list;
    std::vector<CClick> m_clicks;
};

TEST_F(ListViews, AClickIsReportedWithTheRowUnderItAndSelectsThatRow)
{
    m_ui.Click(m_list, 150, 60);
    ASSERT_EQ(m_clicks.size(), 1u);
    const int row = m_clicks[0].m_nHit;
    EXPECT_GE(row, 0);
    EXPECT_EQ(m_clicks[0].m_nNotified, row);
    EXPECT_EQ(m_clicks[0].m_uCode, NM_CLICK);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), row);
    // The highlighted row is the one under the pointer, and the next row
    // down the list is the next item.
    EXPECT_EQ(m_ui.Pixel(m_list, 150, 60), RGB(0, 0, 128));
    RECT rc{};
    m_list.GetItemRect(row, &rc, LVIR_BOUNDS);
    EXPECT_EQ(m_list.HitTest(POINT{150, rc.bottom + 1}), row + 1);

    m_ui.RightClick(m_list, 20, rc.bottom + 1);
    ASSERT_EQ(m_clicks.size(), 2u);
    EXPECT_EQ(m_clicks[1].m_uCode, NM_RCLICK);
    EXPECT_EQ(m_clicks[1].m_nHit, row + 1);
    EXPECT_EQ(m_clicks[1].m_nNotified, row + 1);
    // Past the columns no row is hit.
    m_ui.Click(m_list, 310, 60);
    EXPECT_EQ(m_clicks.back().m_nHit, -1);
    EXPECT_EQ(m_list.GetSelectedCount(), 0u);
}

TEST_F(ListViews, FiftyThreeRowsScrollAndTheKeysFollow)
{
    const int perPage = m_list.GetCountPerPage();
    EXPECT_LT(perPage, 53);
    RECT client{};
    m_list.GetClientRect(&client);
    m_ui.Click(m_list, client.right - 8, client.bottom - 8);  // the bar's down arrow
    EXPECT_EQ(m_list.GetTopIndex(), 1);
    EXPECT_TRUE(m_clicks.empty());  // the bar's click is not a row's
    SetFocus(m_list);
    m_ui.Key(VK_END);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 52);
    EXPECT_EQ(m_list.GetTopIndex(), 53 - perPage);
    m_ui.Key(VK_UP);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED | LVNI_FOCUSED), 51);
    // Each move told the parent.
    EXPECT_GE(m_recorder.Of(m_hParent, {WM_NOTIFY}).size(), 4u);
}

TEST_F(ListViews, SubitemsShowInTheirColumnsUnderAHeaderThatDoesNotSort)
{
    m_list.SetItemText(1, 2, "Do Not Track");
    m_list.SetItemText(1, 3, "Removed");
    EXPECT_EQ(m_list.GetItemText(1, 2), "Do Not Track");
    EXPECT_EQ(m_list.GetItemText(0, 0), "N0");
    EXPECT_EQ(m_list.GetColumnWidth(2), 103);
    // Ink of row 1 lies in the third and fourth columns only (x from 110).
    RECT rc{};
    m_list.GetItemRect(1, &rc, LVIR_BOUNDS);
    const int first = InkIn(m_list, {0, rc.top, 300, rc.bottom}).left;
    EXPECT_GE(first, 45);  // column 2 ("Frequency") holds "22"
    EXPECT_LT(first, 110);
    // A click on the header sorts nothing and reports no click.
    const std::string before = m_list.GetItemText(0, 1);
    m_ui.Click(m_list, 60, 4);
    EXPECT_EQ(m_list.GetItemText(0, 1), before);
    EXPECT_TRUE(m_clicks.empty());
}

}  // namespace
