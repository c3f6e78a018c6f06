// What a window does with a message its own procedure leaves to the system,
// and the frames and captions drawn around client areas.

#include "platform/gdi/Gdi.h"
#include "platform/ui/Internal.h"

#include <algorithm>
#include <cstring>

namespace platform::ui::detail {

namespace {

// A class background given as a system colour index plus one, as Win32
// allows, or a real brush.
HBRUSH BackgroundBrush(const CWindowClass& cls)
{
    const auto value = reinterpret_cast<std::uintptr_t>(cls.m_hbrBackground);
    if (value != 0 && value <= 31) {
        return GetSysColorBrush(static_cast<int>(value) - 1);
    }
    return cls.m_hbrBackground;
}

// The caption's own font: made once, the same on every machine.
HFONT CaptionFont()
{
    static HFONT font = [] {
        LOGFONT lf{};
        lf.lfHeight = -12;
        lf.lfWeight = 700;
        std::strcpy(lf.lfFaceName, "Arial");
        return CreateFontIndirect(&lf);
    }();
    return font;
}

void DrawCaption(CWindow* w, HDC dc, const RECT& frame, const RECT& insets)
{
    RECT bar{insets.left, frame.top + insets.left, frame.right - insets.right, insets.top - 1};
    if (RectEmpty(bar)) {
        return;
    }
    const bool active = Input().m_hActive == w->m_hwnd;
    FillRect(dc, &bar, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    RECT line{bar.left, bar.bottom, bar.right, bar.bottom + 1};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
    if (w->m_strText.empty()) {
        return;
    }
    HGDIOBJ oldFont = SelectObject(dc, CaptionFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT text = bar;
    text.left += 6;
    text.right -= 4;
    DrawText(dc, w->m_strText.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
}

LRESULT HitTest(CWindow* w, POINT screen)
{
    const RECT rcClient = RectAt(ClientScreenOrigin(w), w->m_rcClient);
    const RECT rcWindow = RectAt(WindowScreenOrigin(w), w->m_rcWindow);
    if (PtInRect(&rcClient, screen)) {
        return HTCLIENT;
    }
    if (!PtInRect(&rcWindow, screen)) {
        return HTNOWHERE;
    }
    const RECT insets = NonClientInsets(w->m_dwStyle, w->m_dwExStyle, w->m_pParent == nullptr);
    if ((w->m_dwStyle & WS_CAPTION) == WS_CAPTION && screen.y < rcClient.top &&
        screen.y >= rcWindow.top + (insets.left)) {
        return HTCAPTION;
    }
    return HTBORDER;
}

}  // namespace

void PaintNonClient(CWindow* w)
{
    w->m_bNcPaintPending = false;
    if (EqualRect(&w->m_rcWindow, &w->m_rcClient) || !Visible(w)) {
        return;
    }
    Call(w, WM_NCPAINT, 1, 0);
}

void DrawDefaultFrame(CWindow* w)
{
    HDC dc = GetWindowDC(w->m_hwnd);
    if (dc == nullptr) {
        return;
    }
    const RECT frame{0, 0, w->m_rcWindow.right - w->m_rcWindow.left, w->m_rcWindow.bottom - w->m_rcWindow.top};
    const RECT insets{w->m_rcClient.left - w->m_rcWindow.left, w->m_rcClient.top - w->m_rcWindow.top,
                      w->m_rcWindow.right - w->m_rcClient.right, w->m_rcWindow.bottom - w->m_rcClient.bottom};
    const DWORD style = w->m_dwStyle;
    RECT ring = frame;
    const bool caption = (style & WS_CAPTION) == WS_CAPTION;
    if ((style & WS_THICKFRAME) != 0 || caption || (style & WS_DLGFRAME) != 0 ||
        (w->m_dwExStyle & WS_EX_DLGMODALFRAME) != 0) {
        DrawEdge(dc, &ring, EDGE_RAISED, BF_RECT | BF_ADJUST);
        const int rest = std::min({insets.left, insets.right, insets.bottom}) - 2;
        for (int i = 0; i < rest; ++i) {
            FrameRect(dc, &ring, GetSysColorBrush(COLOR_BTNFACE));
            InflateRect(&ring, -1, -1);
        }
    } else if ((style & WS_BORDER) != 0) {
        FrameRect(dc, &ring, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&ring, -1, -1);
    }
    if ((w->m_dwExStyle & WS_EX_CLIENTEDGE) != 0) {
        RECT edge{insets.left - 2, insets.top - 2, frame.right - insets.right + 2, frame.bottom - insets.bottom + 2};
        DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    } else if ((w->m_dwExStyle & WS_EX_STATICEDGE) != 0) {
        RECT edge{insets.left - 1, insets.top - 1, frame.right - insets.right + 1, frame.bottom - insets.bottom + 1};
        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    }
    if (caption) {
        DrawCaption(w, dc, frame, insets);
    }
    ReleaseDC(w->m_hwnd, dc);
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc != nullptr ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindow* w = FindQuiet(hwnd);
    if (w == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName)) {
            w->m_strText = cs->lpszName;
        }
        return TRUE;
    }
    case WM_NCCALCSIZE: {
        RECT* rc = wParam != 0 ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        if (rc != nullptr) {
            const RECT insets = NonClientInsets(w->m_dwStyle, w->m_dwExStyle, w->m_pParent == nullptr);
            rc->left += insets.left;
            rc->top += insets.top;
            rc->right = std::max(rc->left, rc->right - insets.right);
            rc->bottom = std::max(rc->top, rc->bottom - insets.bottom);
        }
        return 0;
    }
    case WM_NCHITTEST:
        return HitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
        DrawDefaultFrame(w);
        return 0;
    case WM_NCACTIVATE:
        if ((w->m_dwStyle & WS_CAPTION) == WS_CAPTION && w->m_pParent == nullptr) {
            // The caption shows whether the window is active.
            PaintNonClient(w);
        }
        return TRUE;
    case WM_ERASEBKGND: {
        HBRUSH brush = BackgroundBrush(*w->m_pClass);
        if (brush == nullptr) {
            return 0;
        }
        RECT rc{};
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        w->m_strText = text != nullptr ? text : "";
        if (w->m_pParent == nullptr) {
            GetDisplay()->TopLevelChanged(hwnd);
            if ((w->m_dwStyle & WS_CAPTION) == WS_CAPTION && Visible(w)) {
                w->m_bNcPaintPending = true;
                NotePaintPending(w);
            }
        }
        return TRUE;
    }
    case WM_GETTEXT: {
        char* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0) {
            return 0;
        }
        const std::size_t n = std::min(w->m_strText.size(), static_cast<std::size_t>(wParam - 1));
        std::memcpy(buffer, w->m_strText.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->m_strText.size());
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F1 + 3 && (lParam & (LPARAM{1} << 29)) != 0) {  // Alt+F4
            PostMessageA(RootOf(w)->m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos == nullptr) {
            return 0;
        }
        if ((pos->flags & SWP_NOSIZE) == 0) {
            SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED,
                         MAKELPARAM(static_cast<unsigned>(w->m_rcClient.right - w->m_rcClient.left),
                                    static_cast<unsigned>(w->m_rcClient.bottom - w->m_rcClient.top)));
        }
        if ((pos->flags & SWP_NOMOVE) == 0 && !w->m_bDead) {
            SendMessageA(hwnd, WM_MOVE, 0,
                         MAKELPARAM(static_cast<unsigned>(w->m_rcClient.left), static_cast<unsigned>(w->m_rcClient.top)));
        }
        return 0;
    }
    case WM_SETCURSOR: {
        // A child's parent decides first; a parent that does not answer TRUE
        // leaves the choice to the child's own class cursor.
        if (w->m_pParent != nullptr && SendMessageA(w->m_pParent->m_hwnd, WM_SETCURSOR, wParam, lParam) != 0) {
            return TRUE;
        }
        const auto hit = static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam)));
        const UINT mouse = HIWORD(static_cast<std::uintptr_t>(lParam));
        if (hit == HTERROR) {
            if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN) {
                MessageBeep(0);
            }
        } else if (hit == HTCLIENT) {
            if (w->m_pClass->m_hCursor != nullptr) {
                SetCursor(w->m_pClass->m_hCursor);
            }
        } else {
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        }
        return FALSE;
    }
    case WM_MOUSEACTIVATE:
        if (w->m_pParent != nullptr) {
            const LRESULT answer = SendMessageA(w->m_pParent->m_hwnd, WM_MOUSEACTIVATE, wParam, lParam);
            if (answer != 0) {
                return answer;
            }
        }
        return MA_ACTIVATE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(hwnd);
        }
        return 0;
    case WM_MOUSEWHEEL:
        if (w->m_pParent != nullptr) {
            return SendMessageA(w->m_pParent->m_hwnd, message, wParam, lParam);
        }
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) {
            ReleaseCapture();
        }
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
        const int background = field ? COLOR_WINDOW : COLOR_BTNFACE;
        SetTextColor(dc, GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(background));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
    }
    default:
        return 0;
    }
}
