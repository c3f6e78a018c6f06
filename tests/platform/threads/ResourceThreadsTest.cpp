// Resource lookups from several threads while modules come and go: the
// loaders keep one cache of what they learnt about loaded modules.

#include "platform/Module.h"
#include "platform/resources/Resources.h"
#include "platform/resources/VersionInfo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

TEST(ResourceThreads, LookupsWhileTheTestModuleIsLoadedAndUnloaded)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 40;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&wrong, t] {
            char text[64];
            for (int round = 0; round < kRounds; ++round) {
                if (LoadStringA(nullptr, 1, text, sizeof text) == 0 || std::strcmp(text, "from the program") != 0) {
                    ++wrong;
                }
                if (t % 2 == 0) {
                    // Each thread holds its own reference while it reads.
                    HMODULE hModule = LoadLibraryA(INTONARA_TEST_MODULE);
                    if (hModule == nullptr || LoadStringA(hModule, 1, text, sizeof text) == 0 ||
                        std::strcmp(text, "from the test module") != 0) {
                        ++wrong;
                    }
                    FreeLibrary(hModule);
                } else {
                    DWORD handle = 0;
                    if (GetFileVersionInfoSizeA(INTONARA_TEST_MODULE, &handle) == 0) {
                        ++wrong;
                    }
                    GetModuleHandleA("gadget.ax");  // loaded or not, depending on the others
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}
