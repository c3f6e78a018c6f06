// Device contexts: creation and release, selecting objects, the drawing
// state and its saved copies, device capabilities.

#include "platform/gdi/GdiObjects.h"

#include <atomic>
#include <mutex>
#include <unordered_set>
#include <utility>

namespace platform::gdi::detail {

namespace {

std::atomic<int> g_nDpi{96};
std::atomic<int> g_nScreenWidth{1024};
std::atomic<int> g_nScreenHeight{768};

struct DcRegistry {
    std::mutex lock;
    std::unordered_set<HDC> live;
};

DcRegistry& TheDcs()
{
    static DcRegistry* registry = new DcRegistry;
    return *registry;
}

void AddUses(const DcState& s)
{
    AddUse(s.pen);
    AddUse(s.brush);
    AddUse(s.font);
    AddUse(s.palette);
    AddUse(s.bitmap);
}

void DropUses(const DcState& s)
{
    DropUse(s.pen);
    DropUse(s.brush);
    DropUse(s.font);
    DropUse(s.palette);
    DropUse(s.bitmap);
}

bool HoldsBitmap(HDC dc, HBITMAP bitmap)
{
    if (dc->m_state.bitmap == bitmap) {
        return true;
    }
    for (const DcState& s : dc->m_saved) {
        if (s.bitmap == bitmap) {
            return true;
        }
    }
    return false;
}

// A bitmap stays taken by a context while its current or a saved state holds
// it.
void LetGoOfBitmap(HDC dc, HBITMAP bitmap)
{
    if (bitmap != nullptr && bitmap != StockBitmap() && !HoldsBitmap(dc, bitmap)) {
        Impl(bitmap)->m_pSelectedInto = nullptr;
    }
}

// A memory context draws into its bitmap.
void AttachBitmap(HDC dc)
{
    HBITMAP bitmap = dc->m_state.bitmap;
    if (bitmap == nullptr || bitmap == StockBitmap()) {
        dc->m_pSurface = nullptr;
        dc->m_visible.clear();
    } else {
        Bitmap* b = Impl(bitmap);
        b->m_pSelectedInto = dc;
        dc->m_pSurface = &b->m_surface;
        dc->m_visible.assign(1, RECT{0, 0, b->m_surface.Width(), b->m_surface.Height()});
    }
    dc->m_bClipDirty = true;
}

} // namespace

HDC NewDc(DcKind kind, Surface* surface, POINT origin, std::vector<RECT> visible)
{
    auto* dc = new HDC__(kind);
    dc->m_pSurface = surface;
    dc->m_ptOrigin = origin;
    dc->m_visible = std::move(visible);
    dc->m_state.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    dc->m_state.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    dc->m_state.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    dc->m_state.palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    if (kind == DcKind::Memory) {
        dc->m_state.bitmap = StockBitmap();
        AttachBitmap(dc);
    }
    AddUses(dc->m_state);
    DcRegistry& r = TheDcs();
    std::lock_guard<std::mutex> guard(r.lock);
    r.live.insert(dc);
    return dc;
}

bool IsLiveDc(HDC dc)
{
    if (dc == nullptr) {
        return false;
    }
    DcRegistry& r = TheDcs();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.live.count(dc) != 0;
}

void FreeDc(HDC dc)
{
    {
        DcRegistry& r = TheDcs();
        std::lock_guard<std::mutex> guard(r.lock);
        r.live.erase(dc);
    }
    DropUses(dc->m_state);
    for (const DcState& s : dc->m_saved) {
        DropUses(s);
    }
    std::vector<HBITMAP> bitmaps{dc->m_state.bitmap};
    for (const DcState& s : dc->m_saved) {
        bitmaps.push_back(s.bitmap);
    }
    dc->m_saved.clear();
    dc->m_state.bitmap = nullptr;
    for (HBITMAP b : bitmaps) {
        LetGoOfBitmap(dc, b);
    }
    delete dc;
}

} // namespace platform::gdi::detail

using namespace platform::gdi;
using namespace platform::gdi::detail;

std::uint32_t HDC__::PixelOf(COLORREF color) const { return ToPixel(color & 0x00FFFFFF); }

namespace platform::gdi {

HDC CreateSurfaceDC(Surface& surface, POINT origin, std::vector<RECT> visible)
{
    return NewDc(DcKind::Window, &surface, origin, std::move(visible));
}

void ReleaseSurfaceDC(HDC dc)
{
    if (IsLiveDc(dc)) {
        FreeDc(dc);
    }
}

HDC CreateScreenDC() { return NewDc(DcKind::Screen, nullptr, POINT{0, 0}, {}); }

void SetLogicalDpi(int dpi)
{
    if (dpi >= 1) {
        g_nDpi.store(dpi);
    }
}

int GetLogicalDpi() { return g_nDpi.load(); }

void SetScreenSize(int width, int height)
{
    if (width >= 1 && height >= 1) {
        g_nScreenWidth.store(width);
        g_nScreenHeight.store(height);
    }
}

SIZE GetScreenSize() { return SIZE{g_nScreenWidth.load(), g_nScreenHeight.load()}; }

} // namespace platform::gdi

HDC CreateCompatibleDC(HDC) { return NewDc(DcKind::Memory, nullptr, POINT{0, 0}, {}); }

BOOL DeleteDC(HDC dc)
{
    if (!IsLiveDc(dc)) {
        return FALSE;
    }
    FreeDc(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ handle)
{
    if (dc == nullptr) {
        return nullptr;
    }
    DcState& s = dc->m_state;
    HGDIOBJ previous = nullptr;
    switch (TypeOf(handle)) {
    case OBJ_PEN:
        previous = std::exchange(s.pen, static_cast<HPEN>(handle));
        break;
    case OBJ_BRUSH:
        previous = std::exchange(s.brush, static_cast<HBRUSH>(handle));
        break;
    case OBJ_FONT:
        previous = std::exchange(s.font, static_cast<HFONT>(handle));
        break;
    case OBJ_BITMAP: {
        auto bitmap = static_cast<HBITMAP>(handle);
        if (dc->m_kind != DcKind::Memory) {
            return nullptr;
        }
        if (bitmap == s.bitmap) {
            return bitmap;
        }
        if (bitmap != StockBitmap() && Impl(bitmap)->m_pSelectedInto != nullptr) {
            return nullptr;
        }
        previous = std::exchange(s.bitmap, bitmap);
        AddUse(bitmap);
        DropUse(previous);
        LetGoOfBitmap(dc, static_cast<HBITMAP>(previous));
        AttachBitmap(dc);
        return previous;
    }
    default:
        return nullptr;
    }
    AddUse(handle);
    DropUse(previous);
    return previous;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT kind)
{
    if (dc == nullptr) {
        return nullptr;
    }
    switch (kind) {
    case OBJ_PEN:
        return dc->m_state.pen;
    case OBJ_BRUSH:
        return dc->m_state.brush;
    case OBJ_FONT:
        return dc->m_state.font;
    case OBJ_PAL:
        return dc->m_state.palette;
    case OBJ_BITMAP:
        return dc->m_state.bitmap;
    default:
        return nullptr;
    }
}

int SaveDC(HDC dc)
{
    if (dc == nullptr) {
        return 0;
    }
    dc->m_saved.push_back(dc->m_state);
    AddUses(dc->m_state);
    return static_cast<int>(dc->m_saved.size());
}

BOOL RestoreDC(HDC dc, int saved)
{
    if (dc == nullptr) {
        return FALSE;
    }
    const int depth = static_cast<int>(dc->m_saved.size());
    const int target = saved < 0 ? depth + 1 + saved : saved;
    if (target < 1 || target > depth) {
        return FALSE;
    }
    std::vector<HBITMAP> released{dc->m_state.bitmap};
    DropUses(dc->m_state);
    dc->m_state = std::move(dc->m_saved[static_cast<std::size_t>(target - 1)]);
    for (std::size_t i = static_cast<std::size_t>(target); i < dc->m_saved.size(); ++i) {
        released.push_back(dc->m_saved[i].bitmap);
        DropUses(dc->m_saved[i]);
    }
    dc->m_saved.resize(static_cast<std::size_t>(target - 1));
    for (HBITMAP b : released) {
        LetGoOfBitmap(dc, b);
    }
    if (dc->m_kind == DcKind::Memory) {
        AttachBitmap(dc);
    }
    dc->m_bClipDirty = true;
    return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    return std::exchange(dc->m_state.crText, color);
}

COLORREF GetTextColor(HDC dc) { return dc == nullptr ? CLR_INVALID : dc->m_state.crText; }

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    return std::exchange(dc->m_state.crBk, color);
}

COLORREF GetBkColor(HDC dc) { return dc == nullptr ? CLR_INVALID : dc->m_state.crBk; }

int SetBkMode(HDC dc, int mode)
{
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    return std::exchange(dc->m_state.nBkMode, mode);
}

int GetBkMode(HDC dc) { return dc == nullptr ? 0 : dc->m_state.nBkMode; }

UINT SetTextAlign(HDC dc, UINT align)
{
    if (dc == nullptr) {
        return GDI_ERROR;
    }
    return std::exchange(dc->m_state.nTextAlign, align);
}

UINT GetTextAlign(HDC dc) { return dc == nullptr ? GDI_ERROR : dc->m_state.nTextAlign; }

int SetROP2(HDC dc, int mode)
{
    if (dc == nullptr || mode < R2_BLACK || mode > R2_WHITE) {
        return 0;
    }
    return std::exchange(dc->m_state.nRop2, mode);
}

int GetROP2(HDC dc) { return dc == nullptr ? 0 : dc->m_state.nRop2; }

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous)
{
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->m_state.ptViewport;
    }
    dc->m_state.ptViewport = POINT{x, y};
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous)
{
    if (dc == nullptr) {
        return FALSE;
    }
    const POINT p = dc->m_state.ptViewport;
    return SetViewportOrgEx(dc, p.x + dx, p.y + dy, previous);
}

BOOL GetViewportOrgEx(HDC dc, POINT* origin)
{
    if (dc == nullptr || origin == nullptr) {
        return FALSE;
    }
    *origin = dc->m_state.ptViewport;
    return TRUE;
}

int GetDeviceCaps(HDC, int index)
{
    const int dpi = GetLogicalDpi();
    const SIZE screen = GetScreenSize();
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return (screen.cx * 254 + dpi * 5) / (dpi * 10);
    case VERTSIZE:
        return (screen.cy * 254 + dpi * 5) / (dpi * 10);
    case HORZRES:
        return screen.cx;
    case VERTRES:
        return screen.cy;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return dpi;
    case SIZEPALETTE:
        return 0;
    case COLORRES:
        return 24;
    default:
        return 0;
    }
}
