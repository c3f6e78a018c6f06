// The panel's controls driven by injected input: what each sets in the
// store, the faders inside the panel, the two pass switches, the tools and
// the buffer box.

#include "PanelTestSupport.h"

#include "settings/RetuneTaper.h"

#include <algorithm>

using paneltest::PanelTest;

namespace {

constexpr int kFaderThumbX = 17;

TEST_F(PanelTest, TheListsAndBypassSetTheirParameters)
{
    Choose(1023, 3);  // "Ling Lin"
    EXPECT_EQ(m_dsp.Get(2), 3);
    EXPECT_EQ(Text(1023), "Ling Lin");
    Choose(1024, 9);  // "A"
    EXPECT_EQ(m_dsp.Get(3), 9);
    EXPECT_EQ(Text(1024), "A");
    Choose(1027, 2);  // "Square"
    EXPECT_EQ(m_dsp.Get(6), 2);
    // Opening the vibrato list refills it and keeps the choice.
    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(1027, CBN_DROPDOWN), reinterpret_cast<LPARAM>(Item(1027)));
    EXPECT_EQ(SendMessageA(Item(1027), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(Text(1027), "Square");

    int bypass = -1;
    ClickItem(1155);
    m_dsp.GetControlValue(0, &bypass);
    EXPECT_EQ(bypass, 1);
    ClickItem(1155);
    m_dsp.GetControlValue(0, &bypass);
    EXPECT_EQ(bypass, 0);
}

TEST_F(PanelTest, DraggingRetuneToFiftySetsIndex198ShownAs48Milliseconds)
{
    HWND retune = SliderWnd(1);
    const int top = m_panel->GetSlider(1)->GetThumbY();
    m_ui.Down(retune, kFaderThumbX, top);
    EXPECT_FALSE(m_ui.Display().CursorVisible());
    m_ui.Move(retune, kFaderThumbX, 50);
    EXPECT_EQ(m_panel->GetSlider(1)->GetValue(), 198);
    EXPECT_EQ(Text(1029), "48");
    m_ui.Up(retune, kFaderThumbX, 50);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    // The store got index 198: it holds what a direct set of 198 holds.
    paneltest::CRecordingDsp direct;
    direct.SetParameter(5, 198);
    EXPECT_EQ(m_dsp.Get(5), direct.Get(5));
    EXPECT_NE(m_dsp.Get(5), 126);
    // Vibrato Depth, Tracking and Delay go to their own IDs.
    m_ui.Drag(SliderWnd(3), {kFaderThumbX, m_panel->GetSlider(3)->GetThumbY()}, {kFaderThumbX, 0});
    EXPECT_EQ(m_dsp.Get(7), 100);
    m_ui.Drag(SliderWnd(2), {kFaderThumbX, m_panel->GetSlider(2)->GetThumbY()}, {kFaderThumbX, 101});
    EXPECT_EQ(m_dsp.Get(10), 100);
    m_ui.Drag(SliderWnd(5), {kFaderThumbX, m_panel->GetSlider(5)->GetThumbY()}, {kFaderThumbX, 0});
    EXPECT_EQ(m_dsp.Get(9), 3000);
}

TEST_F(PanelTest, CtrlDraggingScaleDetuneMovesOneCentPerMove)
{
    HWND detune = SliderWnd(0);
    const int top = m_panel->GetSlider(0)->GetThumbY();
    m_ui.Display().KeyDown(VK_CONTROL);
    m_ui.Down(detune, kFaderThumbX, top);
    std::vector<int> seen;
    // Moves of different lengths, all upwards and inside the travel.
    const int ups[] = {30, 8, 25, 12, 40, 20};
    for (int up : ups) {
        m_ui.Move(detune, kFaderThumbX, top - up);
        seen.push_back(m_dsp.Get(4));
    }
    m_ui.Up(detune, kFaderThumbX, top - 20);
    m_ui.Display().KeyUp(VK_CONTROL);
    // Stored values are cents + 100: one cent up per event from 100.
    EXPECT_EQ(seen, (std::vector<int>{101, 102, 103, 104, 105, 106}));
    EXPECT_EQ(Text(1028), "7");  // the release point is one more move
}

TEST_F(PanelTest, DefaultOnAFaderGoesBackToTheStoresDefault)
{
    m_ui.Drag(SliderWnd(1), {kFaderThumbX, m_panel->GetSlider(1)->GetThumbY()}, {kFaderThumbX, 90});
    ASSERT_NE(m_dsp.Get(5), 126);
    m_ui.WhenIdle([&] {
        HWND menu = FindWindowA("#32768", nullptr);
        ASSERT_NE(menu, nullptr);
        RECT rc{};
        GetClientRect(menu, &rc);
        m_ui.Click(menu, rc.right / 2, rc.bottom / 2);
    });
    m_ui.RightClick(SliderWnd(1), 30, 60);
    EXPECT_EQ(m_dsp.Get(5), 126);  // 20 ms
    EXPECT_EQ(Text(1029), "20");
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
    EXPECT_EQ(m_dsp.Get(29), 0);
    EXPECT_EQ(m_dsp.Get(30), 1);
    EXPECT_EQ(SendMessageA(Item(1058), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(Item(1060), BM_GETCHECK, 0, 0), BST_CHECKED);
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
    ClickItem(1092);
    EXPECT_EQ(m_panel->GetTool(), 0);
    ClickItem(1096);
    EXPECT_EQ(m_panel->GetTool(), 2);
    EXPECT_TRUE(m_panel->IsTool(2));
    EXPECT_EQ(m_panel->GetButton(1092)->GetState(), 0);
    EXPECT_EQ(m_panel->GetButton(1096)->GetState(), 1);
    ClickItem(1094);
    EXPECT_EQ(m_panel->GetTool(), 3);
    EXPECT_EQ(m_panel->GetButton(1096)->GetState(), 0);
    ClickItem(1094);  // the active tool again: none
    EXPECT_EQ(m_panel->GetTool(), -1);
    EXPECT_EQ(m_panel->GetButton(1094)->GetState(), 0);
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
    EXPECT_EQ(SendMessageA(Item(1081), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Item(1080), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ClickItem(1080);
    EXPECT_EQ(SendMessageA(Item(1081), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ClickItem(1081);
    EXPECT_EQ(SendMessageA(Item(1080), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(PanelTest, TheBufferBoxTakesANumberAndKeepsTheOldOneForZeroOrText)
{
    ClickItem(1122);
    auto enter = [&](const std::string& typed) {
        m_ui.WhenIdle([this, typed] {
            HWND box = GetDlgItem(GetActiveWindow(), 1178);
            ASSERT_NE(box, nullptr);
            // The box opens over the field, one pixel up and left.
            RECT field{};
            RECT opened{};
            GetWindowRect(Item(1127), &field);
            GetWindowRect(GetActiveWindow(), &opened);
            EXPECT_EQ(opened.left, field.left - 1);
            EXPECT_EQ(opened.top, field.top - 1);
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
    enter("0");
    EXPECT_EQ(m_dsp.Get(33), 119);
    enter("soon");
    EXPECT_EQ(m_dsp.Get(33), 119);
    EXPECT_EQ(Text(1127), "120");

    // In automatic mode the field is hidden and opens nothing.
    ClickItem(1121);
    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(1127, EN_SETFOCUS), reinterpret_cast<LPARAM>(Item(1127)));
    m_ui.Pump();
    EXPECT_EQ(GetDlgItem(GetActiveWindow(), 1178), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
