// Message boxes: a modal dialog built at run time with the text wrapped,
// an icon, and the buttons of its type, centred on its owner.

#include "platform/ui/dialogs/MessageBoxWindow.h"

#include "platform/ui/AfxWin.h"
#include "platform/ui/Controls.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/dialogs/DialogInternal.h"

#include <algorithm>
#include <vector>

namespace platform::ui::dialogs {

namespace {

using platform::ui::controls::MessageFont;

struct CBoxButton {
    int m_nId;
    const char* m_pszText;
};

std::vector<CBoxButton> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

// What the box's procedure needs, kept under DWLP_USER.
struct CBoxInfo {
    UINT m_uType = MB_OK;
    std::vector<CBoxButton> m_buttons;
    RECT m_rcIcon{};
    int m_nDefault = 0;
};

int Scaled(int pixels, int dpi)
{
    return DialogUnitsToPixels(pixels, dpi, 96);
}

void PaintIcon(HDC dc, const RECT& rc, UINT icon)
{
    COLORREF fill = RGB(0, 70, 190);
    COLORREF ink = RGB(255, 255, 255);
    const char* glyph = "i";
    if (icon == MB_ICONHAND) {
        fill = RGB(200, 0, 0);
        glyph = "X";
    } else if (icon == MB_ICONEXCLAMATION) {
        fill = RGB(255, 210, 0);
        ink = RGB(0, 0, 0);
        glyph = "!";
    } else if (icon == MB_ICONQUESTION) {
        glyph = "?";
    }
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    HFONT font = CreateFont(-(rc.bottom - rc.top) * 2 / 3, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    RECT text = rc;
    DrawText(dc, glyph, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

INT_PTR BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* info = reinterpret_cast<CBoxInfo*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        info = reinterpret_cast<CBoxInfo*>(lParam);
        SetFocus(GetDlgItem(hwnd, info->m_buttons[static_cast<std::size_t>(info->m_nDefault)].m_nId));
        return FALSE;
    case WM_COMMAND: {
        if (info == nullptr) {
            return FALSE;
        }
        const int id = LOWORD(wParam);
        for (const CBoxButton& button : info->m_buttons) {
            if (button.m_nId == id) {
                EndDialog(hwnd, id);
                return TRUE;
            }
        }
        // Escape and the close box: Cancel where the box has it; a plain
        // box closes as with OK; the others must be answered.
        if (id == IDCANCEL && (info->m_uType & MB_TYPEMASK) == MB_OK) {
            EndDialog(hwnd, IDOK);
        }
        return TRUE;
    }
    case WM_PAINT: {
        if (info == nullptr || (info->m_uType & MB_ICONMASK) == 0) {
            return FALSE;
        }
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        PaintIcon(dc, info->m_rcIcon, info->m_uType & MB_ICONMASK);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool CanShowMessageBoxWindow()
{
    const DWORD displayThread = detail::Input().m_dwInputThread;
    return displayThread != 0 && displayThread == GetCurrentThreadId();
}

HWND ApplicationBoxOwner()
{
    if (!CanShowMessageBoxWindow()) {
        return nullptr;
    }
    CWnd* main = AfxGetMainWnd();
    if (main != nullptr && IsWindow(main->m_hWnd) && IsWindowVisible(main->m_hWnd)) {
        return main->m_hWnd;
    }
    return GetActiveWindow();
}

int ShowMessageBoxWindow(const MessageBoxRequest& request)
{
    HDC screen = GetDC(nullptr);
    const int dpi = platform::gdi::GetLogicalDpi();
    HGDIOBJ oldFont = SelectObject(screen, MessageFont());
    // Lines as they are when they fit; wrapped at the widest a box takes
    // when one does not.
    const UINT format = DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS;
    RECT text{0, 0, 0, 0};
    DrawText(screen, request.m_strText.c_str(), -1, &text, format | DT_CALCRECT);
    if (text.right > Scaled(400, dpi)) {
        text = RECT{0, 0, Scaled(400, dpi), 0};
        DrawText(screen, request.m_strText.c_str(), -1, &text, format | DT_WORDBREAK | DT_CALCRECT);
    }
    TEXTMETRIC tm{};
    GetTextMetrics(screen, &tm);
    text.bottom = std::max<LONG>(text.bottom, tm.tmHeight);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);

    CBoxInfo info;
    info.m_uType = request.m_uType;
    info.m_buttons = ButtonsOf(request.m_uType);
    info.m_nDefault = std::min(static_cast<int>((request.m_uType >> 8) & 3),
                               static_cast<int>(info.m_buttons.size()) - 1);
    const int margin = Scaled(12, dpi);
    const int iconSize = (request.m_uType & MB_ICONMASK) != 0 ? Scaled(32, dpi) : 0;
    const int buttonWidth = Scaled(75, dpi);
    const int buttonHeight = Scaled(23, dpi);
    const int gap = Scaled(6, dpi);
    const int count = static_cast<int>(info.m_buttons.size());
    const int textLeft = margin + (iconSize > 0 ? iconSize + margin : 0);
    const int contentHeight = std::max<int>(iconSize, text.bottom);
    const int rowWidth = count * buttonWidth + (count - 1) * gap;
    const int width = std::max({textLeft + static_cast<int>(text.right) + margin, rowWidth + 2 * margin,
                                Scaled(160, dpi)});
    const int height = margin + contentHeight + margin + buttonHeight + margin;
    info.m_rcIcon = RECT{margin, margin, margin + iconSize, margin + iconSize};

    // Centred on the owner, or the screen, and kept on the screen.
    HWND owner = request.m_hOwner != nullptr && IsWindow(request.m_hOwner) ? GetAncestor(request.m_hOwner, GA_ROOT)
                                                                          : nullptr;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner != nullptr && IsWindowVisible(owner)) {
        GetWindowRect(owner, &around);
    }
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    const int x = std::clamp<int>((around.left + around.right - frameWidth) / 2, 0,
                                  std::max(0, GetSystemMetrics(SM_CXSCREEN) - frameWidth));
    const int y = std::clamp<int>((around.top + around.bottom - frameHeight) / 2, 0,
                                  std::max(0, GetSystemMetrics(SM_CYSCREEN) - frameHeight));

    CDialogShell shell;
    shell.m_dwExStyle = exStyle;
    shell.m_dwStyle = style;
    shell.m_rcWindow = RECT{x, y, x + frameWidth, y + frameHeight};
    shell.m_pszCaption = request.m_strCaption.c_str();
    shell.m_hParent = owner;
    shell.m_pfnProc = &BoxProc;
    shell.m_hFont = MessageFont();
    HWND box = CreateDialogShell(shell);
    if (box == nullptr) {
        return 0;
    }
    auto make = [&](const char* cls, const char* label, DWORD kind, const RECT& rc, int id) {
        HWND control = CreateWindowExA(0, cls, label, WS_CHILD | WS_VISIBLE | kind, rc.left, rc.top,
                                       rc.right - rc.left, rc.bottom - rc.top, box, ControlId(id), nullptr, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
    };
    const int textTop = margin + (contentHeight - text.bottom) / 2;
    make(WC_STATICA, request.m_strText.c_str(), SS_LEFT | SS_NOPREFIX,
         RECT{textLeft, textTop, textLeft + text.right, textTop + text.bottom}, kMessageBoxTextId);
    int left = (width - rowWidth) / 2;
    const int top = height - margin - buttonHeight;
    for (int i = 0; i < count; ++i) {
        const CBoxButton& choice = info.m_buttons[static_cast<std::size_t>(i)];
        const DWORD kind = (i == info.m_nDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP |
                           (i == 0 ? WS_GROUP : 0);
        make(WC_BUTTONA, choice.m_pszText, kind, RECT{left, top, left + buttonWidth, top + buttonHeight}, choice.m_nId);
        left += buttonWidth + gap;
    }
    if (!InitDialog(box, reinterpret_cast<LPARAM>(&info))) {
        return 0;
    }
    return static_cast<int>(RunModal(box, owner));
}

}  // namespace platform::ui::dialogs
