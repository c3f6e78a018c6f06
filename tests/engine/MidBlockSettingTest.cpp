// A setting written from another thread while a long block streams takes
// hold within that block, not only from the next one on: the streaming
// thread looks for the UI side's writes before every sample. Which sample
// sees the write is the scheduler's business, so a run whose block ends
// before the write is simply tried again.

#include <atomic>
#include <cmath>
#include <thread>

#include <gtest/gtest.h>

#include "EngineSignals.h"

using namespace enginetest;

TEST(MidBlockSetting, BypassSwitchedOnDuringABlockHoldsBeforeItEnds)
{
    // A voice 30 cents sharp: every period update pulls it down, so the
    // ratio stays away from 1.0 for as long as the bypass goes unseen.
    const auto voice = WithFloor(Tone(Shape::Harmonics, NotePeriod(57) * std::pow(2.0, -30.0 / 1200.0), 0.5,
                                      static_cast<int>(8 * kRate)));
    const int frames = static_cast<int>(voice.size()) / 200;
    std::vector<float> vib(1000, 0.0f);
    std::vector<float> out(voice.size());
    for (int attempt = 0; attempt < 20; ++attempt) {
        CPitchEngine e;
        Prepare(e);
        // A silent vibrato keeps the frame clock running, which shows how
        // far the block has got.
        e.SetVibrato(vib.data(), 1000, 1.0f, 0.0f, 0);
        e.EnableVibrato(1);
        std::atomic<int> switchedAt{-1};
        std::thread ui([&] {
            while (e.GetFrameCount() < frames / 4)
                std::this_thread::yield();
            e.SetBypass(1);
            switchedAt = e.GetFrameCount();
        });
        e.Process(voice.data(), out.data(), static_cast<int>(voice.size()));
        float ratio = 0.0f;
        int framesAtEnd = 0;
        e.GetStatus(&ratio, &framesAtEnd);
        ui.join();
        if (switchedAt.load() >= framesAtEnd - 20)
            continue; // the block was all but over before the switch
        EXPECT_EQ(ratio, 1.0f) << "switched at frame " << switchedAt.load() << " of " << framesAtEnd;
        return;
    }
    GTEST_SKIP() << "every block ended before the other thread switched";
}
