#pragma once

// What the shell's tests share: the application started once for the whole
// program, and the colour of a pixel of a bitmap resource read straight from
// its data.

#include "platform/resources/ImageResources.h"
#include "shell/IntonaraApp.h"

#include <gtest/gtest.h>

namespace shelltest {

// Runs the application's start-up once, as the module's load does.
inline void StartApp()
{
    static const bool started = [] {
        theApp.InitInstance();
        return true;
    }();
    (void)started;
}

// The colour the resource's colour table gives pixel (x, y), rows counted
// from the top, for a 4- or 8-bit bitmap.
inline COLORREF ResourcePixel(const BitmapResourceData& data, int x, int y)
{
    const DWORD stride = ((static_cast<DWORD>(data.m_nWidth) * data.m_nBitCount + 31) / 32) * 4;
    const BYTE* row = data.m_pBits + static_cast<std::size_t>(data.m_nHeight - 1 - y) * stride;
    const int index = data.m_nBitCount == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
    const BYTE* entry = data.m_pInfo + 40 + 4 * index;  // blue, green, red, reserved
    return RGB(entry[2], entry[1], entry[0]);
}

inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace shelltest
