// The panel's controls driven by injected input: what each sets in the
// store, the faders inside the panel, the two pass switches, the tools and
// the buffer box.

#include "PanelTestSupport.h"

#include "settings/RetuneTaper.h"

#include <algorithm>

using paneltest::PanelTest;

namespace {

constexpr int kThumbX = 17;

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
    EXPECT_EQ(Text(1027), "Square");

    int bypass = -1;
    ClickItem(1155);
    m_dsp.GetControlValue(0, &bypass);
    EXPECT_EQ(bypass, 1);
    ClickItem(1155);
    m_dsp.GetControlValue(0, &bypass);
    EXPECT_EQ(bypass, 0);
}

TEST_F(PanelTest, TheListsHoldTheirNamesAndStartAtTheStoredValues)
{
    auto* scales = m_panel->GetDlgItemAs<CComboBox>(1023);
    auto* keys = m_panel->GetDlgItemAs<CComboBox>(1024);
    auto* vibrato = m_panel->GetDlgItemAs<CComboBox>(1027);
    EXPECT_EQ(scales->GetCount(), 29);
    EXPECT_EQ(keys->GetCount(), 12);
    EXPECT_EQ(vibrato->GetCount(), 4);
    char text[64] = {};
    scales->GetLBText(25, text);
    EXPECT_STREQ(text, "Carlos Alpha");
    keys->GetLBText(3, text);
    EXPECT_STREQ(text, "E-flat");
    // The store starts on the chromatic scale in C without vibrato.
    EXPECT_EQ(Text(1023), "Equal Tempered Chrom.");
    EXPECT_EQ(Text(1024), "C");
    EXPECT_EQ(Text(1027), "(No Vibrato)");
    // Opening the vibrato list refills it and keeps the choice.
    Choose(1027, 3);
    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(1027, CBN_DROPDOWN), reinterpret_cast<LPARAM>(Item(1027)));
    EXPECT_EQ(vibrato->GetCount(), 4);
    EXPECT_EQ(Text(1027), "Sawtooth");
}

TEST_F(PanelTest, TheFadersStartAtTheStoreAndShowTheirUnits)
{
    EXPECT_EQ(Text(1028), "0");     // 0 cents of detune
    EXPECT_EQ(Text(1029), "20");    // 20 ms
    EXPECT_EQ(Text(1030), "25");
    EXPECT_EQ(Text(1031), "30");
    EXPECT_EQ(Text(1032), "5.5");   // tenths of a hertz
    EXPECT_EQ(Text(1033), "300");
    EXPECT_EQ(Text(1035), "20");
    EXPECT_EQ(Text(1036), "25");
    EXPECT_EQ(Text(1179).rfind("Version: ", 0), 0u);
}

TEST_F(PanelTest, DraggingRetuneToFiftySetsIndex198ShownAs48Milliseconds)
{
    HWND retune = SliderWnd(1);
    const int top = m_panel->GetSlider(1)->GetThumbY();
    m_ui.Down(retune, kThumbX, top);
    EXPECT_FALSE(m_ui.Display().CursorVisible());
    m_ui.Move(retune, kThumbX, 50);
    EXPECT_EQ(m_panel->GetSlider(1)->GetValue(), 198);
    EXPECT_EQ(Text(1029), "48");
    m_ui.Up(retune, kThumbX, 50);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    // The store got index 198: it holds what a direct set of 198 holds.
    paneltest::CRecordingDsp direct;
    direct.SetParameter(5, 198);
    EXPECT_EQ(m_dsp.Get(5), direct.Get(5));
    EXPECT_NE(m_dsp.Get(5), 126);
    // Vibrato Depth, Tracking and Delay go to their own IDs.
    m_ui.Drag(SliderWnd(3), {kThumbX, m_panel->GetSlider(3)->GetThumbY()}, {kThumbX, 0});
    EXPECT_EQ(m_dsp.Get(7), 100);
    m_ui.Drag(SliderWnd(2), {kThumbX, m_panel->GetSlider(2)->GetThumbY()}, {kThumbX, 101});
    EXPECT_EQ(m_dsp.Get(10), 100);
    m_ui.Drag(SliderWnd(5), {kThumbX, m_panel->GetSlider(5)->GetThumbY()}, {kThumbX, 0});
    EXPECT_EQ(m_dsp.Get(9), 3000);
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

TEST_F(PanelTest, APressOutsideTheTrackChangesNothing)
{
    m_ui.Click(SliderWnd(1), 2, 140);
    m_ui.Move(SliderWnd(1), 2, 10);
    EXPECT_EQ(m_dsp.Get(5), 126);
    EXPECT_EQ(Text(1029), "20");
    EXPECT_TRUE(m_ui.Display().CursorVisible());
}

TEST_F(PanelTest, DefaultOnAFaderGoesBackToTheStoresDefault)
{
    m_ui.Drag(SliderWnd(1), {kThumbX, m_panel->GetSlider(1)->GetThumbY()}, {kThumbX, 90});
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
    enter("120");
    EXPECT_EQ(Text(1127), "120");
    EXPECT_EQ(m_dsp.Get(33), 119);
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
