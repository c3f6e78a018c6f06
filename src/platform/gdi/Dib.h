#pragma once

// Device-independent bitmaps (the 40-byte header, 1, 4, 8 or 24 bits per
// pixel, colour tables, bottom-up or top-down rows padded to four bytes) and
// logical palettes. The surfaces are true colour, so a palette only carries
// colours: selecting and realising one changes no pixel.

#include "platform/gdi/GdiTypes.h"

#include <cstddef>

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_RLE8 = 1;
inline constexpr DWORD BI_RLE4 = 2;

inline constexpr DWORD CBM_INIT = 4;
inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr UINT DIB_PAL_COLORS = 1;

#pragma pack(push, 2)
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // negative: rows run top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1]; // the colour table continues past the end
};

namespace platform::gdi {
// The entries in the colour table that follows the header: biClrUsed when
// set, else 2^bits for 8 bits or fewer, else 0.
DWORD DibColorCount(const BITMAPINFOHEADER& header);
// Bytes in one row, padded to four.
DWORD DibRowBytes(const BITMAPINFOHEADER& header);
} // namespace platform::gdi

// A true-colour bitmap of the header's size. With CBM_INIT the pixels are
// decoded from `bits` through `info` (its header and its table of RGBQUAD
// colours; `usage` must be DIB_RGB_COLORS). Without CBM_INIT the bitmap is
// black. Null for a header it cannot read: shorter than 40 bytes, a size of
// 0 or above 16384, compression other than BI_RGB, or a bit count other than
// 1, 4, 8 or 24. Indices past the colour table are black.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);

// ---------------------------------------------------------------------------
// Palettes

inline constexpr BYTE PC_RESERVED = 0x01;
inline constexpr BYTE PC_EXPLICIT = 0x02;
inline constexpr BYTE PC_NOCOLLAPSE = 0x04;

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct LOGPALETTE {
    WORD palVersion; // 0x300
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1]; // continues past the end
};

// Null for a version other than 0x300 or an entry count of 0 or above 65535.
HPALETTE CreatePalette(const LOGPALETTE* palette);
// Returns the palette it replaces. The background flag changes nothing.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL background);
// Returns 0: a true-colour surface has no system palette to map into.
UINT RealizePalette(HDC dc);
// Copies entries start .. start + count - 1 (as many as exist) and returns
// how many it copied; with a null `entries`, returns the palette's size.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
