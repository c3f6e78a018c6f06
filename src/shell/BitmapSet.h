#pragma once

// The pictures the control panel draws its faders and graph buttons from,
// loaded once from the module's bitmap resources, each selected into a
// memory context of its own with its palette, ready to be copied.
//
// Pictures drawn with a stencil go on in two steps: the stencil ANDed onto
// the destination (SRCAND), which clears the pixels under the shape, then
// the picture ORed (SRCPAINT). Stencils are stored white under their shape
// and inverted in place when they are loaded.

#include "platform/resources/Resources.h"
#include "platform/ui/AfxGdi.h"

// What each slot holds.
enum BitmapSlot : int {
    kBitmapBrandEmblem = 0,
    kBitmapThumb = 1,
    kBitmapThumbDragging = 2,
    kBitmapThumbStencil = 3,
    kBitmapThumbDraggingStencil = 4,
    kBitmapTrack = 5,
    kBitmapTrackStencil = 6,
    kBitmapZoomTimeOut = 7,
    kBitmapZoomTimeIn = 8,
    kBitmapZoomPitchIn = 9,
    kBitmapZoomPitchOut = 10,
    // The four editing tools in tool order (line, freehand, move, zoom box),
    // then the same pictures for a latched button.
    kBitmapToolFirst = 11,
    kBitmapToolLatchedFirst = 15,
    kBitmapZoomAmplitudeIn = 19,
    kBitmapZoomAmplitudeOut = 20,
    kBitmapEnvelopeUntied = 21,
    kBitmapEnvelopeTied = 22,
};

class CBitmapSet {
public:
    static constexpr int kSlotCount = 23;

    CBitmapSet() = default;
    // Gives every context its previous bitmap back and frees everything.
    ~CBitmapSet();
    CBitmapSet(const CBitmapSet&) = delete;
    CBitmapSet& operator=(const CBitmapSet&) = delete;

    // Fills every slot from `module`'s resources (replacing what was there).
    // A missing resource leaves its slot without bitmap and palette.
    void Load(HINSTANCE module);
    void Release();

    // Null, or 0, for a slot outside 0 .. 22.
    CDC* GetMemDC(int slot);
    int GetBitmapWidth(int slot) const;
    int GetBitmapHeight(int slot) const;

private:
    struct Slot {
        CBitmap m_bitmap;
        CPalette m_palette;
        CDC m_dc;
        HGDIOBJ m_hPrevious = nullptr;
        int m_nWidth = 0;
        int m_nHeight = 0;
    };
    static bool Valid(int slot) { return slot >= 0 && slot < kSlotCount; }

    Slot m_slots[kSlotCount];
};

extern CBitmapSet g_Bitmaps;

// A device-independent bitmap resource as a bitmap of the screen's kind, and
// at 8 bits per pixel or fewer the palette of its colour table (else null).
// Null and null when the resource is missing.
HBITMAP LoadDIBitmap(HINSTANCE module, LPCSTR resource, HPALETTE* palette);
