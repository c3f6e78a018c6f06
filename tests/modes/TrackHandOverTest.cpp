// The track buffer replaced and resized thousands of times while audio
// streams with a pass running, the way the graph view swaps it. A buffer,
// once handed back, is filled with a canary and kept: a write the engine
// makes into it afterwards, or past the end of a buffer it was lent,
// changes the canary. Under the address and thread sanitizers the same run
// also shows every read of a retired buffer and every unordered access.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "modes/DspObject.h"

namespace {

constexpr int kGuardRecords = 8;
constexpr float kCanary = -12345.0f;

struct Buffer {
    std::unique_ptr<TrackRecord[]> records;
    int capacity;
};

Buffer MakeBuffer(int capacity)
{
    Buffer b{std::make_unique<TrackRecord[]>(static_cast<size_t>(capacity + kGuardRecords)), capacity};
    for (int i = 0; i < capacity + kGuardRecords; ++i)
        b.records[i] = TrackRecord{kCanary, kCanary, kCanary, kCanary, i < capacity ? 150.0f : kCanary};
    return b;
}

// Everything of a retired buffer, and the guard of every buffer, must still
// hold the canary.
bool Untouched(const Buffer& b, bool retired)
{
    for (int i = retired ? 0 : b.capacity; i < b.capacity + kGuardRecords; ++i) {
        const TrackRecord& r = b.records[i];
        for (float v : {r.fMinSample, r.fMaxSample, r.fMinPeriod, r.fMaxPeriod})
            if (std::atomic_ref<const float>(v).load(std::memory_order_relaxed) != kCanary)
                return false;
    }
    return true;
}

void Canary(Buffer& b)
{
    for (int i = 0; i < b.capacity; ++i)
        for (float* v : {&b.records[i].fMinSample, &b.records[i].fMaxSample, &b.records[i].fMinPeriod,
                         &b.records[i].fMaxPeriod})
            std::atomic_ref<float>(*v).store(kCanary, std::memory_order_relaxed);
}

TEST(TrackHandOver, SwapsWhileStreamingNeverTouchAHandedBackBuffer)
{
    auto dsp = std::make_unique<CDspObject>();
    dsp->Initialise();
    dsp->SetSampleRate(44100.0f);
    std::vector<float> in(4410), out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 220.0 * static_cast<double>(i) / 44100.0));

    std::vector<Buffer> retired;
    retired.reserve(2100);
    Buffer current = MakeBuffer(50);
    dsp->SetTrackBuffer(current.records.get());
    dsp->StartTracking(current.records.get(), current.capacity);

    std::atomic<bool> done{false};
    std::thread streaming([&] {
        for (size_t pos = 0; !done.load(std::memory_order_relaxed); pos = (pos + 64) % in.size())
            dsp->m_Engine.Process(&in[pos], &out[pos], static_cast<int>(std::min<size_t>(64, in.size() - pos)));
    });

    std::mt19937 rng(11);
    for (int swap = 0; swap < 2000; ++swap) {
        Buffer next = MakeBuffer(1 + static_cast<int>(rng() % 300));
        // Resizing as the graph view does it: the store gets the new buffer
        // first, then a pass may be armed on it, then the old one goes.
        dsp->SetTrackBuffer(next.records.get());
        if (rng() % 3 != 0) {
            if (rng() % 2)
                dsp->StartTracking(next.records.get(), next.capacity);
            else
                dsp->StartCorrecting(next.records.get(), next.capacity);
        }
        Canary(current);
        retired.push_back(std::move(current));
        current = std::move(next);
        if (swap % 8 == 0)
            std::this_thread::yield();
    }
    done = true;
    streaming.join();

    int damaged = 0;
    for (const Buffer& b : retired)
        damaged += Untouched(b, true) ? 0 : 1;
    EXPECT_EQ(damaged, 0) << "buffers written after they were handed back, or past their end";
    EXPECT_TRUE(Untouched(current, false));
}

} // namespace
