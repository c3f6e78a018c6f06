// One message queue per thread: posting, sending (also from other threads),
// retrieval in the window system's order, translation, dispatch and the
// waits of message loops.

#include "platform/kernel/Kernel.h"
#include "platform/ui/Internal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace platform::ui::detail {

namespace {

struct CQueueRegistry {
    std::mutex m_mutex;
    std::unordered_map<DWORD, std::weak_ptr<CThreadQueue>> m_queues;
};

CQueueRegistry& Registry()
{
    static CQueueRegistry registry;
    return registry;
}

// Removes the thread's entry when the thread ends; windows that still hold
// the queue keep it alive, and posts to them are dropped at destruction.
struct CQueueHolder {
    std::shared_ptr<CThreadQueue> m_pQueue;
    ~CQueueHolder()
    {
        if (m_pQueue) {
            CQueueRegistry& registry = Registry();
            std::lock_guard lock(registry.m_mutex);
            registry.m_queues.erase(m_pQueue->m_dwThreadId);
        }
    }
};

thread_local CQueueHolder t_queue;

std::shared_ptr<CThreadQueue> QueueOfThread(DWORD threadId)
{
    CQueueRegistry& registry = Registry();
    std::lock_guard lock(registry.m_mutex);
    auto it = registry.m_queues.find(threadId);
    return it == registry.m_queues.end() ? nullptr : it->second.lock();
}

bool IsInputThread()
{
    return Input().m_dwInputThread == ::GetCurrentThreadId();
}

DWORD MessageTime()
{
    return static_cast<DWORD>(platform::ClockMilliseconds());
}

void PostTo(CThreadQueue& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard lock(queue.m_mutex);
        queue.m_posted.push_back(MSG{hwnd, message, wParam, lParam, MessageTime(), MessagePoint()});
    }
    WakeQueue(queue);
}

bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax)
{
    if (filter == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1))) {
        if (msg.hwnd != nullptr) {
            return false;
        }
    } else if (filter != nullptr && msg.hwnd != filter) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool RangeIncludes(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

void RunTasks(CThreadQueue& queue)
{
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(queue.m_mutex);
            if (queue.m_tasks.empty()) {
                return;
            }
            task = std::move(queue.m_tasks.front());
            queue.m_tasks.pop_front();
        }
        task();
    }
}

void ProcessSentMessages(CThreadQueue& queue)
{
    RunTasks(queue);
    for (;;) {
        std::shared_ptr<CSentMessage> sent;
        {
            std::lock_guard lock(queue.m_mutex);
            if (queue.m_sent.empty()) {
                return;
            }
            sent = std::move(queue.m_sent.front());
            queue.m_sent.pop_front();
        }
        LRESULT result = 0;
        if (CWindow* w = FindQuiet(sent->m_hwnd); w != nullptr && !w->m_bDead) {
            result = Call(w, sent->m_uMessage, sent->m_wParam, sent->m_lParam);
        }
        if (!sent->m_bNotify && sent->m_pSender) {
            CThreadQueue& sender = *sent->m_pSender;
            {
                std::lock_guard lock(sender.m_mutex);
                sent->m_result = result;
                sent->m_bDone = true;
            }
            sender.m_cv.notify_all();
        }
    }
}

void QueueSent(CWindow* w, const std::shared_ptr<CSentMessage>& sent)
{
    CThreadQueue& target = *w->m_pQueue;
    {
        std::lock_guard lock(target.m_mutex);
        target.m_sent.push_back(sent);
    }
    WakeQueue(target);
}

LRESULT SendAcrossThreads(CWindow* w, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto me = CurrentQueue();
    auto sent = std::make_shared<CSentMessage>();
    sent->m_hwnd = w->m_hwnd;
    sent->m_uMessage = message;
    sent->m_wParam = wParam;
    sent->m_lParam = lParam;
    sent->m_pSender = me;
    std::weak_ptr<CThreadQueue> target = w->m_pQueue;
    const DWORD targetThread = w->m_pQueue->m_dwThreadId;
    QueueSent(w, sent);
    for (;;) {
        {
            std::unique_lock lock(me->m_mutex);
            if (sent->m_bDone) {
                return sent->m_result;
            }
            if (me->m_sent.empty() && me->m_tasks.empty()) {
                me->m_cv.wait_for(lock, std::chrono::milliseconds(100));
                if (sent->m_bDone) {
                    return sent->m_result;
                }
            }
        }
        // Sends to us from the thread we are waiting for must not deadlock.
        ProcessSentMessages(*me);
        if (!QueueOfThread(targetThread)) {
            return 0;  // the owning thread has ended and will never answer
        }
    }
}

LRESULT CallFreeThreaded(CWindow* w, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowPtr keep = Lookup(w->m_hwnd);
    std::lock_guard lock(w->m_dispatchMutex);
    if (!w->m_bAlive || !w->m_handler) {
        return 0;
    }
    return w->m_handler(w->m_hwnd, message, wParam, lParam);
}

bool TakePaint(CThreadQueue& queue, HWND filter, MSG* msg)
{
    for (;;) {
        CWindow* chosen = nullptr;
        for (HWND hwnd : queue.m_paintPending) {
            CWindow* w = FindQuiet(hwnd);
            if (w == nullptr || !PaintPending(w)) {
                continue;
            }
            if (filter != nullptr && hwnd != filter) {
                continue;
            }
            // Parents paint before their children.
            bool ancestorPending = false;
            for (CWindow* p = w->m_pParent; p != nullptr; p = p->m_pParent) {
                if (PaintPending(p) && (filter == nullptr || p->m_hwnd == filter)) {
                    ancestorPending = true;
                    break;
                }
            }
            if (!ancestorPending) {
                chosen = w;
                break;
            }
        }
        queue.m_paintPending.erase(std::remove_if(queue.m_paintPending.begin(), queue.m_paintPending.end(),
                                                  [](HWND h) {
                                                      CWindow* w = FindQuiet(h);
                                                      return w == nullptr || !PaintPending(w);
                                                  }),
                                   queue.m_paintPending.end());
        if (chosen == nullptr) {
            return false;
        }
        if (chosen->m_update.Empty() && !chosen->m_bErasePending) {
            // Only the frame needs drawing: no WM_PAINT for that.
            PaintNonClient(chosen);
            continue;
        }
        *msg = MSG{chosen->m_hwnd, WM_PAINT, 0, 0, MessageTime(), MessagePoint()};
        return true;
    }
}

bool Retrieve(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    auto queue = CurrentQueue();
    ProcessSentMessages(*queue);
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    const bool inputThread = IsInputThread();
    if (inputThread) {
        GetDisplay()->PollEvents();
    }
    {
        std::lock_guard lock(queue->m_mutex);
        for (auto it = queue->m_posted.begin(); it != queue->m_posted.end(); ++it) {
            if (Matches(*it, filter, filterMin, filterMax)) {
                *msg = *it;
                if (remove) {
                    queue->m_posted.erase(it);
                }
                return true;
            }
        }
    }
    if (inputThread) {
        for (;;) {
            auto it = std::find_if(queue->m_input.begin(), queue->m_input.end(),
                                   [&](const MSG& m) { return Matches(m, filter, filterMin, filterMax); });
            if (it != queue->m_input.end()) {
                *msg = *it;
                if (remove) {
                    queue->m_input.erase(it);
                }
                return true;
            }
            if (!queue->m_input.empty() || !ResolveNextInput(*queue)) {
                break;
            }
        }
    }
    {
        std::lock_guard lock(queue->m_mutex);
        if (queue->m_bQuit) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue->m_nQuitCode), 0, MessageTime(),
                       MessagePoint()};
            if (remove) {
                queue->m_bQuit = false;
            }
            return true;
        }
    }
    if (RangeIncludes(WM_PAINT, filterMin, filterMax) && TakePaint(*queue, filter, msg)) {
        return true;
    }
    if (RangeIncludes(WM_TIMER, filterMin, filterMax) &&
        TakeDueTimer(*queue, filter, filterMin, filterMax, remove, msg)) {
        return true;
    }
    return false;
}

[[noreturn]] void ReportStall()
{
    std::fputs("window system: the user-interface thread waits for input that nothing will give "
               "(a headless test left a message loop running without a scripted step)\n",
               stderr);
    std::fflush(stderr);
    std::abort();
}

// Blocks until something may have arrived for the calling thread.
void WaitForWork(CThreadQueue& queue)
{
    const std::uint64_t deadline = NextTimerDue(queue);
    if (IsInputThread()) {
        IDisplay* display = GetDisplay();
        display->Present();
        if (display->WaitForEvents(deadline)) {
            return;
        }
    }
    const bool virtualClock = platform::VirtualClockInUse();
    std::unique_lock lock(queue.m_mutex);
    auto ready = [&] {
        return !queue.m_posted.empty() || !queue.m_sent.empty() || !queue.m_tasks.empty() || queue.m_bQuit ||
               (IsInputThread() && RawInputPending());
    };
    if (ready()) {
        return;
    }
    if (virtualClock) {
        // Time stands still: only another thread can still wake us. A test
        // that forgot to script the next step would hang; say so instead.
        if (!queue.m_cv.wait_for(lock, std::chrono::seconds(20), ready)) {
            ReportStall();
        }
        return;
    }
    if (deadline == UINT64_MAX) {
        queue.m_cv.wait(lock, ready);
        return;
    }
    const std::uint64_t now = platform::ClockMilliseconds();
    if (deadline > now) {
        queue.m_cv.wait_for(lock, std::chrono::milliseconds(deadline - now), ready);
    }
}

}  // namespace

std::shared_ptr<CThreadQueue> CurrentQueue()
{
    if (!t_queue.m_pQueue) {
        auto queue = std::make_shared<CThreadQueue>();
        queue->m_dwThreadId = ::GetCurrentThreadId();
        CQueueRegistry& registry = Registry();
        std::lock_guard lock(registry.m_mutex);
        registry.m_queues[queue->m_dwThreadId] = queue;
        t_queue.m_pQueue = std::move(queue);
    }
    return t_queue.m_pQueue;
}

void WakeQueue(CThreadQueue& queue)
{
    {
        // Taken so that a waiter between its check and its wait cannot miss
        // the notification.
        std::lock_guard lock(queue.m_mutex);
    }
    queue.m_cv.notify_all();
    if (queue.m_dwThreadId == Input().m_dwInputThread) {
        GetDisplay()->Wake();
    }
}

void ResetCallersQueue()
{
    auto queue = CurrentQueue();
    std::deque<std::shared_ptr<CSentMessage>> sent;
    {
        std::lock_guard lock(queue->m_mutex);
        queue->m_posted.clear();
        queue->m_tasks.clear();
        queue->m_bQuit = false;
        sent.swap(queue->m_sent);
    }
    for (const auto& message : sent) {
        if (!message->m_bNotify && message->m_pSender) {
            {
                std::lock_guard lock(message->m_pSender->m_mutex);
                message->m_bDone = true;
            }
            message->m_pSender->m_cv.notify_all();
        }
    }
    queue->m_timers.clear();
    queue->m_input.clear();
    queue->m_paintPending.clear();
}

void QueueTask(CThreadQueue& queue, std::function<void()> task)
{
    {
        std::lock_guard lock(queue.m_mutex);
        queue.m_tasks.push_back(std::move(task));
    }
    WakeQueue(queue);
}

POINT MessagePoint()
{
    return IsInputThread() ? Input().m_ptCursor : POINT{0, 0};
}

void WakeThread(DWORD threadId)
{
    if (threadId == 0) {
        return;
    }
    if (auto queue = QueueOfThread(threadId)) {
        WakeQueue(*queue);
    }
}

void PurgeMessagesFor(CWindow* w)
{
    CThreadQueue& queue = *w->m_pQueue;
    {
        std::lock_guard lock(queue.m_mutex);
        queue.m_posted.erase(std::remove_if(queue.m_posted.begin(), queue.m_posted.end(),
                                            [&](const MSG& m) { return m.hwnd == w->m_hwnd; }),
                             queue.m_posted.end());
    }
    if (OwnedByCaller(w)) {
        queue.m_input.erase(std::remove_if(queue.m_input.begin(), queue.m_input.end(),
                                           [&](const MSG& m) { return m.hwnd == w->m_hwnd; }),
                            queue.m_input.end());
    }
}

void NotePaintPending(CWindow* w)
{
    auto& pending = w->m_pQueue->m_paintPending;
    if (std::find(pending.begin(), pending.end(), w->m_hwnd) == pending.end()) {
        pending.push_back(w->m_hwnd);
    }
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

bool IsWindow(HWND window)
{
    CWindow* w = FindQuiet(window);
    return w != nullptr && !w->m_bDead;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == HWND_BROADCAST) {
        // Windows of other threads hear a broadcast without the sender
        // waiting for them: a thread writing the log never blocks on a busy
        // user-interface thread.
        for (const WindowPtr& w : BroadcastTargets()) {
            if (w->m_bFreeThreaded) {
                CallFreeThreaded(w.get(), message, wParam, lParam);
            } else if (OwnedByCaller(w.get())) {
                Call(w.get(), message, wParam, lParam);
            } else {
                SendNotifyMessageA(w->m_hwnd, message, wParam, lParam);
            }
        }
        return 0;
    }
    WindowPtr w = Lookup(window);
    if (!w || w->m_bDead) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->m_bFreeThreaded) {
        return CallFreeThreaded(w.get(), message, wParam, lParam);
    }
    if (OwnedByCaller(w.get())) {
        return Call(w.get(), message, wParam, lParam);
    }
    return SendAcrossThreads(w.get(), message, wParam, lParam);
}

BOOL SendNotifyMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowPtr w = Lookup(hwnd);
    if (!w || w->m_bDead) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->m_bFreeThreaded || OwnedByCaller(w.get())) {
        SendMessageA(hwnd, message, wParam, lParam);
        return TRUE;
    }
    auto sent = std::make_shared<CSentMessage>();
    sent->m_hwnd = hwnd;
    sent->m_uMessage = message;
    sent->m_wParam = wParam;
    sent->m_lParam = lParam;
    sent->m_bNotify = true;
    QueueSent(w.get(), sent);
    return TRUE;
}

bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == nullptr) {
        PostTo(*CurrentQueue(), nullptr, message, wParam, lParam);
        return true;
    }
    if (window == HWND_BROADCAST) {
        for (const WindowPtr& w : BroadcastTargets()) {
            PostTo(*w->m_pQueue, w->m_hwnd, message, wParam, lParam);
        }
        return true;
    }
    WindowPtr w = Lookup(window);
    if (!w || w->m_bDead) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    PostTo(*w->m_pQueue, window, message, wParam, lParam);
    return true;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto queue = threadId == ::GetCurrentThreadId() ? CurrentQueue() : QueueOfThread(threadId);
    if (!queue) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    PostTo(*queue, nullptr, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    auto queue = CurrentQueue();
    {
        std::lock_guard lock(queue->m_mutex);
        queue->m_bQuit = true;
        queue->m_nQuitCode = exitCode;
    }
    WakeQueue(*queue);
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    MSG local{};
    if (!Retrieve(&local, hwnd, filterMin, filterMax, removeFlags)) {
        return FALSE;
    }
    if ((removeFlags & PM_REMOVE) != 0) {
        CThreadQueue& queue = *CurrentQueue();
        queue.m_dwMessageTime = local.time;
        queue.m_ptMessage = local.pt;
    }
    if (msg != nullptr) {
        *msg = local;
    }
    return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    auto queue = CurrentQueue();
    MSG local{};
    while (!PeekMessageA(&local, hwnd, filterMin, filterMax, PM_REMOVE)) {
        WaitForWork(*queue);
    }
    if (msg != nullptr) {
        *msg = local;
    }
    return local.message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage()
{
    auto queue = CurrentQueue();
    MSG msg{};
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        WaitForWork(*queue);
    }
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD /*wakeMask*/)
{
    const std::uint64_t start = platform::ClockMilliseconds();
    auto queue = CurrentQueue();
    for (;;) {
        DWORD signalled = 0;
        for (DWORD i = 0; i < count; ++i) {
            if (WaitForSingleObject(handles[i], 0) == WAIT_OBJECT_0) {
                if (!waitAll) {
                    return WAIT_OBJECT_0 + i;
                }
                ++signalled;
            }
        }
        if (waitAll && count > 0 && signalled == count) {
            return WAIT_OBJECT_0;
        }
        MSG msg{};
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            return WAIT_OBJECT_0 + count;
        }
        const std::uint64_t now = platform::ClockMilliseconds();
        if (milliseconds != INFINITE && now - start >= milliseconds) {
            return WAIT_TIMEOUT;
        }
        // Kernel events cannot wake a queue, so they are looked at again
        // every few milliseconds.
        std::unique_lock lock(queue->m_mutex);
        if (queue->m_posted.empty() && queue->m_sent.empty() && queue->m_tasks.empty() && !queue->m_bQuit) {
            queue->m_cv.wait_for(lock, std::chrono::milliseconds(2));
        }
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) {
        return FALSE;
    }
    const UINT vk = static_cast<UINT>(msg->wParam);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    unsigned ch = 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (control) {
            ch = vk - 'A' + 1;
        } else {
            ch = (shift != caps) ? vk : vk - 'A' + 'a';
        }
    } else if (vk >= '0' && vk <= '9') {
        static const char kShifted[] = ")!@#$%^&*(";
        ch = shift ? static_cast<unsigned char>(kShifted[vk - '0']) : vk;
    } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        ch = '0' + (vk - VK_NUMPAD0);
    } else {
        switch (vk) {
        case VK_SPACE: ch = ' '; break;
        case VK_RETURN: ch = '\r'; break;
        case VK_BACK: ch = 8; break;
        case VK_TAB: ch = '\t'; break;
        case VK_ESCAPE: ch = 27; break;
        case VK_OEM_1: ch = shift ? ':' : ';'; break;
        case VK_OEM_PLUS: ch = shift ? '+' : '='; break;
        case VK_OEM_COMMA: ch = shift ? '<' : ','; break;
        case VK_OEM_MINUS: ch = shift ? '_' : '-'; break;
        case VK_OEM_PERIOD: ch = shift ? '>' : '.'; break;
        case VK_OEM_2: ch = shift ? '?' : '/'; break;
        case VK_MULTIPLY: ch = '*'; break;
        case VK_ADD: ch = '+'; break;
        case VK_SUBTRACT: ch = '-'; break;
        case VK_DECIMAL: ch = '.'; break;
        case VK_DIVIDE: ch = '/'; break;
        default: break;
        }
    }
    if (ch == 0) {
        return FALSE;
    }
    CThreadQueue& queue = *CurrentQueue();
    const bool printable = ch >= 32 && !control;
    if (printable && queue.m_bLastKeyTextSeparate) {
        return TRUE;  // the display delivers the character itself
    }
    const UINT charMessage = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    {
        std::lock_guard lock(queue.m_mutex);
        queue.m_posted.push_front(MSG{msg->hwnd, charMessage, ch, msg->lParam, msg->time, msg->pt});
    }
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr) {
        if (msg != nullptr && msg->message == WM_TIMER && msg->lParam != 0) {
            reinterpret_cast<TIMERPROC>(msg->lParam)(nullptr, WM_TIMER, msg->wParam, GetTickCount());
        }
        return 0;
    }
    WindowPtr w = Lookup(msg->hwnd);
    if (!w || w->m_bDead) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->m_bFreeThreaded) {
        return CallFreeThreaded(w.get(), msg->message, msg->wParam, msg->lParam);
    }
    if (!OwnedByCaller(w.get())) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (msg->message == WM_PAINT) {
        w->m_bPaintedThisRound = false;
        const LRESULT result = Call(w.get(), WM_PAINT, msg->wParam, msg->lParam);
        // A window procedure that ignores WM_PAINT would get it forever.
        if (!w->m_bDead && !w->m_bPaintedThisRound) {
            DropPaint(w.get());
        }
        return result;
    }
    return Call(w.get(), msg->message, msg->wParam, msg->lParam);
}

DWORD GetMessageTime()
{
    return CurrentQueue()->m_dwMessageTime;
}

DWORD GetMessagePos()
{
    const POINT pt = CurrentQueue()->m_ptMessage;
    return static_cast<DWORD>(MAKELPARAM(static_cast<unsigned>(pt.x), static_cast<unsigned>(pt.y)));
}

DWORD GetQueueStatus(UINT flags)
{
    auto queue = CurrentQueue();
    DWORD status = 0;
    {
        std::lock_guard lock(queue->m_mutex);
        if (!queue->m_posted.empty()) {
            status |= QS_POSTMESSAGE;
        }
        if (!queue->m_sent.empty()) {
            status |= QS_SENDMESSAGE;
        }
    }
    if (IsInputThread() && (!queue->m_input.empty() || RawInputPending())) {
        status |= QS_INPUT;
    }
    if (!queue->m_paintPending.empty()) {
        status |= QS_PAINT;
    }
    if (NextTimerDue(*queue) <= platform::ClockMilliseconds()) {
        status |= QS_TIMER;
    }
    return (status & flags) << 16 | (status & flags);
}
