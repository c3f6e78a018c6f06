// The plug-in's window as an LV2 host drives it, on Xvfb: made inside the
// host's X window, run by idle calls, its settings written to the control
// ports, the host's port values shown on the panel; with the playing
// instance (instance-access) and without it.

#include "Lv2Plugin.h"
#include "Lv2TestState.h"
#include "Lv2Ui.h"

#include "graph/MainGraphView.h"
#include "panel/IntonaraDialog.h"
#include "support/ui/XServer.h"

#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros would replace.
#include "support/ui/XHostWindow.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include <limits>
#include <memory>
#include <optional>

namespace {

using lv2test::CSavedState;
using uitest::CHostWindow;
using uitest::PumpUntil;

class Lv2Ui : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!uitest::OnPath("Xvfb")) {
            GTEST_SKIP() << "Xvfb is not installed (scripts/bootstrap installs it)";
        }
        m_pServer = std::make_unique<uitest::CXvfb>();
        ASSERT_FALSE(m_pServer->Display().empty()) << "Xvfb did not start";
        setenv("DISPLAY", m_pServer->Display().c_str(), 1);
        m_pHost = std::make_unique<CHostWindow>(20, 30, 700, 480);
        ASSERT_NE(m_pHost->X(), nullptr);
        m_pPlugin.reset(CIntonaraLv2::Create(48000.0, m_urids.Features()));
        ASSERT_NE(m_pPlugin, nullptr);
        for (uint32_t port = PORT_SCALE; port <= PORT_PITCH_CHANGE; ++port) {
            m_pPlugin->ConnectPort(port, &m_ports[port]);
        }
        // As a host starts it: the ports at the settings' values, then
        // activated.
        const CLv2PortMap ports;
        const SettingsBlock settings = m_pPlugin->CurrentSettings();
        for (int i = 0; i < kSettingsCount; ++i) {
            m_ports[kFirstSettingPort + static_cast<uint32_t>(i)] = ports.ToPort(i, settings[static_cast<std::size_t>(i)]);
        }
        m_ports[PORT_ENABLED] = 1.0f;
        m_pPlugin->Activate();
    }

    // The window, with or without the playing instance.
    void Open(bool instanceAccess)
    {
        const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(m_pHost->Id())};
        const LV2_Feature instance{LV2_INSTANCE_ACCESS_URI, m_pPlugin.get()};
        m_resize.handle = this;
        m_resize.ui_resize = [](LV2UI_Feature_Handle handle, int width, int height) {
            static_cast<Lv2Ui*>(handle)->m_size = SIZE{width, height};
            return 0;
        };
        const LV2_Feature resize{LV2_UI__resize, &m_resize};
        const LV2_Feature* features[] = {&parent, &resize, instanceAccess ? &instance : nullptr, nullptr};
        LV2UI_Widget widget = nullptr;
        m_pUi.reset(CIntonaraLv2Ui::Create(
            [](LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
                ASSERT_EQ(size, sizeof(float));
                ASSERT_EQ(protocol, 0u);
                static_cast<Lv2Ui*>(const_cast<void*>(controller))->m_writes.emplace_back(
                    port, *static_cast<const float*>(buffer));
            },
            this, &widget, features));
        ASSERT_NE(m_pUi, nullptr);
        m_widget = reinterpret_cast<Window>(widget);
        Idle(100);
    }
    void OpenGraphical()
    {
        Open(true);
        m_pUi->Panel()->SwitchToGraphical(true);
        Idle(100);
    }

    // The host's idle calls, about thirty a second, for `ms` of real time.
    void Idle(int ms)
    {
        PumpUntil(ms, [&] {
            EXPECT_TRUE(m_pUi == nullptr || m_pUi->Idle() == 0);
            return false;
        });
    }
    // A port event from the host, as a float.
    void Send(uint32_t port, float value)
    {
        m_pUi->PortEvent(port, sizeof value, 0, &value);
        Idle(60);
    }

    // The value the ports last got for `port` from the window, NaN if none.
    float Written(uint32_t port) const
    {
        float value = std::numeric_limits<float>::quiet_NaN();
        for (const auto& [p, v] : m_writes) {
            value = p == port ? v : value;
        }
        return value;
    }

    // The plug-in's state as a host saves it, and restored.
    CSavedState Save()
    {
        CSavedState state;
        EXPECT_EQ(m_pPlugin->Save(CSavedState::Store, &state, m_urids.Features()), LV2_STATE_SUCCESS);
        return state;
    }
    void Restore(const CSavedState& state)
    {
        ASSERT_EQ(m_pPlugin->Restore(CSavedState::Retrieve, const_cast<CSavedState*>(&state), m_urids.Features()),
                  LV2_STATE_SUCCESS);
        Idle(100);
    }
    // What the tool's `graph info` says of a state's graph, if it has one.
    std::optional<job::GraphInfo> GraphOf(const CSavedState& state)
    {
        const auto it = state.props.find(m_urids.Map(lv2test::kGraphKey));
        return it == state.props.end() ? std::nullopt : std::optional(lv2test::Describe(it->second.first));
    }
    CMainGraphView* MainView() const
    {
        return dynamic_cast<CMainGraphView*>(m_pUi->Panel()->GetMainGraphView());
    }
    // What a tracking pass leaves in the playing processor's buffer.
    void TrackPassage()
    {
        ASSERT_NE(MainView()->TrackBuffer(), nullptr);
        lv2test::FillPassage(MainView()->TrackBuffer());
        MainView()->SetTrackedFrames(120);
        MainView()->IdleUpdate();
        Idle(60);
    }
    // Black pixels in the main view's picture on the X server: its labels,
    // and the curves XORed over the white plot.
    int BlackInMainView() const
    {
        const RECT& at = panel::kMainViewRect;
        return m_pHost->CountOf(m_widget, at.left + 1, at.top + 1, at.right - 16, at.bottom - 16, 0x000000);
    }

    // Destroyed in reverse: the window, the plug-in, the host, the server.
    std::unique_ptr<uitest::CXvfb> m_pServer;
    std::unique_ptr<CHostWindow> m_pHost;
    lv2test::CUridMap m_urids;
    std::unique_ptr<CIntonaraLv2> m_pPlugin;
    std::array<float, PORT_COUNT> m_ports{};
    LV2UI_Resize m_resize{};
    SIZE m_size{};
    std::unique_ptr<CIntonaraLv2Ui> m_pUi;
    Window m_widget = 0;
    std::vector<std::pair<uint32_t, float>> m_writes;
};

TEST_F(Lv2Ui, ThePanelOpensInsideTheHostsWindowAtItsOwnSize)
{
    Open(true);
    ASSERT_NE(m_widget, 0u);
    EXPECT_EQ(m_pHost->ParentOf(m_widget), m_pHost->Id());
    // The page's size at 96 pixels per inch: 322 x 210 dialog units.
    EXPECT_GT(m_size.cx, 600);
    EXPECT_GT(m_size.cy, 380);
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_pHost->X(), m_widget, &attributes);
    EXPECT_EQ(attributes.width, m_size.cx);
    EXPECT_EQ(attributes.height, m_size.cy);
    // Painted: the panel's button-face grey, not the host's blue nor black.
    EXPECT_TRUE(PumpUntil(3000, [&] {
        m_pUi->Idle();
        return m_pHost->PixelOf(m_widget, 5, 5) == 0xC0C0C0;
    })) << std::hex << m_pHost->PixelOf(m_widget, 5, 5);
}

// The host moves a port: the panel shows it as a host change, on the fader
// and in the store (clamped as any host change), and writes nothing back.
// The panel's own changes reach the ports once, in the ports' units.
TEST_F(Lv2Ui, PortValuesAndPanelChangesGoEachWayOnce)
{
    Open(true);
    m_writes.clear();
    Send(PORT_DETUNE, 40.0f);  // cents
    Send(PORT_KEY, 7.0f);      // G
    CIntonaraDialog* panel = m_pUi->Panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetSlider(0)->GetValue(), 40);  // shown as cents, stored + 100
    EXPECT_EQ(m_pPlugin->CurrentSettings()[SETTING_DETUNE], 140);
    EXPECT_EQ(SendDlgItemMessageA(m_pUi->PanelWindow(), 1024, CB_GETCURSEL, 0, 0), 7);
    EXPECT_TRUE(m_writes.empty()) << "the window echoed the host's own value";
    Send(PORT_DETUNE, 500.0f);
    EXPECT_EQ(panel->GetSlider(0)->GetValue(), 100);
    // Formats other than a float are not for control ports.
    const double other = -30.0;
    m_pUi->PortEvent(PORT_DETUNE, sizeof other, 0, &other);
    Idle(60);
    EXPECT_EQ(panel->GetSlider(0)->GetValue(), 100);

    // A change made on the panel's store (as a fader drag makes it): Retune
    // in milliseconds. Bypass is the host's "enabled" port, the other way round.
    m_writes.clear();
    panel->OnSliderChanged(1, 400);
    Idle(100);
    ASSERT_EQ(m_writes.size(), 1u);
    EXPECT_EQ(m_writes[0].first, static_cast<uint32_t>(PORT_RETUNE));
    EXPECT_FLOAT_EQ(m_writes[0].second, 400.0f);
    panel->OnBypass(TRUE);
    Idle(100);
    EXPECT_EQ(Written(PORT_ENABLED), 0.0f);
}

// Without the playing instance the ports carry automatic mode; graphical
// mode says why it has no graph. With it, graphical mode shows its graph
// area.
TEST_F(Lv2Ui, GraphicalModeShowsTheGraphAreaOnlyWithInstanceAccess)
{
    Open(false);
    Send(PORT_SCALE, 5.0f);
    // The panel works on a filter of its own: the playing one is untouched.
    EXPECT_EQ(SendDlgItemMessageA(m_pUi->PanelWindow(), 1023, CB_GETCURSEL, 0, 0), 5);
    EXPECT_EQ(m_pPlugin->CurrentSettings()[SETTING_SCALE], 2);
    m_pUi->Panel()->OnSliderChanged(2, 60);  // Threshold
    Idle(60);
    EXPECT_EQ(Written(PORT_THRESHOLD), 60.0f);

    HWND note = GetDlgItem(m_pUi->PanelWindow(), CIntonaraLv2Ui::kNoGraphId);
    EXPECT_TRUE(note == nullptr || !IsWindowVisible(note));
    m_pUi->Panel()->SwitchToGraphical(true);
    Idle(100);
    note = GetDlgItem(m_pUi->PanelWindow(), CIntonaraLv2Ui::kNoGraphId);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(IsWindowVisible(note));
    char text[200] = {};
    GetWindowTextA(note, text, sizeof text);
    EXPECT_STREQ(text, CIntonaraLv2Ui::kNoGraphText);
    // Nothing of the graph area shows: its scroll bars stay hidden too.
    for (int id : {panel::kMainViewId, panel::kEnvelopeViewId, panel::kHorzBarId, panel::kVertBarId}) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_pUi->PanelWindow(), id))) << id;
    }
    ASSERT_NE(GetDlgItem(m_pUi->PanelWindow(), panel::kHorzBarId), nullptr);
    m_pUi->Panel()->SwitchToAutomatic(true);
    Idle(100);
    EXPECT_FALSE(IsWindowVisible(note));

    m_pUi.reset();
    OpenGraphical();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_pUi->PanelWindow(), panel::kHorzBarId)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_pUi->PanelWindow(), panel::kVertBarId)));
    EXPECT_EQ(GetDlgItem(m_pUi->PanelWindow(), CIntonaraLv2Ui::kNoGraphId), nullptr);
}

// A curve made in the panel is what the plug-in's state keeps: the views
// work on the playing processor's own track buffer. A restored state's
// curves show in the panel's main view, whether the window opens after the
// restore or is open at it; a state without a graph takes them off.
TEST_F(Lv2Ui, CurvesMadeInThePanelAreSavedAndRestoredOnesShown)
{
    OpenGraphical();
    const CSavedState empty = Save();
    EXPECT_FALSE(GraphOf(empty)) << "nothing tracked, nothing drawn: the state has no graph";
    TrackPassage();
    const CSavedState tracked = Save();
    const std::optional<job::GraphInfo> passage = GraphOf(tracked);
    ASSERT_TRUE(passage);
    EXPECT_EQ(passage->nTrackedFrames, 120);
    EXPECT_EQ(passage->curves.size(), 0u);
    // "make curve" through the graph commands: one curve for each voiced
    // stretch.
    ASSERT_TRUE(m_pUi->Panel()->RunGraphCommand(5));
    Idle(60);
    const std::optional<job::GraphInfo> made = GraphOf(Save());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->nTrackedFrames, 120);
    EXPECT_EQ(made->curves.size(), 3u);
    // A line drawn just before the window closes is kept as well.
    const int times[] = {10, 60};
    const int pitches[] = {650, 800};
    MainView()->MakeLineCurveAt(times, pitches, 2);
    m_pUi.reset();
    const CSavedState curved = Save();
    ASSERT_TRUE(GraphOf(curved));
    EXPECT_EQ(GraphOf(curved)->curves.size(), 4u);

    Restore(empty);
    Restore(curved);
    OpenGraphical();
    EXPECT_EQ(MainView()->TrackedFrames(), 120);
    ASSERT_NE(MainView()->Curves(), nullptr);
    const int curves = BlackInMainView();
    Restore(empty);
    EXPECT_EQ(MainView()->TrackedFrames(), 0);
    EXPECT_EQ(MainView()->Curves(), nullptr);
    const int plain = BlackInMainView();
    Restore(tracked);
    EXPECT_EQ(MainView()->TrackedFrames(), 120);
    const int track = BlackInMainView();
    // The line alone runs across fifty frames of the view's width.
    EXPECT_GT(curves, track + 50) << plain << " " << track;
    Restore(curved);
    EXPECT_EQ(BlackInMainView(), curves) << "the same picture as when opened after the restore";
}

TEST(Lv2UiRefusals, NoParentWindowGivesNoWindow)
{
    const LV2_Feature* none[] = {nullptr};
    LV2UI_Widget widget = nullptr;
    auto write = [](LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {};
    EXPECT_EQ(CIntonaraLv2Ui::Create(write, nullptr, &widget, none), nullptr);
}

}  // namespace
