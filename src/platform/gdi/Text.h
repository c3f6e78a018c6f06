#pragma once

// Fonts and text. Faces come from the Liberation fonts: "Arial" (and any
// name not listed) is drawn with Liberation Sans, "Times New Roman" with
// Liberation Serif, "Courier New" with Liberation Mono. Glyphs are rendered
// by FreeType, hinted by the fonts' own instructions and antialiased in grey
// (NONANTIALIASED_QUALITY renders them black and white), identically on
// every machine that has the project's packages. Strings are single-byte
// text in the Western code page (1252).

#include "platform/gdi/GdiTypes.h"

// ---------------------------------------------------------------------------
// Fonts

inline constexpr int LF_FACESIZE = 32;

inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_THIN = 100;
inline constexpr LONG FW_LIGHT = 300;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_MEDIUM = 500;
inline constexpr LONG FW_SEMIBOLD = 600;
inline constexpr LONG FW_BOLD = 700;
inline constexpr LONG FW_HEAVY = 900;

inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE SYMBOL_CHARSET = 2;

inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE OUT_TT_PRECIS = 4;
inline constexpr BYTE OUT_DEVICE_PRECIS = 5;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;

inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE DRAFT_QUALITY = 1;
inline constexpr BYTE PROOF_QUALITY = 2;
inline constexpr BYTE NONANTIALIASED_QUALITY = 3;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;

inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE FIXED_PITCH = 1;
inline constexpr BYTE VARIABLE_PITCH = 2;
inline constexpr BYTE FF_DONTCARE = 0x00;
inline constexpr BYTE FF_ROMAN = 0x10;
inline constexpr BYTE FF_SWISS = 0x20;
inline constexpr BYTE FF_MODERN = 0x30;

struct LOGFONT {
    LONG lfHeight; // < 0: character (em) height in pixels; > 0: cell height; 0: 12-pixel em
    LONG lfWidth;  // ignored
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight; // 600 or more is bold
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};
using LOGFONTA = LOGFONT;

HFONT CreateFontIndirect(const LOGFONT* font);
inline HFONT CreateFontIndirectA(const LOGFONT* font) { return CreateFontIndirect(font); }
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* faceName);
inline HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* faceName)
{
    return CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                      outPrecision, clipPrecision, quality, pitchAndFamily, faceName);
}

inline constexpr BYTE TMPF_FIXED_PITCH = 0x01; // set for variable pitch, as the name does not say
inline constexpr BYTE TMPF_VECTOR = 0x02;
inline constexpr BYTE TMPF_TRUETYPE = 0x04;

struct TEXTMETRIC {
    LONG tmHeight; // tmAscent + tmDescent
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading; // tmHeight minus the em height
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using TEXTMETRICA = TEXTMETRIC;

BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics);
inline BOOL GetTextMetricsA(HDC dc, TEXTMETRIC* metrics) { return GetTextMetrics(dc, metrics); }
// Width of the string (the sum of the characters' advances) and the font's
// cell height.
BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size);
inline BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size)
{
    return GetTextExtentPoint32(dc, text, length, size);
}

// ---------------------------------------------------------------------------
// Drawing text

// Draws the string at (x, y) placed by the text alignment, in the text
// colour; with the background mode OPAQUE the text cell is first filled with
// the background colour.
BOOL TextOut(HDC dc, int x, int y, const char* text, int length);
inline BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) { return TextOut(dc, x, y, text, length); }

inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;
// TextOut with an optional rectangle: ETO_OPAQUE fills it with the background
// colour, ETO_CLIPPED keeps the text inside it. `dx`, when given, holds the
// advance after each character.
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length, const int* dx);
inline BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                        const int* dx)
{
    return ExtTextOut(dc, x, y, options, rect, text, length, dx);
}

inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_EXPANDTABS = 0x0040;
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_EXTERNALLEADING = 0x0200;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;
inline constexpr UINT DT_HIDEPREFIX = 0x00100000;

// Formats text in a rectangle: lines end at '\n' (unless DT_SINGLELINE), and
// with DT_WORDBREAK also before a word that would cross the right edge (a
// word wider than the rectangle stays whole). DT_VCENTER and DT_BOTTOM apply
// to single lines only. '&' underlines the next character and "&&" shows one
// ampersand, unless DT_NOPREFIX (DT_HIDEPREFIX drops the underline but still
// removes the '&'). DT_END_ELLIPSIS shortens a single line that does not fit
// with "...". The text is clipped to the rectangle unless DT_NOCLIP. With
// DT_CALCRECT nothing is drawn: the rectangle's right and bottom are set to
// the size the text needs. Returns the height of the text, 0 on failure.
// A length of -1 means up to the terminating zero.
int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format);
inline int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format)
{
    return DrawText(dc, text, length, rect, format);
}

// ---------------------------------------------------------------------------
// Dialog units

// The base units of the system font, which dialogs without a font of their
// own use: the average width of "A".."Z" and "a".."z", rounded, in the low
// word; the font's cell height in the high word. 8 x 16 at 96 pixels per
// inch, 10 x 20 at 120.
LONG GetDialogBaseUnits();

namespace platform::gdi {

// The same two base units for any font, as a dialog that names its own font
// converts its dialog units with: x pixels = dlu x * cx / 4, y pixels =
// dlu y * cy / 8. {0, 0} for an invalid font.
SIZE GetFontBaseUnits(HFONT font);

// Where the font files are looked for (the Debian path of fonts-liberation2
// unless INTONARA_FONT_DIR names another directory).
const char* FontDirectory();

} // namespace platform::gdi
