// A UI thread hammering the setters while the stream runs. No race has a
// defined winner, but the stream must stay sane; under the thread sanitizer
// this also shows that every field both sides touch is atomic.

#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "EngineSignals.h"

using namespace enginetest;

TEST(Concurrency, SettersRacingTheStreamKeepItSane)
{
    const auto c = ChromaticTable(0), e4 = ChromaticTable(4);
    std::vector<float> vib(1000, 0.06f);
    std::vector<TrackRecord> a(300, TrackRecord{0, 0, 3000, -1, 150}), b(7);
    CPitchEngine e;
    SetDefaultThresholds(e);
    LoadTable(e, c);
    std::atomic<bool> stop{false};
    std::thread ui([&] {
        std::mt19937 rng(2024);
        while (!stop) {
            const int on = int(rng() % 2);
            switch (rng() % 12) {
            case 0: e.SetThresholds(0.0f, kThresholdU - 0.5f, on ? kThresholdU * 1.1f : 0.0f); break;
            case 1: e.SetRetuneCoefficient(on ? 0.0f : 0.99f); break;
            case 2: LoadTable(e, on ? c : e4); break;
            case 3: e.SetBypass(on); break;
            case 4: e.SetVibrato(vib.data(), 1000, 20.0f, 0.5f, int(rng() % 20)); e.EnableVibrato(on); break;
            case 5: e.EnableAutoCorrect(on); break;
            case 6: e.ClearBuffer(); break;
            case 7: e.Reset(); break;
            case 8: // the controller arming a pass
                e.AttachTrackRecords(on ? a.data() : b.data(), on ? 300 : 7);
                e.SetWaitForSignal(1);
                (rng() % 2) ? e.EnableTracking(1) : e.EnableCorrecting(1);
                e.SetFrameIndex(-1);
                break;
            case 9: e.EnableTracking(0); e.EnableCorrecting(0); e.SetWaitForSignal(0); break;
            case 10: // the graph reading records and drawing targets
                for (auto& r : a)
                    (void)std::atomic_ref<float>(r.fMaxPeriod).load(std::memory_order_relaxed);
                std::atomic_ref<float>(a[rng() % 300].fTargetPeriod).store(100.0f + rng() % 200, std::memory_order_relaxed);
                break;
            default: {
                float r = 0.0f;
                int frames = 0;
                e.GetStatus(&r, &frames);
                (void)(e.GetFrameIndex() + e.GetTrackCapacity());
            }
            }
            std::this_thread::yield();
        }
    });
    auto in = WithFloor(Glide(110.0, 330.0, 0.5, 88200));
    std::fill(in.begin() + 30000, in.begin() + 33000, 0.0f);
    std::vector<float> out(in.size());
    for (size_t pos = 0; pos < in.size(); pos += 256)
        e.Process(&in[pos], &out[pos], int(std::min<size_t>(256, in.size() - pos)));
    stop = true;
    ui.join();
    // Within half a sample of its centre the parabola through three samples
    // of size at most M stays within 1.25 M; the input peaks near 0.5.
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_LE(std::fabs(out[i]), 0.63f) << i;
}
