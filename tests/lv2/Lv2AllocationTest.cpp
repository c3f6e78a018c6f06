// The audio thread's side of the plug-in allocates nothing: every call into
// the heap made anywhere in the process (the plug-in's shared object
// included) is counted while the instance runs, with its settings changing
// between blocks. The count comes from this program's own malloc family,
// which takes the place of the C library's for everything loaded.

#include "Lv2TestHost.h"

#include <atomic>
#include <cmath>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own entry point (GCC ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
#endif

namespace {

std::atomic<bool> g_bCounting{false};
std::atomic<long> g_nAllocations{0};

void Count()
{
    if (g_bCounting.load(std::memory_order_relaxed))
        g_nAllocations.fetch_add(1, std::memory_order_relaxed);
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer owns malloc; it reports every allocation to this hook.
[[maybe_unused]] const int g_nHooked = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, size_t) { Count(); }, [](const volatile void*) {});
#endif

} // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

// operator new and the C library's own callers all end up here.
void* malloc(size_t n) { return Count(), __libc_malloc(n); }
void* calloc(size_t n, size_t size) { return Count(), __libc_calloc(n, size); }
void* realloc(void* p, size_t n) { return Count(), __libc_realloc(p, n); }
void* aligned_alloc(size_t alignment, size_t n) { return Count(), __libc_memalign(alignment, n); }
void* memalign(size_t alignment, size_t n) { return Count(), __libc_memalign(alignment, n); }
int posix_memalign(void** pp, size_t alignment, size_t n)
{
    void* p = (Count(), __libc_memalign(alignment, n));
    return p == nullptr ? 12 /* ENOMEM */ : (*pp = p, 0);
}
void free(void* p) { __libc_free(p); }
}
#endif

namespace {

constexpr double kRate = 48000.0;
constexpr uint32_t kBlock = 64;

// Blocks of a voiced signal (so that the detector locks and every setting
// matters), one setting moved before each, through all nine and the enable
// switch; counts heap calls from the first Run on.
long AllocationsWhileRunning(lv2test::CInstance& plugin)
{
    const std::vector<std::pair<const char*, float>> changes = {
        {"scale", 0},     {"key", 9},          {"detune", -20},       {"retune", 0},    {"vibrato_type", 1},
        {"vibrato_depth", 60}, {"vibrato_rate", 7.5f}, {"vibrato_delay", 0}, {"threshold", 70}, {"enabled", 0},
        {"enabled", 1},   {"scale", 23},       {"key", 3},            {"retune", 250},  {"vibrato_type", 3},
        {"scale", 24},    {"detune", 100},     {"vibrato_type", 0},   {"retune", 7},    {"threshold", 5}};
    double phase = 0.0;
    g_nAllocations.store(0);
    g_bCounting.store(true);
    for (int round = 0; round < 3; ++round) {
        for (const auto& [symbol, value] : changes) {
            plugin.Port(symbol) = value;
            for (uint32_t i = 0; i < kBlock; ++i, phase += 2.0 * M_PI * 207.0 / kRate)
                plugin.Audio()[i] = static_cast<float>(0.4 * std::sin(phase) + 0.2 * std::sin(2.0 * phase));
            plugin.Run(kBlock);
        }
    }
    g_bCounting.store(false);
    return g_nAllocations.load();
}

// Hosts commonly make and activate the instance on one thread and run it on
// an audio thread of their own, where the first change of scale, key or
// retune speed must not allocate either.
TEST(Lv2Allocation, RunWithChangingSettingsAllocatesNothingOnAnyThread)
{
    lv2test::CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    for (const bool separateThread : {false, true}) {
        lv2test::CInstance plugin(world, kRate);
        ASSERT_TRUE(plugin.Valid());
        plugin.Port(separateThread ? "key" : "scale") = separateThread ? 4 : 1;
        plugin.Port(separateThread ? "retune" : "vibrato_type") = separateThread ? 80 : 2;
        plugin.Activate();
        long allocations = -1;
        if (separateThread)
            std::thread([&] { allocations = AllocationsWhileRunning(plugin); }).join();
        else
            allocations = AllocationsWhileRunning(plugin);
        EXPECT_EQ(allocations, 0) << (separateThread ? "on a separate audio thread" : "on the activating thread");
    }
}

} // namespace
