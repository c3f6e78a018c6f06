#pragma once

// Pop-up menus: lists of commands built at run time and tracked as a small
// window at the pointer until the user picks one or dismisses it. Numbers
// and behaviour are Win32's; what differs is said next to each function.

#include "platform/ui/WinUser.h"

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
// The item opens a sub-menu (its ID is the menu's handle). Sub-menus are
// kept and destroyed with their menu, but not opened: such an item cannot
// be chosen.
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;

inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
// Either button picks an item (without it only the left one does).
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
// No WM_INITMENUPOPUP, WM_ENTERMENULOOP or WM_EXITMENULOOP for the owner.
inline constexpr UINT TPM_NONOTIFY = 0x0080;
// Return the chosen command (0 for none) instead of posting WM_COMMAND.
inline constexpr UINT TPM_RETURNCMD = 0x0100;

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;  // ignored
};
using LPTPMPARAMS = TPMPARAMS*;

HMENU CreatePopupMenu();
HMENU CreateMenu();
// Destroys the menu and its sub-menus.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// `text` may carry a '&' before the mnemonic letter and a tab before
// right-aligned text (a shortcut's name).
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubMenu, LPCSTR text);
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubMenu, LPCSTR text);
inline BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) { return AppendMenuA(menu, flags, id, text); }
inline BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text)
{
    return InsertMenuA(menu, position, flags, id, text);
}
// DeleteMenu destroys a sub-menu the item opens; RemoveMenu keeps it.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);

// Return the item's previous state (MF_GRAYED, MF_DISABLED, MF_CHECKED
// bits), or -1 as a UINT when there is no such item.
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
// The item's command, or -1 as a UINT for a separator, a sub-menu or no item.
UINT GetMenuItemID(HMENU menu, int position);
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int maxCount, UINT flags);

// Shows the menu at screen point (x, y) and tracks it until an item is
// chosen (mouse or keyboard: arrows, Enter, the mnemonic letter) or the
// menu is dismissed (Escape, Alt, a click outside it, which goes no
// further). A button release chooses only once the pointer moved onto the
// menu or a button was pressed on it, so releasing the click that opened
// the menu chooses nothing. Greyed items are shown but cannot be chosen.
// The chosen command is posted to `owner` as WM_COMMAND (ID in the low
// word, code 0) and the result is TRUE, or with TPM_RETURNCMD returned.
// Nothing chosen gives 0.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, LPCRECT ignored);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);
// Dismisses the menu being tracked on this thread.
BOOL EndMenu();
