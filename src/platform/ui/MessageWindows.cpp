// Message windows: windows of the window system whose handler any thread
// may run. They hear broadcasts and posted messages like any top-level
// window, and DispatchPostedMessages runs their queued messages wherever it
// is called.

#include "platform/ui/Internal.h"

#include <algorithm>

namespace platform::ui::detail {

namespace {

LRESULT MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Only reached through DispatchMessage or Call on the owning thread;
    // SendMessage goes to the handler directly.
    WindowPtr w = Lookup(hwnd);
    if (!w) {
        return 0;
    }
    std::lock_guard lock(w->m_dispatchMutex);
    if (!w->m_bAlive || !w->m_handler) {
        return 0;
    }
    return w->m_handler(hwnd, message, wParam, lParam);
}

const std::shared_ptr<CWindowClass>& MessageWindowClass()
{
    static const std::shared_ptr<CWindowClass> cls = [] {
        auto c = std::make_shared<CWindowClass>();
        c->m_strName = "IntonaraMessageWindow";
        c->m_strKey = "intonaramessagewindow";
        c->m_pfnProc = MessageWindowProc;
        return c;
    }();
    return cls;
}

}  // namespace

}  // namespace platform::ui::detail

using namespace platform::ui::detail;

HWND CreateMessageWindow(MessageHandler handler)
{
    if (!handler) {
        return nullptr;
    }
    return CreateFreeThreadedWindow(std::move(handler), MessageWindowProc, MessageWindowClass());
}

bool DestroyMessageWindow(HWND window)
{
    return DestroyFreeThreadedWindow(window);
}

std::size_t DispatchPostedMessages(HWND window)
{
    WindowPtr w = Lookup(window);
    if (!w || w->m_bDead) {
        return 0;
    }
    if (!w->m_bFreeThreaded && !OwnedByCaller(w.get())) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    CThreadQueue& queue = *w->m_pQueue;
    std::size_t count = 0;
    for (;;) {
        MSG next{};
        {
            std::lock_guard lock(queue.m_mutex);
            auto it = std::find_if(queue.m_posted.begin(), queue.m_posted.end(),
                                   [&](const MSG& m) { return m.hwnd == window; });
            if (it == queue.m_posted.end()) {
                return count;
            }
            next = *it;
            queue.m_posted.erase(it);
        }
        if (w->m_bDead) {
            return count;
        }
        DispatchMessageA(&next);
        ++count;
    }
}
