// The plug-in's window as an LV2 host drives it, on Xvfb: made inside the
// host's X window, run by idle calls, its settings written to the control
// ports, the host's port values shown on the panel; with the playing
// instance (instance-access) and without it.

#include "Lv2Plugin.h"
#include "Lv2Ui.h"

#include "engine/TrackRecord.h"
#include "graph/MainGraphView.h"
#include "host/IntonaraPropertyPage.h"
#include "job/GraphCommands.h"
#include "panel/IntonaraDialog.h"
#include "host/Persist.h"
#include "settings/ParameterIds.h"
#include "support/ui/XServer.h"

#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros would replace.
#include "support/ui/XHostWindow.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using uitest::CHostWindow;
using uitest::PumpUntil;

// Button-face grey, what the panel paints its background with.
constexpr unsigned long kButtonFace = 0xC0C0C0;
constexpr char kGraphKey[] = "urn:uuid:3c0e8d51-7a2f-4b69-9e14-d2a6b8f0c753";

// A saved state: each property's bytes, by key.
using CState = std::map<uint32_t, std::vector<uint8_t>>;

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

        m_urid.handle = &m_uris;
        m_urid.map = [](LV2_URID_Map_Handle handle, const char* uri) {
            auto* uris = static_cast<std::map<std::string, LV2_URID>*>(handle);
            return uris->emplace(uri, static_cast<LV2_URID>(uris->size() + 1)).first->second;
        };
        const LV2_Feature map{LV2_URID__map, &m_urid};
        const LV2_Feature* features[] = {&map, nullptr};
        m_pPlugin.reset(CIntonaraLv2::Create(48000.0, features));
        ASSERT_NE(m_pPlugin, nullptr);
        m_ports.fill(0.0f);
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
    void TearDown() override
    {
        m_pUi.reset();
        m_pPlugin.reset();
        m_pHost.reset();
        m_pServer.reset();
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
        std::vector<const LV2_Feature*> features = {&parent, &resize};
        if (instanceAccess) {
            features.push_back(&instance);
        }
        features.push_back(nullptr);
        LV2UI_Widget widget = nullptr;
        m_pUi.reset(CIntonaraLv2Ui::Create(
            [](LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
                ASSERT_EQ(size, sizeof(float));
                ASSERT_EQ(protocol, 0u);
                static_cast<Lv2Ui*>(const_cast<void*>(controller))->m_writes.emplace_back(
                    port, *static_cast<const float*>(buffer));
            },
            this, &widget, features.data()));
        ASSERT_NE(m_pUi, nullptr);
        m_widget = reinterpret_cast<Window>(widget);
        Idle(100);
    }

    // The host's idle calls, about thirty a second, for `ms` of real time.
    void Idle(int ms)
    {
        PumpUntil(ms, [&] {
            EXPECT_EQ(m_pUi->Idle(), 0);
            return false;
        });
    }

    // The value the ports last got for `port` from the window, NaN if none.
    float Written(uint32_t port) const
    {
        float value = std::numeric_limits<float>::quiet_NaN();
        for (const auto& [p, v] : m_writes) {
            if (p == port) {
                value = v;
            }
        }
        return value;
    }

    // A click inside the panel through X, at its client point.
    void Click(int x, int y)
    {
        const std::string command = "xdotool mousemove " + std::to_string(20 + x) + " " + std::to_string(30 + y) +
                                    " click 1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // The plug-in's state as a host saves it, and restored.
    CState Save()
    {
        const LV2_Feature map{LV2_URID__map, &m_urid};
        const LV2_Feature* features[] = {&map, nullptr};
        CState state;
        const LV2_State_Status status = m_pPlugin->Save(
            [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t, uint32_t) {
                const auto* p = static_cast<const uint8_t*>(value);
                (*static_cast<CState*>(h))[key].assign(p, p + size);
                return LV2_STATE_SUCCESS;
            },
            &state, features);
        EXPECT_EQ(status, LV2_STATE_SUCCESS);
        return state;
    }
    void Restore(const CState& state)
    {
        const LV2_Feature map{LV2_URID__map, &m_urid};
        const LV2_Feature* features[] = {&map, nullptr};
        const uint32_t chunk = m_urid.map(m_urid.handle, LV2_ATOM__Chunk);
        struct Source {
            const CState* state;
            uint32_t chunk;
        } source{&state, chunk};
        ASSERT_EQ(m_pPlugin->Restore(
                      [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
                          const auto* s = static_cast<const Source*>(h);
                          auto it = s->state->find(key);
                          if (it == s->state->end()) {
                              return nullptr;
                          }
                          *size = it->second.size();
                          *type = s->chunk;
                          *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                          return it->second.data();
                      },
                      &source, features),
                  LV2_STATE_SUCCESS);
    }
    std::vector<uint8_t> SavedGraph()
    {
        CState state = Save();
        return state[m_urid.map(m_urid.handle, kGraphKey)];
    }
    // What the tool's `graph info` says of a saved graph.
    static job::GraphInfo Describe(const std::vector<uint8_t>& bytes)
    {
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("intonara-lv2-ui-graph-" + std::to_string(getpid()) + ".isn")).string();
        {
            std::ofstream file(path, std::ios::binary);
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        job::GraphInfo info = job::DescribeSession(path);
        std::filesystem::remove(path);
        return info;
    }
    CMainGraphView* MainView() const
    {
        return dynamic_cast<CMainGraphView*>(m_pUi->Panel()->GetMainGraphView());
    }
    // What a tracking pass over 120 frames leaves in the playing
    // processor's buffer: voiced at 700 cents and up but for every fourth
    // ten frames, three voiced stretches.
    void TrackPassage()
    {
        CMainGraphView* main = MainView();
        ASSERT_NE(main, nullptr);
        TrackRecord* r = main->TrackBuffer();
        ASSERT_NE(r, nullptr);
        for (int i = 0; i < 120; ++i) {
            const int32_t cents = i % 40 < 30 ? 700 + i : kUnvoicedMark;
            r[i] = TrackRecord{-0.3f, 0.3f, std::bit_cast<float>(cents), std::bit_cast<float>(cents), 0.0f};
        }
        main->SetTrackedFrames(120);
        main->IdleUpdate();
    }
    // Black pixels in the main view's picture on the X server: its labels,
    // and the curves XORed over the white plot.
    int BlackInMainView() const
    {
        const RECT& at = panel::kMainViewRect;
        return m_pHost->CountOf(m_widget, at.left + 1, at.top + 1, at.right - 16, at.bottom - 16, 0x000000);
    }

    std::unique_ptr<uitest::CXvfb> m_pServer;
    std::unique_ptr<CHostWindow> m_pHost;
    std::map<std::string, LV2_URID> m_uris;
    LV2_URID_Map m_urid{};
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
    // Painted: the panel's grey, not the host's blue nor black.
    EXPECT_TRUE(PumpUntil(3000, [&] {
        m_pUi->Idle();
        return m_pHost->PixelOf(m_widget, 5, 5) == kButtonFace;
    })) << std::hex << m_pHost->PixelOf(m_widget, 5, 5);
}

// The host moves a port: the panel shows it as a host change, on the
// fader and in the store, and writes nothing back.
TEST_F(Lv2Ui, APortValueFromTheHostMovesThePanelsFader)
{
    Open(true);
    m_writes.clear();
    const float detune = 40.0f;  // cents
    m_pUi->PortEvent(PORT_DETUNE, sizeof detune, 0, &detune);
    const float key = 7.0f;  // G
    m_pUi->PortEvent(PORT_KEY, sizeof key, 0, &key);
    Idle(100);
    CIntonaraDialog* panel = m_pUi->Panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetSlider(0)->GetValue(), 40);  // shown as cents, stored + 100
    EXPECT_EQ(m_pPlugin->CurrentSettings()[SETTING_DETUNE], 140);
    EXPECT_EQ(SendDlgItemMessageA(m_pUi->PanelWindow(), 1024, CB_GETCURSEL, 0, 0), 7);
    EXPECT_TRUE(m_writes.empty()) << "the window echoed the host's own value";
    // Out of range: the store's clamp, as any host change.
    const float far = 500.0f;
    m_pUi->PortEvent(PORT_DETUNE, sizeof far, 0, &far);
    Idle(60);
    EXPECT_EQ(panel->GetSlider(0)->GetValue(), 100);
    // Formats other than a float are not for control ports.
    const double other = -30.0;
    m_pUi->PortEvent(PORT_DETUNE, sizeof other, 0, &other);
    Idle(60);
    EXPECT_EQ(panel->GetSlider(0)->GetValue(), 100);
}

// The panel's own changes reach the ports, in the ports' units.
TEST_F(Lv2Ui, APanelChangeIsWrittenToItsControlPort)
{
    Open(true);
    m_writes.clear();
    // A click on the key list opens it; a click on "D" (third row, 13
    // pixels a row below the list's top at y 139) chooses it.
    ASSERT_EQ(std::system("xdotool mousemove 170 158 click 1"), 0);
    Idle(400);
    ASSERT_EQ(std::system("xdotool mousemove 110 201 click 1"), 0);
    Idle(400);
    EXPECT_EQ(Written(PORT_KEY), 2.0f);
    EXPECT_EQ(m_pPlugin->CurrentSettings()[SETTING_KEY], 2);
    // A change made on the panel's store (as a fader drag makes it) is
    // written once, as the port shows it: Retune in milliseconds.
    m_writes.clear();
    m_pUi->Panel()->OnSliderChanged(1, 400);
    Idle(100);
    ASSERT_EQ(m_writes.size(), 1u);
    EXPECT_EQ(m_writes[0].first, static_cast<uint32_t>(PORT_RETUNE));
    EXPECT_FLOAT_EQ(m_writes[0].second, 400.0f);
    // Bypass is the host's "enabled" port, the other way round.
    m_writes.clear();
    m_pUi->Panel()->OnBypass(TRUE);
    Idle(100);
    EXPECT_EQ(Written(PORT_ENABLED), 0.0f);
}

// Without the playing instance the ports carry automatic mode; graphical
// mode says why it has no graph.
TEST_F(Lv2Ui, WithoutInstanceAccessGraphicalModeExplainsItself)
{
    Open(false);
    const float scale = 5.0f;
    m_pUi->PortEvent(PORT_SCALE, sizeof scale, 0, &scale);
    Idle(60);
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
}

// With the playing instance graphical mode shows its graph area.
TEST_F(Lv2Ui, WithInstanceAccessGraphicalModeShowsTheGraphArea)
{
    Open(true);
    m_pUi->Panel()->SwitchToGraphical(true);
    Idle(100);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_pUi->PanelWindow(), panel::kHorzBarId)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_pUi->PanelWindow(), panel::kVertBarId)));
    EXPECT_EQ(GetDlgItem(m_pUi->PanelWindow(), CIntonaraLv2Ui::kNoGraphId), nullptr);
}

// A curve made in the panel is what the plug-in's state keeps: the views
// work on the playing processor's own track buffer.
TEST_F(Lv2Ui, ACurveMadeInThePanelIsInTheSavedState)
{
    Open(true);
    m_pUi->Panel()->SwitchToGraphical(true);
    Idle(100);
    // Nothing tracked, nothing drawn: the state has no graph.
    EXPECT_TRUE(SavedGraph().empty());
    TrackPassage();
    Idle(60);
    std::vector<uint8_t> graph = SavedGraph();
    ASSERT_FALSE(graph.empty());
    job::GraphInfo info = Describe(graph);
    EXPECT_EQ(info.nTrackedFrames, 120);
    EXPECT_EQ(info.curves.size(), 0u);
    // "make curve" through the graph commands: one curve for each voiced
    // stretch.
    ASSERT_TRUE(m_pUi->Panel()->RunGraphCommand(5));
    Idle(60);
    info = Describe(SavedGraph());
    EXPECT_EQ(info.nTrackedFrames, 120);
    EXPECT_EQ(info.curves.size(), 3u);
    // A line drawn just before the window closes is kept as well.
    const int times[] = {10, 60};
    const int pitches[] = {650, 800};
    MainView()->MakeLineCurveAt(times, pitches, 2);
    m_pUi.reset();
    EXPECT_EQ(Describe(SavedGraph()).curves.size(), 4u);
}

// A restored state's curves show in the panel's main view, whether the
// window is open at the restore or opens after it; a state without a graph
// takes them off.
TEST_F(Lv2Ui, ARestoredStateShowsItsCurvesInTheMainView)
{
    Open(true);
    m_pUi->Panel()->SwitchToGraphical(true);
    Idle(100);
    const CState empty = Save();
    TrackPassage();
    Idle(60);
    const CState tracked = Save();
    ASSERT_TRUE(m_pUi->Panel()->RunGraphCommand(5));
    const int times[] = {10, 60};
    const int pitches[] = {650, 800};
    MainView()->MakeLineCurveAt(times, pitches, 2);
    Idle(60);
    const CState curved = Save();

    Restore(empty);
    Idle(100);
    EXPECT_EQ(MainView()->TrackedFrames(), 0);
    EXPECT_EQ(MainView()->Curves(), nullptr);
    const int plain = BlackInMainView();
    Restore(tracked);
    Idle(100);
    EXPECT_EQ(MainView()->TrackedFrames(), 120);
    const int track = BlackInMainView();
    Restore(curved);
    Idle(100);
    const int curves = BlackInMainView();
    ASSERT_NE(MainView()->Curves(), nullptr);
    // The line alone runs across fifty frames of the view's width.
    EXPECT_GT(curves, track + 50) << plain << " " << track;

    // Opened after the restore, the window shows the same picture.
    m_pUi.reset();
    Restore(empty);
    Restore(curved);
    Open(true);
    m_pUi->Panel()->SwitchToGraphical(true);
    Idle(100);
    EXPECT_EQ(MainView()->TrackedFrames(), 120);
    EXPECT_EQ(BlackInMainView(), curves);
}

TEST(Lv2UiRefusals, NoParentWindowGivesNoWindow)
{
    const LV2_Feature* none[] = {nullptr};
    LV2UI_Widget widget = nullptr;
    auto write = [](LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {};
    EXPECT_EQ(CIntonaraLv2Ui::Create(write, nullptr, &widget, none), nullptr);
}

}  // namespace
