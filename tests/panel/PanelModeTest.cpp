// The two layouts, host-side changes and the pitch-change meter.

#include "PanelTestSupport.h"

#include <chrono>
#include <thread>
#include <tuple>

using namespace paneltest;

namespace {

TEST_F(PanelTest, EachModeShowsItsOwnControlsAtTheirPlaces)
{
    const auto expectShown = [this](bool automatic) {
        for (int id : {1023, 1129})
            EXPECT_EQ(Shown(id), automatic) << id;
        for (int id : {1058, 1092})
            EXPECT_EQ(Shown(id), !automatic) << id;
        EXPECT_EQ(IsWindowVisible(SliderWnd(0)) != FALSE, automatic);
        EXPECT_EQ(IsWindowVisible(SliderWnd(automatic ? 6 : 7)) != FALSE, !automatic);
    };
    EXPECT_EQ(m_panel->GetPanelModeShown(), 1);
    EXPECT_EQ(WindowText(m_frame), "Intonara - Automatic Mode");
    expectShown(true);
    EXPECT_EQ(Place(1023), (std::vector<LONG>{76, 93, 228, 112}));
    EXPECT_EQ(Place(1032), (std::vector<LONG>{466, 152, 507, 167}));
    EXPECT_EQ(Place(1098), (std::vector<LONG>{131, 156, 174, 173}));

    ClickItem(1122);
    EXPECT_EQ(std::pair(m_dsp.Get(1), m_panel->GetPanelModeShown()), std::pair(1, 2));
    EXPECT_EQ(WindowText(m_frame), "Intonara - Graphical Mode");
    expectShown(false);
    EXPECT_EQ(Checked(1121), BST_UNCHECKED);
    // Shared labels move to the graphical faders.
    EXPECT_EQ(Place(1098), (std::vector<LONG>{497, 204, 542, 219}));
    EXPECT_EQ(Place(1058), (std::vector<LONG>{521, 80, 600, 102}));
    EXPECT_EQ(Place(1092), (std::vector<LONG>{413, 105, 445, 137}));
    EXPECT_EQ(Place(SliderWnd(7)), (std::vector<LONG>{559, 250, 604, 380}));

    // Clicking the mode in force again lays nothing out.
    ShowWindow(Item(1058), SW_HIDE);
    ClickItem(1122);
    EXPECT_FALSE(Shown(1058));

    ClickItem(1121);
    EXPECT_EQ(m_dsp.Get(1), 0);
    EXPECT_TRUE(Shown(1023));
}

TEST_F(PanelTest, HostChangesAreClampedAndStopAtTheFirstUnknownId)
{
    const PARAM_CHANGE detune[] = {{4, 250}, {10, -5}, {0, 77}};
    EXPECT_EQ(m_panel->ApplyParameterChanges(detune, 3), 0);
    EXPECT_EQ(m_dsp.Get(4), 200);
    EXPECT_EQ(m_panel->GetSlider(0)->GetValue(), 100);
    EXPECT_EQ(m_dsp.Get(10), 0);
    m_ui.Pump();
    EXPECT_EQ(m_panel->GetSlider(0)->GetThumbY(), 0);  // at the top

    const PARAM_CHANGE mixed[] = {{3, 5}, {11, 1}, {2, 4}};
    EXPECT_EQ(m_panel->ApplyParameterChanges(mixed, 3), -1);
    m_ui.Pump();
    EXPECT_EQ(m_dsp.Get(3), 5);
    EXPECT_EQ(Text(1024), "F");
    EXPECT_EQ(m_dsp.Get(2), 2);  // the scale after the unknown ID is not applied

    const PARAM_CHANGE beyond[] = {{35, 0}, {6, 1}};
    EXPECT_EQ(m_panel->ApplyParameterChanges(beyond, 2), -1);
    EXPECT_EQ(m_dsp.Get(6), 0);
}

// Pumps until `done` holds, for at most a second.
template <class F>
bool Eventually(uitest::CUi& ui, F done)
{
    for (int i = 0; i < 200; ++i) {
        ui.Pump();
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST_F(PanelTest, TheUpdateWorkerRewritesTheValueFieldsWhenWoken)
{
    ASSERT_TRUE(m_panel->UpdateThreadRunning());
    // Spoil two fields; only the worker writes them back (nothing repaints
    // the faders), and only those of the automatic faders.
    SetWindowTextA(Item(1032), "x");
    SetWindowTextA(Item(1035), "y");
    HANDLE wake = CreateEventA(nullptr, TRUE, FALSE, "Velmora/Event/UIUpdateThread");
    SetEvent(wake);
    EXPECT_TRUE(Eventually(m_ui, [&] { return Text(1032) == "5.5"; })) << Text(1032);
    EXPECT_EQ(Text(1035), "y");
    CloseHandle(wake);
}

TEST_F(PanelTest, HostChangesFromAnotherThreadShowOnTheFaders)
{
    const PARAM_CHANGE changes[] = {{4, 250}, {8, 100}, {5, 200}};
    // From a thread of the host's, as the control interface calls it.
    std::thread host([&] { m_panel->ApplyParameterChanges(changes, 3); });
    host.join();
    EXPECT_TRUE(Eventually(m_ui, [&] { return Text(1028) == "100" && Text(1032) == "10.0" && Text(1029) == "50"; }))
        << Text(1028) << " " << Text(1032) << " " << Text(1029);
    EXPECT_EQ(m_dsp.Get(8), 100);
    EXPECT_EQ(m_panel->GetSlider(0)->GetThumbY(), 0);
}

TEST_F(PanelTest, AHostChangeOfModeSwitchesTheLayout)
{
    const PARAM_CHANGE graphical[] = {{1, 7}};
    EXPECT_EQ(m_panel->ApplyParameterChanges(graphical, 1), 0);
    m_ui.Pump();
    EXPECT_EQ(m_dsp.Get(1), 1);  // clamped to the ends 0 and 1
    EXPECT_EQ(m_panel->GetPanelModeShown(), 2);
    EXPECT_TRUE(Shown(1058));
    EXPECT_EQ(Checked(1122), BST_CHECKED);

    const PARAM_CHANGE automatic[] = {{1, 0}};
    std::thread host([&] { m_panel->ApplyParameterChanges(automatic, 1); });
    host.join();
    m_ui.Pump();
    EXPECT_EQ(m_panel->GetPanelModeShown(), 1);
    EXPECT_TRUE(Shown(1023));
    EXPECT_FALSE(Shown(1058));
}

// The first and last red rows of the meter's column (x 324 to 336) and how
// many there are.
std::tuple<int, int, int> RedRows(uitest::CUi& ui, HWND panel)
{
    int count = 0, top = -1, bottom = -1;
    for (int y = 100; y < 330; ++y) {
        if (ui.Pixel(panel, 330, y) == kRed) {
            top = top < 0 ? y : top;
            bottom = y;
            ++count;
        }
    }
    return {top, bottom, count};
}

TEST_F(PanelTest, TheMeterDrawsOnePixelPerCentFromTheZeroLine)
{
    // Set, read back, the rows drawn; past -100 it is clamped with the
    // bottom held at 310, and a bar that would pass the top starts at 141.
    const int cases[][4] = {{40, 40, 183, 222}, {-250, -100, 223, 309}, {100, 100, 141, 222}, {0, 0, -1, -1}};
    for (const auto& c : cases) {
        m_panel->SetChangeMeter(c[0]);
        EXPECT_EQ(m_panel->GetChangeMeter(), c[1]);
        const auto [top, bottom, count] = RedRows(m_ui, Panel());
        EXPECT_EQ(std::pair(top, bottom), std::pair(c[2], c[3])) << c[0];
        if (c[0] == 40) {
            EXPECT_EQ(count, 40);
            for (int x : {323, 324, 336, 337})
                EXPECT_EQ(m_ui.Pixel(Panel(), x, 200) == kRed, x >= 324 && x <= 336) << x;
        }
    }
}

TEST_F(PanelTest, ClosingThePanelLetsGoOfTheStore)
{
    EXPECT_EQ(m_dsp.AttachedDialog(), static_cast<IIntonaraDialog*>(m_panel.get()));
    m_panel->DestroyWindow();
    EXPECT_EQ(m_dsp.AttachedDialog(), nullptr);
    EXPECT_FALSE(m_panel->UpdateThreadRunning());
}

}  // namespace
