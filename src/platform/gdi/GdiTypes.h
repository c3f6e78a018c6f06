#pragma once

// Geometry, colour and drawing-handle types shared by the drawing layer
// (platform/gdi) and the window layer (platform/ui).

#include "platform/Types.h"

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

// Right and bottom are exclusive: a rectangle covers left <= x < right and
// top <= y < bottom.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// 0x00BBGGRR: red in the low byte, so 0x0000FF is red and 0xFF0000 blue.
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// Handles. Every drawing object derives from HGDIOBJ__ so that a pen, brush,
// font, bitmap or palette handle converts to HGDIOBJ without a cast, as
// SelectObject and DeleteObject expect. What a handle points at is the
// drawing layer's own business; a cast from HGDIOBJ to a handle of the wrong
// kind is caught by the calls that take it.
struct HDC__;
using HDC = HDC__*;
struct HGDIOBJ__ {
    virtual ~HGDIOBJ__() = default;
};
using HGDIOBJ = HGDIOBJ__*;
struct HPEN__ : HGDIOBJ__ {};
using HPEN = HPEN__*;
struct HBRUSH__ : HGDIOBJ__ {};
using HBRUSH = HBRUSH__*;
struct HFONT__ : HGDIOBJ__ {};
using HFONT = HFONT__*;
struct HBITMAP__ : HGDIOBJ__ {};
using HBITMAP = HBITMAP__*;
struct HPALETTE__ : HGDIOBJ__ {};
using HPALETTE = HPALETTE__*;
