// "Edit Scales": opened from the panel's button on three kinds of scale,
// its note menu, the refusal to remove the last note, and the two presets.

#include "PanelTestSupport.h"

#include "panel/ScaleEditDialog.h"
#include "settings/ScaleSet.h"

#include <functional>
#include <vector>

using namespace paneltest;

namespace {

constexpr int kList = CScaleEditDialog::kNoteList;
using FlagPair = std::pair<std::string, std::string>;

class ScaleEditTest : public PanelTest {
protected:
    HWND Editor() const { return GetActiveWindow(); }
    CListCtrl* List() const { return afx::As<CListCtrl>(GetDlgItem(Editor(), kList)); }
    std::string Cell(int row, int column) const { return List()->GetItemText(row, column); }
    // The tracking and removal columns of a row.
    std::pair<std::string, std::string> Flags(int row) const { return {Cell(row, 2), Cell(row, 3)}; }
    std::string EditorText(int id) const
    {
        char text[64] = {};
        GetDlgItemTextA(Editor(), id, text, sizeof text);
        return text;
    }
    // The client height the editor has, in dialog units of its own font.
    bool HeightIs(int dialogUnits) const
    {
        RECT want{0, 0, 10, dialogUnits};
        MapDialogRect(Editor(), &want);
        RECT client{};
        GetClientRect(Editor(), &client);
        return client.bottom == want.bottom;
    }
    // Clicks on row `row` with `button` and then picks menu item `item`
    // (0 or 1) with the left button; both run inside the editor's loop.
    void PickFromMenu(int row, int item, uitest::MouseButton button = uitest::MouseButton::Right)
    {
        RECT rc{};
        List()->GetItemRect(row, &rc, LVIR_BOUNDS);
        ChooseFromMenuWhenIdle(m_ui, item, 2);
        m_ui.Click(GetDlgItem(Editor(), kList), 20, (rc.top + rc.bottom) / 2, 0, button);
        Run();
    }
    // Inside a step input is only injected; this runs it.
    void Run() { m_ui.Display().Pump(); }
    // Runs `steps` inside the editor opened by the panel's button, then
    // closes it with Escape (Cancel keeps the changes as OK does).
    void Edit(std::function<void()> steps)
    {
        m_ui.WhenIdle([this, steps] {
            ASSERT_EQ(EditorText(1175), "Edit Scale:");
            steps();
            m_ui.WhenIdle([this] { m_ui.Key(VK_ESCAPE); });
        });
        ClickItem(1026);
    }
};

TEST_F(ScaleEditTest, OnMajorThePresetsAreOffAndTheDialogIsShort)
{
    m_dsp.SetParameter(2, 0);
    m_dsp.SetParameter(3, 7);  // G
    Edit([this] {
        EXPECT_EQ(EditorText(CScaleEditDialog::kScaleName), "major");  // the internal name
        EXPECT_EQ(EditorText(CScaleEditDialog::kKeyName), "G");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Editor(), 1049)) || IsWindowEnabled(GetDlgItem(Editor(), 1050)));
        EXPECT_TRUE(HeightIs(160));
        EXPECT_EQ(List()->GetItemCount(), 7);
        EXPECT_EQ(std::pair(Cell(0, 0), Cell(4, 0)), std::pair(std::string("G"), std::string("D")));  // D: the fifth
        EXPECT_EQ(List()->GetColumnWidth(2), 103);
    });
}

TEST_F(ScaleEditTest, ChromaticInEFlatNamesEveryNoteFromTheKeyUp)
{
    m_dsp.SetParameter(2, 2);
    m_dsp.SetParameter(3, 3);
    Edit([this] {
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Editor(), 1049)));
        EXPECT_TRUE(HeightIs(160));
        ASSERT_EQ(List()->GetItemCount(), 12);
        const char* const rows[][2] = {{"D#", "0"}, {"E", "100"}, {"F", "200"}};
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(Cell(row, 0) + " " + Cell(row, 1), std::string(rows[row][0]) + " " + rows[row][1]);
        EXPECT_EQ(Flags(5), FlagPair("", ""));
    });
}

TEST_F(ScaleEditTest, FiftyThreeToneShowsTheTallDialogWithTheIntervalTable)
{
    m_dsp.SetParameter(2, 23);
    Edit([this] {
        EXPECT_TRUE(HeightIs(250));
        ASSERT_EQ(List()->GetItemCount(), 53);
        int unnamed = 0;
        for (int row = 0; row < 53; ++row)
            unnamed += Cell(row, 0).empty() ? 1 : 0;
        EXPECT_GT(unnamed, 26);
        EXPECT_EQ(Cell(0, 0), "C");
        const int counts[3] = {4, 4, 3};
        for (int box = 0; box < 3; ++box) {
            HWND list = GetDlgItem(Editor(), CScaleEditDialog::kIntervalLists[box]);
            EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), counts[box]);
        }
        for (const auto& [box, text] : {std::pair{1072, "fifth\t3/2\t702"}, {1076, "maj 7th\t15/8\t1088"}}) {
            char entry[64] = {};
            SendMessageA(GetDlgItem(Editor(), box), LB_GETTEXT, 2, reinterpret_cast<LPARAM>(entry));
            EXPECT_STREQ(entry, text);
        }
    });
}

TEST_F(ScaleEditTest, TheMenuOffersWhatTheNoteIsNotAndTheFlagsFollow)
{
    m_dsp.SetParameter(2, 2);
    Edit([this] {
        PickFromMenu(4, 1);  // a tracked note in the scale: "&Remove"
        EXPECT_EQ(Flags(4), FlagPair("", "Removed"));
        // A left click opens the menu too; "Do &Not Track" brings the
        // removed note back, not tracked.
        PickFromMenu(4, 0, uitest::MouseButton::Left);
        EXPECT_EQ(Flags(4), FlagPair("Do Not Track", ""));
        PickFromMenu(7, 1);  // "&Remove" on another
        EXPECT_EQ(Cell(7, 3), "Removed");
    });
    // The flags stay with the scale set and show at the next opening.
    Edit([this] {
        EXPECT_EQ(Cell(4, 2), "Do Not Track");
        EXPECT_EQ(Cell(7, 3), "Removed");
        PickFromMenu(4, 0);  // "&Track"
        EXPECT_EQ(Cell(4, 2), "");
        PickFromMenu(7, 1);  // "&Add"
        EXPECT_EQ(Flags(7), FlagPair("", ""));
    });
}

TEST_F(ScaleEditTest, ThePresetsOnChromaticRemoveTheNotesOutsideTheirScale)
{
    m_dsp.SetParameter(2, 2);
    Edit([this] {
        auto removedAfter = [this](int button) {
            HWND preset = GetDlgItem(Editor(), button);
            m_ui.Click(preset, 20, 8);
            Run();
            std::vector<int> removed;
            for (int row = 0; row < 12; ++row)
                if (Cell(row, 3) == "Removed")
                    removed.push_back(row);
            return removed;
        };
        EXPECT_EQ(removedAfter(1049), (std::vector<int>{1, 3, 6, 8, 10}));
        EXPECT_EQ(removedAfter(1050), (std::vector<int>{1, 4, 6, 9, 11}));
    });
}

// The editor on flags of the test's own, as the scale set hands them over.
class OwnFlagsTest : public ScaleEditTest {
protected:
    void Open(short scale, std::function<void()> steps)
    {
        m_ui.WhenIdle([this, steps] {
            steps();
            m_ui.WhenIdle([this] { m_ui.Key(VK_ESCAPE); });
        });
        CScaleEditDialog dialog(&m_dsp.GetScaleSet(), 0, scale, m_doNotTrack, m_remove, m_panel.get());
        dialog.DoModal();
    }
    int m_doNotTrack[12] = {};
    int m_remove[12] = {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1};
};

TEST_F(OwnFlagsTest, TheLastNoteCannotBeRemoved)
{
    CMessageBoxRecorder boxes;
    Open(2, [this] {
        EXPECT_EQ(std::pair(Cell(5, 3), Cell(4, 3)), std::pair(std::string(), std::string("Removed")));
        PickFromMenu(5, 1);  // "&Remove" on the one note left
    });
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].m_strText, CScaleEditDialog::kLastNoteText);
    EXPECT_EQ(m_remove[5], 0);
}

}  // namespace
