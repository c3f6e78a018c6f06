#include "shell/BitmapSet.h"

#include "shell/IntonaraApp.h"

// Made before the module's start-up fills it (see IntonaraApp.cpp).
CBitmapSet g_Bitmaps __attribute__((init_priority(kShellInitPriority)));

namespace {

struct SlotSource {
    WORD resource;
    bool inverted;
};

constexpr SlotSource kSources[CBitmapSet::kSlotCount] = {
    {157, false}, {625, false}, {625, false}, {626, true},  {626, true},  {621, false},
    {622, true},  {125, false}, {126, false}, {118, false}, {117, false}, {133, false},
    {134, false}, {135, false}, {136, false}, {139, false}, {140, false}, {141, false},
    {142, false}, {143, false}, {144, false}, {145, false}, {146, false},
};

}  // namespace

CBitmapSet::~CBitmapSet()
{
    Release();
}

void CBitmapSet::Load(HINSTANCE module)
{
    Release();
    for (int i = 0; i < kSlotCount; ++i) {
        Slot& slot = m_slots[i];
        HPALETTE palette = nullptr;
        slot.m_bitmap.Attach(LoadDIBitmap(module, MAKEINTRESOURCE(kSources[i].resource), &palette));
        slot.m_palette.Attach(palette);
        BITMAP info{};
        if (slot.m_bitmap.m_hObject != nullptr && slot.m_bitmap.GetBitmap(&info)) {
            slot.m_nWidth = info.bmWidth;
            slot.m_nHeight = info.bmHeight;
        }

        slot.m_dc.CreateCompatibleDC(nullptr);
        if (slot.m_palette.m_hObject != nullptr) {
            ::SelectPalette(slot.m_dc, slot.m_palette, FALSE);
            ::RealizePalette(slot.m_dc);
        }
        if (slot.m_bitmap.m_hObject != nullptr) {
            slot.m_hPrevious = ::SelectObject(slot.m_dc, slot.m_bitmap.m_hObject);
            if (kSources[i].inverted) {
                ::PatBlt(slot.m_dc, 0, 0, slot.m_nWidth, slot.m_nHeight, DSTINVERT);
            }
        }
    }
}

void CBitmapSet::Release()
{
    for (Slot& slot : m_slots) {
        if (slot.m_hPrevious != nullptr) {
            ::SelectObject(slot.m_dc, slot.m_hPrevious);
            slot.m_hPrevious = nullptr;
        }
        slot.m_dc.DeleteDC();
        slot.m_palette.DeleteObject();
        slot.m_bitmap.DeleteObject();
        slot.m_nWidth = 0;
        slot.m_nHeight = 0;
    }
}

CDC* CBitmapSet::GetMemDC(int slot)
{
    return Valid(slot) && m_slots[slot].m_dc.m_hDC != nullptr ? &m_slots[slot].m_dc : nullptr;
}

int CBitmapSet::GetBitmapWidth(int slot) const
{
    return Valid(slot) ? m_slots[slot].m_nWidth : 0;
}

int CBitmapSet::GetBitmapHeight(int slot) const
{
    return Valid(slot) ? m_slots[slot].m_nHeight : 0;
}
