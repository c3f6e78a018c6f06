// The track buffer replaced and resized thousands of times while audio
// streams with a pass running, the way the graph view swaps it. A buffer,
// once handed back, is filled with a canary and kept: a write the engine
// makes into it afterwards, or past the end of a buffer it was lent,
// changes the canary. Under the address and thread sanitizers the same run
// also shows every read of a retired buffer and every unordered access.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "modes/DspObject.h"

namespace {

constexpr int kGuard = 8;  // records past the end of every buffer
constexpr float kCanary = -12345.0f;

struct Buffer {
    int capacity;
    std::unique_ptr<TrackRecord[]> records = std::make_unique<TrackRecord[]>(static_cast<size_t>(capacity + kGuard));
    // The engine writes the first four fields of a record, field by field.
    std::atomic_ref<float> Field(int record, int field) const { return std::atomic_ref<float>((&records[record].fMinSample)[field]); }
    void Fill(int to, int from = 0)
    {
        for (int i = from; i < to; ++i)
            for (int f = 0; f < 4; ++f)
                Field(i, f).store(kCanary, std::memory_order_relaxed);
    }
    bool Untouched(int from) const
    {
        for (int i = from; i < capacity + kGuard; ++i)
            for (int f = 0; f < 4; ++f)
                if (Field(i, f).load(std::memory_order_relaxed) != kCanary)
                    return false;
        return true;
    }
};

TEST(TrackHandOver, SwapsWhileStreamingNeverTouchAHandedBackBuffer)
{
    auto dsp = std::make_unique<CDspObject>();
    dsp->Initialise();
    dsp->SetSampleRate(44100.0f);
    std::vector<float> in(4410), out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 220.0 * static_cast<double>(i) / 44100.0));

    std::vector<Buffer> retired;
    retired.reserve(2000);
    Buffer current{50};
    current.Fill(50 + kGuard);
    dsp->SetTrackBuffer(current.records.get());
    dsp->StartTracking(current.records.get(), current.capacity);
    std::atomic<bool> done{false};
    std::thread streaming([&] {
        for (size_t pos = 0; !done.load(std::memory_order_relaxed); pos = (pos + 64) % in.size())
            dsp->m_Engine.Process(&in[pos], &out[pos], static_cast<int>(std::min<size_t>(64, in.size() - pos)));
    });

    std::mt19937 rng(11);
    for (int swap = 0; swap < 2000; ++swap) {
        // As the graph view resizes: the store gets the new buffer first,
        // then a pass may be armed on it, then the old one goes.
        Buffer next{1 + static_cast<int>(rng() % 300)};
        next.Fill(next.capacity + kGuard);
        dsp->SetTrackBuffer(next.records.get());
        if (rng() % 3 != 0) {
            const auto arm = rng() % 2 ? &CDspObject::StartTracking : &CDspObject::StartCorrecting;
            ((*dsp).*arm)(next.records.get(), next.capacity);
        }
        current.Fill(current.capacity);
        retired.push_back(std::move(current));
        current = std::move(next);
        if (swap % 8 == 0)
            std::this_thread::yield();
    }
    done = true;
    streaming.join();
    int damaged = 0;
    for (const Buffer& b : retired)
        damaged += b.Untouched(0) ? 0 : 1;
    EXPECT_EQ(damaged, 0) << "buffers written after they were handed back, or past their end";
    EXPECT_TRUE(current.Untouched(current.capacity));
}

} // namespace
