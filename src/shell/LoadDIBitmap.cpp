#include "shell/BitmapSet.h"

#include "platform/ui/WinUser.h"

#include <vector>

HBITMAP LoadDIBitmap(HINSTANCE module, LPCSTR resource, HPALETTE* palette)
{
    if (palette != nullptr) {
        *palette = nullptr;
    }
    HRSRC found = FindResourceA(module, resource, RT_BITMAP);
    if (found == nullptr) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const auto* info = static_cast<const BITMAPINFO*>(LockResource(loaded));
    if (info == nullptr) {
        return nullptr;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    HDC screen = GetDC(nullptr);

    // Only indexed pictures carry a colour table to make a palette of.
    const DWORD colours = header.biBitCount <= 8 ? DWORD{1} << header.biBitCount : 0;
    HPALETTE made = nullptr;
    if (colours != 0) {
        std::vector<BYTE> storage(sizeof(LOGPALETTE) + colours * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(storage.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(colours);
        const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + header.biSize);
        for (DWORD i = 0; i < colours; ++i) {
            log->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
        }
        made = CreatePalette(log);
        SelectPalette(screen, made, FALSE);
        RealizePalette(screen);
    }

    const BYTE* bits = reinterpret_cast<const BYTE*>(info) + header.biSize + colours * sizeof(RGBQUAD);
    HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, bits, info, DIB_RGB_COLORS);

    ReleaseDC(nullptr, screen);
    FreeResource(loaded);
    if (palette != nullptr) {
        *palette = made;
    } else if (made != nullptr) {
        DeleteObject(made);
    }
    return bitmap;
}
