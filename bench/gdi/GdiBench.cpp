// Drawing speed: one rubber-band step of the graph editor, a full repaint of
// a dialog-sized window of controls and text, the stencil-and-picture blit
// pair of a slider thumb, and text layout.

#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using platform::gdi::Surface;

constexpr int kWidth = 650;
constexpr int kHeight = 400;

HFONT Arial(int height)
{
    return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      PROOF_QUALITY, VARIABLE_PITCH, "Arial");
}

// Erasing the last rubber band and drawing the next, each through a fresh
// window context as a drag step does.
void RubberBandStep(benchmark::State& state)
{
    Surface window(kWidth, kHeight);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    const POINT anchor{150, 200};
    int step = 0;
    POINT last{anchor.x + 300, 100};
    {
        HDC dc = platform::gdi::CreateSurfaceDC(window, POINT{0, 0}, {RECT{0, 0, kWidth, kHeight}});
        const RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectObject(dc, white);
        SetROP2(dc, R2_XORPEN);
        MoveToEx(dc, anchor.x, anchor.y, nullptr);
        LineTo(dc, last.x, last.y);
        platform::gdi::ReleaseSurfaceDC(dc);
    }
    for (auto _ : state) {
        HDC dc = platform::gdi::CreateSurfaceDC(window, POINT{0, 0}, {RECT{0, 0, kWidth, kHeight}});
        HGDIOBJ old = SelectObject(dc, white);
        SetROP2(dc, R2_XORPEN);
        MoveToEx(dc, anchor.x, anchor.y, nullptr);
        LineTo(dc, last.x, last.y);
        // The mouse moved: a 300-pixel band to the new point.
        step = (step + 1) % 200;
        last = POINT{anchor.x + 300, 100 + step};
        MoveToEx(dc, anchor.x, anchor.y, nullptr);
        LineTo(dc, last.x, last.y);
        SelectObject(dc, old);
        platform::gdi::ReleaseSurfaceDC(dc);
    }
    benchmark::DoNotOptimize(window.Pixel(anchor.x, anchor.y));
    DeleteObject(white);
}
BENCHMARK(RubberBandStep);

// A window of controls like the control panel: a button-face background,
// group frames, push buttons, sunken number fields, labels, eight slider
// pictures and a white graph with ruler lines and labels: about forty
// strings in Arial 8 and Arial 14.
class Panel {
public:
    Panel()
    {
        m_hSmall = Arial(-11);
        m_hLarge = Arial(14);
        m_hMem = CreateCompatibleDC(nullptr);
        m_hSlider = CreateCompatibleBitmap(m_hMem, 66, 165);
        m_hOld = SelectObject(m_hMem, m_hSlider);
        const RECT all{0, 0, 66, 165};
        FillRect(m_hMem, &all, GetSysColorBrush(COLOR_BTNFACE));
        RECT track{15, 5, 30, 160};
        DrawEdge(m_hMem, &track, EDGE_SUNKEN, BF_RECT);
        m_hGrid = CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
    }
    ~Panel()
    {
        SelectObject(m_hMem, m_hOld);
        DeleteDC(m_hMem);
        DeleteObject(m_hSlider);
        DeleteObject(m_hSmall);
        DeleteObject(m_hLarge);
        DeleteObject(m_hGrid);
    }

    void Paint(HDC dc)
    {
        const RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ oldFont = SelectObject(dc, m_hSmall);
        const char* groups[] = {"Mode:", "Playback:", "Vibrato:", "Change"};
        for (int i = 0; i < 4; ++i) {
            RECT frame{385 + (i % 2) * 130, 10 + (i / 2) * 90, 505 + (i % 2) * 130, 90 + (i / 2) * 90};
            DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            TextOut(dc, frame.left + 8, frame.top - 6, groups[i], static_cast<int>(std::strlen(groups[i])));
            SetBkMode(dc, TRANSPARENT);
        }
        const char* buttons[] = {"undo", "cut", "copy", "paste", "select all", "make curve", "make auto",
                                 "&Track Pitch", "&Correct Pitch", "&Edit Scale", "&Bypass", "All"};
        for (int i = 0; i < 12; ++i) {
            RECT b{413 + (i / 7) * 110, 190 + (i % 7) * 21, 476 + (i / 7) * 110, 209 + (i % 7) * 21};
            DrawEdge(dc, &b, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
            DrawText(dc, buttons[i], -1, &b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        char number[16];
        for (int i = 0; i < 8; ++i) {
            RECT field{20 + i * 45, 174, 57 + i * 45, 189};
            DrawEdge(dc, &field, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            FillRect(dc, &field, GetSysColorBrush(COLOR_WINDOW));
            std::snprintf(number, sizeof number, "%d", i * 37 - 100);
            DrawText(dc, number, -1, &field, DT_RIGHT | DT_SINGLELINE);
        }
        const char* labels[] = {"Scale:", "Key:", "Scale Detune", "Retune", "Tracking", "fast", "slow", "choosy",
                                "relaxed", "Depth", "Rate", "Delay", "(Cents)", "Buffers:"};
        for (int i = 0; i < 14; ++i) {
            RECT l{20 + (i % 7) * 50, 130 + (i / 7) * 20, 68 + (i % 7) * 50, 147 + (i / 7) * 20};
            DrawText(dc, labels[i], -1, &l, DT_LEFT | DT_SINGLELINE);
        }
        for (int i = 0; i < 8; ++i) {
            BitBlt(dc, 5 + i * 45, 200, 66, 165, m_hMem, 0, 0, SRCCOPY);
        }
        // The graph: white with a black border, ruler lines and labels.
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, 5, 10, 380, 120);
        HGDIOBJ oldPen = SelectObject(dc, m_hGrid);
        SelectObject(dc, m_hLarge);
        SetTextColor(dc, RGB(0, 0, 255));
        char time[16];
        for (int i = 0; i < 6; ++i) {
            const int x = 20 + i * 60;
            MoveToEx(dc, x, 11, nullptr);
            LineTo(dc, x, 119);
            std::snprintf(time, sizeof time, "%d:%02d", i, i * 4);
            TextOut(dc, x - 10, 103, time, static_cast<int>(std::strlen(time)));
        }
        SetTextColor(dc, RGB(0, 0, 0));
        TextOut(dc, 50, 14, "Equal Tempered Major  C  Detune: 0", 34);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldFont);
    }

private:
    HFONT m_hSmall, m_hLarge;
    HDC m_hMem;
    HBITMAP m_hSlider;
    HGDIOBJ m_hOld;
    HPEN m_hGrid;
};

void DialogRepaint(benchmark::State& state)
{
    Surface window(kWidth, kHeight);
    Panel panel;
    for (auto _ : state) {
        HDC dc = platform::gdi::CreateSurfaceDC(window, POINT{0, 0}, {RECT{0, 0, kWidth, kHeight}});
        panel.Paint(dc);
        platform::gdi::ReleaseSurfaceDC(dc);
    }
    benchmark::DoNotOptimize(window.Pixel(10, 10));
    if (const char* path = std::getenv("INTONARA_BENCH_PNG")) {
        platform::gdi::SavePng(window, path);
    }
}
BENCHMARK(DialogRepaint)->Unit(benchmark::kMicrosecond);

// A slider thumb drawn over its track: the stencil by AND, then the picture
// by OR, 66 x 165 each.
void StencilBlitPair(benchmark::State& state)
{
    Surface window(kWidth, kHeight);
    HDC stencil = CreateCompatibleDC(nullptr);
    HDC picture = CreateCompatibleDC(nullptr);
    HBITMAP s = CreateCompatibleBitmap(stencil, 66, 165);
    HBITMAP p = CreateCompatibleBitmap(picture, 66, 165);
    HGDIOBJ oldS = SelectObject(stencil, s);
    HGDIOBJ oldP = SelectObject(picture, p);
    const RECT thumb{17, 60, 47, 80};
    const RECT all{0, 0, 66, 165};
    FillRect(stencil, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(stencil, &thumb, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(picture, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    HDC dc = platform::gdi::CreateSurfaceDC(window, POINT{0, 0}, {RECT{0, 0, kWidth, kHeight}});
    for (auto _ : state) {
        BitBlt(dc, 100, 100, 66, 165, stencil, 0, 0, SRCAND);
        BitBlt(dc, 100, 100, 66, 165, picture, 0, 0, SRCPAINT);
    }
    platform::gdi::ReleaseSurfaceDC(dc);
    SelectObject(stencil, oldS);
    SelectObject(picture, oldP);
    DeleteDC(stencil);
    DeleteDC(picture);
    DeleteObject(s);
    DeleteObject(p);
}
BENCHMARK(StencilBlitPair);

// Measuring a wrapped paragraph and a single line, as dialogs lay out their
// labels.
void TextLayout(benchmark::State& state)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = Arial(-11);
    HGDIOBJ old = SelectObject(dc, font);
    const char* text = "Hold the <Ctrl> key while dragging the Scale Detune slider for fine tuning.";
    for (auto _ : state) {
        RECT r{0, 0, 220, 0};
        benchmark::DoNotOptimize(DrawText(dc, text, -1, &r, DT_WORDBREAK | DT_CALCRECT));
        SIZE size{};
        GetTextExtentPoint32(dc, "Intonara - Graphical Mode", 25, &size);
        benchmark::DoNotOptimize(size);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}
BENCHMARK(TextLayout);

} // namespace

BENCHMARK_MAIN();
