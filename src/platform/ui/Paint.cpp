// Painting: update regions, WM_PAINT and WM_ERASEBKGND, paint contexts and
// window contexts clipped to what of a window shows.

#include "platform/gdi/Gdi.h"
#include "platform/ui/Internal.h"

#include <algorithm>

namespace platform::ui::detail {

namespace {

constexpr std::size_t kMaxUpdateRects = 16;

std::mutex& DcMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Contexts handed out for windows, with the window each one draws on.
std::map<HDC, HWND>& WindowDcs()
{
    static std::map<HDC, HWND> dcs;
    return dcs;
}

RECT SurfaceWindowRect(const CWindow* w)
{
    return RectAt(WindowSurfaceOrigin(w), w->m_rcWindow);
}

RECT SurfaceClientRect(const CWindow* w)
{
    return RectAt(ClientSurfaceOrigin(w), w->m_rcClient);
}

bool Opaque(const CWindow* w)
{
    return (w->m_dwStyle & WS_VISIBLE) != 0 && (w->m_dwExStyle & WS_EX_TRANSPARENT) == 0;
}

HDC MakeDc(CWindow* w, bool client, const CRegion& clip)
{
    CWindow* root = RootOf(w);
    if (!root->m_pSurface) {
        return nullptr;
    }
    const POINT origin = client ? ClientSurfaceOrigin(w) : WindowSurfaceOrigin(w);
    HDC dc = platform::gdi::CreateSurfaceDC(*root->m_pSurface, origin, clip.Rects());
    if (dc != nullptr) {
        std::lock_guard lock(DcMutex());
        WindowDcs()[dc] = w->m_hwnd;
    }
    return dc;
}

bool ReleaseWindowDc(HDC dc)
{
    {
        std::lock_guard lock(DcMutex());
        if (WindowDcs().erase(dc) == 0) {
            return false;
        }
    }
    platform::gdi::ReleaseSurfaceDC(dc);
    return true;
}

void PaintNow(CWindow* w)
{
    const HWND hwnd = w->m_hwnd;
    if (!w->m_update.Empty() || w->m_bErasePending) {
        w->m_bPaintedThisRound = false;
        Call(w, WM_PAINT, 0, 0);
        if (CWindow* still = FindQuiet(hwnd); still != nullptr && !still->m_bPaintedThisRound) {
            DropPaint(still);
        }
    } else if (w->m_bNcPaintPending) {
        PaintNonClient(w);
    }
}

void UpdateTree(CWindow* w)
{
    const HWND hwnd = w->m_hwnd;
    if (PaintPending(w)) {
        PaintNow(w);
    }
    if (FindQuiet(hwnd) == nullptr) {
        return;
    }
    // Bottom of the z-order first, so what lies above is drawn last.
    const std::vector<CWindow*> children = w->m_children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (FindQuiet((*it)->m_hwnd) != nullptr && Visible(*it)) {
            UpdateTree(*it);
        }
    }
}

}  // namespace

CRegion VisibleRegion(const CWindow* w, bool client)
{
    CRegion region;
    if (!Visible(w)) {
        return region;
    }
    const CWindow* root = w;
    while (root->m_pParent != nullptr) {
        root = root->m_pParent;
    }
    if (!root->m_pSurface) {
        return region;
    }
    region.Add(client ? SurfaceClientRect(w) : SurfaceWindowRect(w));
    region.Intersect(RECT{0, 0, root->m_pSurface->Width(), root->m_pSurface->Height()});
    for (const CWindow* p = w->m_pParent; p != nullptr; p = p->m_pParent) {
        region.Intersect(SurfaceClientRect(p));
    }
    for (const CWindow* child : w->m_children) {
        if (Opaque(child)) {
            region.Subtract(SurfaceWindowRect(child));
        }
    }
    for (const CWindow* a = w; a->m_pParent != nullptr && !region.Empty(); a = a->m_pParent) {
        for (const CWindow* sibling : a->m_pParent->m_children) {
            if (sibling == a) {
                break;  // the rest lie below
            }
            if (Opaque(sibling)) {
                region.Subtract(SurfaceWindowRect(sibling));
            }
        }
    }
    return region;
}

bool PaintPending(const CWindow* w)
{
    return !w->m_update.Empty() || w->m_bErasePending || w->m_bNcPaintPending;
}

void DropPaint(CWindow* w)
{
    w->m_update.Clear();
    w->m_bErasePending = false;
    w->m_bNcPaintPending = false;
}

void InvalidateWindowArea(CWindow* w, const RECT* rcClient, bool erase, bool children)
{
    if (!Visible(w) || w->m_bDestroying) {
        return;
    }
    const RECT client{0, 0, w->m_rcClient.right - w->m_rcClient.left, w->m_rcClient.bottom - w->m_rcClient.top};
    const RECT area = rcClient != nullptr ? RectIntersect(*rcClient, client) : client;
    if (RectEmpty(area)) {
        return;
    }
    w->m_update.Add(area);
    w->m_update.Simplify(kMaxUpdateRects);
    if (erase) {
        w->m_bErasePending = true;
    }
    NotePaintPending(w);
    if (!children || (w->m_dwStyle & WS_CLIPCHILDREN) != 0) {
        return;
    }
    for (CWindow* child : w->m_children) {
        if ((child->m_dwStyle & WS_VISIBLE) == 0 || RectEmpty(RectIntersect(area, child->m_rcWindow))) {
            continue;
        }
        if (!EqualRect(&child->m_rcWindow, &child->m_rcClient)) {
            child->m_bNcPaintPending = true;
            NotePaintPending(child);
        }
        const RECT inChild = RectOffset(area, -child->m_rcClient.left, -child->m_rcClient.top);
        InvalidateWindowArea(child, &inChild, erase, true);
    }
}

void ExposeArea(CWindow* parent, const RECT& rcParentClient)
{
    if (parent != nullptr) {
        InvalidateWindowArea(parent, &rcParentClient, true, true);
    }
}

HDC WindowDc(CWindow* w, bool client)
{
    return MakeDc(w, client, VisibleRegion(w, client));
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

BOOL InvalidateRect(HWND hwnd, LPCRECT rc, BOOL erase)
{
    if (hwnd == nullptr) {
        for (CWindow* w : TopLevels()) {
            InvalidateWindowArea(w, nullptr, erase != FALSE, true);
        }
        return TRUE;
    }
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (!OwnedByCaller(w)) {
        // Another thread asks for a repaint: the owner does it when it next
        // looks at its queue.
        const bool whole = rc == nullptr;
        const RECT area = whole ? RECT{} : *rc;
        QueueTask(*w->m_pQueue, [hwnd, whole, area, erase] {
            if (CWindow* target = FindQuiet(hwnd); target != nullptr && !target->m_bDead) {
                InvalidateWindowArea(target, whole ? nullptr : &area, erase != FALSE, true);
            }
        });
        return TRUE;
    }
    InvalidateWindowArea(w, rc, erase != FALSE, true);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, LPCRECT rc)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (rc == nullptr) {
        w->m_update.Clear();
        w->m_bErasePending = false;
    } else {
        w->m_update.Subtract(*rc);
        if (w->m_update.Empty()) {
            w->m_bErasePending = false;
        }
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rc, BOOL /*erase*/)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    const RECT bounds = w->m_update.Bounds();
    if (rc != nullptr) {
        *rc = bounds;
    }
    return RectEmpty(bounds) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (!OwnedByCaller(w)) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return FALSE;
    }
    if (Visible(w)) {
        UpdateTree(w);
    }
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, LPCRECT rc, void* /*region*/, UINT flags)
{
    std::vector<CWindow*> targets;
    if (hwnd == nullptr) {
        targets = TopLevels();
    } else if (CWindow* w = Find(hwnd)) {
        targets.push_back(w);
    } else {
        return FALSE;
    }
    for (CWindow* w : targets) {
        if ((flags & RDW_INVALIDATE) != 0) {
            const bool children = (flags & RDW_NOCHILDREN) == 0;
            const DWORD saved = w->m_dwStyle;
            if ((flags & RDW_ALLCHILDREN) != 0) {
                w->m_dwStyle &= ~WS_CLIPCHILDREN;
            }
            InvalidateWindowArea(w, rc, (flags & RDW_ERASE) != 0, children);
            w->m_dwStyle = saved;
            if ((flags & RDW_FRAME) != 0 && !EqualRect(&w->m_rcWindow, &w->m_rcClient) && Visible(w)) {
                w->m_bNcPaintPending = true;
                NotePaintPending(w);
            }
        }
        if ((flags & RDW_VALIDATE) != 0) {
            ValidateRect(w->m_hwnd, rc);
        }
        if ((flags & (RDW_UPDATENOW | RDW_ERASENOW)) != 0) {
            UpdateWindow(w->m_hwnd);
        }
    }
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || ps == nullptr) {
        return nullptr;
    }
    if (!OwnedByCaller(w)) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return nullptr;
    }
    *ps = PAINTSTRUCT{};
    w->m_bPaintedThisRound = true;
    if (w->m_bNcPaintPending) {
        PaintNonClient(w);
    }
    CRegion update = w->m_update;
    const bool erase = w->m_bErasePending;
    w->m_update.Clear();
    w->m_bErasePending = false;
    ps->rcPaint = update.Bounds();
    const POINT origin = ClientSurfaceOrigin(w);
    update.Offset(origin.x, origin.y);
    CRegion clip = VisibleRegion(w, true);
    clip.Intersect(update);
    HDC dc = MakeDc(w, true, clip);
    if (dc == nullptr) {
        dc = platform::gdi::CreateScreenDC();
        std::lock_guard lock(DcMutex());
        WindowDcs()[dc] = hwnd;
    }
    ps->hdc = dc;
    if (erase) {
        const LRESULT erased = Call(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ps->fErase = erased != 0 ? FALSE : TRUE;
    }
    return dc;
}

BOOL EndPaint(HWND /*hwnd*/, const PAINTSTRUCT* ps)
{
    if (ps == nullptr || ps->hdc == nullptr) {
        return FALSE;
    }
    ReleaseWindowDc(ps->hdc);
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    if (hwnd == nullptr) {
        return platform::gdi::CreateScreenDC();
    }
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    HDC dc = WindowDc(w, true);
    if (dc == nullptr) {
        // A window with no pixels of its own (a message window) still
        // answers questions about the screen.
        dc = platform::gdi::CreateScreenDC();
        std::lock_guard lock(DcMutex());
        WindowDcs()[dc] = hwnd;
    }
    return dc;
}

HDC GetWindowDC(HWND hwnd)
{
    if (hwnd == nullptr) {
        return platform::gdi::CreateScreenDC();
    }
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    HDC dc = WindowDc(w, false);
    return dc != nullptr ? dc : GetDC(hwnd);
}

int ReleaseDC(HWND /*hwnd*/, HDC dc)
{
    if (dc == nullptr) {
        return 0;
    }
    if (ReleaseWindowDc(dc)) {
        return 1;
    }
    // A screen context from GetDC(null).
    platform::gdi::ReleaseSurfaceDC(dc);
    return 1;
}

HWND WindowFromDC(HDC dc)
{
    std::lock_guard lock(DcMutex());
    auto it = WindowDcs().find(dc);
    return it == WindowDcs().end() ? nullptr : it->second;
}
