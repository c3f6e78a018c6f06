// Resource lookups from several threads at once, in the program and in a
// loaded module: the loaders share one cache of what they learnt about
// loaded modules.

#include "platform/com/Module.h"
#include "platform/resources/Resources.h"
#include "platform/resources/VersionInfo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

TEST(ResourceThreads, LookupsFromSeveralThreadsAtOnce)
{
    // Held throughout, so the other threads' references only count up and
    // down: a module unloaded in one thread and loaded again in another is
    // ordered by the loader's own lock, which the thread checker cannot see.
    HMODULE hModule = LoadLibraryA(INTONARA_TEST_MODULE);
    ASSERT_NE(hModule, nullptr) << ModuleLoadError();

    constexpr int kThreads = 4;
    constexpr int kRounds = 40;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&wrong, hModule, t] {
            char text[64];
            for (int round = 0; round < kRounds; ++round) {
                if (LoadStringA(nullptr, 1, text, sizeof text) == 0 || std::strcmp(text, "from the program") != 0) {
                    ++wrong;
                }
                if (t % 2 == 0) {
                    HMODULE hOwn = LoadLibraryA(INTONARA_TEST_MODULE);
                    if (hOwn != hModule || LoadStringA(hOwn, 1, text, sizeof text) == 0 ||
                        std::strcmp(text, "from the test module") != 0) {
                        ++wrong;
                    }
                    FreeLibrary(hOwn);
                } else {
                    DWORD handle = 0;
                    if (GetFileVersionInfoSizeA(INTONARA_TEST_MODULE, &handle) == 0 ||
                        GetModuleHandleA("gadget.ax") != hModule) {
                        ++wrong;
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    FreeLibrary(hModule);
}
