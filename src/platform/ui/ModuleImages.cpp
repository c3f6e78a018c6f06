// Bitmaps and cursors from a module's resources, made into the drawing
// layer's bitmaps and the window system's cursors.

#include "platform/resources/ImageResources.h"

#include "platform/gdi/Gdi.h"
#include "platform/ui/AfxWin.h"
#include "platform/ui/Cursors.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name)
{
    BitmapResourceData data;
    if (!GetBitmapResourceData(instance, name, &data)) {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(data.m_pInfo), CBM_INIT,
                                    data.m_pBits, reinterpret_cast<const BITMAPINFO*>(data.m_pInfo), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

BOOL CBitmap::LoadBitmap(UINT id)
{
    return LoadBitmap(MAKEINTRESOURCEA(id));
}

BOOL CBitmap::LoadBitmap(LPCSTR name)
{
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), name));
}

namespace platform::ui {

HCURSOR LoadModuleCursor(HINSTANCE instance, const char* name)
{
    // Made once per module and name, so a view that loads its cursors
    // again and again does not pile them up.
    static std::mutex mutex;
    static std::map<std::pair<HINSTANCE, std::string>, HCURSOR> made;
    char number[16];
    std::snprintf(number, sizeof number, "#%u", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)));
    const std::string key = IS_INTRESOURCE(name) ? std::string(number) : std::string(name);
    std::lock_guard lock(mutex);
    auto it = made.find({instance, key});
    if (it != made.end()) {
        return it->second;
    }
    CursorResourceImage resource;
    if (!GetCursorResourceImage(instance, name, &resource)) {
        return nullptr;
    }
    CursorImage image;
    image.m_nWidth = resource.m_nWidth;
    image.m_nHeight = resource.m_nHeight;
    image.m_ptHotSpot = POINT{resource.m_xHotSpot, resource.m_yHotSpot};
    image.m_pixels.resize(resource.m_andMask.size());
    for (std::size_t i = 0; i < image.m_pixels.size(); ++i) {
        const bool keep = resource.m_andMask[i] != 0;
        const bool flip = resource.m_xorMask[i] != 0;
        // A pixel that inverts the screen is drawn black, as CreateCursor
        // draws it: a picture cannot invert what is under it everywhere.
        image.m_pixels[i] = keep && !flip ? 0u : (!keep && flip ? 0xFFFFFFFFu : 0xFF000000u);
    }
    HCURSOR cursor = CreateSharedCursor(image);
    made[{instance, key}] = cursor;
    return cursor;
}

}  // namespace platform::ui
