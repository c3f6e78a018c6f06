#pragma once

// Drawing objects: pens, brushes, bitmaps, the stock objects, the system
// colour theme, and the calls every object kind shares (DeleteObject,
// GetObject).

#include "platform/gdi/GdiTypes.h"

namespace platform::gdi {
class Surface;
}

// ---------------------------------------------------------------------------
// Pens

inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth; // only x counts
    COLORREF lopnColor;
};

// A width below 1 draws one pixel wide. Dashed and dotted styles apply to
// one-pixel pens; their gaps take the background colour while the
// background mode is OPAQUE. Pens wider than one pixel are solid and draw
// the end point too, with round ends.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);

// ---------------------------------------------------------------------------
// Brushes

inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HOLLOW = BS_NULL;

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    std::uintptr_t lbHatch;
};

HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush); // BS_SOLID and BS_NULL

// ---------------------------------------------------------------------------
// System colours: a classic grey three-dimensional theme.

inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_DESKTOP = COLOR_BACKGROUND;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_3DFACE = COLOR_BTNFACE;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;
inline constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
inline constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
inline constexpr int COLOR_HOTLIGHT = 26;
inline constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
inline constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
inline constexpr int COLOR_MENUHILIGHT = 29;
inline constexpr int COLOR_MENUBAR = 30;

// 0 for an index outside the theme.
COLORREF GetSysColor(int index);
// A brush of that colour, owned by the system: deleting it does nothing.
// Null for an index outside the theme.
HBRUSH GetSysColorBrush(int index);

// ---------------------------------------------------------------------------
// Bitmaps

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// A true-colour bitmap, every pixel black. Null for a size below 1 or above
// 16384 in either direction. The DC is not needed: every surface is 32-bit.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);

namespace platform::gdi {
// The pixels of a bitmap, for code that reads or fills them directly; null
// for anything that is not a live bitmap. Call Touch on the surface after
// writing to it.
Surface* BitmapSurface(HBITMAP bitmap);
} // namespace platform::gdi

// ---------------------------------------------------------------------------
// Stock objects

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int DEFAULT_PALETTE = 15;
inline constexpr int SYSTEM_FIXED_FONT = 16;
inline constexpr int DEFAULT_GUI_FONT = 17;

// Stock objects live for the whole process; DeleteObject on them succeeds
// and does nothing. Null for an unknown index.
HGDIOBJ GetStockObject(int index);

// ---------------------------------------------------------------------------
// Every object kind

inline constexpr DWORD OBJ_PEN = 1;
inline constexpr DWORD OBJ_BRUSH = 2;
inline constexpr DWORD OBJ_DC = 3;
inline constexpr DWORD OBJ_PAL = 5;
inline constexpr DWORD OBJ_FONT = 6;
inline constexpr DWORD OBJ_BITMAP = 7;
inline constexpr DWORD OBJ_MEMDC = 10;

// Frees an object. Fails (FALSE) for a handle that is not a live object and
// for an object still selected into a device context, which stays usable.
BOOL DeleteObject(HGDIOBJ object);

// Fills `out` with the object's description (LOGPEN, LOGBRUSH, LOGFONT,
// BITMAP, or a WORD entry count for a palette) and returns the bytes
// written; with a null `out`, returns the size needed. 0 on failure.
int GetObject(HGDIOBJ object, int size, void* out);
inline int GetObjectA(HGDIOBJ object, int size, void* out) { return GetObject(object, size, out); }

// OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP or OBJ_PAL; 0 for
// anything else.
DWORD GetObjectType(HGDIOBJ object);
