#pragma once

// What the control tests share: a recording parent window on a headless
// screen, controls created in it, and readers for the notifications the
// parent received.

#include "support/ui/UiTestSupport.h"

#include "platform/ui/Controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace controltest {

inline int Gray(COLORREF c)
{
    return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
}

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

    int Count(int id, int code) const
    {
        const auto commands = Commands();
        return static_cast<int>(std::count(commands.begin(), commands.end(), std::make_pair(id, code)));
    }

    // Where the ink darker than `below` lies among the pixels of `area`,
    // how many pixels it covers, and the darkest grey there.
    struct CInk {
        int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0, darkest = 255;
    };
    CInk InkIn(HWND hwnd, RECT area, int below = 96)
    {
        CInk ink;
        for (int x = area.left; x < area.right; ++x) {
            for (int y = area.top; y < area.bottom; ++y) {
                const int gray = Gray(m_ui.Pixel(hwnd, x, y));
                ink.darkest = std::min(ink.darkest, gray);
                if (gray < below) {
                    ink.left = std::min(ink.left, x);
                    ink.right = x;
                    ink.top = std::min(ink.top, y);
                    ink.bottom = std::max(ink.bottom, y);
                    ++ink.count;
                }
            }
        }
        return ink;
    }

    // An edit field's selection (start, end).
    static std::pair<int, int> Sel(HWND edit)
    {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
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

}  // namespace controltest
