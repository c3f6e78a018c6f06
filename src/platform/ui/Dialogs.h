#pragma once

// Dialogs: windows made from a dialog template (platform/resources/
// DialogTemplate.h) with their controls, run modally in a loop of their
// own or shown modeless, with a dialog procedure, the dialog's keyboard
// (Tab, arrows in a group, Enter, Escape, mnemonics) and the helpers that
// read and set their controls. Numbers and behaviour are Win32's.
//
// Creating a dialog: the template's size and every control's rectangle are
// dialog units, turned into pixels with the base units of the template's
// font (x * cx / 4, y * cy / 8; the system font's 8 x 16 when it names
// none). The font, "Arial" 8 for instance, is made at the screen's pixels
// per inch, given to the dialog and to every control (WM_SETFONT) and
// deleted with the dialog. A pop-up dialog's position is taken from its
// owner's client area (the screen's with DS_ABSALIGN or no owner), or the
// dialog is centred on its owner with DS_CENTER. Then the dialog procedure
// gets WM_INITDIALOG with the parameter and the first control that takes
// Tab; returning TRUE gives that control the focus (an edit control has
// its text selected). A template with WS_VISIBLE is shown afterwards.

#include "platform/resources/DialogTemplate.h"
#include "platform/ui/WinUser.h"

// Answers TRUE for a message it handled (then the result is the one kept
// under DWLP_MSGRESULT, or the returned value itself for WM_INITDIALOG and
// the WM_CTLCOLOR* messages) and FALSE to leave it to the dialog.
using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr DWORD DS_ABSALIGN = 0x0001;
inline constexpr DWORD DS_SYSMODAL = 0x0002;
inline constexpr DWORD DS_3DLOOK = 0x0004;
inline constexpr DWORD DS_FIXEDSYS = 0x0008;
inline constexpr DWORD DS_NOFAILCREATE = 0x0010;
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_SETFOREGROUND = 0x0200;
inline constexpr DWORD DS_CONTROL = 0x0400;
inline constexpr DWORD DS_CENTER = 0x0800;

// The class of dialogs that name none.
inline constexpr char WC_DIALOG[] = "#32770";

// Dialog messages.
inline constexpr UINT WM_NEXTDLGCTL = 0x0028;
inline constexpr UINT DM_GETDEFID = WM_USER + 0;
inline constexpr UINT DM_SETDEFID = WM_USER + 1;
inline constexpr WORD DC_HASDEFID = 0x534B;

// ---------------------------------------------------------------------------
// Making and running dialogs

// A modeless dialog from template `name` of module `instance` (a child
// window of `parent` when the template says WS_CHILD, else a pop-up it
// owns). Null when the template is missing or a control cannot be made.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param);
HWND CreateDialogIndirectParamA(HINSTANCE instance, const DialogTemplate* dialog, HWND parent, DLGPROC proc,
                                LPARAM param);
inline HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param)
{
    return CreateDialogParamA(instance, name, parent, proc, param);
}

// A modal dialog: the owner's top-level window is disabled while the
// dialog runs its own message loop (nested in whatever loop runs now),
// until EndDialog; then the owner is enabled again, the dialog destroyed,
// and the value given to EndDialog returned. -1 when the dialog cannot be
// made. A WM_QUIT met in the loop ends the dialog with IDCANCEL and is
// posted again for the loop outside.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DialogTemplate* dialog, HWND owner, DLGPROC proc,
                                LPARAM param);
inline INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    return DialogBoxParamA(instance, name, owner, proc, param);
}
// Ends a modal dialog's loop with `result` (the dialog goes once the
// current message is handled); a modeless dialog is hidden.
BOOL EndDialog(HWND dialog, INT_PTR result);

// The window procedure of dialogs: the dialog procedure first, then the
// default handling (background in the WM_CTLCOLORDLG brush, the focus kept
// across activation, WM_CLOSE as IDCANCEL, DM_GETDEFID, WM_NEXTDLGCTL).
LRESULT DefDlgProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog's keyboard, for any message loop that shows a modeless
// dialog: TRUE when `msg` was for the dialog or one of its controls and has
// been handled (translated and dispatched when it was nothing special).
// Tab and Shift+Tab move over the WS_TABSTOP controls in template order
// (through children with WS_EX_CONTROLPARENT); arrows move within a group
// (from a WS_GROUP control to the next), checking auto radio buttons;
// Enter presses the focused push button, else the default one (IDOK when
// there is none); Escape presses IDCANCEL; Alt+letter, or the letter alone
// when the focused control takes no characters, goes to the control whose
// text (or whose label's, for the control after a static) has it after
// '&'. A control keeps the keys its WM_GETDLGCODE asks for.
BOOL IsDialogMessageA(HWND dialog, LPMSG msg);
inline BOOL IsDialogMessage(HWND dialog, LPMSG msg) { return IsDialogMessageA(dialog, msg); }
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);

// Dialog units to pixels with the dialog's own base units.
BOOL MapDialogRect(HWND dialog, LPRECT rc);

// ---------------------------------------------------------------------------
// Controls of a dialog by ID (GetDlgItem is in WinUser.h)

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int maxCount);
inline BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) { return SetDlgItemTextA(dialog, id, text); }
inline UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int maxCount)
{
    return GetDlgItemTextA(dialog, id, buffer, maxCount);
}
// The text as a number: optional blanks, a '-' when `isSigned`, digits,
// optional blanks. Anything else, or a value out of range, gives 0 and
// FALSE in *translated.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and unchecks every other button from `first` to `last`.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Message boxes (MessageBoxA and the MB_ numbers are in Messages.h)

// The control ID of a message box's text, whose window text is the
// message exactly as given.
inline constexpr int kMessageBoxTextId = 0xFFFF;
inline constexpr UINT MB_DEFBUTTON1 = 0x0000;
inline constexpr UINT MB_DEFBUTTON2 = 0x0100;
inline constexpr UINT MB_DEFBUTTON3 = 0x0200;
