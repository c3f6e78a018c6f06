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

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer owns malloc; it reports every allocation to this hook.
namespace {
void OnMalloc(const volatile void*, size_t)
{
    Count();
}
void OnFree(const volatile void*) {}
[[maybe_unused]] const int g_nHooked = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
} // namespace
#else
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
    Count();
    void* p = __libc_memalign(alignment, n);
    if (p == nullptr)
        return 12;  // ENOMEM
    *pp = p;
    return 0;
}
void free(void* p) { __libc_free(p); }
}
#endif

namespace {

constexpr double kRate = 48000.0;
constexpr uint32_t kBlock = 64;

// A voiced signal, so that the detector locks and every setting matters.
void FillTone(std::vector<float>& audio, uint32_t n, double& phase)
{
    for (uint32_t i = 0; i < n; ++i) {
        audio[i] = static_cast<float>(0.4 * std::sin(phase) + 0.2 * std::sin(2.0 * phase));
        phase += 2.0 * M_PI * 207.0 / kRate;
    }
}

struct Change {
    const char* symbol;
    float value;
};

// Through all nine settings and the enable switch.
const std::vector<Change> kEveryChange = {
    {"scale", 0},          {"key", 9},         {"detune", -20},      {"retune", 0},        {"vibrato_type", 1},
    {"vibrato_depth", 60}, {"vibrato_rate", 7.5f}, {"vibrato_delay", 0}, {"threshold", 70}, {"enabled", 0},
    {"enabled", 1},        {"scale", 23},      {"key", 3},           {"retune", 250},      {"vibrato_type", 3},
    {"scale", 24},         {"detune", 100},    {"vibrato_type", 0},  {"retune", 7},        {"threshold", 5},
};

// Blocks of audio, a setting moved before each, counting heap calls from
// the first Run on.
long AllocationsWhileRunning(lv2test::CInstance& plugin, const std::vector<Change>& changes)
{
    double phase = 0.0;
    g_nAllocations.store(0);
    g_bCounting.store(true);
    for (int round = 0; round < 3; ++round) {
        for (const Change& change : changes) {
            plugin.Port(change.symbol) = change.value;
            FillTone(plugin.Audio(), kBlock, phase);
            plugin.Run(kBlock);
        }
    }
    g_bCounting.store(false);
    return g_nAllocations.load();
}

TEST(Lv2Allocation, RunWithChangingSettingsAllocatesNothing)
{
    lv2test::CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    lv2test::CInstance plugin(world, kRate);
    ASSERT_TRUE(plugin.Valid());
    plugin.Port("scale") = 1;
    plugin.Port("vibrato_type") = 2;
    plugin.Activate();
    EXPECT_EQ(AllocationsWhileRunning(plugin, kEveryChange), 0);
}

// Hosts commonly make and activate the instance on one thread and run it on
// an audio thread of their own, where the first change of scale, key or
// retune speed must not allocate either.
TEST(Lv2Allocation, SeparateAudioThreadAllocatesNothing)
{
    lv2test::CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    lv2test::CInstance plugin(world, kRate);
    ASSERT_TRUE(plugin.Valid());
    plugin.Port("key") = 4;
    plugin.Port("retune") = 80;
    plugin.Activate();
    long allocations = -1;
    std::thread audio([&] { allocations = AllocationsWhileRunning(plugin, kEveryChange); });
    audio.join();
    EXPECT_EQ(allocations, 0);
}

} // namespace
