// Message queues and loops: order of retrieval, filters, nested modal
// loops, WM_QUIT, sending across threads, posting to dead windows and
// broadcasts.

#include "UiFixture.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

using uitest::Message;
using MessageQueue = uitest::CUiTest;

TEST_F(MessageQueue, SentMessagesRunAtOncePostedOnesInOrderWhenRetrieved)
{
    HWND w = rec.Create(0, 0, 10, 10);
    ui.Pump();
    rec.Clear();
    PostMessageA(w, WM_USER + 1, 1, 0);
    PostMessageA(w, WM_USER + 2, 2, 0);
    EXPECT_EQ(SendMessageA(w, WM_USER + 3, 0, 0), 0);
    EXPECT_EQ(rec.Sequence(), (std::vector<UINT>{WM_USER + 3}));

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2) << "a filter skips what it does not ask for";
    ASSERT_TRUE(PeekMessageA(&msg, w, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
}

TEST_F(MessageQueue, ModalLoopsNestAndEndInsideOut)
{
    HWND w = rec.Create(0, 0, 10, 10);
    std::vector<std::string> events;
    rec.On(WM_USER + 1, [&](const Message&, LRESULT&) {
        // A dialog's loop inside the main loop; it ends on WM_QUIT, which
        // it hands on to the loop outside as modal loops must.
        events.push_back("inner begins");
        PostMessageA(w, WM_USER + 2, 0, 0);
        MSG msg{};
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        events.push_back("inner ends with " + std::to_string(msg.wParam));
        PostQuitMessage(static_cast<int>(msg.wParam) + 1);
        return true;
    });
    rec.On(WM_USER + 2, [&](const Message&, LRESULT&) {
        events.push_back("inner handles a message");
        ui.WhenIdle([] { PostQuitMessage(41); });
        return true;
    });
    PostMessageA(w, WM_USER + 1, 0, 0);
    events.push_back("outer begins");
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    events.push_back("outer ends with " + std::to_string(msg.wParam));
    EXPECT_EQ(events, (std::vector<std::string>{"outer begins", "inner begins", "inner handles a message",
                                                "inner ends with 41", "outer ends with 42"}));
    EXPECT_EQ(ui.Display().PendingSteps(), 0u);
}

TEST_F(MessageQueue, ADragLoopPumpingOneMessageAtATimeSeesEveryMove)
{
    HWND w = rec.Create(0, 0, 200, 200);
    std::vector<POINT> tracked;
    rec.On(WM_LBUTTONDOWN, [&](const Message& m, LRESULT&) {
        SetCapture(m.hwnd);
        for (;;) {
            MSG msg{};
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                WaitMessage();
                continue;
            }
            if (msg.message == WM_LBUTTONUP) {
                break;
            }
            if (msg.message == WM_MOUSEMOVE) {
                POINT pt{};
                GetCursorPos(&pt);
                ScreenToClient(m.hwnd, &pt);
                tracked.push_back(pt);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        ReleaseCapture();
        return true;
    });
    ui.Drag(w, POINT{10, 10}, POINT{50, 90}, 4);
    ASSERT_EQ(tracked.size(), 4u);
    EXPECT_EQ(tracked[0].x, 20);
    EXPECT_EQ(tracked[0].y, 30);
    EXPECT_EQ(tracked[3].x, 50);
    EXPECT_EQ(tracked[3].y, 90);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MessageQueue, ASendFromAnotherThreadRunsOnTheOwnersThreadAndWaitsButANotifyDoesNot)
{
    HWND w = rec.Create(0, 0, 10, 10);
    const DWORD owner = GetCurrentThreadId();
    std::atomic<DWORD> ranOn{0};
    rec.On(WM_USER, [&](const Message& m, LRESULT& result) {
        ranOn = GetCurrentThreadId();
        result = static_cast<LRESULT>(m.wParam) + 1;
        return true;
    });
    std::atomic<LRESULT> answer{-1};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        answer = SendMessageA(w, WM_USER, 41, 0);
        done = true;
        PostMessageA(w, WM_NULL, 0, 0);  // wakes the owner's loop below
    });
    while (!done) {
        WaitMessage();
        ui.Pump();
    }
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(ranOn.load(), owner);

    // A notify from another thread does not wait.
    ui.Pump();
    rec.Clear();
    std::thread([w] { EXPECT_TRUE(SendNotifyMessageA(w, WM_USER + 5, 3, 0)); }).join();
    EXPECT_TRUE(rec.Of(w, {WM_USER + 5}).empty()) << "nothing ran while the owner was busy";
    ui.Pump();
    ASSERT_EQ(rec.Of(w, {WM_USER + 5}).size(), 1u);
    EXPECT_EQ(rec.Of(w, {WM_USER + 5})[0].wParam, WPARAM{3});
    rec.Clear();
    EXPECT_TRUE(SendNotifyMessageA(w, WM_USER + 6, 0, 0));
    EXPECT_EQ(rec.Of(w, {WM_USER + 6}).size(), 1u) << "on the owner's own thread it is a send";
}

TEST_F(MessageQueue, ThreadMessagesAndMessagesOfDeadWindows)
{
    HWND w = rec.Create(0, 0, 10, 10);
    ui.Pump();
    PostMessageA(w, WM_USER, 0, 0);
    DestroyWindow(w);
    std::thread([id = GetCurrentThreadId()] { EXPECT_TRUE(PostThreadMessageA(id, WM_APP, 9, 0)); }).join();
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_APP) << "the dead window's message went with it";
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, WPARAM{9});
    EXPECT_FALSE(PostThreadMessageA(0xFFFFFF, WM_APP, 0, 0));
}

TEST_F(MessageQueue, BroadcastsReachMessageWindowsAndTopLevelWindows)
{
    HWND top = rec.Create(0, 0, 10, 10);
    HWND child = rec.Create(0, 0, 5, 5, top, 1);
    int heard = 0;
    HWND listener = CreateMessageWindow([&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
        heard += message == WM_APP + 1 ? 1 : 0;
        return 0;
    });
    ui.Pump();
    rec.Clear();
    SendMessageA(HWND_BROADCAST, WM_APP + 1, 0, 0);
    EXPECT_EQ(rec.Of(top, {WM_APP + 1}).size(), 1u);
    EXPECT_TRUE(rec.Of(child, {WM_APP + 1}).empty()) << "children are not top-level windows";
    PostMessageA(HWND_BROADCAST, WM_APP + 1, 0, 0);
    ui.Pump();
    EXPECT_EQ(heard, 2) << "the posted one came through the thread's loop";
    EXPECT_EQ(rec.Of(top, {WM_APP + 1}).size(), 2u);
    DestroyMessageWindow(listener);
}

}  // namespace
