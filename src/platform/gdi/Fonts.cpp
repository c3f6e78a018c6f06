// Font objects, text metrics and extents, and the dialog base units a font
// gives.

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/GdiObjects.h"

#include <cstring>

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace platform::gdi::detail {

FontFace& FaceOf(HDC dc)
{
    HFONT font = dc->m_state.font;
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    return FontFace::For(EffectiveLogFont(font), GetLogicalDpi());
}

TEXTMETRIC MetricsOf(HDC dc)
{
    TEXTMETRIC tm = FaceOf(dc).Metrics();
    const LOGFONT& log = Impl(dc->m_state.font)->m_log;
    tm.tmUnderlined = log.lfUnderline ? 1 : 0;
    tm.tmStruckOut = log.lfStrikeOut ? 1 : 0;
    tm.tmWeight = log.lfWeight == FW_DONTCARE ? FW_NORMAL : log.lfWeight;
    tm.tmDigitizedAspectX = GetLogicalDpi();
    tm.tmDigitizedAspectY = GetLogicalDpi();
    return tm;
}

LONG TextWidth(FontFace& face, const unsigned char* text, int n)
{
    LONG width = 0;
    for (int i = 0; i < n; ++i) {
        width += face.Advance(text[i]);
    }
    return width;
}

} // namespace platform::gdi::detail

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (font == nullptr) {
        return nullptr;
    }
    auto made = std::make_unique<Font>();
    made->m_log = *font;
    made->m_log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return Register(std::move(made), OBJ_FONT);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* faceName)
{
    LOGFONT log{};
    log.lfHeight = height;
    log.lfWidth = width;
    log.lfEscapement = escapement;
    log.lfOrientation = orientation;
    log.lfWeight = weight;
    log.lfItalic = italic ? 1 : 0;
    log.lfUnderline = underline ? 1 : 0;
    log.lfStrikeOut = strikeOut ? 1 : 0;
    log.lfCharSet = static_cast<BYTE>(charSet);
    log.lfOutPrecision = static_cast<BYTE>(outPrecision);
    log.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    log.lfQuality = static_cast<BYTE>(quality);
    log.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName != nullptr) {
        std::strncpy(log.lfFaceName, faceName, LF_FACESIZE - 1);
    }
    return CreateFontIndirect(&log);
}

BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics)
{
    if (dc == nullptr || metrics == nullptr) {
        return FALSE;
    }
    *metrics = MetricsOf(dc);
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size)
{
    if (dc == nullptr || size == nullptr || (text == nullptr && length > 0) || length < 0) {
        return FALSE;
    }
    FontFace& face = FaceOf(dc);
    size->cx = TextWidth(face, reinterpret_cast<const unsigned char*>(text), length);
    size->cy = face.Metrics().tmHeight;
    return TRUE;
}

namespace platform::gdi {

SIZE GetFontBaseUnits(HFONT font)
{
    if (Checked(font, OBJ_FONT) == nullptr) {
        return SIZE{0, 0};
    }
    FontFace& face = FontFace::For(EffectiveLogFont(font), GetLogicalDpi());
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const LONG width = TextWidth(face, reinterpret_cast<const unsigned char*>(kAlphabet), 52);
    // The average of the 52 letters, rounded to the nearest pixel.
    return SIZE{(width / 26 + 1) / 2, face.Metrics().tmHeight};
}

} // namespace platform::gdi

LONG GetDialogBaseUnits()
{
    const SIZE units = GetFontBaseUnits(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    return static_cast<LONG>((static_cast<DWORD>(units.cy) << 16) | (static_cast<DWORD>(units.cx) & 0xFFFF));
}
