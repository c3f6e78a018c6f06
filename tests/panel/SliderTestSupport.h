#pragma once

// A fader on the headless display with an owner window, the value field it
// writes into, and every callback it makes.

#include "support/ui/UiTestSupport.h"

#include "panel/SliderControl.h"
#include "StartShell.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace slidertest {

struct Change {
    int index;
    int value;
    int dragging;
};

inline void Record(void* context, int index, int value, int dragging)
{
    static_cast<std::vector<Change>*>(context)->push_back({index, value, dragging});
}

inline constexpr int kValueField = 1029;
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);

class SliderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { paneltest::StartShellOnce(); }

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
        m_slider->SetCallback(&m_changes, &Record);
        EXPECT_TRUE(m_slider->Create(WS_VISIBLE, CRect(53, 197, 98, 327), &m_owner, 3000 + index));
        m_slider->SetRange(firstEnd, secondEnd);
        m_slider->SetValue(value);
        m_slider->UpdateValueField();
        if (!fine) {
            m_slider->SetFineMode(FALSE);
        }
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
    std::string FieldText() const
    {
        char text[32] = {};
        GetWindowTextA(m_field, text, sizeof text);
        return text;
    }
    COLORREF Pixel(int x, int y) { return m_ui.Pixel(Slider(), x, y); }
    POINT Screen(int x, int y) const { return uitest::CUi::ScreenPoint(Slider(), x, y); }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    CWnd m_owner;
    HWND m_field = nullptr;
    std::unique_ptr<CSliderControl> m_slider;
    std::vector<Change> m_changes;
};

}  // namespace slidertest
