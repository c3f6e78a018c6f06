#pragma once

// Lines, shapes, raster operations, blits and single pixels.
//
// Mix modes (SetROP2) combine the pen or brush colour P with the pixel
// already there D, bit by bit; raster operations (PatBlt, BitBlt) combine
// the brush colour P, the source pixel S and D. Every mode is a truth table:
// a mix mode numbered m gives result bit ((m - 1) >> (2P + D)) & 1, and a
// raster operation r gives ((r >> 16) >> (4P + 2S + D)) & 1.

#include "platform/gdi/GdiTypes.h"

// ---------------------------------------------------------------------------
// Mix modes for pens and for the brush fill of Rectangle

inline constexpr int R2_BLACK = 1;
inline constexpr int R2_NOTMERGEPEN = 2;
inline constexpr int R2_MASKNOTPEN = 3;
inline constexpr int R2_NOTCOPYPEN = 4;
inline constexpr int R2_MASKPENNOT = 5;
inline constexpr int R2_NOT = 6;
inline constexpr int R2_XORPEN = 7;
inline constexpr int R2_NOTMASKPEN = 8;
inline constexpr int R2_MASKPEN = 9;
inline constexpr int R2_NOTXORPEN = 10;
inline constexpr int R2_NOP = 11;
inline constexpr int R2_MERGENOTPEN = 12;
inline constexpr int R2_COPYPEN = 13;
inline constexpr int R2_MERGEPENNOT = 14;
inline constexpr int R2_MERGEPEN = 15;
inline constexpr int R2_WHITE = 16;

// ---------------------------------------------------------------------------
// Raster operations

inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCPAINT = 0x00EE0086;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr DWORD SRCERASE = 0x00440328;
inline constexpr DWORD NOTSRCCOPY = 0x00330008;
inline constexpr DWORD NOTSRCERASE = 0x001100A6;
inline constexpr DWORD MERGECOPY = 0x00C000CA;
inline constexpr DWORD MERGEPAINT = 0x00BB0226;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD PATPAINT = 0x00FB0A09;
inline constexpr DWORD PATINVERT = 0x005A0049;
inline constexpr DWORD DSTINVERT = 0x00550009;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

// ---------------------------------------------------------------------------
// Lines

// A line runs from the current position to (x, y) and leaves out its last
// pixel, so a polyline touches every joint once. The pixels are the same
// whichever way a line is drawn (apart from the end left out). LineTo moves
// the current position to (x, y).
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, POINT* position);
// Joined lines through the points; the current position is neither used nor
// changed.
BOOL Polyline(HDC dc, const POINT* points, int count);

// ---------------------------------------------------------------------------
// Shapes

// An outline in the pen (inside the rectangle) around a fill in the brush,
// both in the mix mode; right and bottom are exclusive. With the null pen the
// fill covers left .. right - 1 by top .. bottom - 1, one pixel short of the
// edge, as with any pen.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// The ellipse inside the rectangle: outline in the pen, fill in the brush.
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);

// These ignore the mix mode. The brush may also be a system colour index
// plus one cast to HBRUSH, as window class backgrounds give it.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// A one-pixel border just inside the rectangle.
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// Inverts every pixel of the rectangle; twice restores it.
BOOL InvertRect(HDC dc, const RECT* rect);

// Three-dimensional edges in the system colours.
inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_SUNKENOUTER = 0x0002;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT BDR_SUNKENINNER = 0x0008;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr UINT BF_LEFT = 0x0001;
inline constexpr UINT BF_TOP = 0x0002;
inline constexpr UINT BF_RIGHT = 0x0004;
inline constexpr UINT BF_BOTTOM = 0x0008;
inline constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr UINT BF_MIDDLE = 0x0800;
inline constexpr UINT BF_SOFT = 0x1000;
inline constexpr UINT BF_ADJUST = 0x2000;
inline constexpr UINT BF_FLAT = 0x4000;
inline constexpr UINT BF_MONO = 0x8000;

// Draws up to two one-pixel rings (outer, inner) on the sides asked for; with
// BF_MIDDLE fills the inside with the button face; with BF_ADJUST shrinks
// `rect` to the inside.
BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
// A dotted rectangle drawn by inverting every other pixel; drawing it twice
// removes it.
BOOL DrawFocusRect(HDC dc, const RECT* rect);

// ---------------------------------------------------------------------------
// Raster operations on rectangles

// Combines the selected brush with the destination (PATCOPY, PATINVERT,
// DSTINVERT, BLACKNESS, WHITENESS, or any operation without a source).
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Combines the source rectangle at (xSrc, ySrc) of `src` with the
// destination and the selected brush. Source and destination may be the same
// context and overlap. Parts of the source outside its surface leave the
// destination as it was.
BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
// As BitBlt, the source scaled to the destination size by taking the nearest
// pixel. A negative width or height runs leftward or upward from (and
// including) its start; when source and destination differ in sign the
// picture is mirrored.
BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop);

// ---------------------------------------------------------------------------
// Pixels

// Sets the pixel and returns the colour it got; CLR_INVALID (declared in
// Dc.h) outside the clipping region.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the clipping region.
COLORREF GetPixel(HDC dc, int x, int y);
