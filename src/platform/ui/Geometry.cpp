// Where windows are: rectangles, frames, moving, showing, enabling, mapping
// points and finding the window under a point.

#include "platform/ui/Internal.h"

#include <algorithm>

namespace platform::ui::detail {

namespace {

constexpr int kCaptionHeight = 20;
constexpr int kDialogFrame = 3;
constexpr int kThickFrame = 4;

}  // namespace

RECT NonClientInsets(DWORD style, DWORD exStyle, bool topLevel)
{
    RECT insets{0, 0, 0, 0};
    const bool caption = (style & WS_CAPTION) == WS_CAPTION;
    if (topLevel && caption && GetDisplay()->ProvidesFrames()) {
        return insets;
    }
    int frame = 0;
    if ((style & WS_THICKFRAME) != 0) {
        frame = kThickFrame;
    } else if (caption || (style & WS_DLGFRAME) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0) {
        frame = kDialogFrame;
    } else if ((style & WS_BORDER) != 0) {
        frame = 1;
    }
    if ((exStyle & WS_EX_CLIENTEDGE) != 0) {
        frame += 2;
    }
    if ((exStyle & WS_EX_STATICEDGE) != 0) {
        frame += 1;
    }
    insets = RECT{frame, frame, frame, frame};
    if (caption) {
        insets.top += kCaptionHeight;
    }
    return insets;
}

POINT ClientScreenOrigin(const CWindow* w)
{
    POINT pt{w->m_rcClient.left, w->m_rcClient.top};
    if (w->m_pParent != nullptr) {
        const POINT parent = ClientScreenOrigin(w->m_pParent);
        pt.x += parent.x;
        pt.y += parent.y;
    }
    return pt;
}

POINT WindowScreenOrigin(const CWindow* w)
{
    POINT pt{w->m_rcWindow.left, w->m_rcWindow.top};
    if (w->m_pParent != nullptr) {
        const POINT parent = ClientScreenOrigin(w->m_pParent);
        pt.x += parent.x;
        pt.y += parent.y;
    }
    return pt;
}

POINT ClientSurfaceOrigin(const CWindow* w)
{
    const CWindow* root = w;
    while (root->m_pParent != nullptr) {
        root = root->m_pParent;
    }
    const POINT client = ClientScreenOrigin(w);
    return POINT{client.x - root->m_rcWindow.left, client.y - root->m_rcWindow.top};
}

POINT WindowSurfaceOrigin(const CWindow* w)
{
    const CWindow* root = w;
    while (root->m_pParent != nullptr) {
        root = root->m_pParent;
    }
    const POINT origin = WindowScreenOrigin(w);
    return POINT{origin.x - root->m_rcWindow.left, origin.y - root->m_rcWindow.top};
}

bool Visible(const CWindow* w)
{
    for (; w != nullptr; w = w->m_pParent) {
        if ((w->m_dwStyle & WS_VISIBLE) == 0 || w->m_bDead) {
            return false;
        }
    }
    return true;
}

void SetWindowRects(CWindow* w, const RECT& rcWindow)
{
    const int oldWidth = w->m_rcWindow.right - w->m_rcWindow.left;
    const int oldHeight = w->m_rcWindow.bottom - w->m_rcWindow.top;
    w->m_rcWindow = rcWindow;
    RECT rc = rcWindow;
    Call(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc));
    w->m_rcClient = rc;
    const int width = rcWindow.right - rcWindow.left;
    const int height = rcWindow.bottom - rcWindow.top;
    if (w->m_pSurface && (width != oldWidth || height != oldHeight)) {
        w->m_pSurface->Resize(std::max(width, 1), std::max(height, 1));
    }
}

namespace {

bool Contains(const RECT& r, POINT pt)
{
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

RECT ScreenWindowRect(const CWindow* w)
{
    return RectAt(WindowScreenOrigin(w), w->m_rcWindow);
}

RECT ScreenClientRect(const CWindow* w)
{
    return RectAt(ClientScreenOrigin(w), w->m_rcClient);
}

LRESULT NcHitTest(CWindow* w, POINT screen)
{
    return Call(w, WM_NCHITTEST, 0, MAKELPARAM(static_cast<unsigned>(screen.x), static_cast<unsigned>(screen.y)));
}

void Restack(CWindow* w, HWND insertAfter)
{
    std::vector<CWindow*>& list = w->m_pParent != nullptr ? w->m_pParent->m_children : TopLevels();
    const bool topLevel = w->m_pParent == nullptr;
    if (topLevel && insertAfter == HWND_TOPMOST) {
        w->m_dwExStyle |= WS_EX_TOPMOST;
    } else if (topLevel && insertAfter == HWND_NOTOPMOST) {
        w->m_dwExStyle &= ~WS_EX_TOPMOST;
    }
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    auto firstOrdinary = list.begin();
    if (topLevel && (w->m_dwExStyle & WS_EX_TOPMOST) == 0) {
        while (firstOrdinary != list.end() && ((*firstOrdinary)->m_dwExStyle & WS_EX_TOPMOST) != 0) {
            ++firstOrdinary;
        }
    }
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        list.insert(topLevel ? firstOrdinary : list.begin(), w);
    } else if (insertAfter == HWND_BOTTOM) {
        list.push_back(w);
    } else {
        auto it = std::find_if(list.begin(), list.end(), [&](CWindow* c) { return c->m_hwnd == insertAfter; });
        list.insert(it == list.end() ? list.begin() : it + 1, w);
    }
}

}  // namespace

CWindow* HitTestWindow(POINT screen, LRESULT* hit)
{
    *hit = HTNOWHERE;
    for (CWindow* top : TopLevels()) {
        if ((top->m_dwStyle & WS_VISIBLE) == 0 || !Contains(ScreenWindowRect(top), screen)) {
            continue;
        }
        if ((top->m_dwStyle & WS_DISABLED) != 0) {
            *hit = HTERROR;
            return top;
        }
        CWindow* w = top;
        for (;;) {
            CWindow* next = nullptr;
            if (Contains(ScreenClientRect(w), screen)) {
                for (CWindow* child : w->m_children) {
                    if ((child->m_dwStyle & WS_VISIBLE) == 0 || !Contains(ScreenWindowRect(child), screen)) {
                        continue;
                    }
                    if ((child->m_dwStyle & WS_DISABLED) != 0) {
                        break;  // a disabled control lets the click reach its parent
                    }
                    if (OwnedByCaller(child) && NcHitTest(child, screen) == HTTRANSPARENT) {
                        continue;
                    }
                    next = child;
                    break;
                }
            }
            if (next == nullptr) {
                break;
            }
            w = next;
        }
        *hit = OwnedByCaller(w) ? NcHitTest(w, screen) : HTCLIENT;
        return w;
    }
    return nullptr;
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

BOOL SetRect(LPRECT rc, int left, int top, int right, int bottom)
{
    if (rc == nullptr) {
        return FALSE;
    }
    *rc = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rc)
{
    return SetRect(rc, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT dst, LPCRECT src)
{
    if (dst == nullptr || src == nullptr) {
        return FALSE;
    }
    *dst = *src;
    return TRUE;
}

BOOL IsRectEmpty(LPCRECT rc)
{
    return rc == nullptr || RectEmpty(*rc) ? TRUE : FALSE;
}

BOOL PtInRect(LPCRECT rc, POINT pt)
{
    return rc != nullptr && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}

BOOL OffsetRect(LPRECT rc, int dx, int dy)
{
    if (rc == nullptr) {
        return FALSE;
    }
    *rc = RectOffset(*rc, dx, dy);
    return TRUE;
}

BOOL InflateRect(LPRECT rc, int dx, int dy)
{
    if (rc == nullptr) {
        return FALSE;
    }
    rc->left -= dx;
    rc->right += dx;
    rc->top -= dy;
    rc->bottom += dy;
    return TRUE;
}

BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b)
{
    if (dst == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    *dst = RectIntersect(*a, *b);
    return RectEmpty(*dst) ? FALSE : TRUE;
}

BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b)
{
    if (dst == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    *dst = RectUnion(*a, *b);
    return RectEmpty(*dst) ? FALSE : TRUE;
}

BOOL EqualRect(LPCRECT a, LPCRECT b)
{
    return a != nullptr && b != nullptr && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}

BOOL GetClientRect(HWND hwnd, LPRECT rc)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || rc == nullptr) {
        return FALSE;
    }
    *rc = RECT{0, 0, w->m_rcClient.right - w->m_rcClient.left, w->m_rcClient.bottom - w->m_rcClient.top};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rc)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || rc == nullptr) {
        return FALSE;
    }
    *rc = ScreenWindowRect(w);
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (!OwnedByCaller(w)) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return FALSE;
    }
    if (w->m_bMessageOnly || w->m_bFreeThreaded) {
        return TRUE;
    }
    WindowPtr keep = Lookup(hwnd);
    WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
    if ((flags & SWP_NOMOVE) != 0) {
        pos.x = w->m_rcWindow.left;
        pos.y = w->m_rcWindow.top;
    }
    if ((flags & SWP_NOSIZE) != 0) {
        pos.cx = w->m_rcWindow.right - w->m_rcWindow.left;
        pos.cy = w->m_rcWindow.bottom - w->m_rcWindow.top;
    }
    if ((flags & SWP_NOSENDCHANGING) == 0) {
        Call(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        if (w->m_bDead) {
            return FALSE;
        }
    }
    pos.cx = std::max(pos.cx, 0);
    pos.cy = std::max(pos.cy, 0);
    flags = pos.flags;

    const bool wasVisible = Visible(w);
    const RECT oldWindow = w->m_rcWindow;
    const RECT oldClient = w->m_rcClient;
    const RECT newWindow{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
    const bool geometry = !EqualRect(&oldWindow, &newWindow) || (flags & SWP_FRAMECHANGED) != 0;
    bool restacked = false;
    if ((flags & SWP_NOZORDER) == 0) {
        const std::vector<CWindow*>& list = w->m_pParent != nullptr ? w->m_pParent->m_children : TopLevels();
        const std::vector<CWindow*> before = list;
        Restack(w, pos.hwndInsertAfter);
        restacked = before != list;
    }
    if (geometry) {
        SetWindowRects(w, newWindow);
        if ((w->m_rcWindow.right - w->m_rcWindow.left) != (oldWindow.right - oldWindow.left) ||
            (w->m_rcWindow.bottom - w->m_rcWindow.top) != (oldWindow.bottom - oldWindow.top) ||
            (flags & SWP_FRAMECHANGED) != 0) {
            w->m_bNcPaintPending = !EqualRect(&w->m_rcClient, &w->m_rcWindow);
        }
    }
    bool shownChanged = false;
    if ((flags & SWP_SHOWWINDOW) != 0 && (w->m_dwStyle & WS_VISIBLE) == 0) {
        w->m_dwStyle |= WS_VISIBLE;
        shownChanged = true;
    } else if ((flags & SWP_HIDEWINDOW) != 0 && (w->m_dwStyle & WS_VISIBLE) != 0) {
        w->m_dwStyle &= ~WS_VISIBLE;
        shownChanged = true;
    }
    const bool nowVisible = Visible(w);
    if ((flags & SWP_NOREDRAW) == 0) {
        if (wasVisible && (geometry || restacked || !nowVisible) && w->m_pParent != nullptr) {
            ExposeArea(w->m_pParent, oldWindow);
        }
        if (nowVisible && (geometry || restacked || shownChanged)) {
            InvalidateWindowArea(w, nullptr, true, true);
            w->m_bNcPaintPending = !EqualRect(&w->m_rcClient, &w->m_rcWindow);
            if (w->m_bNcPaintPending) {
                NotePaintPending(w);
            }
        }
    }
    if (w->m_pParent == nullptr) {
        GetDisplay()->TopLevelChanged(hwnd);
        if (nowVisible && (flags & SWP_NOACTIVATE) == 0 && (w->m_dwExStyle & WS_EX_NOACTIVATE) == 0) {
            SetActiveWindow(hwnd);
        }
    }
    if (!nowVisible && wasVisible) {
        ForgetWindowInput(w);
    }
    if (w->m_bDead) {
        return TRUE;
    }
    pos.flags = flags;
    if (oldClient.left == w->m_rcClient.left && oldClient.top == w->m_rcClient.top) {
        pos.flags |= SWP_NOMOVE;
    } else {
        pos.flags &= ~SWP_NOMOVE;
    }
    if ((oldClient.right - oldClient.left) == (w->m_rcClient.right - w->m_rcClient.left) &&
        (oldClient.bottom - oldClient.top) == (w->m_rcClient.bottom - w->m_rcClient.top)) {
        pos.flags |= SWP_NOSIZE;
    } else {
        pos.flags &= ~SWP_NOSIZE;
    }
    Call(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int command)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    const bool wasVisible = (w->m_dwStyle & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    const bool activate = w->m_pParent == nullptr && show && command != SW_SHOWNA &&
                          command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE;
    if (show == wasVisible) {
        if (activate && GetActiveWindow() != hwnd) {
            SetActiveWindow(hwnd);
        }
        return wasVisible ? TRUE : FALSE;
    }
    WindowPtr keep = Lookup(hwnd);
    Call(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (w->m_bDead) {
        return wasVisible ? TRUE : FALSE;
    }
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (!activate) {
        flags |= SWP_NOACTIVATE;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags);
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    CWindow* w = FindQuiet(hwnd);
    return w != nullptr && !w->m_bFreeThreaded && Visible(w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    const bool wasDisabled = (w->m_dwStyle & WS_DISABLED) != 0;
    if ((enable != FALSE) != wasDisabled) {
        return wasDisabled ? TRUE : FALSE;
    }
    WindowPtr keep = Lookup(hwnd);
    if (!enable) {
        Call(w, WM_CANCELMODE, 0, 0);
        w->m_dwStyle |= WS_DISABLED;
        const HWND focus = Input().m_hFocus;
        if (focus == hwnd || IsChild(hwnd, focus)) {
            SetFocus(nullptr);
        }
    } else {
        w->m_dwStyle &= ~WS_DISABLED;
    }
    if (!w->m_bDead) {
        Call(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    CWindow* w = FindQuiet(hwnd);
    return w != nullptr && (w->m_dwStyle & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL BringWindowToTop(HWND hwnd)
{
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || pt == nullptr) {
        return FALSE;
    }
    const POINT origin = ClientScreenOrigin(w);
    pt->x += origin.x;
    pt->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || pt == nullptr) {
        return FALSE;
    }
    const POINT origin = ClientScreenOrigin(w);
    pt->x -= origin.x;
    pt->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    POINT fromOrigin{0, 0};
    POINT toOrigin{0, 0};
    if (from != nullptr) {
        CWindow* w = Find(from);
        if (w == nullptr) {
            return 0;
        }
        fromOrigin = ClientScreenOrigin(w);
    }
    if (to != nullptr) {
        CWindow* w = Find(to);
        if (w == nullptr) {
            return 0;
        }
        toOrigin = ClientScreenOrigin(w);
    }
    const int dx = fromOrigin.x - toOrigin.x;
    const int dy = fromOrigin.y - toOrigin.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<int>((static_cast<unsigned>(dx) & 0xFFFF) | ((static_cast<unsigned>(dy) & 0xFFFF) << 16));
}

HWND WindowFromPoint(POINT screenPoint)
{
    LRESULT hit = HTNOWHERE;
    CWindow* w = HitTestWindow(screenPoint, &hit);
    return w != nullptr ? w->m_hwnd : nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT clientPoint, UINT flags)
{
    CWindow* w = Find(parent);
    if (w == nullptr) {
        return nullptr;
    }
    const RECT client{0, 0, w->m_rcClient.right - w->m_rcClient.left, w->m_rcClient.bottom - w->m_rcClient.top};
    if (!Contains(client, clientPoint)) {
        return nullptr;
    }
    for (CWindow* child : w->m_children) {
        if ((flags & CWP_SKIPINVISIBLE) != 0 && (child->m_dwStyle & WS_VISIBLE) == 0) {
            continue;
        }
        if ((flags & CWP_SKIPDISABLED) != 0 && (child->m_dwStyle & WS_DISABLED) != 0) {
            continue;
        }
        if ((flags & CWP_SKIPTRANSPARENT) != 0 && (child->m_dwExStyle & WS_EX_TRANSPARENT) != 0) {
            continue;
        }
        if (Contains(child->m_rcWindow, clientPoint)) {
            return child->m_hwnd;
        }
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint)
{
    return ChildWindowFromPointEx(parent, clientPoint, CWP_ALL);
}

BOOL AdjustWindowRectEx(LPRECT rc, DWORD style, BOOL /*menu*/, DWORD exStyle)
{
    if (rc == nullptr) {
        return FALSE;
    }
    const RECT insets = NonClientInsets(style, exStyle, (style & WS_CHILD) == 0);
    rc->left -= insets.left;
    rc->top -= insets.top;
    rc->right += insets.right;
    rc->bottom += insets.bottom;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return GetDisplay()->ScreenWidth();
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
        return GetDisplay()->ScreenHeight();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CYCAPTION:
        return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return kThickFrame;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CYMENU:
        return 19;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_MOUSEWHEELPRESENT:
        return 1;
    default:
        return 0;
    }
}
