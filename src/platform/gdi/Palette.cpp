// Logical palettes. The surfaces are true colour: a palette only carries
// colours, and realising it maps nothing.

#include "platform/gdi/GdiObjects.h"

#include <utility>

using namespace platform::gdi;
using namespace platform::gdi::detail;

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    if (palette == nullptr || palette->palVersion != 0x300 || palette->palNumEntries == 0) {
        return nullptr;
    }
    auto made = std::make_unique<Palette>();
    made->m_entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return Register(std::move(made), OBJ_PAL);
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL)
{
    if (dc == nullptr || Checked(palette, OBJ_PAL) == nullptr) {
        return nullptr;
    }
    HPALETTE previous = std::exchange(dc->m_state.palette, palette);
    AddUse(palette);
    DropUse(previous);
    return previous;
}

UINT RealizePalette(HDC dc) { return dc == nullptr ? GDI_ERROR : 0; }

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    if (Checked(palette, OBJ_PAL) == nullptr) {
        return 0;
    }
    const std::vector<PALETTEENTRY>& all = Impl(palette)->m_entries;
    if (entries == nullptr) {
        return static_cast<UINT>(all.size());
    }
    UINT copied = 0;
    for (UINT i = start; i < all.size() && copied < count; ++i) {
        entries[copied++] = all[i];
    }
    return copied;
}
