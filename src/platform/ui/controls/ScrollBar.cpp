// The ScrollBar control: a bar that reports what the user asks of it to its
// parent and moves only when told to, except for the thumb being dragged.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/controls/ScrollCore.h"

namespace platform::ui::controls {

namespace {

class CScrollBar final : public CControl {
public:
    CScrollBar(HWND hwnd, const CREATESTRUCTA* cs)
        : CControl(hwnd), m_core((static_cast<DWORD>(cs->style) & SBS_VERT) != 0)
    {
        m_core.SetBounds(RECT{0, 0, cs->cx, cs->cy});
        m_core.m_send = [this](WORD code, int pos) {
            if (HWND parent = Parent()) {
                SendMessageA(parent, m_core.Vertical() ? WM_VSCROLL : WM_HSCROLL,
                             MAKEWPARAM(code, static_cast<unsigned>(pos)), reinterpret_cast<LPARAM>(m_hwnd));
            }
        };
        m_core.Enable((static_cast<DWORD>(cs->style) & WS_DISABLED) == 0);
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
        case WM_SIZE:
            m_core.SetBounds(Client());
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(m_hwnd, &ps);
            m_core.Paint(dc, Focused() && (Style() & WS_TABSTOP) != 0);
            EndPaint(m_hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_ENABLE:
            m_core.Enable(wParam != 0);
            Redraw();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if ((Style() & WS_TABSTOP) != 0) {
                SetFocus(m_hwnd);
            }
            m_core.ButtonDown(m_hwnd, pt);
            return 0;
        case WM_MOUSEMOVE:
            m_core.MouseMove(m_hwnd, pt);
            return 0;
        case WM_LBUTTONUP:
            m_core.ButtonUp(m_hwnd, pt);
            return 0;
        case WM_TIMER:
            if (!m_core.Timer(m_hwnd, wParam)) {
                return Default(message, wParam, lParam);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
                m_core.CancelTracking(m_hwnd);
            }
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Redraw();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            return Key(static_cast<UINT>(wParam)) ? 0 : Default(message, wParam, lParam);
        case WM_KEYUP:
            if (KeyRequest(static_cast<UINT>(wParam)) >= 0) {
                m_core.m_send(SB_ENDSCROLL, 0);
            }
            return 0;
        case SBM_SETPOS: {
            const int previous = m_core.Pos();
            SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
            Update(info, lParam != 0);
            return previous;
        }
        case SBM_GETPOS:
            return m_core.Pos();
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW: {
            const int previous = m_core.Pos();
            SCROLLINFO info{sizeof info, SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
            Update(info, message == SBM_SETRANGEREDRAW);
            return previous;
        }
        case SBM_GETRANGE:
            if (wParam != 0) {
                *reinterpret_cast<int*>(wParam) = m_core.Min();
            }
            if (lParam != 0) {
                *reinterpret_cast<int*>(lParam) = m_core.Max();
            }
            return 0;
        case SBM_SETSCROLLINFO:
            return lParam != 0 ? Update(*reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0) : m_core.Pos();
        case SBM_GETSCROLLINFO:
            if (lParam == 0) {
                return FALSE;
            }
            m_core.GetInfo(reinterpret_cast<SCROLLINFO*>(lParam));
            return TRUE;
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

private:
    int Update(const SCROLLINFO& info, bool redraw)
    {
        const int pos = m_core.SetInfo(info);
        if (redraw) {
            Redraw();
        }
        return pos;
    }

    // The request a key makes of the bar, or -1.
    static int KeyRequest(UINT vk)
    {
        switch (vk) {
        case VK_UP:
        case VK_LEFT:
            return SB_LINEUP;
        case VK_DOWN:
        case VK_RIGHT:
            return SB_LINEDOWN;
        case VK_PRIOR:
            return SB_PAGEUP;
        case VK_NEXT:
            return SB_PAGEDOWN;
        case VK_HOME:
            return SB_TOP;
        case VK_END:
            return SB_BOTTOM;
        default:
            return -1;
        }
    }

    bool Key(UINT vk)
    {
        const int request = KeyRequest(vk);
        if (request < 0 || !m_core.Active()) {
            return request >= 0;
        }
        m_core.m_send(static_cast<WORD>(request), 0);
        return true;
    }

    CScrollCore m_core;
};

}  // namespace

void RegisterScrollBarClass()
{
    RegisterControlClass(WC_SCROLLBARA, &ProcOf<CScrollBar>, 0, 32512);
}

}  // namespace platform::ui::controls

using namespace platform::ui::controls;

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    if (bar != SB_CTL || info == nullptr) {
        return 0;
    }
    return static_cast<int>(SendMessageA(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info)
{
    if (bar != SB_CTL || info == nullptr) {
        return FALSE;
    }
    return static_cast<BOOL>(SendMessageA(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    if (bar != SB_CTL) {
        return 0;
    }
    return static_cast<int>(SendMessageA(hwnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
}

int GetScrollPos(HWND hwnd, int bar)
{
    return bar == SB_CTL ? static_cast<int>(SendMessageA(hwnd, SBM_GETPOS, 0, 0)) : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    if (bar != SB_CTL || !IsWindow(hwnd)) {
        return FALSE;
    }
    SendMessageA(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos)
{
    if (bar != SB_CTL || !IsWindow(hwnd)) {
        return FALSE;
    }
    SendMessageA(hwnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
    return TRUE;
}
