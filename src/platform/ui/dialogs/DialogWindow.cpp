// Dialog windows: their state, DefDlgProcA, making one and running it
// modally.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/Controls.h"
#include "platform/ui/dialogs/DialogInternal.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

namespace platform::ui::dialogs {

namespace {

// Where a dialog keeps its state, after the three values applications
// may use (DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER).
constexpr int kStateOffset = DWLP_USER + static_cast<int>(sizeof(LONG_PTR));

std::mutex& StatesMutex()
{
    static std::mutex mutex;
    return mutex;
}
std::set<const CDialogState*>& LiveStates()
{
    static std::set<const CDialogState*> states;
    return states;
}

// The shell being made on this thread, for DefDlgProcA's WM_NCCREATE.
thread_local const CDialogShell* t_pShell = nullptr;

// Messages whose result the dialog procedure returns itself.
bool ReturnsDirectly(UINT message)
{
    return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

bool Usable(HWND dialog, HWND control)
{
    if (control == nullptr || !IsWindow(control) || !IsChild(dialog, control)) {
        return false;
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    return (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0;
}

// Gives the focus back to the control that had it, or to the first one.
void RestoreFocus(HWND dialog, CDialogState* state)
{
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus)) {
        return;
    }
    HWND target = Usable(dialog, state->m_hLastFocus) ? state->m_hLastFocus : GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (target != nullptr && target != dialog) {
        SetFocus(target);
    }
}

LRESULT DefaultHandling(HWND hwnd, CDialogState* state, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
        RECT rc{};
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_SETFONT:
        state->m_hFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->m_hFont);
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        if (cancel != nullptr && !IsWindowEnabled(cancel)) {
            MessageBeep(0);
        } else {
            SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(cancel));
        }
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd, focus)) {
                state->m_hLastFocus = focus;
            }
        } else {
            RestoreFocus(hwnd, state);
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus(hwnd, state);
        return 0;
    case DM_GETDEFID: {
        if (state->m_nDefId != 0) {
            return MAKELRESULT(static_cast<unsigned>(state->m_nDefId), DC_HASDEFID);
        }
        for (HWND control : DialogControls(hwnd)) {
            if ((SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0) {
                return MAKELRESULT(static_cast<unsigned>(GetDlgCtrlID(control)), DC_HASDEFID);
            }
        }
        return 0;
    }
    case DM_SETDEFID:
        for (HWND control : DialogControls(hwnd)) {
            const LRESULT code = SendMessageA(control, WM_GETDLGCODE, 0, 0);
            const bool isTarget = GetDlgCtrlID(control) == static_cast<int>(wParam);
            if ((code & DLGC_DEFPUSHBUTTON) != 0 && !isTarget) {
                SendMessageA(control, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
            } else if ((code & DLGC_UNDEFPUSHBUTTON) != 0 && isTarget &&
                       (GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON) {
                SendMessageA(control, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
            }
        }
        state->m_nDefId = static_cast<int>(wParam);
        return TRUE;
    case WM_NEXTDLGCTL: {
        HWND target = LOWORD(static_cast<std::uintptr_t>(lParam)) != 0
                          ? reinterpret_cast<HWND>(wParam)
                          : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (target != nullptr) {
            FocusControl(hwnd, target);
        }
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

CDialogState* StateOf(HWND hwnd)
{
    if (hwnd == nullptr || GetClassLongPtrA(hwnd, GCL_CBWNDEXTRA) < DLGWINDOWEXTRA) {
        return nullptr;
    }
    auto* state = reinterpret_cast<CDialogState*>(GetWindowLongPtrA(hwnd, kStateOffset));
    std::lock_guard lock(StatesMutex());
    return LiveStates().count(state) != 0 ? state : nullptr;
}

std::vector<HWND> DialogControls(HWND dialog)
{
    std::vector<HWND> controls;
    for (HWND child : platform::ui::controls::ChildrenOf(dialog)) {
        controls.push_back(child);
        if ((GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0) {
            const std::vector<HWND> inner = DialogControls(child);
            controls.insert(controls.end(), inner.begin(), inner.end());
        }
    }
    return controls;
}

void FocusControl(HWND /*dialog*/, HWND control)
{
    if ((SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
    SetFocus(control);
}

HWND CreateDialogShell(const CDialogShell& shell)
{
    platform::ui::controls::EnsureStandardClasses();
    t_pShell = &shell;
    if (shell.m_pfnHook != nullptr) {
        detail::SetNextCreationHook(shell.m_pfnHook, shell.m_pHookContext);
    }
    const RECT& rc = shell.m_rcWindow;
    HWND hwnd = CreateWindowExA(shell.m_dwExStyle, shell.m_pszClass, shell.m_pszCaption,
                                shell.m_dwStyle & ~WS_VISIBLE, rc.left, rc.top, rc.right - rc.left,
                                rc.bottom - rc.top, shell.m_hParent, nullptr, shell.m_hInstance, nullptr);
    t_pShell = nullptr;
    detail::SetNextCreationHook(nullptr, nullptr);
    if (hwnd == nullptr) {
        if (shell.m_bOwnsFont) {
            DeleteObject(shell.m_hFont);
        }
        return nullptr;
    }
    if (StateOf(hwnd) == nullptr) {
        DestroyWindow(hwnd);  // a class that does not go through DefDlgProcA
        return nullptr;
    }
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(shell.m_hFont), FALSE);
    return hwnd;
}

bool InitDialog(HWND dialog, LPARAM param)
{
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    const LRESULT focusFirst = SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
    if (!IsWindow(dialog)) {
        return false;
    }
    if (focusFirst != 0 && first != nullptr && IsWindow(first)) {
        FocusControl(dialog, first);
    }
    if (CDialogState* state = StateOf(dialog); state != nullptr && state->m_bShowAfterInit) {
        state->m_bShowAfterInit = false;
        ShowWindow(dialog, SW_SHOWNORMAL);
    }
    return IsWindow(dialog) != FALSE;
}

INT_PTR RunModal(HWND dialog, HWND owner)
{
    CDialogState* state = StateOf(dialog);
    if (state == nullptr) {
        return -1;
    }
    auto record = std::make_shared<CModalRecord>();
    state->m_pModal = record;
    HWND ownerRoot = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    bool reenable = false;
    if (ownerRoot != nullptr && ownerRoot != dialog && IsWindowEnabled(ownerRoot)) {
        EnableWindow(ownerRoot, FALSE);
        reenable = true;
    }
    if (!IsWindowVisible(dialog)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
    }
    while (!record->m_bEnded && IsWindow(dialog)) {
        MSG msg{};
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            if (!record->m_bEnded) {
                record->m_bEnded = true;
                record->m_result = IDCANCEL;
            }
            break;
        }
        if (!IsDialogMessageA(dialog, &msg) && !PreTranslate(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // The owner comes back first, so the activation goes to it.
    if (reenable && IsWindow(ownerRoot)) {
        EnableWindow(ownerRoot, TRUE);
    }
    if (IsWindow(dialog)) {
        DestroyWindow(dialog);
    }
    return record->m_result;
}

}  // namespace platform::ui::dialogs

namespace platform::ui::controls {

void RegisterDialogClass()
{
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = &DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_DIALOG;
    RegisterClassA(&wc);
}

}  // namespace platform::ui::controls

using namespace platform::ui::dialogs;

LRESULT DefDlgProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && GetClassLongPtrA(hwnd, GCL_CBWNDEXTRA) >= DLGWINDOWEXTRA &&
        StateOf(hwnd) == nullptr) {
        auto* made = new CDialogState;
        if (const CDialogShell* shell = std::exchange(t_pShell, nullptr)) {
            made->m_hFont = shell->m_hFont;
            made->m_bOwnsFont = shell->m_bOwnsFont;
            made->m_baseUnits = shell->m_baseUnits;
            made->m_bShowAfterInit = (shell->m_dwStyle & WS_VISIBLE) != 0;
            SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(shell->m_pfnProc));
        }
        {
            std::lock_guard lock(StatesMutex());
            LiveStates().insert(made);
        }
        SetWindowLongPtrA(hwnd, kStateOffset, reinterpret_cast<LONG_PTR>(made));
    }
    CDialogState* state = StateOf(hwnd);
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    ++state->m_nDepth;
    LRESULT result = 0;
    const auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hwnd, DWLP_DLGPROC));
    const INT_PTR answered = proc != nullptr ? proc(hwnd, message, wParam, lParam) : 0;
    if (answered != 0) {
        result = ReturnsDirectly(message) ? answered : GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);
    } else if (!state->m_bDestroyed) {
        result = DefaultHandling(hwnd, state, message, wParam, lParam);
    }
    --state->m_nDepth;
    if (message == WM_NCDESTROY && !state->m_bDestroyed) {
        state->m_bDestroyed = true;
        if (state->m_bOwnsFont) {
            DeleteObject(state->m_hFont);
        }
        std::lock_guard lock(StatesMutex());
        LiveStates().erase(state);
    }
    if (state->m_bDestroyed && state->m_nDepth == 0) {
        delete state;
    }
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    CDialogState* state = StateOf(dialog);
    if (state == nullptr) {
        return FALSE;
    }
    if (state->m_pModal) {
        state->m_pModal->m_bEnded = true;
        state->m_pModal->m_result = result;
        // Wakes the loop when the call came from outside any message.
        PostMessageA(dialog, WM_NULL, 0, 0);
    } else {
        ShowWindow(dialog, SW_HIDE);
    }
    return TRUE;
}
