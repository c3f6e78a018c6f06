// The platform's message services, which the log and the host rely on.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "support/MessageBoxRecorder.h"

TEST(RegisteredMessages, OneIdentifierPerNameForTheWholeProcess)
{
    const UINT first = RegisterWindowMessageA("Intonara.Test.Message");
    EXPECT_GE(first, kFirstRegisteredId);
    EXPECT_LE(first, kLastRegisteredId);
    EXPECT_EQ(RegisterWindowMessageA("Intonara.Test.Message"), first);
    EXPECT_EQ(RegisterWindowMessage("INTONARA.TEST.MESSAGE"), first);
    EXPECT_NE(RegisterWindowMessageA("Intonara.Test.Other"), first);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);

    // Threads racing to register the same names must agree.
    constexpr int kNames = 64;
    std::vector<std::vector<UINT>> seen(8);
    std::vector<std::thread> threads;
    for (auto& ids : seen) {
        threads.emplace_back([&ids] {
            for (int n = 0; n < kNames; ++n) {
                ids.push_back(RegisterWindowMessageA(("race." + std::to_string(n)).c_str()));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& ids : seen) {
        EXPECT_EQ(ids, seen[0]);
    }
    EXPECT_EQ(std::set<UINT>(seen[0].begin(), seen[0].end()).size(), static_cast<std::size_t>(kNames));
}

TEST(GlobalAtoms, ReferenceCountedCaseInsensitiveAndBounded)
{
    const ATOM atom = GlobalAddAtomA("Pitch Shift");
    ASSERT_NE(atom, 0);
    EXPECT_EQ(GlobalAddAtomA("PITCH SHIFT"), atom);
    EXPECT_EQ(GlobalFindAtomA("pitch shift"), atom);

    char name[64];
    EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 11u);
    EXPECT_STREQ(name, "Pitch Shift") << "the first spelling is kept";
    EXPECT_EQ(GlobalGetAtomNameA(atom, name, 6), 5u);
    EXPECT_STREQ(name, "Pitch");

    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomA("Pitch Shift"), atom) << "one reference is left";
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomA("Pitch Shift"), 0);
    EXPECT_EQ(GlobalDeleteAtom(atom), atom) << "deleting a dead atom reports failure";
    EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u);

    const std::string longest(kMaxAtomLength, 'a');
    const ATOM fits = GlobalAddAtomA(longest.c_str());
    EXPECT_NE(fits, 0);
    EXPECT_EQ(GlobalAddAtomA((longest + "a").c_str()), 0);
    EXPECT_EQ(GlobalAddAtomA(""), 0);
    GlobalDeleteAtom(fits);
}

TEST(MessageWindows, SentMessagesRunNowPostedOnesWhenDispatched)
{
    std::vector<std::pair<int, UINT>> calls;
    auto handlerFor = [&calls](int tag) {
        return [&calls, tag](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            calls.emplace_back(tag, message);
            return static_cast<LRESULT>(wParam) + lParam;
        };
    };
    const HWND one = CreateMessageWindow(handlerFor(1));
    const HWND two = CreateMessageWindow(handlerFor(2));
    ASSERT_TRUE(IsWindow(one));
    EXPECT_EQ(CreateMessageWindow(nullptr), nullptr);

    EXPECT_EQ(SendMessageA(one, WM_USER, 40, 2), 42);
    EXPECT_EQ(SendMessageA(HWND_BROADCAST, WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(calls, (std::vector<std::pair<int, UINT>>{{1, WM_USER}, {1, WM_USER + 1}, {2, WM_USER + 1}}));

    calls.clear();
    EXPECT_TRUE(PostMessageA(two, WM_COMMAND, 32700, 0));
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, WM_USER + 2, 0, 0));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(DispatchPostedMessages(two), 2u);
    EXPECT_EQ(calls, (std::vector<std::pair<int, UINT>>{{2, WM_COMMAND}, {2, WM_USER + 2}}));

    EXPECT_TRUE(DestroyMessageWindow(one));
    EXPECT_FALSE(IsWindow(one));
    EXPECT_FALSE(PostMessageA(one, WM_USER, 0, 0));
    EXPECT_EQ(DispatchPostedMessages(one), 0u) << "its queue went with it";
    EXPECT_FALSE(DestroyMessageWindow(one));
    DestroyMessageWindow(two);
}

TEST(MessageWindows, DestroyWaitsForAHandlerRunningElsewhere)
{
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    std::atomic<int> calls{0};
    const HWND window = CreateMessageWindow([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        calls.fetch_add(1);
        entered = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
        return 0;
    });
    std::thread sender([window] { SendMessageA(window, WM_USER, 0, 0); });
    while (!entered) {
        std::this_thread::yield();
    }
    DestroyMessageWindow(window);
    EXPECT_TRUE(finished) << "destroy returned while the handler still ran";
    sender.join();
    SendMessageA(HWND_BROADCAST, WM_USER, 0, 0);
    EXPECT_EQ(calls.load(), 1);

    // A handler may end its own window.
    HWND self = nullptr;
    self = CreateMessageWindow([&self](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        return DestroyMessageWindow(self) ? 1 : 0;
    });
    EXPECT_EQ(SendMessageA(self, WM_USER, 0, 0), 1);
    EXPECT_FALSE(IsWindow(self));
}

TEST(MessageBoxSinks, RecorderSeesEveryBoxAndRestoresTheSinkBefore)
{
    const HWND owner = reinterpret_cast<HWND>(std::uintptr_t{0x42});
    CMessageBoxRecorder outer;
    {
        CMessageBoxRecorder inner(IDNO);
        EXPECT_EQ(MessageBoxA(owner, "Cannot draw curve!", nullptr, MB_YESNO | MB_ICONQUESTION), IDNO);
        const auto boxes = inner.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].m_hOwner, owner);
        EXPECT_EQ(boxes[0].m_strText, "Cannot draw curve!");
        EXPECT_EQ(boxes[0].m_strCaption, "Error");
        EXPECT_EQ(boxes[0].m_uType, MB_YESNO | MB_ICONQUESTION);
    }
    EXPECT_EQ(AfxMessageBox("An unknown DirectX error occurred in Intonara Plugin in Stop."), IDOK);
    const auto boxes = outer.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "the inner box went to the inner recorder only";
    EXPECT_EQ(boxes[0].m_strCaption, "Intonara");
    EXPECT_EQ(boxes[0].m_hOwner, nullptr);
    outer.Clear();
    EXPECT_EQ(outer.Count(), 0u);
}

TEST(MessageBoxSinks, DefaultSinkWritesOneLineToStderrAndDeclines)
{
    testing::internal::CaptureStderr();
    const int okCancel = MessageBoxA(nullptr, "first\nsecond", "Intonara", MB_OKCANCEL);
    const int plain = MessageBoxA(nullptr, "done", nullptr, MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Intonara: first second\nError: done\n");
    EXPECT_EQ(okCancel, IDCANCEL);
    EXPECT_EQ(plain, IDOK);
}
