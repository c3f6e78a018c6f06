// The window system's two hot paths in the graph editor and control panel:
// repainting a panel-sized window full of controls through the real message
// path, and one step of an XOR rubber band drawn through GetDC.

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/WinUser.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// A control-like child: a 3-D frame and a centred caption, or a label.
LRESULT ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc{};
    GetClientRect(hwnd, &rc);
    char text[64];
    GetWindowTextA(hwnd, text, sizeof text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(GetWindowLongPtrA(hwnd, GWL_USERDATA)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if ((GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP) != 0) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
        DrawText(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        DrawText(dc, text, -1, &rc, DT_LEFT | DT_SINGLELINE);
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
}

class CPanel {
public:
    CPanel() : m_display(1024, 768, 96)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = "BenchPanel";
        RegisterClassA(&wc);
        wc.lpfnWndProc = ControlProc;
        wc.hbrBackground = nullptr;
        wc.lpszClassName = "BenchControl";
        RegisterClassA(&wc);
        m_font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, PROOF_QUALITY, VARIABLE_PITCH,
                            "Arial");
        m_hPanel = CreateWindowExA(0, "BenchPanel", "", WS_POPUP | WS_VISIBLE, 0, 0, 650, 400, nullptr, nullptr,
                                   nullptr, nullptr);
        static const char* kNames[] = {"Scale:", "Key:", "&Edit Scale", "&Bypass", "Scale Detune", "Retune",
                                       "Tracking", "fast", "slow", "choosy", "relaxed", "Vibrato:"};
        for (int i = 0; i < 30; ++i) {
            const bool button = i % 3 == 0;
            const int x = 10 + (i % 6) * 105;
            const int y = 10 + (i / 6) * 75;
            HWND child = CreateWindowExA(0, "BenchControl", kNames[i % 12],
                                         WS_CHILD | WS_VISIBLE | (button ? WS_TABSTOP : 0), x, y, 95,
                                         button ? 24 : 16, m_hPanel, ControlId(1000 + i), nullptr, nullptr);
            SetWindowLongPtrA(child, GWL_USERDATA, reinterpret_cast<LONG_PTR>(m_font));
        }
        m_hView = CreateWindowExA(0, "BenchPanel", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20 + 5 * 75 - 40,
                                  380, 30, m_hPanel, ControlId(2005), nullptr, nullptr);
        m_display.Pump();
    }
    ~CPanel()
    {
        DestroyWindow(m_hPanel);
        DeleteObject(m_font);
    }

    platform::display::CHeadlessDisplay m_display;
    HFONT m_font = nullptr;
    HWND m_hPanel = nullptr;
    HWND m_hView = nullptr;
};

void BM_RepaintPanelWithThirtyControls(benchmark::State& state)
{
    CPanel panel;
    for (auto _ : state) {
        InvalidateRect(panel.m_hPanel, nullptr, TRUE);
        UpdateWindow(panel.m_hPanel);
    }
    state.SetLabel("650 x 400, 30 children with text");
}
BENCHMARK(BM_RepaintPanelWithThirtyControls)->Unit(benchmark::kMillisecond);

void BM_XorRubberBandStepThroughGetDc(benchmark::State& state)
{
    CPanel panel;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    int end = 0;
    for (auto _ : state) {
        HDC dc = GetDC(panel.m_hView);
        HGDIOBJ old = SelectObject(dc, pen);
        SetROP2(dc, R2_XORPEN);
        MoveToEx(dc, 10, 5, nullptr);  // erase the band where it was
        LineTo(dc, 310, 5 + end % 20);
        ++end;
        MoveToEx(dc, 10, 5, nullptr);  // and draw it where the mouse is now
        LineTo(dc, 310, 5 + end % 20);
        SelectObject(dc, old);
        ReleaseDC(panel.m_hView, dc);
    }
    DeleteObject(pen);
    state.SetLabel("erase and redraw a 300-pixel line");
}
BENCHMARK(BM_XorRubberBandStepThroughGetDc)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
