#pragma once

// The control panel on the headless display, over a real processing
// controller whose engine flags are recorded, inside a captioned frame
// window the way a host shows it.

#include "support/MessageBoxRecorder.h"
#include "support/ui/UiTestSupport.h"

#include "modes/DspObject.h"
#include "panel/IntonaraDialog.h"
#include "StartShell.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace paneltest {

// The controller with every engine flag it sends kept in order.
class CRecordingDsp : public CDspObject {
public:
    CRecordingDsp() { Initialise(); }
    void SetEngineFlag(int bit, int on) override
    {
        m_flags.emplace_back(bit, on);
        CDspObject::SetEngineFlag(bit, on);
    }
    IIntonaraDialog* AttachedDialog() const { return Dialog(); }
    int Get(int id)
    {
        int value = -12345;
        GetParameter(id, &value);
        return value;
    }
    std::vector<std::pair<int, int>> m_flags;
};

inline constexpr int kPanelWidth = 652;
inline constexpr int kPanelHeight = 400;

class PanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { paneltest::StartShellOnce(); }

    void SetUp() override { Open(); }
    void TearDown() override { Close(); }

    // A frame with a caption and the panel (template 102) inside it.
    void Open(int dpi = 96)
    {
        m_frame = CreateWindowExA(0, "UiTestRecorder", "Host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0,
                                  kPanelWidth + 8, kPanelHeight + 30, nullptr, nullptr, nullptr, nullptr);
        (void)dpi;
        m_panel = std::make_unique<CIntonaraDialog>(&m_dsp);
        ASSERT_TRUE(m_panel->Create(102, CWnd::FromHandle(m_frame)));
        // The room a host gives the page: every control of either mode.
        m_panel->MoveWindow(0, 0, kPanelWidth, kPanelHeight);
        m_panel->ShowWindow(SW_SHOW);
        m_ui.Pump();
    }
    void Close()
    {
        if (m_panel != nullptr) {
            m_panel->DestroyWindow();
            m_panel.reset();
        }
        if (m_frame != nullptr) {
            DestroyWindow(m_frame);
            m_frame = nullptr;
        }
    }

    HWND Panel() const { return m_panel->m_hWnd; }
    HWND Item(int id) const { return GetDlgItem(Panel(), id); }
    std::string Text(int id) const
    {
        char text[128] = {};
        GetWindowTextA(Item(id), text, sizeof text);
        return text;
    }
    HWND SliderWnd(int index) const { return m_panel->GetSlider(index)->m_hWnd; }
    // The centre of a control, in the panel's client coordinates.
    POINT Centre(int id) const
    {
        RECT rc{};
        GetWindowRect(Item(id), &rc);
        POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ScreenToClient(Panel(), &pt);
        return pt;
    }
    void ClickItem(int id)
    {
        RECT rc{};
        GetClientRect(Item(id), &rc);
        m_ui.Click(Item(id), rc.right / 2, rc.bottom / 2);
    }
    // Picks item `index` of a drop list by the keyboard: focus it and move
    // down from the top.
    void Choose(int listId, int index)
    {
        SetFocus(Item(listId));
        m_ui.Key(VK_HOME);
        for (int i = 0; i < index; ++i) {
            m_ui.Key(VK_DOWN);
        }
    }
    bool Shown(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    RECT Place(int id) const
    {
        RECT rc{};
        GetWindowRect(Item(id), &rc);
        MapWindowPoints(nullptr, Panel(), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    CRecordingDsp m_dsp;
    HWND m_frame = nullptr;
    std::unique_ptr<CIntonaraDialog> m_panel;
};

inline constexpr COLORREF kRed = RGB(255, 0, 0);

}  // namespace paneltest
