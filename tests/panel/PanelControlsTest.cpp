// The panel's controls driven by injected input: what each sets in the
// store, the faders inside the panel, the two pass switches, the tools and
// the buffer box.

#include "PanelTestSupport.h"

#include <algorithm>
#include <tuple>

using namespace paneltest;

namespace {

TEST_F(PanelTest, TheListsAndBypassSetTheirParameters)
{
    // The list, the item picked, the parameter it sets and the text shown.
    for (const auto& [list, index, id, text] : {std::tuple{1023, 3, 2, "Ling Lin"}, {1024, 9, 3, "A"}, {1027, 2, 6, "Square"}}) {
        Choose(list, index);
        EXPECT_EQ(std::pair(m_dsp.Get(id), Text(list)), std::pair(index, std::string(text))) << list;
    }
    // Opening the vibrato list refills it and keeps the choice.
    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(1027, CBN_DROPDOWN), reinterpret_cast<LPARAM>(Item(1027)));
    EXPECT_EQ(SendMessageA(Item(1027), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(Text(1027), "Square");

    for (int bypass : {1, 0}) {
        ClickItem(1155);
        int value = -1;
        m_dsp.GetControlValue(0, &value);
        EXPECT_EQ(value, bypass);
    }
}

TEST_F(PanelTest, DraggingRetuneToFiftySetsIndex198ShownAs48MillisecondsAndDefaultGoesBack)
{
    DragFader(1, 50);
    EXPECT_EQ(m_panel->GetSlider(1)->GetValue(), 198);
    EXPECT_EQ(Text(1029), "48");
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    // The store got index 198: it holds what a direct set of 198 holds.
    paneltest::CRecordingDsp direct;
    direct.SetParameter(5, 198);
    EXPECT_EQ(m_dsp.Get(5), direct.Get(5));
    EXPECT_NE(m_dsp.Get(5), 126);
    // Default from the fader's menu goes back to the store's default, 20 ms.
    ChooseFromMenuWhenIdle(m_ui);
    m_ui.RightClick(SliderWnd(1), 30, 60);
    EXPECT_EQ(std::pair(m_dsp.Get(5), Text(1029)), std::pair(126, std::string("20")));
    // Vibrato Depth, Tracking and Delay go to their own IDs.
    for (const auto& [fader, y, id, value] : {std::tuple{3, 0, 7, 100}, {2, 101, 10, 100}, {5, 0, 9, 3000}}) {
        DragFader(fader, y);
        EXPECT_EQ(m_dsp.Get(id), value) << "fader " << fader;
    }
}

TEST_F(PanelTest, CtrlDraggingScaleDetuneMovesOneCentPerMove)
{
    HWND detune = SliderWnd(0);
    const int top = m_panel->GetSlider(0)->GetThumbY();
    m_ui.Display().KeyDown(VK_CONTROL);
    m_ui.Down(detune, kThumbX, top);
    std::vector<int> seen;
    // Moves of different lengths, all upwards and inside the travel.
    const int ups[] = {30, 8, 25, 12, 40, 20};
    for (int up : ups) {
        m_ui.Move(detune, kThumbX, top - up);
        seen.push_back(m_dsp.Get(4));
    }
    m_ui.Up(detune, kThumbX, top - 20);
    m_ui.Display().KeyUp(VK_CONTROL);
    // Stored values are cents + 100: one cent up per event from 100.
    EXPECT_EQ(seen, (std::vector<int>{101, 102, 103, 104, 105, 106}));
    EXPECT_EQ(Text(1028), "7");  // the release point is one more move
}

TEST_F(PanelTest, TrackAndCorrectExcludeEachOtherInParameterOrder)
{
    ClickItem(1122);
    ClickItem(1058);
    EXPECT_EQ(m_dsp.Get(29), 1);
    EXPECT_FALSE(IsWindowEnabled(Item(1127)));
    EXPECT_FALSE(IsWindowEnabled(Item(1080)));

    m_dsp.m_flags.clear();
    ClickItem(1060);
    EXPECT_EQ(std::pair(m_dsp.Get(29), m_dsp.Get(30)), std::pair(0, 1));
    EXPECT_EQ(std::pair(Checked(1058), Checked(1060)), std::pair(LRESULT{BST_UNCHECKED}, LRESULT{BST_CHECKED}));
    // Tracking goes off before correcting comes on.
    ASSERT_FALSE(m_dsp.m_flags.empty());
    EXPECT_EQ(m_dsp.m_flags.back(), std::make_pair(13, 1));
    const auto trackOff = std::find(m_dsp.m_flags.begin(), m_dsp.m_flags.end(), std::make_pair(12, 0));
    EXPECT_LT(trackOff - m_dsp.m_flags.begin(), static_cast<long>(m_dsp.m_flags.size()) - 1);

    ClickItem(1060);
    EXPECT_EQ(m_dsp.Get(30), 0);
    EXPECT_TRUE(IsWindowEnabled(Item(1127)));
    EXPECT_TRUE(IsWindowEnabled(Item(1080)));
}

TEST_F(PanelTest, TheToolButtonsActAsOneGroup)
{
    ClickItem(1122);
    EXPECT_EQ(m_panel->GetTool(), -1);
    // Each click: the button, the tool then in force, the button before it
    // (now up) and the clicked button's state; the active tool again is none.
    const int clicks[][4] = {{1092, 0, 1092, 1}, {1096, 2, 1092, 1}, {1094, 3, 1096, 1}, {1094, -1, 1094, 0}};
    for (const auto& c : clicks) {
        ClickItem(c[0]);
        EXPECT_EQ(m_panel->GetTool(), c[1]) << c[0];
        EXPECT_EQ(m_panel->GetButton(c[0])->GetState(), c[3]) << c[0];
        if (c[2] != c[0]) {
            EXPECT_EQ(m_panel->GetButton(c[2])->GetState(), 0) << c[2];
        }
    }
    ClickItem(1096);
    EXPECT_TRUE(m_panel->IsTool(2));
}

TEST_F(PanelTest, TheTimerTicksTheControllerWhichFollowsTheGraph)
{
    ClickItem(1122);
    // With nothing tracked the graph shows the whole buffer, so "All" and
    // "Tie" have nothing to choose; the controller turns them off at the
    // next tick of the 50 ms timer, not before.
    ASSERT_FALSE(m_panel->GetMainGraphView()->IsEnvScaleAvailable());
    EXPECT_TRUE(IsWindowEnabled(Item(1080)));
    m_ui.Advance(40);
    EXPECT_TRUE(IsWindowEnabled(Item(1080)));
    m_ui.Advance(20);
    EXPECT_FALSE(IsWindowEnabled(Item(1080)));
    EXPECT_FALSE(IsWindowEnabled(Item(1081)));
}

TEST_F(PanelTest, TheEditingButtonsAndTheContextMenuWorkOnTheGraph)
{
    ClickItem(1122);
    auto* view = static_cast<CMainGraphView*>(m_panel->GetMainGraphView());
    const int times[] = {100, 300};
    const int pitches[] = {0, 200};
    view->MakeLineCurveAt(times, pitches, 2);
    ASSERT_EQ(NodeCount(view->Curves()), 2);
    // The view offers "select all" once something is tracked; here the
    // test offers it.
    EnableWindow(Item(1077), TRUE);
    ClickItem(1077);  // select all
    ClickItem(1073);  // cut
    EXPECT_EQ(NodeCount(view->Curves()), 0);
    ClickItem(1071);  // undo
    EXPECT_EQ(NodeCount(view->Curves()), 2);
    // The graph's own menu runs the same commands: 0 select all, 2 cut.
    EnableWindow(Item(1077), TRUE);
    EXPECT_TRUE(m_panel->RunGraphCommand(0));
    EXPECT_TRUE(m_panel->RunGraphCommand(2));
    EXPECT_EQ(NodeCount(view->Curves()), 0);
    EXPECT_FALSE(m_panel->RunGraphCommand(7));
}

TEST_F(PanelTest, TheEnvelopeSwitchesExcludeEachOther)
{
    ClickItem(1122);
    EXPECT_EQ(std::pair(Checked(1081), Checked(1080)), std::pair(LRESULT{BST_CHECKED}, LRESULT{BST_UNCHECKED}));
    ClickItem(1080);
    EXPECT_EQ(Checked(1081), BST_UNCHECKED);
    ClickItem(1081);
    EXPECT_EQ(Checked(1080), BST_UNCHECKED);
}

TEST_F(PanelTest, TheBufferBoxTakesANumberAndKeepsTheOldOneForZeroOrText)
{
    ClickItem(1122);
    auto enter = [&](const std::string& typed) {
        m_ui.WhenIdle([this, typed] {
            HWND box = GetDlgItem(GetActiveWindow(), 1178);
            ASSERT_NE(box, nullptr);
            // The box opens over the field, one pixel up and left.
            RECT field{}, opened{};
            GetWindowRect(Item(1127), &field);
            GetWindowRect(GetActiveWindow(), &opened);
            EXPECT_EQ(std::pair(opened.left, opened.top), std::pair(field.left - 1, field.top - 1));
            m_ui.Type(typed);
            m_ui.Key(VK_RETURN);
        });
        ClickItem(1127);
    };
    EXPECT_EQ(Text(1127), "200");  // the length the store starts with
    enter("120");
    EXPECT_EQ(Text(1127), "120");
    EXPECT_EQ(m_dsp.Get(33), 119);
    CMainGraphView* view = static_cast<CMainGraphView*>(m_panel->GetMainGraphView());
    EXPECT_EQ(view->BufferSeconds(), 120);
    for (const char* refused : {"0", "soon"}) {
        enter(refused);
        EXPECT_EQ(std::pair(m_dsp.Get(33), Text(1127)), std::pair(119, std::string("120"))) << refused;
    }

    // In automatic mode the field is hidden and opens nothing.
    ClickItem(1121);
    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(1127, EN_SETFOCUS), reinterpret_cast<LPARAM>(Item(1127)));
    m_ui.Pump();
    EXPECT_EQ(GetDlgItem(GetActiveWindow(), 1178), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
