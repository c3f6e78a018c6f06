// Window and thread timers, delivered as WM_TIMER when a thread's queue is
// otherwise empty, at the asked period on the platform clock.

#include "platform/ui/Internal.h"

#include <algorithm>

namespace platform::ui::detail {

std::uint64_t NextTimerDue(const CThreadQueue& queue)
{
    std::uint64_t due = UINT64_MAX;
    for (const CTimer& timer : queue.m_timers) {
        due = std::min(due, timer.m_nDue);
    }
    return due;
}

bool TakeDueTimer(CThreadQueue& queue, HWND filter, UINT /*filterMin*/, UINT /*filterMax*/, bool remove, MSG* msg)
{
    const std::uint64_t now = platform::ClockMilliseconds();
    CTimer* chosen = nullptr;
    for (CTimer& timer : queue.m_timers) {
        if (timer.m_nDue > now) {
            continue;
        }
        if (filter == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)) ? timer.m_hwnd != nullptr
                                                                              : (filter != nullptr && timer.m_hwnd != filter)) {
            continue;
        }
        if (chosen == nullptr || timer.m_nDue < chosen->m_nDue) {
            chosen = &timer;
        }
    }
    if (chosen == nullptr) {
        return false;
    }
    *msg = MSG{chosen->m_hwnd,
               WM_TIMER,
               chosen->m_id,
               reinterpret_cast<LPARAM>(chosen->m_pfnProc),
               static_cast<DWORD>(chosen->m_nDue),
               MessagePoint()};
    if (remove) {
        // Ticks missed while the thread was busy are not made up: the next
        // one is a period after this one, or a period from now if that has
        // already passed.
        chosen->m_nDue += chosen->m_uPeriod;
        if (chosen->m_nDue <= now) {
            chosen->m_nDue = now + chosen->m_uPeriod;
        }
    }
    return true;
}

void KillTimersOf(CThreadQueue& queue, HWND hwnd)
{
    queue.m_timers.erase(std::remove_if(queue.m_timers.begin(), queue.m_timers.end(),
                                        [&](const CTimer& t) { return t.m_hwnd == hwnd; }),
                         queue.m_timers.end());
}

}  // namespace platform::ui::detail

using namespace platform::ui::detail;

std::uint64_t platform::ui::NextTimerDueOnThisThread()
{
    return NextTimerDue(*CurrentQueue());
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (hwnd != nullptr) {
        CWindow* w = Find(hwnd);
        if (w == nullptr) {
            return 0;
        }
        if (!OwnedByCaller(w)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    CThreadQueue& queue = *CurrentQueue();
    elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    if (hwnd == nullptr) {
        const bool exists = std::any_of(queue.m_timers.begin(), queue.m_timers.end(),
                                        [&](const CTimer& t) { return t.m_hwnd == nullptr && t.m_id == id; });
        if (!exists) {
            static std::atomic<UINT_PTR> s_nextId{0x7FF0};
            id = ++s_nextId;
        }
    }
    const std::uint64_t due = platform::ClockMilliseconds() + elapse;
    for (CTimer& timer : queue.m_timers) {
        if (timer.m_hwnd == hwnd && timer.m_id == id) {
            timer.m_uPeriod = elapse;
            timer.m_nDue = due;
            timer.m_pfnProc = proc;
            return hwnd != nullptr && id == 0 ? 1 : id;
        }
    }
    queue.m_timers.push_back(CTimer{hwnd, id, elapse, due, proc});
    return hwnd != nullptr && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    CThreadQueue& queue = *CurrentQueue();
    auto it = std::find_if(queue.m_timers.begin(), queue.m_timers.end(),
                           [&](const CTimer& t) { return t.m_hwnd == hwnd && t.m_id == id; });
    if (it == queue.m_timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    queue.m_timers.erase(it);
    return TRUE;
}
