// The dialog's keyboard: Tab order, groups, Enter and Escape, mnemonics.

#include "platform/ui/Controls.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/dialogs/DialogInternal.h"

#include <algorithm>
#include <cctype>

namespace platform::ui::dialogs {

namespace {

using platform::ui::controls::GroupMembers;
using platform::ui::controls::MnemonicOf;

// Its own style decides, so a dialog not yet shown has its tab stops.
bool Shown(HWND control)
{
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    return (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0;
}

bool IsContainer(HWND control)
{
    return (GetWindowLongPtrA(control, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0;
}

LRESULT CodeOf(HWND control, const MSG* msg)
{
    return SendMessageA(control, WM_GETDLGCODE, msg != nullptr ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
}

// Presses the button `id` for the dialog: WM_COMMAND as its click would
// send, or a beep when it is there but disabled.
void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (button != nullptr && !IsWindowEnabled(button)) {
        MessageBeep(0);
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void Enter(HWND dialog, HWND focus)
{
    if (focus != nullptr && focus != dialog &&
        (CodeOf(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
        PressButton(dialog, GetDlgCtrlID(focus));
        return;
    }
    const LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    PressButton(dialog, HIWORD(static_cast<std::uintptr_t>(def)) == DC_HASDEFID
                            ? LOWORD(static_cast<std::uintptr_t>(def))
                            : IDOK);
}

void Arrow(HWND dialog, HWND focus, bool previous)
{
    HWND next = GetNextDlgGroupItem(dialog, focus, previous ? TRUE : FALSE);
    if (next == nullptr || next == focus) {
        return;
    }
    FocusControl(dialog, next);
    const LRESULT code = CodeOf(next, nullptr);
    if ((code & DLGC_RADIOBUTTON) != 0 &&
        (GetWindowLongPtrA(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
        SendMessageA(next, BM_CLICK, 0, 0);
    }
}

// The control a mnemonic letter leads to, searching from after the focus.
bool Mnemonic(HWND dialog, HWND focus, char letter)
{
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    std::vector<HWND> controls = DialogControls(dialog);
    auto start = std::find(controls.begin(), controls.end(), focus);
    if (start != controls.end()) {
        std::rotate(controls.begin(), start + 1, controls.end());
    }
    for (HWND control : controls) {
        if (!Shown(control) || IsContainer(control)) {
            continue;
        }
        const LRESULT code = CodeOf(control, nullptr);
        if ((code & DLGC_STATIC) != 0 && (GetWindowLongPtrA(control, GWL_STYLE) & SS_NOPREFIX) != 0 &&
            (code & DLGC_BUTTON) == 0) {
            continue;
        }
        char text[256] = {};
        GetWindowTextA(control, text, sizeof text);
        if (MnemonicOf(text) != key) {
            continue;
        }
        if ((code & DLGC_STATIC) != 0) {
            // A label names the control after it.
            HWND target = GetNextDlgTabItem(dialog, control, FALSE);
            if (target != nullptr) {
                FocusControl(dialog, target);
            }
        } else if ((code & DLGC_BUTTON) != 0) {
            SetFocus(control);
            SendMessageA(control, BM_CLICK, 0, 0);
        } else {
            FocusControl(dialog, control);
        }
        return true;
    }
    return false;
}

}  // namespace

}  // namespace platform::ui::dialogs

using namespace platform::ui::dialogs;

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    const std::vector<HWND> all = DialogControls(dialog);
    auto stops = [](HWND h) {
        return Shown(h) && !IsContainer(h) && (GetWindowLongPtrA(h, GWL_STYLE) & WS_TABSTOP) != 0;
    };
    const auto count = static_cast<std::ptrdiff_t>(all.size());
    auto at = std::find(all.begin(), all.end(), control);
    std::ptrdiff_t i = at == all.end() ? (previous ? count : -1) : at - all.begin();
    for (std::ptrdiff_t step = 0; step < count; ++step) {
        i = previous ? (i - 1 + count) % count : (i + 1) % count;
        if (stops(all[static_cast<std::size_t>(i)])) {
            return all[static_cast<std::size_t>(i)];
        }
    }
    return control;
}

HWND GetNextDlgGroupItem(HWND /*dialog*/, HWND control, BOOL previous)
{
    if (control == nullptr) {
        return nullptr;
    }
    std::vector<HWND> group = GroupMembers(control);
    group.erase(std::remove_if(group.begin(), group.end(),
                               [&](HWND h) { return h != control && (!Shown(h) || IsContainer(h)); }),
                group.end());
    const auto count = static_cast<std::ptrdiff_t>(group.size());
    const std::ptrdiff_t i = std::find(group.begin(), group.end(), control) - group.begin();
    return group[static_cast<std::size_t>(previous ? (i - 1 + count) % count : (i + 1) % count)];
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg)
{
    if (msg == nullptr || dialog == nullptr || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) {
        return FALSE;
    }
    HWND focus = msg->hwnd;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (msg->message) {
    case WM_KEYDOWN: {
        const LRESULT code = CodeOf(focus, msg);
        if ((code & DLGC_WANTMESSAGE) != 0) {
            break;
        }
        switch (msg->wParam) {
        case VK_TAB:
            if ((code & DLGC_WANTTAB) == 0) {
                if (HWND next = GetNextDlgTabItem(dialog, focus == dialog ? nullptr : focus, shift);
                    next != nullptr && next != dialog) {
                    FocusControl(dialog, next);
                }
                return TRUE;
            }
            break;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if ((code & DLGC_WANTARROWS) == 0 && focus != dialog) {
                Arrow(dialog, focus, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
                return TRUE;
            }
            break;
        case VK_RETURN:
            Enter(dialog, focus);
            return TRUE;
        case VK_ESCAPE:
            PressButton(dialog, IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    }
    case WM_SYSCHAR:
        if (Mnemonic(dialog, focus, static_cast<char>(msg->wParam))) {
            return TRUE;
        }
        if (std::isalnum(static_cast<unsigned char>(msg->wParam)) != 0) {
            MessageBeep(0);
            return TRUE;
        }
        break;
    case WM_CHAR:
        if (msg->wParam > ' ' && (CodeOf(focus, msg) & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) == 0 &&
            Mnemonic(dialog, focus, static_cast<char>(msg->wParam))) {
            return TRUE;
        }
        break;
    default:
        break;
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}
