// Dialogs made from templates: the font, dialog units turned into pixels,
// the window placed, its controls made in template order.

#include "platform/resources/DialogTemplate.h"

#include "platform/gdi/Gdi.h"
#include "platform/ui/dialogs/DialogInternal.h"

#include <algorithm>

namespace platform::ui::dialogs {

namespace {

RECT ToPixels(short x, short y, short cx, short cy, SIZE units)
{
    const LONG left = DialogUnitsToPixels(x, units.cx, 4);
    const LONG top = DialogUnitsToPixels(y, units.cy, 8);
    return RECT{left, top, left + DialogUnitsToPixels(cx, units.cx, 4), top + DialogUnitsToPixels(cy, units.cy, 8)};
}

// Where a pop-up dialog goes on the screen: from its owner's client
// origin, or centred with DS_CENTER, and kept on the screen.
RECT PlacePopup(RECT rc, DWORD style, HWND owner)
{
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND root = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    if ((style & DS_CENTER) != 0) {
        RECT around{0, 0, screenWidth, screenHeight};
        if (root != nullptr && IsWindowVisible(root)) {
            GetWindowRect(root, &around);
        }
        OffsetRect(&rc, (around.left + around.right - width) / 2 - rc.left,
                   (around.top + around.bottom - height) / 2 - rc.top);
    } else if ((style & DS_ABSALIGN) == 0 && root != nullptr) {
        POINT origin{0, 0};
        ClientToScreen(root, &origin);
        OffsetRect(&rc, origin.x, origin.y);
    }
    const int x = std::clamp<int>(rc.left, 0, std::max(0, screenWidth - width));
    const int y = std::clamp<int>(rc.top, 0, std::max(0, screenHeight - height));
    OffsetRect(&rc, x - rc.left, y - rc.top);
    return rc;
}

}  // namespace

HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, HWND parent, DLGPROC proc, LPARAM param,
                        detail::CreationHook hook, void* context)
{
    CDialogShell shell;
    shell.m_hInstance = instance;
    if (dialog.m_bHasFont) {
        const int dpi = platform::gdi::GetLogicalDpi();
        shell.m_hFont = CreateFont(-(dialog.m_nPointSize * dpi + 36) / 72, 0, 0, 0,
                                   dialog.m_nWeight != 0 ? dialog.m_nWeight : FW_NORMAL, dialog.m_bItalic, 0, 0,
                                   dialog.m_nCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, dialog.m_strFont.c_str());
        shell.m_bOwnsFont = shell.m_hFont != nullptr;
        shell.m_baseUnits = platform::gdi::GetFontBaseUnits(shell.m_hFont);
    }
    if (shell.m_hFont == nullptr) {
        shell.m_hFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        const LONG units = GetDialogBaseUnits();
        shell.m_baseUnits = SIZE{LOWORD(static_cast<DWORD>(units)), HIWORD(static_cast<DWORD>(units))};
    }
    const SIZE units = shell.m_baseUnits;
    shell.m_dwStyle = dialog.m_dwStyle;
    shell.m_dwExStyle = dialog.m_dwExStyle | ((dialog.m_dwStyle & DS_MODALFRAME) != 0 ? WS_EX_DLGMODALFRAME : 0);
    // The template gives the client area; the frame goes around it.
    RECT rc = ToPixels(dialog.m_x, dialog.m_y, dialog.m_cx, dialog.m_cy, units);
    AdjustWindowRectEx(&rc, shell.m_dwStyle, FALSE, shell.m_dwExStyle);
    shell.m_rcWindow = (dialog.m_dwStyle & WS_CHILD) != 0 ? rc : PlacePopup(rc, dialog.m_dwStyle, parent);
    shell.m_pszClass = dialog.m_strClass.empty() ? WC_DIALOG : dialog.m_strClass.c_str();
    shell.m_pszCaption = dialog.m_strCaption.c_str();
    shell.m_hParent = parent;
    shell.m_pfnProc = proc;
    shell.m_pfnHook = hook;
    shell.m_pHookContext = context;
    HWND hwnd = CreateDialogShell(shell);
    if (hwnd == nullptr) {
        return nullptr;
    }
    for (const DialogItemTemplate& item : dialog.m_items) {
        const RECT at = ToPixels(item.m_x, item.m_y, item.m_cx, item.m_cy, units);
        HWND control = CreateWindowExA(item.m_dwExStyle, item.m_strClass.c_str(), item.m_strText.c_str(),
                                       item.m_dwStyle | WS_CHILD, at.left, at.top, at.right - at.left,
                                       at.bottom - at.top, hwnd, ControlId(item.m_nId), instance, nullptr);
        if (control == nullptr) {
            if ((dialog.m_dwStyle & DS_NOFAILCREATE) != 0) {
                continue;
            }
            DestroyWindow(hwnd);
            return nullptr;
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(shell.m_hFont), FALSE);
    }
    return InitDialog(hwnd, param) ? hwnd : nullptr;
}

}  // namespace platform::ui::dialogs

using namespace platform::ui::dialogs;

HWND CreateDialogIndirectParamA(HINSTANCE instance, const DialogTemplate* dialog, HWND parent, DLGPROC proc,
                                LPARAM param)
{
    return dialog != nullptr ? CreateFromTemplate(instance, *dialog, parent, proc, param, nullptr, nullptr) : nullptr;
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param)
{
    DialogTemplate dialog;
    return LoadDialogTemplate(instance, name, &dialog) ? CreateDialogIndirectParamA(instance, &dialog, parent, proc, param)
                                                       : nullptr;
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DialogTemplate* dialog, HWND owner, DLGPROC proc,
                                LPARAM param)
{
    HWND hwnd = CreateDialogIndirectParamA(instance, dialog, owner, proc, param);
    return hwnd != nullptr ? RunModal(hwnd, owner) : -1;
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    DialogTemplate dialog;
    return LoadDialogTemplate(instance, name, &dialog) ? DialogBoxIndirectParamA(instance, &dialog, owner, proc, param)
                                                       : -1;
}
