// bench_graph: the graphical editor's work on a full 200-second passage of
// tracked voice: writing the correction targets, "make curve" and "make
// auto", and a full repaint of the main view fitted to the passage.
// Goals: targets within 2 ms, each make command within 10 ms, the repaint
// within 3 ms.

#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <memory>
#include <vector>

#include "graph/BlockTable.h"
#include "graph/GraphHost.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"
#include "support/ui/UiTestSupport.h"

namespace {

// 200 s of a singer: notes of one to two and a half seconds, a slow
// vibrato, short breaths between them; the same every run.
void TrackVoice(TrackRecord* records, int frames)
{
    uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
    };
    int i = 0;
    while (i < frames) {
        const int length = 220 + next(330);
        const int note = -1200 + 100 * next(24) + next(40) - 20;
        for (int k = 0; k < length && i < frames; ++k, ++i) {
            const int cents = note + static_cast<int>(std::lround(25.0 * std::sin(k * 0.157)));
            records[i] = TrackRecord{-0.4f, 0.4f, std::bit_cast<float>(cents + 1), std::bit_cast<float>(cents - 1),
                                     0.0f};
        }
        const int breath = 10 + next(40);
        for (int k = 0; k < breath && i < frames; ++k, ++i)
            records[i] = TrackRecord{-0.01f, 0.01f, 0.0f, std::bit_cast<float>(kUnvoicedMark), 0.0f};
    }
}

class CGraphBench
{
public:
    CGraphBench()
    {
        dsp.Initialise();
        dsp.SetParameter(PARAM_MODE, 1);
        host = std::make_unique<CGraphHostWindow>(380, 230, true);
        host->Attach(&dsp);
        frames = host->Main().BufferFrames();
        TrackVoice(static_cast<TrackRecord*>(dsp.GetTrackBuffer()), frames);
        host->Main().SetTrackedFrames(frames);
        host->Main().FitPitchToTrack(false);
        host->Main().IdleUpdate();
        empty.resize(static_cast<size_t>(host->Main().GetStateSize()));
        host->Main().SaveState(empty.data());
    }
    ~CGraphBench()
    {
        host.reset();
        void* buffer = dsp.GetTrackBuffer();
        dsp.SetTrackBuffer(nullptr);
        g_Blocks.Free(buffer);
    }
    void Clear() { host->Main().LoadState(empty.data(), static_cast<int>(empty.size())); }

    uitest::CUi ui{800, 600};
    CDspObject dsp;
    std::unique_ptr<CGraphHostWindow> host;
    int frames = 0;
    std::vector<uint8_t> empty;
};

void BM_FillCorrectionTargets(benchmark::State& state)
{
    CGraphBench b;
    b.host->Main().MakeCurveFromTrack();
    for (auto _ : state)
        b.host->Main().FillCorrectionTargets();
    state.counters["frames"] = b.frames;
    state.counters["nodes"] = NodeCount(b.host->Main().Curves());
}
BENCHMARK(BM_FillCorrectionTargets)->Unit(benchmark::kMillisecond);

void BM_MakeCurve(benchmark::State& state)
{
    CGraphBench b;
    for (auto _ : state) {
        state.PauseTiming();
        b.Clear();
        state.ResumeTiming();
        b.host->Main().MakeCurveFromTrack();
    }
    state.counters["nodes"] = NodeCount(b.host->Main().Curves());
}
BENCHMARK(BM_MakeCurve)->Unit(benchmark::kMillisecond);

void BM_MakeAuto(benchmark::State& state)
{
    CGraphBench b;
    b.dsp.SetParameter(PARAM_VIBRATO_TYPE, 1);
    for (auto _ : state) {
        state.PauseTiming();
        b.Clear();
        state.ResumeTiming();
        b.host->Main().MakeAutoCurve();
    }
    state.counters["nodes"] = NodeCount(b.host->Main().Curves());
}
BENCHMARK(BM_MakeAuto)->Unit(benchmark::kMillisecond);

void BM_RepaintFittedTo200Seconds(benchmark::State& state)
{
    CGraphBench b;
    b.host->Main().MakeCurveFromTrack();
    b.host->Main().FitPitchToTrack(false);
    b.ui.Pump();
    for (auto _ : state)
        b.host->Main().Redraw(nullptr, nullptr);
    state.counters["frames_per_pixel"] = b.host->Main().FramesPerPixel();
}
BENCHMARK(BM_RepaintFittedTo200Seconds)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
