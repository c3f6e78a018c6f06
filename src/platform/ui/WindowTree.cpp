// Windows: the handle table, creation and destruction, the parent/child
// tree and z-order, text, window values and properties.

#include "platform/ui/Internal.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace platform::ui::detail {

namespace {

struct CWindowTable {
    std::mutex m_mutex;
    // Ordered by handle, and handles only grow: iteration is creation order.
    std::map<std::uintptr_t, WindowPtr> m_windows;
    // Starts above HWND_BROADCAST so no handle can be mistaken for it.
    std::uintptr_t m_nNext = 0x10000;
    std::vector<CWindow*> m_topLevels;
};

CWindowTable& Table()
{
    static CWindowTable table;
    return table;
}

thread_local CreationHook t_pfnCreationHook = nullptr;
thread_local void* t_pCreationContext = nullptr;

POINT g_ptNextCascade{40, 40};

}  // namespace

std::mutex& TableMutex()
{
    return Table().m_mutex;
}

WindowPtr Lookup(HWND hwnd)
{
    CWindowTable& table = Table();
    std::lock_guard lock(table.m_mutex);
    auto it = table.m_windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == table.m_windows.end() ? nullptr : it->second;
}

CWindow* FindQuiet(HWND hwnd)
{
    CWindowTable& table = Table();
    std::lock_guard lock(table.m_mutex);
    auto it = table.m_windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == table.m_windows.end() ? nullptr : it->second.get();
}

CWindow* Find(HWND hwnd)
{
    CWindow* w = FindQuiet(hwnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return w;
}

std::vector<WindowPtr> BroadcastTargets()
{
    CWindowTable& table = Table();
    std::lock_guard lock(table.m_mutex);
    std::vector<WindowPtr> targets;
    for (const auto& [key, w] : table.m_windows) {
        if (w->m_pParent == nullptr && !w->m_bMessageOnly && !w->m_bDestroying) {
            targets.push_back(w);
        }
    }
    return targets;
}

std::vector<CWindow*>& TopLevels()
{
    return Table().m_topLevels;
}

bool IsTopLevel(const CWindow* w)
{
    return w->m_pParent == nullptr;
}

CWindow* RootOf(CWindow* w)
{
    while (w->m_pParent != nullptr) {
        w = w->m_pParent;
    }
    return w;
}

bool OwnedByCaller(const CWindow* w)
{
    return w->m_pQueue->m_dwThreadId == ::GetCurrentThreadId();
}

LRESULT Call(CWindow* w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (w->m_bDead) {
        return 0;
    }
    if (!OwnedByCaller(w) && !w->m_bFreeThreaded) {
        return SendMessageA(w->m_hwnd, message, wParam, lParam);
    }
    // A window procedure may destroy its own window; the record stays alive
    // until the call returns.
    WindowPtr keep = Lookup(w->m_hwnd);
    return w->m_pfnProc(w->m_hwnd, message, wParam, lParam);
}

void RemoveFromZOrder(CWindow* w)
{
    std::vector<CWindow*>& list = w->m_pParent != nullptr ? w->m_pParent->m_children : TopLevels();
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

void SetNextCreationHook(CreationHook hook, void* context)
{
    t_pfnCreationHook = hook;
    t_pCreationContext = context;
}

namespace {

// New top-level windows go on top of the others of their kind: above every
// ordinary window, and topmost ones above everything.
void InsertTopLevel(CWindow* w)
{
    std::vector<CWindow*>& list = TopLevels();
    auto pos = list.begin();
    if ((w->m_dwExStyle & WS_EX_TOPMOST) == 0) {
        while (pos != list.end() && ((*pos)->m_dwExStyle & WS_EX_TOPMOST) != 0) {
            ++pos;
        }
    }
    list.insert(pos, w);
}

void Unlink(CWindow* w)
{
    RemoveFromZOrder(w);
    if (w->m_pParent == nullptr && w->m_pSurface) {
        GetDisplay()->TopLevelDestroyed(w->m_hwnd);
    }
    for (CWindow* other : TopLevels()) {
        if (other->m_pOwner == w) {
            other->m_pOwner = nullptr;
        }
    }
}

void Finish(CWindow* w)
{
    PurgeMessagesFor(w);
    KillTimersOf(*w->m_pQueue, w->m_hwnd);
    DropPaint(w);
    Unlink(w);
    w->m_bDead = true;
    CountClassWindow(*w->m_pClass, -1);
    CWindowTable& table = Table();
    WindowPtr last;
    {
        std::lock_guard lock(table.m_mutex);
        auto it = table.m_windows.find(reinterpret_cast<std::uintptr_t>(w->m_hwnd));
        if (it != table.m_windows.end()) {
            last = std::move(it->second);
            table.m_windows.erase(it);
        }
    }
    // `last` may be the final reference; it goes here, outside the lock.
}

void MarkDestroying(CWindow* w)
{
    w->m_bDestroying = true;
    for (CWindow* child : w->m_children) {
        MarkDestroying(child);
    }
}

void SendDestroy(CWindow* w)
{
    Call(w, WM_DESTROY, 0, 0);
    const std::vector<CWindow*> children = w->m_children;
    for (CWindow* child : children) {
        if (!child->m_bDead) {
            SendDestroy(child);
        }
    }
}

void FreeTree(CWindow* w)
{
    WindowPtr keep = Lookup(w->m_hwnd);
    const std::vector<CWindow*> children = w->m_children;
    for (CWindow* child : children) {
        if (!child->m_bDead) {
            FreeTree(child);
        }
    }
    Call(w, WM_NCDESTROY, 0, 0);
    Finish(w);
}

}  // namespace

HWND CreateFreeThreadedWindow(MessageHandler handler, WNDPROC proc, const std::shared_ptr<CWindowClass>& cls)
{
    auto w = std::make_shared<CWindow>();
    w->m_pClass = cls;
    w->m_pQueue = CurrentQueue();
    w->m_pfnProc = proc;
    w->m_bFreeThreaded = true;
    w->m_bMessageOnly = false;
    w->m_handler = std::move(handler);
    CountClassWindow(*cls, 1);
    CWindowTable& table = Table();
    std::lock_guard lock(table.m_mutex);
    w->m_hwnd = reinterpret_cast<HWND>(table.m_nNext++);
    table.m_windows.emplace(reinterpret_cast<std::uintptr_t>(w->m_hwnd), w);
    return w->m_hwnd;
}

bool DestroyFreeThreadedWindow(HWND hwnd)
{
    WindowPtr w;
    {
        CWindowTable& table = Table();
        std::lock_guard lock(table.m_mutex);
        auto it = table.m_windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
        if (it == table.m_windows.end() || !it->second->m_bFreeThreaded) {
            return false;
        }
        w = std::move(it->second);
        table.m_windows.erase(it);
    }
    {
        // Waits for a handler running on another thread; a handler that
        // destroys its own window holds this already (it is recursive).
        std::lock_guard lock(w->m_dispatchMutex);
        w->m_bAlive = false;
    }
    w->m_bDead = true;
    PurgeMessagesFor(w.get());
    CountClassWindow(*w->m_pClass, -1);
    return true;
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

DWORD GetCurrentThreadId()
{
    static std::atomic<DWORD> s_nextId{1};
    thread_local const DWORD t_id = s_nextId.fetch_add(1);
    return t_id;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return 0;
    }
    if (processId != nullptr) {
        *processId = static_cast<DWORD>(::getpid());
    }
    return w->m_pQueue->m_dwThreadId;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    auto cls = FindClass(instance, className);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool messageOnly = parent == HWND_MESSAGE;
    CWindow* parentWindow = nullptr;
    CWindow* ownerWindow = nullptr;
    if ((style & WS_CHILD) != 0 && !messageOnly) {
        if (parent == nullptr) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        parentWindow = Find(parent);
        if (parentWindow == nullptr || parentWindow->m_bDestroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (!OwnedByCaller(parentWindow)) {
            SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
            return nullptr;
        }
    } else if (parent != nullptr && !messageOnly) {
        CWindow* given = Find(parent);
        if (given == nullptr) {
            return nullptr;
        }
        ownerWindow = RootOf(given);
    }
    if (messageOnly) {
        style &= ~WS_CHILD;
    }

    const bool topLevel = parentWindow == nullptr;
    if (topLevel && !messageOnly) {
        if (x == CW_USEDEFAULT) {
            x = g_ptNextCascade.x;
            y = g_ptNextCascade.y;
            g_ptNextCascade.x = g_ptNextCascade.x >= 200 ? 40 : g_ptNextCascade.x + 24;
            g_ptNextCascade.y = g_ptNextCascade.y >= 200 ? 40 : g_ptNextCascade.y + 24;
        }
        if (width == CW_USEDEFAULT) {
            width = std::max(100, GetDisplay()->ScreenWidth() * 3 / 4);
            height = std::max(100, GetDisplay()->ScreenHeight() * 3 / 4);
        }
    } else {
        if (x == CW_USEDEFAULT) {
            x = y = 0;
        }
        if (width == CW_USEDEFAULT) {
            width = height = 0;
        }
    }
    width = std::max(width, 0);
    height = std::max(height, 0);

    auto w = std::make_shared<CWindow>();
    w->m_pClass = cls;
    w->m_pQueue = CurrentQueue();
    w->m_pfnProc = cls->m_pfnProc;
    w->m_hInstance = instance;
    w->m_dwStyle = style & ~WS_VISIBLE;
    w->m_dwExStyle = exStyle;
    w->m_pParent = parentWindow;
    w->m_pOwner = ownerWindow;
    w->m_bMessageOnly = messageOnly;
    w->m_rcWindow = RECT{x, y, x + width, y + height};
    w->m_rcClient = w->m_rcWindow;
    w->m_extra.assign(static_cast<std::size_t>(cls->m_cbWndExtra), 0);
    if (parentWindow != nullptr) {
        w->m_id = reinterpret_cast<LONG_PTR>(menu);
    }
    CountClassWindow(*cls, 1);
    {
        CWindowTable& table = Table();
        std::lock_guard lock(table.m_mutex);
        w->m_hwnd = reinterpret_cast<HWND>(table.m_nNext++);
        table.m_windows.emplace(reinterpret_cast<std::uintptr_t>(w->m_hwnd), w);
    }
    CWindow* raw = w.get();
    const HWND hwnd = raw->m_hwnd;
    if (parentWindow != nullptr) {
        parentWindow->m_children.push_back(raw);
    } else if (!messageOnly) {
        InsertTopLevel(raw);
        raw->m_pSurface = std::make_unique<platform::gdi::Surface>(std::max(width, 1), std::max(height, 1));
        GetDisplay()->TopLevelCreated(hwnd, *raw->m_pSurface);
    }

    if (t_pfnCreationHook != nullptr) {
        CreationHook hook = std::exchange(t_pfnCreationHook, nullptr);
        hook(hwnd, std::exchange(t_pCreationContext, nullptr));
    }

    CREATESTRUCTA cs{param,  instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                     className, exStyle};
    if (Call(raw, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
        if (!raw->m_bDead) {
            raw->m_bDestroying = true;
            Call(raw, WM_NCDESTROY, 0, 0);
            Finish(raw);
        }
        return nullptr;
    }
    if (raw->m_bDead) {
        return nullptr;
    }
    RECT rc = raw->m_rcWindow;
    Call(raw, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc));
    raw->m_rcClient = rc;
    raw->m_bNcPaintPending = !EqualRect(&raw->m_rcClient, &raw->m_rcWindow);

    if (Call(raw, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (raw->m_bDead || raw->m_bDestroying) {
        return nullptr;
    }
    Call(raw, WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(static_cast<unsigned>(raw->m_rcClient.right - raw->m_rcClient.left),
                    static_cast<unsigned>(raw->m_rcClient.bottom - raw->m_rcClient.top)));
    Call(raw, WM_MOVE, 0,
         MAKELPARAM(static_cast<unsigned>(raw->m_rcClient.left), static_cast<unsigned>(raw->m_rcClient.top)));
    if ((style & WS_VISIBLE) != 0 && !raw->m_bDead && !messageOnly) {
        const bool noActivate = (exStyle & WS_EX_NOACTIVATE) != 0 || (style & WS_CHILD) != 0;
        ShowWindow(hwnd, noActivate ? SW_SHOWNA : SW_SHOW);
    }
    return raw->m_bDead ? nullptr : hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (w->m_bFreeThreaded) {
        return DestroyFreeThreadedWindow(hwnd) ? TRUE : FALSE;
    }
    if (!OwnedByCaller(w)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (w->m_bDestroying) {
        return TRUE;
    }
    WindowPtr keep = Lookup(hwnd);
    // Owned pop-ups go first, each destroyed whole.
    if (w->m_pParent == nullptr) {
        std::vector<HWND> owned;
        for (CWindow* other : TopLevels()) {
            if (other->m_pOwner == w) {
                owned.push_back(other->m_hwnd);
            }
        }
        for (HWND o : owned) {
            DestroyWindow(o);
        }
    }
    if ((w->m_dwStyle & WS_VISIBLE) != 0 && !w->m_bMessageOnly) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MarkDestroying(w);
    ForgetWindowInput(w);
    SendDestroy(w);
    FreeTree(w);
    return TRUE;
}

HWND GetParent(HWND hwnd)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    if (w->m_pParent != nullptr) {
        return w->m_pParent->m_hwnd;
    }
    if ((w->m_dwStyle & WS_POPUP) != 0 && w->m_pOwner != nullptr) {
        return w->m_pOwner->m_hwnd;
    }
    return nullptr;
}

HWND SetParent(HWND child, HWND newParent)
{
    CWindow* w = Find(child);
    if (w == nullptr || w->m_bMessageOnly) {
        return nullptr;
    }
    CWindow* target = nullptr;
    if (newParent != nullptr) {
        target = Find(newParent);
        if (target == nullptr) {
            return nullptr;
        }
        for (CWindow* p = target; p != nullptr; p = p->m_pParent) {
            if (p == w) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
        }
    }
    const HWND previous = w->m_pParent != nullptr ? w->m_pParent->m_hwnd : GetDesktopWindow();
    const bool wasVisible = Visible(w);
    RECT oldRect = w->m_rcWindow;
    CWindow* oldParent = w->m_pParent;
    RemoveFromZOrder(w);
    if (w->m_pParent == nullptr && w->m_pSurface) {
        GetDisplay()->TopLevelDestroyed(child);
        w->m_pSurface.reset();
    }
    w->m_pParent = target;
    const int width = oldRect.right - oldRect.left;
    const int height = oldRect.bottom - oldRect.top;
    if (target != nullptr) {
        w->m_pOwner = nullptr;
        target->m_children.insert(target->m_children.begin(), w);
    } else {
        InsertTopLevel(w);
        w->m_pSurface = std::make_unique<platform::gdi::Surface>(std::max(width, 1), std::max(height, 1));
        GetDisplay()->TopLevelCreated(child, *w->m_pSurface);
    }
    // The window keeps its position relative to its (new) parent's client area.
    if (wasVisible && oldParent != nullptr) {
        ExposeArea(oldParent, oldRect);
    }
    InvalidateWindowArea(w, nullptr, true, true);
    w->m_bNcPaintPending = true;
    return previous;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    switch (flags) {
    case GA_PARENT:
        return w->m_pParent != nullptr ? w->m_pParent->m_hwnd : GetDesktopWindow();
    case GA_ROOT:
        return RootOf(w)->m_hwnd;
    case GA_ROOTOWNER: {
        CWindow* root = RootOf(w);
        while (root->m_pOwner != nullptr) {
            root = root->m_pOwner;
        }
        return root->m_hwnd;
    }
    default:
        return nullptr;
    }
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    CWindow* w = FindQuiet(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    for (CWindow* p = w->m_pParent; p != nullptr; p = p->m_pParent) {
        if (p->m_hwnd == parent) {
            return TRUE;
        }
    }
    return FALSE;
}

HWND GetWindow(HWND hwnd, UINT command)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    if (command == GW_CHILD) {
        return w->m_children.empty() ? nullptr : w->m_children.front()->m_hwnd;
    }
    if (command == GW_OWNER) {
        return w->m_pOwner != nullptr ? w->m_pOwner->m_hwnd : nullptr;
    }
    if (w->m_bMessageOnly || w->m_bFreeThreaded) {
        return nullptr;
    }
    const std::vector<CWindow*>& list = w->m_pParent != nullptr ? w->m_pParent->m_children : TopLevels();
    auto it = std::find(list.begin(), list.end(), w);
    if (it == list.end()) {
        return nullptr;
    }
    switch (command) {
    case GW_HWNDFIRST:
        return list.front()->m_hwnd;
    case GW_HWNDLAST:
        return list.back()->m_hwnd;
    case GW_HWNDNEXT:
        return it + 1 == list.end() ? nullptr : (*(it + 1))->m_hwnd;
    case GW_HWNDPREV:
        return it == list.begin() ? nullptr : (*(it - 1))->m_hwnd;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd)
{
    if (hwnd == nullptr) {
        return TopLevels().empty() ? nullptr : TopLevels().front()->m_hwnd;
    }
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow()
{
    // The screen is not a window here; null stands for it wherever a
    // window handle may name the screen.
    return nullptr;
}

namespace {

bool EnumTree(const std::vector<CWindow*>& list, WNDENUMPROC proc, LPARAM lParam)
{
    const std::vector<CWindow*> copy = list;
    for (CWindow* child : copy) {
        const HWND hwnd = child->m_hwnd;
        if (FindQuiet(hwnd) == nullptr) {
            continue;
        }
        if (!proc(hwnd, lParam)) {
            return false;
        }
        if (FindQuiet(hwnd) != nullptr && !EnumTree(child->m_children, proc, lParam)) {
            return false;
        }
    }
    return true;
}

}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    CWindow* w = Find(parent);
    if (w == nullptr || proc == nullptr) {
        return FALSE;
    }
    EnumTree(w->m_children, proc, lParam);
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam)
{
    if (proc == nullptr) {
        return FALSE;
    }
    const std::vector<CWindow*> copy = TopLevels();
    for (CWindow* w : copy) {
        if (FindQuiet(w->m_hwnd) != nullptr && !proc(w->m_hwnd, lParam)) {
            break;
        }
    }
    return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName)
{
    auto cls = className != nullptr ? FindClass(nullptr, className) : nullptr;
    for (CWindow* w : TopLevels()) {
        if (className != nullptr && (!cls || w->m_pClass != cls)) {
            continue;
        }
        if (windowName != nullptr && w->m_strText != windowName) {
            continue;
        }
        return w->m_hwnd;
    }
    return nullptr;
}

HWND GetDlgItem(HWND dialog, int id)
{
    CWindow* w = Find(dialog);
    if (w == nullptr) {
        return nullptr;
    }
    for (CWindow* child : w->m_children) {
        if (child->m_id == id) {
            return child->m_hwnd;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || w->m_pParent == nullptr) {
        return 0;
    }
    return static_cast<int>(w->m_id);
}

int SetDlgCtrlID(HWND hwnd, int id)
{
    return static_cast<int>(SetWindowLongPtrA(hwnd, GWL_ID, id));
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text)
{
    if (FindQuiet(hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int maxCount)
{
    if (buffer != nullptr && maxCount > 0) {
        buffer[0] = '\0';
    }
    if (FindQuiet(hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (buffer == nullptr || maxCount <= 0) {
        return 0;
    }
    return static_cast<int>(
        SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd)
{
    if (FindQuiet(hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->m_dwStyle);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->m_dwExStyle);
    case GWL_USERDATA:
        return w->m_userData;
    case GWL_ID:
        return w->m_id;
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->m_pfnProc);
    case GWL_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->m_hInstance);
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
    default:
        break;
    }
    if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->m_extra.size()) {
        LONG_PTR value = 0;
        std::memcpy(&value, w->m_extra.data() + index, sizeof value);
        return value;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        STYLESTRUCT change{index == GWL_STYLE ? w->m_dwStyle : w->m_dwExStyle, static_cast<DWORD>(value)};
        previous = static_cast<LONG_PTR>(change.styleOld);
        Call(w, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        if (w->m_bDead) {
            return previous;
        }
        (index == GWL_STYLE ? w->m_dwStyle : w->m_dwExStyle) = change.styleNew;
        Call(w, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        return previous;
    }
    case GWL_USERDATA:
        previous = w->m_userData;
        w->m_userData = value;
        return previous;
    case GWL_ID:
        previous = w->m_id;
        w->m_id = value;
        return previous;
    case GWL_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(w->m_pfnProc);
        if (value == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        w->m_pfnProc = reinterpret_cast<WNDPROC>(value);
        return previous;
    case GWL_HINSTANCE:
        previous = reinterpret_cast<LONG_PTR>(w->m_hInstance);
        w->m_hInstance = reinterpret_cast<HINSTANCE>(value);
        return previous;
    case GWL_HWNDPARENT: {
        previous = reinterpret_cast<LONG_PTR>(GetParent(hwnd));
        if (w->m_pParent == nullptr) {
            CWindow* owner = FindQuiet(reinterpret_cast<HWND>(value));
            w->m_pOwner = owner != nullptr ? RootOf(owner) : nullptr;
        }
        return previous;
    }
    default:
        break;
    }
    if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->m_extra.size()) {
        std::memcpy(&previous, w->m_extra.data() + index, sizeof previous);
        std::memcpy(w->m_extra.data() + index, &value, sizeof value);
        SetLastError(ERROR_SUCCESS);
        return previous;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || name == nullptr) {
        return FALSE;
    }
    w->m_props[name] = data;
    return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || name == nullptr) {
        return nullptr;
    }
    auto it = w->m_props.find(name);
    return it == w->m_props.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || name == nullptr) {
        return nullptr;
    }
    auto it = w->m_props.find(name);
    if (it == w->m_props.end()) {
        return nullptr;
    }
    HANDLE data = it->second;
    w->m_props.erase(it);
    return data;
}
