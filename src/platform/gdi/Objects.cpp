// The registry of live drawing objects, pens, brushes, bitmaps, the stock
// objects and the calls every object kind shares.

#include "platform/gdi/GdiObjects.h"

#include <array>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace platform::gdi::detail {

namespace {

// Objects are created on one thread and used on another (the module's
// fonts and bitmaps), so the registry is shared and locked.
struct Entry {
    DWORD type;
    bool stock;
    int uses;
};

struct Registry {
    std::mutex lock;
    std::unordered_map<const HGDIOBJ__*, Entry> live;
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry; // outlives every static that may delete objects
    return *registry;
}

HPEN StockPen(int style, COLORREF color)
{
    auto pen = std::make_unique<Pen>();
    pen->m_nStyle = style;
    pen->m_crColor = color;
    return Register(std::move(pen), OBJ_PEN, true);
}

HBRUSH StockBrush(UINT style, COLORREF color)
{
    auto brush = std::make_unique<Brush>();
    brush->m_nStyle = style;
    brush->m_crColor = color;
    return Register(std::move(brush), OBJ_BRUSH, true);
}

// A stock font of `points` points: the em, or the whole cell when `cell`.
HFONT StockFont(const char* face, int points, bool cell, LONG weight, BYTE pitch)
{
    auto font = std::make_unique<Font>();
    font->m_bCellPoints = cell;
    font->m_log.lfWeight = weight;
    font->m_log.lfPitchAndFamily = pitch;
    std::strncpy(font->m_log.lfFaceName, face, LF_FACESIZE - 1);
    font->m_nPoints = points;
    return Register(std::move(font), OBJ_FONT, true);
}

// The twenty colours every palette device reserves, which the default
// palette carries.
constexpr std::array<PALETTEENTRY, 20> kDefaultPalette{{
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
}};

struct StockSet {
    std::array<HGDIOBJ, DEFAULT_GUI_FONT + 1> objects{};
    HBITMAP bitmap = nullptr;

    StockSet()
    {
        objects[WHITE_BRUSH] = StockBrush(BS_SOLID, RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(192, 192, 192));
        objects[GRAY_BRUSH] = StockBrush(BS_SOLID, RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(64, 64, 64));
        objects[BLACK_BRUSH] = StockBrush(BS_SOLID, RGB(0, 0, 0));
        objects[NULL_BRUSH] = StockBrush(BS_NULL, 0);
        objects[WHITE_PEN] = StockPen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = StockPen(PS_SOLID, RGB(0, 0, 0));
        objects[NULL_PEN] = StockPen(PS_NULL, 0);
        objects[OEM_FIXED_FONT] = StockFont("Courier New", 10, false, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        objects[ANSI_FIXED_FONT] = StockFont("Courier New", 10, false, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        objects[ANSI_VAR_FONT] = StockFont("Arial", 8, false, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
        // A 16-pixel cell at 96 pixels per inch, whose letters average 8
        // pixels: the proportions dialog units were made for.
        objects[SYSTEM_FONT] = StockFont("System", 12, true, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
        objects[DEVICE_DEFAULT_FONT] = StockFont("System", 12, true, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
        objects[SYSTEM_FIXED_FONT] = StockFont("Courier New", 10, false, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        objects[DEFAULT_GUI_FONT] = StockFont("Arial", 8, false, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);

        auto palette = std::make_unique<Palette>();
        palette->m_entries.assign(kDefaultPalette.begin(), kDefaultPalette.end());
        objects[DEFAULT_PALETTE] = Register(std::move(palette), OBJ_PAL, true);

        auto bitmap1x1 = std::make_unique<Bitmap>();
        bitmap1x1->m_surface = Surface(1, 1);
        bitmap = Register(std::move(bitmap1x1), OBJ_BITMAP, true);
    }
};

StockSet& TheStock()
{
    static StockSet* set = new StockSet;
    return *set;
}

template <class T>
int CopyOut(const T& value, int size, void* out)
{
    if (out == nullptr) {
        return static_cast<int>(sizeof(T));
    }
    const int n = std::min(size, static_cast<int>(sizeof(T)));
    if (n <= 0) {
        return 0;
    }
    std::memcpy(out, &value, static_cast<std::size_t>(n));
    return n;
}

} // namespace

void RegisterObject(HGDIOBJ object, DWORD type, bool stock)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.live[object] = Entry{type, stock, 0};
}

DWORD TypeOf(HGDIOBJ handle)
{
    if (handle == nullptr) {
        return 0;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    const auto it = r.live.find(handle);
    return it == r.live.end() ? 0 : it->second.type;
}

namespace {

void ChangeUses(HGDIOBJ handle, int by)
{
    if (handle == nullptr) {
        return;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    const auto it = r.live.find(handle);
    if (it != r.live.end()) {
        it->second.uses += by;
    }
}

} // namespace

void AddUse(HGDIOBJ handle) { ChangeUses(handle, +1); }
void DropUse(HGDIOBJ handle) { ChangeUses(handle, -1); }

HBITMAP StockBitmap() { return TheStock().bitmap; }

LOGFONT EffectiveLogFont(HFONT font)
{
    const Font* f = Impl(font);
    LOGFONT log = f->m_log;
    if (f->m_nPoints > 0) {
        const LONG pixels = (f->m_nPoints * GetLogicalDpi() + 36) / 72;
        log.lfHeight = f->m_bCellPoints ? pixels : -pixels;
    }
    return log;
}

} // namespace platform::gdi::detail

using namespace platform::gdi;
using namespace platform::gdi::detail;

HPEN CreatePen(int style, int width, COLORREF color)
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME) {
        return nullptr;
    }
    auto pen = std::make_unique<Pen>();
    pen->m_nStyle = style;
    pen->m_nWidth = std::max(width, 1);
    pen->m_crColor = color;
    return Register(std::move(pen), OBJ_PEN);
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    return pen == nullptr ? nullptr
                          : CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto brush = std::make_unique<Brush>();
    brush->m_crColor = color;
    return Register(std::move(brush), OBJ_BRUSH);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (brush == nullptr || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) {
        return nullptr;
    }
    auto made = std::make_unique<Brush>();
    made->m_nStyle = brush->lbStyle;
    made->m_crColor = brush->lbColor;
    return Register(std::move(made), OBJ_BRUSH);
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    constexpr int kLargest = 16384;
    if (width < 1 || height < 1 || width > kLargest || height > kLargest) {
        return nullptr;
    }
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->m_surface = Surface(width, height);
    return Register(std::move(bitmap), OBJ_BITMAP);
}

namespace platform::gdi {
Surface* BitmapSurface(HBITMAP bitmap)
{
    return Checked(bitmap, OBJ_BITMAP) == nullptr ? nullptr : &Impl(bitmap)->m_surface;
}
} // namespace platform::gdi

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index > DEFAULT_GUI_FONT) {
        return nullptr;
    }
    return TheStock().objects[static_cast<std::size_t>(index)];
}

BOOL DeleteObject(HGDIOBJ handle)
{
    Registry& r = TheRegistry();
    std::unique_lock<std::mutex> guard(r.lock);
    const auto it = handle == nullptr ? r.live.end() : r.live.find(handle);
    if (it == r.live.end()) {
        return FALSE;
    }
    if (it->second.stock) {
        return TRUE;
    }
    if (it->second.uses > 0) {
        return FALSE;
    }
    r.live.erase(it);
    guard.unlock();
    delete handle;
    return TRUE;
}

int GetObject(HGDIOBJ handle, int size, void* out)
{
    switch (TypeOf(handle)) {
    case OBJ_PEN: {
        const Pen* pen = Impl(static_cast<HPEN>(handle));
        const LOGPEN log{static_cast<UINT>(pen->m_nStyle), POINT{pen->m_nWidth, 0}, pen->m_crColor};
        return CopyOut(log, size, out);
    }
    case OBJ_BRUSH: {
        const Brush* brush = Impl(static_cast<HBRUSH>(handle));
        const LOGBRUSH log{brush->m_nStyle, brush->m_crColor, 0};
        return CopyOut(log, size, out);
    }
    case OBJ_FONT:
        return CopyOut(EffectiveLogFont(static_cast<HFONT>(handle)), size, out);
    case OBJ_BITMAP: {
        const Surface& s = Impl(static_cast<HBITMAP>(handle))->m_surface;
        const BITMAP log{0, s.Width(), s.Height(), s.Width() * 4, 1, 32, nullptr};
        return CopyOut(log, size, out);
    }
    case OBJ_PAL: {
        const WORD count = static_cast<WORD>(Impl(static_cast<HPALETTE>(handle))->m_entries.size());
        return CopyOut(count, size, out);
    }
    default:
        return 0;
    }
}

DWORD GetObjectType(HGDIOBJ handle) { return TypeOf(handle); }
