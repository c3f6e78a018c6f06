#include "platform/Clock.h"

#include <atomic>
#include <chrono>

namespace platform {

namespace {

std::atomic<bool> g_bVirtual{false};
std::atomic<std::uint64_t> g_nVirtualMs{0};

std::uint64_t SteadyMilliseconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace

std::uint64_t ClockMilliseconds()
{
    if (g_bVirtual.load(std::memory_order_acquire)) {
        return g_nVirtualMs.load(std::memory_order_acquire);
    }
    return SteadyMilliseconds();
}

void UseVirtualClock(std::uint64_t startMs)
{
    g_nVirtualMs.store(startMs, std::memory_order_release);
    g_bVirtual.store(true, std::memory_order_release);
}

void AdvanceVirtualClock(std::uint64_t ms)
{
    g_nVirtualMs.fetch_add(ms, std::memory_order_acq_rel);
}

void UseRealClock()
{
    g_bVirtual.store(false, std::memory_order_release);
}

bool VirtualClockInUse()
{
    return g_bVirtual.load(std::memory_order_acquire);
}

}  // namespace platform
