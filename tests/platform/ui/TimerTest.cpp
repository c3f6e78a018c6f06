// Timers on the virtual clock: the period asked for, the low priority of
// WM_TIMER, callbacks, killing, and ticks that are not made up.

#include "UiFixture.h"

#include "platform/kernel/Kernel.h"

namespace {

using uitest::Message;
using Timers = uitest::CUiTest;

TEST_F(Timers, FireAtTheAskedPeriodOnTheVirtualClockUntilKilledOrReset)
{
    HWND w = rec.Create(0, 0, 10, 10);
    std::vector<DWORD> ticks;
    rec.On(WM_TIMER, [&](const Message& m, LRESULT&) {
        if (m.wParam == 7) {
            ticks.push_back(GetTickCount());
        }
        return true;
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(SetTimer(w, 7, 50, nullptr), UINT_PTR{7});
    ui.Advance(49);
    EXPECT_TRUE(ticks.empty());
    ui.Advance(151);
    ASSERT_EQ(ticks.size(), 4u);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i] - start, 50u * (i + 1));
    }
    EXPECT_TRUE(KillTimer(w, 7));
    ui.Advance(500);
    EXPECT_EQ(ticks.size(), 4u) << "no tick after KillTimer";
    EXPECT_FALSE(KillTimer(w, 7));

    // Set again, a timer starts its period over.
    SetTimer(w, 1, 100, nullptr);
    ui.Advance(80);
    SetTimer(w, 1, 100, nullptr);
    rec.Clear();
    ui.Advance(90);
    EXPECT_TRUE(rec.Of(w, {WM_TIMER}).empty());
    ui.Advance(10);
    EXPECT_EQ(rec.Of(w, {WM_TIMER}).size(), 1u);
    KillTimer(w, 1);
}

TEST_F(Timers, ComeAfterPostedMessagesAndMissedTicksAreNotMadeUp)
{
    HWND w = rec.Create(0, 0, 10, 10);
    SetTimer(w, 1, 50, nullptr);
    ui.Display().Tick(1000);  // twenty periods pass while nothing runs
    PostMessageA(w, WM_USER, 0, 0);
    PostMessageA(w, WM_USER + 1, 0, 0);
    rec.Clear();
    ui.Pump();
    EXPECT_EQ(rec.Sequence({WM_USER, WM_USER + 1, WM_TIMER}), (std::vector<UINT>{WM_USER, WM_USER + 1, WM_TIMER}));
    rec.Clear();
    ui.Advance(50);
    EXPECT_EQ(rec.Of(w, {WM_TIMER}).size(), 1u) << "the next tick is one period on";
    KillTimer(w, 1);
}

TEST_F(Timers, CallbacksRunInsteadOfTheWindowProcedureAndTimersDieWithTheirWindow)
{
    HWND w = rec.Create(0, 0, 10, 10);
    static int s_calls = 0;
    static HWND s_window = nullptr;
    s_calls = 0;
    SetTimer(w, 3, 20, [](HWND hwnd, UINT message, UINT_PTR id, DWORD) {
        if (message == WM_TIMER && id == 3) {
            ++s_calls;
            s_window = hwnd;
        }
    });
    rec.Clear();
    ui.Advance(60);
    EXPECT_EQ(s_calls, 3);
    EXPECT_EQ(s_window, w);
    EXPECT_TRUE(rec.Of(w, {WM_TIMER}).empty());
    // A thread timer has no window and gets an id of its own.
    const UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++s_calls; });
    EXPECT_NE(id, UINT_PTR{0});
    ui.Advance(10);
    EXPECT_EQ(s_calls, 4) << "the thread timer once; the window timer is next due at 80 ms";
    KillTimer(nullptr, id);
    KillTimer(w, 3);

    // Timers die with their window.
    SetTimer(w, 1, 10, nullptr);
    DestroyWindow(w);
    rec.Clear();
    ui.Advance(100);
    EXPECT_TRUE(rec.Log().empty());
    EXPECT_EQ(platform::ui::NextTimerDueOnThisThread(), UINT64_MAX);
}

}  // namespace
