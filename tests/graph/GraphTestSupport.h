#pragma once
// The graph views as the panel holds them, on the headless display, with a
// processing controller attached: a fixture, tracked passages written
// straight into the track buffer, and readers for curves and pixels.

#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <string>
#include <vector>

#include "graph/BlockTable.h"
#include "graph/GraphHost.h"
#include "graph/GraphIds.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"
#include "support/ui/UiTestSupport.h"

namespace graphtest {

// What a tracking pass leaves for one frame: its pitch in cents (the
// lowest and highest seen), or unvoiced.
struct Frame
{
    int nLow;
    int nHigh;
    float fMinSample = -0.25f;
    float fMaxSample = 0.25f;
};
inline constexpr int kUnvoiced = kUnvoicedMark;

inline Frame Voiced(int cents)
{
    return Frame{cents, cents};
}
inline Frame Silent()
{
    return Frame{kUnvoiced, kUnvoiced, 0.0f, 0.0f};
}

// A run of n frames at one pitch (or silent).
inline std::vector<Frame> Frames(int n, Frame f)
{
    return std::vector<Frame>(static_cast<size_t>(n), f);
}

inline std::vector<Frame> operator+(std::vector<Frame> a, const std::vector<Frame>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class GraphFixture : public ::testing::Test
{
protected:
    explicit GraphFixture(int width = 380, int height = 230) : m_nWidth(width), m_nHeight(height) {}

    void SetUp() override
    {
        dsp.Initialise();
        dsp.SetParameter(PARAM_MODE, 1);
        host = std::make_unique<CGraphHostWindow>(m_nWidth, m_nHeight, true);
        host->Attach(&dsp);
        ui.Pump();
    }

    void TearDown() override
    {
        host.reset();
        void* buffer = dsp.GetTrackBuffer();
        dsp.SetTrackBuffer(nullptr);
        g_Blocks.Free(buffer);
    }

    CMainGraphView& Main() { return host->Main(); }
    CEnvelopeGraphView& Envelope() { return host->Envelope(); }
    HWND MainWnd() { return Main().m_hWnd; }
    HWND Control(int id) { return host->Control(id); }
    bool Enabled(int id) { return ::IsWindowEnabled(Control(id)) != FALSE; }
    std::string Text(int id)
    {
        char text[256] = {};
        ::GetWindowTextA(Control(id), text, sizeof text);
        return text;
    }

    // Writes a tracked passage into the buffer as a finished tracking pass
    // leaves it, and shows it as the pass's end does.
    void Track(const std::vector<Frame>& frames)
    {
        auto* records = static_cast<TrackRecord*>(dsp.GetTrackBuffer());
        ASSERT_NE(records, nullptr);
        ASSERT_LE(static_cast<int>(frames.size()), Main().BufferFrames());
        for (size_t i = 0; i < frames.size(); ++i) {
            records[i].fMinSample = frames[i].fMinSample;
            records[i].fMaxSample = frames[i].fMaxSample;
            records[i].fMinPeriod = std::bit_cast<float>(static_cast<int32_t>(frames[i].nHigh));
            records[i].fMaxPeriod = std::bit_cast<float>(static_cast<int32_t>(frames[i].nLow));
        }
        Main().SetTrackedFrames(static_cast<int>(frames.size()));
        Main().FitPitchToTrack(true);
        Main().Redraw(nullptr, nullptr);
        Envelope().Redraw(nullptr, nullptr);
    }

    TrackRecord* Records() { return static_cast<TrackRecord*>(dsp.GetTrackBuffer()); }

    // The curves as (time, pitch, segment) triples.
    struct Node
    {
        int time;
        int pitch;
        int selected;
        int segment;
    };
    std::vector<Node> Nodes(const CurveNode* list)
    {
        std::vector<Node> out;
        for (int i = 0; i < NodeCount(list); ++i)
            out.push_back({list[i].time, list[i].pitch, list[i].selected, list[i].segment});
        return out;
    }
    std::vector<Node> Curves() { return Nodes(Main().Curves()); }

    // A line through screen points, as the line tool would leave it.
    void DrawLine(std::vector<POINT> points)
    {
        Main().SaveUndo();
        Main().MakeLineCurve(points.data(), static_cast<int>(points.size()));
        Main().UpdateTotalLength();
        Main().Redraw(nullptr, nullptr);
        Main().UpdateSelectionButtons();
    }

    COLORREF Pixel(int x, int y) { return ui.Pixel(MainWnd(), x, y); }

    // Input at client points of a view, queued without running anything:
    // a drag loop started by the first press then finds all of it waiting.
    void QueueMove(HWND hwnd, int x, int y) { ui.Display().MouseMove(uitest::CUi::ScreenPoint(hwnd, x, y)); }
    // Every press comes well after the one before, so two presses at one
    // place make a double-click only where a test asks for one.
    void QueueDown(HWND hwnd, int x, int y)
    {
        ui.Display().Tick(600);
        QueueMove(hwnd, x, y);
        ui.Display().ButtonDown(uitest::CUi::ScreenPoint(hwnd, x, y));
    }
    void QueueUp(HWND hwnd, int x, int y)
    {
        QueueMove(hwnd, x, y);
        ui.Display().ButtonUp(uitest::CUi::ScreenPoint(hwnd, x, y));
    }
    void QueueClick(HWND hwnd, int x, int y)
    {
        QueueDown(hwnd, x, y);
        QueueUp(hwnd, x, y);
    }
    void Click(HWND hwnd, int x, int y, unsigned modifiers = 0)
    {
        ui.Display().Tick(600);
        ui.Click(hwnd, x, y, modifiers);
    }
    void Drag(HWND hwnd, POINT from, POINT to, int steps = 4, unsigned modifiers = 0)
    {
        ui.Display().Tick(600);
        ui.Drag(hwnd, from, to, steps, modifiers);
    }
    void QueueKey(UINT vk)
    {
        ui.Display().KeyDown(vk);
        ui.Display().KeyUp(vk);
    }

    uitest::CUi ui{800, 600};
    CDspObject dsp;
    std::unique_ptr<CGraphHostWindow> host;

private:
    int m_nWidth;
    int m_nHeight;
};

} // namespace graphtest
