// Eight threads post to one window at once while its thread runs an
// ordinary message loop: every message arrives, once, and each thread's
// messages arrive in the order it sent them. The thread sanitizer job runs
// this program, so whatever the queues share must be properly guarded.

#include "platform/ui/WinUser.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;
constexpr int kPerThread = 2000;

struct CTally {
    std::array<std::vector<LPARAM>, kThreads> m_received;
    int m_nTotal = 0;
};

CTally* g_pTally = nullptr;
DWORD g_dwOwner = 0;
std::atomic<int> g_nWrongThread{0};

LRESULT ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        if (GetCurrentThreadId() != g_dwOwner) {
            g_nWrongThread.fetch_add(1);
        }
        g_pTally->m_received[wParam].push_back(lParam);
        ++g_pTally->m_nTotal;
        return static_cast<LRESULT>(lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(PostFromThreads, EightThreadsAtOnceArriveCompleteAndInOrder)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = ReceiverProc;
    wc.lpszClassName = "ThreadsReceiver";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND receiver = CreateWindowExA(0, "ThreadsReceiver", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                    nullptr);
    ASSERT_NE(receiver, nullptr);
    CTally tally;
    g_pTally = &tally;
    g_dwOwner = GetCurrentThreadId();
    const DWORD ownerThread = g_dwOwner;

    std::atomic<int> start{0};
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.fetch_add(1);
            while (start.load() < kThreads) {
                std::this_thread::yield();
            }
            for (int i = 0; i < kPerThread; ++i) {
                const auto index = static_cast<WPARAM>(t);
                switch (t) {
                case 6:
                    SendNotifyMessageA(receiver, WM_APP, index, i);
                    break;
                case 7:
                    if (SendMessageA(receiver, WM_APP, index, i) != i) {
                        wrongAnswers.fetch_add(1);
                    }
                    break;
                default:
                    PostMessageA(receiver, WM_APP, index, i);
                    break;
                }
            }
        });
    }
    // A thread message tells the loop when every sender is done; it may
    // overtake sent messages still on their way, so the loop counts too.
    std::thread finisher([&] {
        for (auto& thread : threads) {
            thread.join();
        }
        PostThreadMessageA(ownerThread, WM_APP + 1, 0, 0);
    });
    bool finished = false;
    MSG msg{};
    while ((!finished || tally.m_nTotal < kThreads * kPerThread) && GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.hwnd == nullptr && msg.message == WM_APP + 1) {
            finished = true;
        }
        DispatchMessageA(&msg);
    }
    finisher.join();

    EXPECT_EQ(tally.m_nTotal, kThreads * kPerThread);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(tally.m_received[t].size(), static_cast<std::size_t>(kPerThread)) << "thread " << t;
        for (int i = 0; i < kPerThread; ++i) {
            ASSERT_EQ(tally.m_received[t][i], i) << "thread " << t << " message " << i;
        }
    }
    EXPECT_EQ(g_nWrongThread.load(), 0) << "every message ran on the window's own thread";
    EXPECT_EQ(wrongAnswers.load(), 0) << "each send got its own answer back";
    DestroyWindow(receiver);
    g_pTally = nullptr;
}

}  // namespace
