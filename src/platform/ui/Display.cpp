// The display in use, and what displays may ask of the window system.

#include "platform/ui/Internal.h"

namespace platform::ui {

namespace {

// What the window system uses when no display is installed: a screen that
// nobody sees, and waits on the thread's own queue.
class CInvisibleDisplay final : public IDisplay {
public:
    int ScreenWidth() const override { return 1024; }
    int ScreenHeight() const override { return 768; }
    int LogicalDpi() const override { return 96; }
};

CInvisibleDisplay g_invisible;
std::atomic<IDisplay*> g_pDisplay{&g_invisible};

}  // namespace

void SetDisplay(IDisplay* display)
{
    IDisplay* previous = g_pDisplay.load();
    IDisplay* next = display != nullptr ? display : &g_invisible;
    if (previous == next) {
        return;
    }
    for (detail::CWindow* w : detail::TopLevels()) {
        previous->TopLevelDestroyed(w->m_hwnd);
    }
    g_pDisplay.store(next);
    detail::Input().m_dwInputThread = display != nullptr ? ::GetCurrentThreadId() : 0;
    for (detail::CWindow* w : detail::TopLevels()) {
        if (w->m_pSurface) {
            next->TopLevelCreated(w->m_hwnd, *w->m_pSurface);
        }
    }
    detail::CursorStateChanged();
}

IDisplay* GetDisplay()
{
    return g_pDisplay.load();
}

platform::gdi::Surface* TopLevelSurface(HWND hwnd)
{
    detail::CWindow* w = detail::FindQuiet(hwnd);
    return w != nullptr && w->m_pParent == nullptr ? w->m_pSurface.get() : nullptr;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    const std::vector<detail::CWindow*>& list = detail::TopLevels();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        windows.push_back((*it)->m_hwnd);
    }
    return windows;
}

namespace {
std::atomic<PreTranslateHook> g_pfnPreTranslate{nullptr};
}

void SetPreTranslateHook(PreTranslateHook hook)
{
    g_pfnPreTranslate.store(hook);
}

bool PreTranslate(MSG* msg)
{
    PreTranslateHook hook = g_pfnPreTranslate.load();
    return hook != nullptr && hook(msg);
}

bool PumpOne()
{
    MSG msg{};
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) || msg.message == WM_QUIT) {
        return false;
    }
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    if (!PreTranslate(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

bool KeyTypesText(UINT vk)
{
    return vk == VK_SPACE || (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') ||
           (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) || (vk >= VK_OEM_1 && vk <= VK_OEM_2);
}

std::string WindowTitle(HWND hwnd)
{
    detail::CWindow* w = detail::FindQuiet(hwnd);
    return w != nullptr ? w->m_strText : std::string();
}

}  // namespace platform::ui
