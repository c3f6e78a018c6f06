// Process must never touch the heap. Every operator new of this program goes
// through the counter below, which counts only while a test asks it to.
// (The engine calls no C allocation function at all.)

#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "EngineSignals.h"

using namespace enginetest;

namespace {

std::atomic<bool> g_bCounting{false};
std::atomic<long> g_nAllocations{0};

void* Counted(std::size_t n, std::size_t align = 0)
{
    g_nAllocations += g_bCounting.load(std::memory_order_relaxed) ? 1 : 0;
    void* p = align != 0 ? std::aligned_alloc(align, (n + align - 1) / align * align) : std::malloc(n != 0 ? n : 1);
    return p != nullptr ? p : throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t n) { return Counted(n); }
void* operator new[](std::size_t n) { return Counted(n); }
void* operator new(std::size_t n, std::align_val_t a) { return Counted(n, std::size_t(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return Counted(n, std::size_t(a)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

TEST(Allocation, ProcessAllocatesNothing)
{
    // Every state: acquisition, lock, shifting, re-centring, splices,
    // vibrato, a tracking pass, long silence, noise, a cleared ring.
    const auto in = Concat(Concat(WithFloor(Glide(120.0, 400.0, 0.4, 40000)), std::vector<float>(3000, 0.0f)), Noise(0.3, 5000, 8));
    std::vector<float> out(in.size()), vib(1000, 0.02f);
    std::vector<TrackRecord> records(400);
    CPitchEngine automatic, tracking;
    Prepare(automatic);
    automatic.SetRetuneCoefficient(0.9f);
    automatic.SetVibrato(vib.data(), 1000, 20.0f, 0.5f, 4);
    automatic.EnableVibrato(1);
    Prepare(tracking, false);
    tracking.AttachTrackRecords(records.data(), 400);
    tracking.SetWaitForSignal(1);
    tracking.EnableTracking(1);

    g_bCounting = true;
    delete new int(3);
    ASSERT_EQ(g_nAllocations, 1) << "the counter must see what it is meant to see";
    g_nAllocations = 0;
    for (size_t pos = 0; pos < in.size(); pos += 512) {
        const int len = int(std::min<size_t>(512, in.size() - pos));
        automatic.Process(&in[pos], &out[pos], len);
        tracking.Process(&in[pos], &out[pos], len);
        if (pos == 20480)
            automatic.ClearBuffer();
    }
    g_bCounting = false;
    EXPECT_EQ(g_nAllocations, 0);
    EXPECT_GT(tracking.GetFrameIndex(), 100);
}
