#pragma once

// Device contexts: memory contexts with a selected bitmap, the screen
// stand-in, their drawing state (selected objects, colours, mix mode, text
// alignment, viewport origin), clipping, saved states and device
// capabilities. Window contexts come from CreateSurfaceDC in Surface.h.

#include "platform/gdi/GdiTypes.h"

// ---------------------------------------------------------------------------
// Creating and selecting

// A memory context compatible with `dc` (or with the screen for null). It
// starts with a 1 x 1 stock bitmap, into which nothing is drawn; select a
// bitmap from CreateCompatibleBitmap or CreateDIBitmap to draw into it.
HDC CreateCompatibleDC(HDC dc);
// Frees a memory context (or any context from this layer); the objects
// selected into it become free to delete.
BOOL DeleteDC(HDC dc);

// Selects a pen, brush, font or bitmap and returns the one it replaces;
// null on failure (a bitmap can be selected into one memory context at a
// time, and only into memory contexts). Palettes go through SelectPalette.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// The object of kind OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP or OBJ_PAL now
// selected.
HGDIOBJ GetCurrentObject(HDC dc, UINT kind);

// Pushes the whole drawing state (objects, colours, modes, position,
// viewport origin, clipping); returns the new depth, 0 on failure.
int SaveDC(HDC dc);
// Pops back to depth `saved`, or with a negative value that many levels
// back from the top.
BOOL RestoreDC(HDC dc, int saved);

// ---------------------------------------------------------------------------
// Colours and modes

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Text alignment; the horizontal and vertical parts combine with |.
inline constexpr UINT TA_LEFT = 0;
inline constexpr UINT TA_RIGHT = 2;
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_TOP = 0;
inline constexpr UINT TA_BOTTOM = 8;
inline constexpr UINT TA_BASELINE = 24;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
inline constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// The setters return the previous value (CLR_INVALID, 0 or GDI_ERROR for a
// null context).
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
// Mix modes R2_* are declared in Draw.h.
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);

// ---------------------------------------------------------------------------
// Coordinates

// Logical coordinates are device coordinates minus the viewport origin:
// after SetViewportOrgEx(dc, 10, 5), logical (0, 0) lands on device (10, 5).
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
BOOL GetViewportOrgEx(HDC dc, POINT* origin);

// ---------------------------------------------------------------------------
// Clipping

// Region kinds, as the clipping calls report them.
inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// Narrow or cut the clipping region (given in logical coordinates; the
// region itself stays put when the viewport later moves). They return the
// kind of the resulting region.
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// The smallest rectangle around everything drawing can reach, in logical
// coordinates; returns the region kind.
int GetClipBox(HDC dc, RECT* box);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* rect);

// ---------------------------------------------------------------------------
// Device capabilities

inline constexpr int TECHNOLOGY = 2;
inline constexpr int HORZSIZE = 4;
inline constexpr int VERTSIZE = 6;
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int NUMCOLORS = 24;
inline constexpr int RASTERCAPS = 38;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int SIZEPALETTE = 104;
inline constexpr int COLORRES = 108;

inline constexpr int DT_RASDISPLAY = 1;
inline constexpr int RC_BITBLT = 0x0001;
inline constexpr int RC_DI_BITMAP = 0x0080;
inline constexpr int RC_DIBTODEV = 0x0200;
inline constexpr int RC_STRETCHBLT = 0x0800;

// Every context answers for the screen: 32 bits per pixel, one plane, no
// palette, the logical and screen sizes set below. 0 for an unknown index.
int GetDeviceCaps(HDC dc, int index);

namespace platform::gdi {

// Pixels per logical inch, horizontally and vertically alike: 96 until a
// display sets it. Values below 1 are ignored.
void SetLogicalDpi(int dpi);
int GetLogicalDpi();

// The screen size HORZRES and VERTRES report: 1024 x 768 until a display
// sets it.
void SetScreenSize(int width, int height);
SIZE GetScreenSize();

// A context for the screen as a whole (what GetDC(NULL) hands out): it
// answers GetDeviceCaps and serves as the model for CreateCompatibleDC and
// CreateCompatibleBitmap, but it has no pixels of its own, so drawing into
// it changes nothing. Release with ReleaseSurfaceDC.
HDC CreateScreenDC();

// Drops what IntersectClipRect and ExcludeClipRect did (what selecting a null
// clipping region does): drawing is limited only by the context's visible
// area again. Returns the region kind.
int ResetClip(HDC dc);

} // namespace platform::gdi
