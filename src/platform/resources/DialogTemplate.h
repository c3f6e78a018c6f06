#pragma once

// Dialog templates as the dialog manager reads them back: the dialog's
// styles, position and size in dialog units, caption and font, and its
// controls in the order the script lists them (the tab order).
//
// The compiled form is the extended dialog template layout: version 1,
// signature 0xFFFF, UTF-16 text, items on 4-byte boundaries, the standard
// control classes as ordinals 0x80 ("Button") to 0x85 ("ComboBox").

#include "platform/resources/Resources.h"

#include <cstddef>
#include <string>
#include <vector>

struct DialogItemTemplate {
    DWORD m_dwHelpId = 0;
    DWORD m_dwExStyle = 0;
    DWORD m_dwStyle = 0;
    short m_x = 0;
    short m_y = 0;
    short m_cx = 0;
    short m_cy = 0;
    int m_nId = 0;            // -1 for labels without an ID
    std::string m_strClass;   // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" or a registered class
    std::string m_strText;
};

struct DialogTemplate {
    DWORD m_dwHelpId = 0;
    DWORD m_dwExStyle = 0;
    DWORD m_dwStyle = 0;
    short m_x = 0;
    short m_y = 0;
    short m_cx = 0;
    short m_cy = 0;
    std::string m_strClass;  // empty: the standard dialog class
    std::string m_strCaption;
    // Present when m_dwStyle has DS_SETFONT.
    bool m_bHasFont = false;
    WORD m_nPointSize = 0;
    WORD m_nWeight = 0;
    BYTE m_bItalic = 0;
    BYTE m_nCharSet = 0;
    std::string m_strFont;
    std::vector<DialogItemTemplate> m_items;
};

// False for data that is not a well-formed extended template within `size`
// bytes, or that has a menu or a control with a resource picture as its
// text (which the dialog manager does not support).
bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplate* dialog);

// FindResourceA(RT_DIALOG) and ParseDialogTemplate in one; false when the
// resource is missing (last error from FindResourceA) or not well-formed
// (ERROR_BAD_FORMAT).
bool LoadDialogTemplate(HMODULE hModule, LPCSTR lpName, DialogTemplate* dialog);
