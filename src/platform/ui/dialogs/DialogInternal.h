#pragma once

// What the dialog manager's files share: the state a dialog window keeps,
// making a dialog window and running one modally.

#include "platform/ui/Dialogs.h"
#include "platform/ui/Internal.h"

#include <memory>
#include <vector>

namespace platform::ui::dialogs {

// How a modal loop learns that its dialog ended; outlives the dialog.
struct CModalRecord {
    bool m_bEnded = false;
    INT_PTR m_result = 0;
};

struct CDialogState {
    HFONT m_hFont = nullptr;
    bool m_bOwnsFont = false;
    SIZE m_baseUnits{8, 16};
    HWND m_hLastFocus = nullptr;  // the control to give the focus back to
    int m_nDefId = 0;             // set by DM_SETDEFID; 0: the BS_DEFPUSHBUTTON
    std::shared_ptr<CModalRecord> m_pModal;
    bool m_bShowAfterInit = false;  // the template asked for WS_VISIBLE
    int m_nDepth = 0;
    bool m_bDestroyed = false;
};

// The state of a dialog window (one whose procedure goes through
// DefDlgProcA), or null.
CDialogState* StateOf(HWND hwnd);

struct CDialogShell {
    HINSTANCE m_hInstance = nullptr;
    const char* m_pszClass = WC_DIALOG;
    DWORD m_dwExStyle = 0;
    DWORD m_dwStyle = 0;
    RECT m_rcWindow{};  // parent's client or screen coordinates
    const char* m_pszCaption = "";
    HWND m_hParent = nullptr;
    DLGPROC m_pfnProc = nullptr;
    HFONT m_hFont = nullptr;
    bool m_bOwnsFont = false;
    SIZE m_baseUnits{8, 16};
    // Attaches a framework object before the window's first message.
    detail::CreationHook m_pfnHook = nullptr;
    void* m_pHookContext = nullptr;
};

// The dialog window without controls, not yet shown.
HWND CreateDialogShell(const CDialogShell& shell);
// WM_SETFONT and WM_INITDIALOG, the first focus, and showing the dialog
// when its style says WS_VISIBLE. False when the dialog was destroyed on
// the way.
bool InitDialog(HWND dialog, LPARAM param);
// The modal loop: the owner's top-level disabled, the dialog shown, its
// messages through IsDialogMessage until EndDialog, then the owner
// enabled and the dialog destroyed. Returns EndDialog's value.
INT_PTR RunModal(HWND dialog, HWND owner);

// value * base / units, rounded half away from zero.
inline LONG DialogUnitsToPixels(LONG value, LONG base, LONG units)
{
    const long long product = static_cast<long long>(value) * base;
    const long long half = units / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / units : -((-product + half) / units));
}

// Gives a control the focus the way the dialog's keyboard does (an edit
// control's text selected).
void FocusControl(HWND dialog, HWND control);
// The controls of a dialog in tab order, through children that are
// WS_EX_CONTROLPARENT.
std::vector<HWND> DialogControls(HWND dialog);

// A dialog from a template, with a hook for the framework (may be null).
HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, HWND parent, DLGPROC proc, LPARAM param,
                        detail::CreationHook hook, void* context);

}  // namespace platform::ui::dialogs
