// A note table changed while the stream runs. The copy switches automatic
// correction off, so the streaming thread never walks a half-written table;
// but a period it locked before the copy was matched against the old table,
// so when audio ran during the copy the pitch state must start over. Which
// calls overlap a frame tick is left to the scheduler; over thousands of
// calls enough do, and each one that did must leave the detector searching
// again, which it otherwise never does on this steady tone.

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "EngineSignals.h"

using namespace enginetest;

TEST(TableChangeRace, AudioDuringTheCopyStartsThePitchStateOver)
{
    const auto c = ChromaticTable(0), d = ChromaticTable(2);
    std::vector<float> vib(1000, 0.0f);
    CPitchEngine e;
    Prepare(e);
    // The vibrato clock keeps the frame count moving in automatic mode.
    e.SetVibrato(vib.data(), 1000, 1.0f, 0.0f, 0);
    e.EnableVibrato(1);
    const auto tone = WithFloor(Tone(Shape::Harmonics, NotePeriod(57), 0.5, 44100));
    ASSERT_GE(RunUntilLocked(e, tone), 0);

    std::atomic<bool> stop{false};
    std::thread streaming([&] {
        std::vector<float> out(16);
        for (size_t pos = 0; !stop.load(std::memory_order_relaxed); pos = (pos + 16) % (tone.size() - 16))
            e.Process(&tone[pos], out.data(), 16);
    });
    const int started = e.GetFrameCount();
    while (e.GetFrameCount() == started)
        std::this_thread::yield();
    int overlapped = 0, restarted = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int i = 0; overlapped < 30 && std::chrono::steady_clock::now() < deadline; ++i) {
        // Locked again before the next call, so a search seen afterwards
        // comes from this call.
        while (e.IsSearching() != 0)
            std::this_thread::yield();
        const int before = e.GetFrameCount();
        const NoteTable& t = (i % 2) ? c : d;
        e.SetScaleTable(static_cast<short>(t.targets.size()), t.targets.data(), t.bounds.data());
        const bool searching = e.IsSearching() != 0;
        if (e.GetFrameCount() != before) {
            ++overlapped;
            restarted += searching ? 1 : 0;
        }
    }
    stop = true;
    streaming.join();
    ASSERT_GE(overlapped, 10) << "too few table changes overlapped the stream to judge";
    EXPECT_GE(restarted, overlapped / 4) << restarted << " of " << overlapped;
}
