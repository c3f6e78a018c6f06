#pragma once

// The control panel and its faders on the headless display: the shell's
// fonts and bitmaps made once as the module's start-up makes them, a fader
// with an owner window and the value field it writes into, and the panel
// over a real processing controller whose engine flags are recorded, inside
// a captioned frame window the way a host shows it.

#include "support/MessageBoxRecorder.h"
#include "support/ui/UiTestSupport.h"

#include "modes/DspObject.h"
#include "panel/IntonaraDialog.h"
#include "panel/SliderControl.h"
#include "shell/IntonaraApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace paneltest {

inline void StartShellOnce()
{
    static const bool started = theApp.InitInstance() || true;
    (void)started;
}

inline std::string WindowText(HWND hwnd)
{
    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// Once the pop-up menu is up, notes where it is and clicks item `item` of
// `items`.
inline void ChooseFromMenuWhenIdle(uitest::CUi& ui, int item = 0, int items = 1, RECT* placed = nullptr)
{
    ui.WhenIdle([&ui, item, items, placed] {
        HWND menu = FindWindowA("#32768", nullptr);
        ASSERT_NE(menu, nullptr);
        if (placed != nullptr)
            GetWindowRect(menu, placed);
        RECT rc{};
        GetClientRect(menu, &rc);
        ui.Click(menu, rc.right / 2, rc.bottom * (2 * item + 1) / (2 * items));
    });
}

// A press exactly at a fader thumb's top-left needs no pointer correction.
inline constexpr int kThumbX = 17;
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kRed = RGB(255, 0, 0);

struct Change {
    int index, value, dragging;
};

class SliderTest : public ::testing::Test {
protected:
    static constexpr int kValueField = 1029;
    static void SetUpTestSuite() { StartShellOnce(); }
    void SetUp() override
    {
        HWND owner = m_recorder.Create(40, 30, 300, 400);
        m_owner.Attach(owner);
        m_field = m_recorder.Create(10, 10, 40, 15, owner, kValueField);
    }
    void TearDown() override
    {
        m_slider.reset();
        m_owner.Detach();
    }

    // A fader like the panel's slider `index` with the given ends and value,
    // 45 x 130 pixels.
    CSliderControl& Make(int index, int firstEnd, int secondEnd, int value, bool fine = false)
    {
        m_slider = std::make_unique<CSliderControl>(&m_owner, 0, 100);
        m_slider->SetIndex(index);
        m_slider->SetValueField(kValueField);
        m_slider->SetCallback(&m_changes, [](void* context, int i, int v, int dragging) {
            static_cast<std::vector<Change>*>(context)->push_back({i, v, dragging});
        });
        EXPECT_TRUE(m_slider->Create(WS_VISIBLE, CRect(53, 197, 98, 327), &m_owner, 3000 + index));
        m_slider->SetRange(firstEnd, secondEnd);
        m_slider->SetValue(value);
        m_slider->UpdateValueField();
        if (!fine)
            m_slider->SetFineMode(FALSE);
        m_ui.Pump();
        return *m_slider;
    }

    HWND Slider() const { return m_slider->m_hWnd; }
    // The button goes up where the pointer is, without a move first.
    void Release(int x, int y)
    {
        m_ui.Display().ButtonUp(Screen(x, y));
        m_ui.Pump();
    }
    std::string FieldText() const { return WindowText(m_field); }
    COLORREF Pixel(int x, int y) { return m_ui.Pixel(Slider(), x, y); }
    POINT Screen(int x, int y) const { return uitest::CUi::ScreenPoint(Slider(), x, y); }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    CWnd m_owner;
    HWND m_field = nullptr;
    std::unique_ptr<CSliderControl> m_slider;
    std::vector<Change> m_changes;
};

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
    static void SetUpTestSuite() { StartShellOnce(); }

    // A frame with a caption and the panel (template 102) inside it, given
    // the room a host gives the page: every control of either mode.
    void SetUp() override
    {
        m_frame = CreateWindowExA(0, "UiTestRecorder", "Host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0,
                                  kPanelWidth + 8, kPanelHeight + 30, nullptr, nullptr, nullptr, nullptr);
        m_panel = std::make_unique<CIntonaraDialog>(&m_dsp);
        ASSERT_TRUE(m_panel->Create(102, CWnd::FromHandle(m_frame)));
        m_panel->MoveWindow(0, 0, kPanelWidth, kPanelHeight);
        m_panel->ShowWindow(SW_SHOW);
        m_ui.Pump();
    }
    void TearDown() override
    {
        if (m_panel != nullptr)
            m_panel->DestroyWindow();
        m_panel.reset();
        DestroyWindow(m_frame);
    }

    HWND Panel() const { return m_panel->m_hWnd; }
    HWND Item(int id) const { return GetDlgItem(Panel(), id); }
    std::string Text(int id) const { return WindowText(Item(id)); }
    LRESULT Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0); }
    HWND SliderWnd(int index) const { return m_panel->GetSlider(index)->m_hWnd; }
    void ClickItem(int id)
    {
        RECT rc{};
        GetClientRect(Item(id), &rc);
        m_ui.Click(Item(id), rc.right / 2, rc.bottom / 2);
    }
    // Drags fader `index` from its thumb to height `y`.
    void DragFader(int index, int y)
    {
        m_ui.Drag(SliderWnd(index), {kThumbX, m_panel->GetSlider(index)->GetThumbY()}, {kThumbX, y});
    }
    // Picks item `index` of a drop list by the keyboard: focus it and move
    // down from the top.
    void Choose(int listId, int index)
    {
        SetFocus(Item(listId));
        m_ui.Key(VK_HOME);
        for (int i = 0; i < index; ++i)
            m_ui.Key(VK_DOWN);
    }
    bool Shown(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    // Where a window is in the panel: left, top, right, bottom.
    std::vector<LONG> Place(HWND hwnd) const
    {
        RECT rc{};
        GetWindowRect(hwnd, &rc);
        MapWindowPoints(nullptr, Panel(), reinterpret_cast<POINT*>(&rc), 2);
        return {rc.left, rc.top, rc.right, rc.bottom};
    }
    std::vector<LONG> Place(int id) const { return Place(Item(id)); }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    CRecordingDsp m_dsp;
    HWND m_frame = nullptr;
    std::unique_ptr<CIntonaraDialog> m_panel;
};

}  // namespace paneltest
