#pragma once

// What the control tests share: a recording parent window on a headless
// screen, controls created in it, and readers for the notifications the
// parent received.

#include "support/ui/UiTestSupport.h"

#include "platform/ui/Controls.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace controltest {

class CControlFixture : public ::testing::Test {
protected:
    void SetUp() override { m_hParent = m_recorder.Create(40, 40, 420, 320); }

    HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
              DWORD exStyle = 0)
    {
        HWND hwnd = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_hParent,
                                    ControlId(id), nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr) << cls;
        return hwnd;
    }

    // (control ID, notification code) of every WM_COMMAND the parent got.
    std::vector<std::pair<int, int>> Commands() const
    {
        std::vector<std::pair<int, int>> out;
        for (const uitest::Message& m : m_recorder.Of(m_hParent, {WM_COMMAND})) {
            out.emplace_back(LOWORD(m.wParam), HIWORD(m.wParam));
        }
        return out;
    }
    // The scroll requests (code, position) of WM_HSCROLL or WM_VSCROLL
    // that came from `bar`.
    std::vector<std::pair<int, int>> Scrolls(UINT message, HWND bar) const
    {
        std::vector<std::pair<int, int>> out;
        for (const uitest::Message& m : m_recorder.Of(m_hParent, {message})) {
            if (reinterpret_cast<HWND>(m.lParam) == bar) {
                out.emplace_back(LOWORD(m.wParam), static_cast<short>(HIWORD(m.wParam)));
            }
        }
        return out;
    }

    static std::string TextOf(HWND hwnd)
    {
        char buffer[256] = {};
        GetWindowTextA(hwnd, buffer, sizeof buffer);
        return buffer;
    }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    HWND m_hParent = nullptr;
};

inline int Gray(COLORREF c)
{
    return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
}

}  // namespace controltest
