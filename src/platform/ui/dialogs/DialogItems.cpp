// Reading and setting a dialog's controls by ID, and dialog units.

#include "platform/ui/Controls.h"
#include "platform/ui/dialogs/DialogInternal.h"

#include <cctype>
#include <cstdio>
#include <limits>

using namespace platform::ui::dialogs;

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr ? SetWindowTextA(control, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int maxCount)
{
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        if (buffer != nullptr && maxCount > 0) {
            buffer[0] = '\0';
        }
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(control, buffer, maxCount));
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    if (translated != nullptr) {
        *translated = FALSE;
    }
    char text[64] = {};
    if (GetDlgItem(dialog, id) == nullptr) {
        return 0;
    }
    GetDlgItemTextA(dialog, id, text, sizeof text);
    const char* p = text;
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    const bool negative = isSigned && *p == '-';
    if (negative) {
        ++p;
    }
    if (std::isdigit(static_cast<unsigned char>(*p)) == 0) {
        return 0;
    }
    unsigned long long value = 0;
    const unsigned long long limit =
        isSigned ? (negative ? 0x80000000ull : 0x7FFFFFFFull) : std::numeric_limits<UINT>::max();
    for (; std::isdigit(static_cast<unsigned char>(*p)) != 0; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > limit) {
            return 0;
        }
    }
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    if (*p != '\0') {
        return 0;
    }
    if (translated != nullptr) {
        *translated = TRUE;
    }
    return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned)
{
    char text[16];
    if (isSigned) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    } else {
        std::snprintf(text, sizeof text, "%u", value);
    }
    return SetDlgItemTextA(dialog, id, text);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr) {
        return FALSE;
    }
    SendMessageA(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr ? static_cast<UINT>(SendMessageA(button, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check)
{
    for (int id = first; id <= last; ++id) {
        if (HWND button = GetDlgItem(dialog, id)) {
            SendMessageA(button, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL MapDialogRect(HWND dialog, LPRECT rc)
{
    const CDialogState* state = StateOf(dialog);
    if (state == nullptr || rc == nullptr) {
        return FALSE;
    }
    const SIZE units = state->m_baseUnits;
    rc->left = DialogUnitsToPixels(rc->left, units.cx, 4);
    rc->right = DialogUnitsToPixels(rc->right, units.cx, 4);
    rc->top = DialogUnitsToPixels(rc->top, units.cy, 8);
    rc->bottom = DialogUnitsToPixels(rc->bottom, units.cy, 8);
    return TRUE;
}
