// The plug-in's window as an LV2 host drives it, on Xvfb: made inside the
// host's X window, run by idle calls, its settings written to the control
// ports, the host's port values shown on the panel; with the playing
// instance (instance-access) and without it.

#include "Lv2Plugin.h"
#include "Lv2Ui.h"

#include "host/IntonaraPropertyPage.h"
#include "panel/IntonaraDialog.h"
#include "settings/ParameterIds.h"
#include "support/ui/XServer.h"

#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros would replace.
#include "support/ui/XHostWindow.h"

#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using uitest::CHostWindow;
using uitest::PumpUntil;

// Button-face grey, what the panel paints its background with.
constexpr unsigned long kButtonFace = 0xC0C0C0;

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
        m_ports[PORT_ENABLED] = 1.0f;
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

}  // namespace
