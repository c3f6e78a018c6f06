// Input: raw mouse and key events turned into window messages as the input
// thread retrieves them, key state, focus, activation and capture.

#include "platform/ui/Internal.h"

#include <cstdlib>

namespace platform::ui::detail {

namespace {

// A raw event with what the keyboard and buttons looked like when it
// happened.
struct CRawEvent {
    InputEvent m_event;
    std::uint64_t m_nTime = 0;
    bool m_bShift = false;
    bool m_bControl = false;
    bool m_bAlt = false;
    bool m_bLeft = false;
    bool m_bRight = false;
    bool m_bMiddle = false;
};

struct CRawQueue {
    std::mutex m_mutex;
    std::deque<CRawEvent> m_events;
    std::array<std::atomic<bool>, 256> m_async{};
};

CRawQueue& Raw()
{
    static CRawQueue queue;
    return queue;
}

UINT ButtonKey(MouseButton button)
{
    switch (button) {
    case MouseButton::Right:
        return VK_RBUTTON;
    case MouseButton::Middle:
        return VK_MBUTTON;
    default:
        return VK_LBUTTON;
    }
}

// The generic key that a left or right modifier also sets.
UINT GenericKey(UINT vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return 0;
    }
}

UINT ButtonMessage(InputKind kind, MouseButton button)
{
    const bool down = kind == InputKind::ButtonDown;
    switch (button) {
    case MouseButton::Right:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case MouseButton::Middle:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
}

void PushMessage(CThreadQueue& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const CRawEvent& raw)
{
    queue.m_input.push_back(MSG{hwnd, message, wParam, lParam, static_cast<DWORD>(raw.m_nTime), Input().m_ptCursor});
}

bool ResolveMouse(CThreadQueue& queue, const CRawEvent& raw)
{
    CInputState& state = Input();
    const InputEvent& e = raw.m_event;
    if (e.m_kind != InputKind::Wheel) {
        state.m_ptCursor = e.m_pt;
    }
    WPARAM keys = 0;
    keys |= raw.m_bLeft ? MK_LBUTTON : 0;
    keys |= raw.m_bRight ? MK_RBUTTON : 0;
    keys |= raw.m_bMiddle ? MK_MBUTTON : 0;
    keys |= raw.m_bShift ? MK_SHIFT : 0;
    keys |= raw.m_bControl ? MK_CONTROL : 0;
    const LPARAM screenPoint = MAKELPARAM(static_cast<unsigned>(e.m_pt.x), static_cast<unsigned>(e.m_pt.y));

    if (e.m_kind == InputKind::Wheel) {
        const HWND target = state.m_hFocus != nullptr ? state.m_hFocus : state.m_hActive;
        if (target != nullptr && FindQuiet(target) != nullptr) {
            PushMessage(queue, target, WM_MOUSEWHEEL,
                        MAKEWPARAM(static_cast<unsigned>(keys), static_cast<unsigned>(e.m_nWheelDelta)), screenPoint,
                        raw);
        }
        return true;
    }

    const UINT message = e.m_kind == InputKind::MouseMove ? WM_MOUSEMOVE : ButtonMessage(e.m_kind, e.m_button);
    CWindow* target = nullptr;
    LRESULT hit = HTCLIENT;
    const bool captured = state.m_hCapture != nullptr && FindQuiet(state.m_hCapture) != nullptr;
    if (captured) {
        target = FindQuiet(state.m_hCapture);
    } else {
        target = HitTestWindow(e.m_pt, &hit);
        if (target == nullptr || !OwnedByCaller(target)) {
            return true;
        }
        const HWND hwnd = target->m_hwnd;
        bool eat = false;
        if (hit == HTERROR) {
            Call(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<unsigned>(hit), message));
            return true;
        }
        if (e.m_kind == InputKind::ButtonDown) {
            CWindow* root = RootOf(target);
            if (root->m_hwnd != state.m_hActive && (root->m_dwExStyle & WS_EX_NOACTIVATE) == 0) {
                const LRESULT answer = Call(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root->m_hwnd),
                                            MAKELPARAM(static_cast<unsigned>(hit), message));
                if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) {
                    SetActiveWindow(root->m_hwnd);
                }
                eat = answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
            }
        }
        if (FindQuiet(hwnd) == nullptr) {
            return true;
        }
        Call(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<unsigned>(hit), message));
        if (eat || FindQuiet(hwnd) == nullptr) {
            return true;
        }
    }

    UINT finalMessage = message;
    WPARAM wParam = keys;
    LPARAM lParam = 0;
    const bool client = captured || hit == HTCLIENT;
    if (client) {
        const POINT origin = ClientScreenOrigin(target);
        lParam = MAKELPARAM(static_cast<unsigned>(e.m_pt.x - origin.x), static_cast<unsigned>(e.m_pt.y - origin.y));
    } else {
        finalMessage = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        wParam = static_cast<WPARAM>(hit);
        lParam = screenPoint;
    }
    if (e.m_kind == InputKind::ButtonDown && e.m_button != MouseButton::Middle) {
        const UINT button = ButtonKey(e.m_button);
        const int half = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
        const bool sameSpot = std::abs(e.m_pt.x - state.m_ptLastClick.x) <= half &&
                              std::abs(e.m_pt.y - state.m_ptLastClick.y) <= half;
        const bool isDouble = state.m_hLastClick == target->m_hwnd && state.m_uLastClickButton == button &&
                              raw.m_nTime - state.m_nLastClickTime <= GetDoubleClickTime() && sameSpot &&
                              !state.m_bClickWasDouble;
        const bool classWants = !client || (target->m_pClass->m_uStyle & CS_DBLCLKS) != 0;
        if (isDouble && classWants) {
            finalMessage += 2;  // ...BUTTONDOWN -> ...BUTTONDBLCLK
            state.m_bClickWasDouble = true;
        } else {
            state.m_bClickWasDouble = false;
        }
        state.m_hLastClick = target->m_hwnd;
        state.m_uLastClickButton = button;
        state.m_nLastClickTime = raw.m_nTime;
        state.m_ptLastClick = e.m_pt;
    }
    PushMessage(queue, target->m_hwnd, finalMessage, wParam, lParam, raw);
    return true;
}

bool ResolveKey(CThreadQueue& queue, const CRawEvent& raw)
{
    CInputState& state = Input();
    const InputEvent& e = raw.m_event;
    if (e.m_kind == InputKind::Char) {
        const HWND target = state.m_hFocus != nullptr ? state.m_hFocus : state.m_hActive;
        if (target != nullptr) {
            PushMessage(queue, target, WM_CHAR, e.m_uChar, 1, raw);
        }
        return true;
    }
    const UINT vk = e.m_uVirtualKey & 0xFF;
    const bool down = e.m_kind == InputKind::KeyDown;
    const bool wasDown = state.m_syncKeys[vk];
    state.m_syncKeys[vk] = down;
    if (const UINT generic = GenericKey(vk); generic != 0) {
        state.m_syncKeys[generic] = down;
    }
    if (down && !wasDown && (vk == VK_CAPITAL)) {
        state.m_toggled[vk] = !state.m_toggled[vk];
    }
    const bool alt = state.m_syncKeys[VK_MENU];
    const bool control = state.m_syncKeys[VK_CONTROL];
    HWND target = state.m_hFocus;
    bool system = vk == VK_MENU || vk == VK_F10 || (alt && !control);
    if (target == nullptr) {
        target = state.m_hActive;
        system = true;
    }
    if (target == nullptr || FindQuiet(target) == nullptr) {
        return true;
    }
    const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = 1;
    lParam |= static_cast<LPARAM>(alt ? 1 : 0) << 29;
    lParam |= static_cast<LPARAM>(wasDown ? 1 : 0) << 30;
    lParam |= static_cast<LPARAM>(down ? 0 : 1) << 31;
    queue.m_bLastKeyTextSeparate = e.m_bTextSeparate;
    PushMessage(queue, target, message, vk, lParam, raw);
    return true;
}

void ForgetSubtree(CWindow* w, bool destroying, CInputState& state)
{
    for (CWindow* child : w->m_children) {
        ForgetSubtree(child, destroying, state);
    }
    if (state.m_hCapture == w->m_hwnd) {
        ReleaseCapture();
    }
    if (destroying && state.m_hFocus == w->m_hwnd) {
        state.m_hFocus = nullptr;
        Call(w, WM_KILLFOCUS, 0, 0);
    }
}

}  // namespace

CInputState& Input()
{
    static CInputState state;
    return state;
}

bool RawInputPending()
{
    CRawQueue& raw = Raw();
    std::lock_guard lock(raw.m_mutex);
    return !raw.m_events.empty();
}

bool ResolveNextInput(CThreadQueue& queue)
{
    CRawEvent next;
    {
        CRawQueue& raw = Raw();
        std::lock_guard lock(raw.m_mutex);
        if (raw.m_events.empty()) {
            return false;
        }
        next = raw.m_events.front();
        raw.m_events.pop_front();
    }
    CInputState& state = Input();
    switch (next.m_event.m_kind) {
    case InputKind::ButtonDown:
    case InputKind::ButtonUp:
        state.m_syncKeys[ButtonKey(next.m_event.m_button)] = next.m_event.m_kind == InputKind::ButtonDown;
        return ResolveMouse(queue, next);
    case InputKind::MouseMove:
    case InputKind::Wheel:
        return ResolveMouse(queue, next);
    default:
        return ResolveKey(queue, next);
    }
}

void ForgetWindowInput(CWindow* w)
{
    CInputState& state = Input();
    ForgetSubtree(w, w->m_bDestroying, state);
    if (w->m_pParent == nullptr && state.m_hActive == w->m_hwnd) {
        // Activation passes to the owner, or else to the topmost other
        // visible, enabled window.
        HWND next = nullptr;
        if (w->m_pOwner != nullptr && Visible(w->m_pOwner) && (w->m_pOwner->m_dwStyle & WS_DISABLED) == 0) {
            next = w->m_pOwner->m_hwnd;
        } else {
            for (CWindow* other : TopLevels()) {
                if (other != w && Visible(other) && !other->m_bDestroying &&
                    (other->m_dwStyle & WS_DISABLED) == 0 && (other->m_dwExStyle & WS_EX_NOACTIVATE) == 0 &&
                    OwnedByCaller(other)) {
                    next = other->m_hwnd;
                    break;
                }
            }
        }
        SetActiveWindow(next);
    }
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

namespace platform::ui {

void InjectInput(const InputEvent& event)
{
    CRawQueue& raw = Raw();
    CRawEvent entry;
    entry.m_event = event;
    entry.m_nTime = platform::ClockMilliseconds();
    switch (event.m_kind) {
    case InputKind::KeyDown:
    case InputKind::KeyUp: {
        const bool down = event.m_kind == InputKind::KeyDown;
        const UINT vk = event.m_uVirtualKey & 0xFF;
        raw.m_async[vk] = down;
        if (const UINT generic = GenericKey(vk); generic != 0) {
            raw.m_async[generic] = down;
        }
        break;
    }
    case InputKind::ButtonDown:
    case InputKind::ButtonUp:
        raw.m_async[ButtonKey(event.m_button)] = event.m_kind == InputKind::ButtonDown;
        break;
    default:
        break;
    }
    entry.m_bShift = raw.m_async[VK_SHIFT];
    entry.m_bControl = raw.m_async[VK_CONTROL];
    entry.m_bAlt = raw.m_async[VK_MENU];
    entry.m_bLeft = raw.m_async[VK_LBUTTON];
    entry.m_bRight = raw.m_async[VK_RBUTTON];
    entry.m_bMiddle = raw.m_async[VK_MBUTTON];
    {
        std::lock_guard lock(raw.m_mutex);
        raw.m_events.push_back(entry);
    }
    WakeThread(Input().m_dwInputThread);
}

void ResetInputAndQueue()
{
    CRawQueue& raw = Raw();
    {
        std::lock_guard lock(raw.m_mutex);
        raw.m_events.clear();
    }
    for (auto& key : raw.m_async) {
        key = false;
    }
    CInputState& state = Input();
    const DWORD inputThread = state.m_dwInputThread;
    state.m_hFocus = nullptr;
    state.m_hActive = nullptr;
    state.m_hCapture = nullptr;
    state.m_hCursor = nullptr;
    state.m_nShowCount = 0;
    state.m_ptCursor = POINT{0, 0};
    state.m_syncKeys.fill(false);
    state.m_toggled.fill(false);
    state.m_hLastClick = nullptr;
    state.m_uLastClickButton = 0;
    state.m_nLastClickTime = 0;
    state.m_ptLastClick = POINT{};
    state.m_bClickWasDouble = false;
    state.m_dwInputThread = inputThread;
    ResetCallersQueue();
}

bool InputPending()
{
    if (RawInputPending()) {
        return true;
    }
    MSG msg{};
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

}  // namespace platform::ui

SHORT GetKeyState(int virtualKey)
{
    const CInputState& state = Input();
    const auto vk = static_cast<std::size_t>(virtualKey & 0xFF);
    int value = state.m_toggled[vk] ? 1 : 0;
    if (state.m_syncKeys[vk]) {
        value |= 0x8000;
    }
    return static_cast<SHORT>(value);
}

SHORT GetAsyncKeyState(int virtualKey)
{
    return static_cast<SHORT>(Raw().m_async[static_cast<std::size_t>(virtualKey & 0xFF)] ? 0x8000 : 0);
}

HWND SetFocus(HWND hwnd)
{
    CInputState& state = Input();
    CWindow* w = nullptr;
    if (hwnd != nullptr) {
        w = Find(hwnd);
        if (w == nullptr || w->m_bFreeThreaded || w->m_bMessageOnly) {
            return nullptr;
        }
        if (!OwnedByCaller(w)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        if (state.m_hFocus == hwnd) {
            return hwnd;
        }
        CWindow* root = RootOf(w);
        if (root->m_hwnd != state.m_hActive) {
            SetActiveWindow(root->m_hwnd);
            if (FindQuiet(hwnd) == nullptr) {
                return nullptr;
            }
        }
    }
    const HWND previous = state.m_hFocus;
    if (previous == hwnd) {
        return previous;
    }
    state.m_hFocus = hwnd;
    if (CWindow* old = FindQuiet(previous); old != nullptr && !old->m_bDead) {
        Call(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    if (hwnd != nullptr && state.m_hFocus == hwnd) {
        if (CWindow* now = FindQuiet(hwnd); now != nullptr) {
            Call(now, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
        }
    }
    return previous;
}

HWND GetFocus()
{
    return Input().m_hFocus;
}

HWND SetActiveWindow(HWND hwnd)
{
    CInputState& state = Input();
    CWindow* w = nullptr;
    if (hwnd != nullptr) {
        w = Find(hwnd);
        if (w == nullptr) {
            return nullptr;
        }
        w = RootOf(w);
        hwnd = w->m_hwnd;
        if (w->m_bFreeThreaded || w->m_bMessageOnly) {
            return nullptr;
        }
    }
    const HWND previous = state.m_hActive;
    if (previous == hwnd) {
        return previous;
    }
    if (CWindow* old = FindQuiet(previous); old != nullptr && !old->m_bDead) {
        state.m_hActive = hwnd;
        Call(old, WM_NCACTIVATE, FALSE, 0);
        // The window going inactive still sees its focus (a dialog keeps
        // which control had it); the focus goes after.
        Call(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
        if (state.m_hFocus != nullptr && (state.m_hFocus == previous || IsChild(previous, state.m_hFocus))) {
            const HWND focus = state.m_hFocus;
            state.m_hFocus = nullptr;
            if (CWindow* f = FindQuiet(focus); f != nullptr) {
                Call(f, WM_KILLFOCUS, 0, 0);
            }
        }
    }
    state.m_hActive = hwnd;
    if (w != nullptr && FindQuiet(hwnd) != nullptr) {
        // Activation raises the window among the ordinary (or topmost) ones.
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        Call(w, WM_NCACTIVATE, TRUE, 0);
        Call(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(previous));
    }
    return previous;
}

HWND GetActiveWindow()
{
    return Input().m_hActive;
}

HWND GetForegroundWindow()
{
    return Input().m_hActive;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (FindQuiet(hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    SetActiveWindow(hwnd);
    return TRUE;
}

HWND SetCapture(HWND hwnd)
{
    CInputState& state = Input();
    CWindow* w = Find(hwnd);
    if (w == nullptr || w->m_bFreeThreaded) {
        return nullptr;
    }
    if (!OwnedByCaller(w)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const HWND previous = state.m_hCapture;
    state.m_hCapture = hwnd;
    if (previous != nullptr && previous != hwnd) {
        if (CWindow* old = FindQuiet(previous); old != nullptr) {
            Call(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
        }
    }
    return previous;
}

BOOL ReleaseCapture()
{
    CInputState& state = Input();
    const HWND previous = state.m_hCapture;
    state.m_hCapture = nullptr;
    if (previous != nullptr) {
        if (CWindow* old = FindQuiet(previous); old != nullptr) {
            Call(old, WM_CAPTURECHANGED, 0, 0);
        }
    }
    return TRUE;
}

HWND GetCapture()
{
    return Input().m_hCapture;
}

UINT GetDoubleClickTime()
{
    return 500;
}

namespace {
std::atomic<std::uint64_t> g_nBeeps{0};
}

BOOL MessageBeep(UINT /*type*/)
{
    g_nBeeps.fetch_add(1);
    GetDisplay()->Beep();
    return TRUE;
}

namespace platform::ui {

std::uint64_t BeepCount()
{
    return g_nBeeps.load();
}

}  // namespace platform::ui
