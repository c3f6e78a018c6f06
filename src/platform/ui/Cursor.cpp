// Cursors: our own system cursors, cursors from masks or pictures, the
// cursor shown, the display counter and the pointer position.

#include "platform/ui/Cursors.h"
#include "platform/ui/Internal.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

struct HCURSOR__ {
    platform::ui::CursorImage m_image;
    bool m_bShared = false;  // system cursors live for the whole process
};

namespace platform::ui::detail {

namespace {

std::atomic<CursorResourceLoader> g_pfnResourceLoader{&LoadModuleCursor};

std::mutex& CursorMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<HCURSOR>& LiveCursors()
{
    static std::set<HCURSOR> cursors;
    return cursors;
}

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Pictures drawn as text: 'X' black, '.' white, anything else clear; '+'
// marks the hot spot and is black.
CursorImage FromArt(int systemId, std::initializer_list<const char*> rows)
{
    CursorImage image;
    image.m_nSystemId = systemId;
    image.m_nHeight = static_cast<int>(rows.size());
    for (const char* row : rows) {
        image.m_nWidth = std::max(image.m_nWidth, static_cast<int>(std::char_traits<char>::length(row)));
    }
    image.m_pixels.assign(static_cast<std::size_t>(image.m_nWidth * image.m_nHeight), 0);
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; row[x] != '\0'; ++x) {
            std::uint32_t& pixel = image.m_pixels[static_cast<std::size_t>(y * image.m_nWidth + x)];
            switch (row[x]) {
            case 'X':
                pixel = kBlack;
                break;
            case '.':
                pixel = kWhite;
                break;
            case '+':
                pixel = kBlack;
                image.m_ptHotSpot = POINT{x, y};
                break;
            default:
                break;
            }
        }
        ++y;
    }
    return image;
}

CursorImage SystemPicture(int id)
{
    switch (id) {
    case 32513:  // I-beam
        return FromArt(id, {"XXX.XXX", "...X...", "...X...", "...X...", "...X...", "...X...", "...X...",
                            "...+...", "...X...", "...X...", "...X...", "...X...", "...X...", "...X...",
                            "XXX.XXX"});
    case 32514:  // hourglass
        return FromArt(id, {"XXXXXXXXXXX", "X.........X", " X.......X ", " X.XXXXX.X ", "  X.XXX.X  ",
                            "   X.X.X   ", "    X+X    ", "   X...X   ", "  X..X..X  ", " X...X...X ",
                            " X..XXX..X ", "X..XXXXX..X", "XXXXXXXXXXX"});
    case 32515:  // cross
        return FromArt(id, {"     X     ", "     X     ", "     X     ", "     X     ", "           ",
                            "XXXX + XXXX", "           ", "     X     ", "     X     ", "     X     ",
                            "     X     "});
    case 32644:  // west-east sizing
        return FromArt(id, {"    X     X    ", "   XX     XX   ", "  X.X     X.X  ", " X..XXXXXXX..X ",
                            "X......+......X", " X..XXXXXXX..X ", "  X.X     X.X  ", "   XX     XX   ",
                            "    X     X    "});
    case 32645:  // north-south sizing
        return FromArt(id, {"    X    ", "   X.X   ", "  X...X  ", " X.....X ", "XXXX.XXXX", "   X.X   ",
                            "   X+X   ", "   X.X   ", "XXXX.XXXX", " X.....X ", "  X...X  ", "   X.X   ",
                            "    X    "});
    default:  // the arrow, also for the kinds not drawn on their own
        return FromArt(id, {"+", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X",
                            "X........X", "X.....XXXXX", "X..X..X", "X.X X..X", "XX  X..X", "X    X..X",
                            "     X..X", "      X..X", "      X..X", "       XX"});
    }
}

HCURSOR SystemCursor(int id)
{
    static const int kIds[] = {32512, 32513, 32514, 32515, 32516, 32644, 32645, 32646, 32648, 32649};
    if (std::find(std::begin(kIds), std::end(kIds), id) == std::end(kIds)) {
        return nullptr;
    }
    std::lock_guard lock(CursorMutex());
    static std::map<int, std::unique_ptr<HCURSOR__>> cursors;
    std::unique_ptr<HCURSOR__>& cursor = cursors[id];
    if (!cursor) {
        cursor = std::make_unique<HCURSOR__>(HCURSOR__{SystemPicture(id), true});
        LiveCursors().insert(cursor.get());
    }
    return cursor.get();
}

}  // namespace

void CursorStateChanged()
{
    const CInputState& state = Input();
    const CursorImage* image = CursorImageOf(state.m_hCursor);
    GetDisplay()->CursorChanged(image, image != nullptr && state.m_nShowCount >= 0);
}

}  // namespace platform::ui::detail

using namespace platform::ui;
using namespace platform::ui::detail;

namespace platform::ui {

HCURSOR CreateCursorFromImage(const CursorImage& image)
{
    if (image.m_nWidth <= 0 || image.m_nHeight <= 0 ||
        image.m_pixels.size() != static_cast<std::size_t>(image.m_nWidth * image.m_nHeight)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* cursor = new HCURSOR__{image, false};
    std::lock_guard lock(CursorMutex());
    LiveCursors().insert(cursor);
    return cursor;
}

const CursorImage* CursorImageOf(HCURSOR cursor)
{
    if (cursor == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(CursorMutex());
    return LiveCursors().count(cursor) != 0 ? &cursor->m_image : nullptr;
}

void SetCursorResourceLoader(CursorResourceLoader loader)
{
    g_pfnResourceLoader.store(loader != nullptr ? loader : &LoadModuleCursor);
}

HCURSOR CreateSharedCursor(const CursorImage& image)
{
    if (image.m_nWidth <= 0 || image.m_nHeight <= 0 ||
        image.m_pixels.size() != static_cast<std::size_t>(image.m_nWidth * image.m_nHeight)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Kept, like the system cursors, until the process ends.
    static std::vector<std::unique_ptr<HCURSOR__>> shared;
    std::lock_guard lock(CursorMutex());
    shared.push_back(std::make_unique<HCURSOR__>(HCURSOR__{image, true}));
    LiveCursors().insert(shared.back().get());
    return shared.back().get();
}

const CursorImage* CurrentCursorImage()
{
    return CursorImageOf(Input().m_hCursor);
}

bool CursorShown()
{
    return CurrentCursorImage() != nullptr && Input().m_nShowCount >= 0;
}

}  // namespace platform::ui

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (instance == nullptr && IS_INTRESOURCE(name)) {
        if (HCURSOR cursor = SystemCursor(static_cast<int>(reinterpret_cast<std::uintptr_t>(name)))) {
            return cursor;
        }
    }
    if (CursorResourceLoader loader = g_pfnResourceLoader.load()) {
        if (HCURSOR cursor = loader(instance, name)) {
            return cursor;
        }
    }
    SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
    return nullptr;
}

HCURSOR CreateCursor(HINSTANCE /*instance*/, int xHotSpot, int yHotSpot, int width, int height, const void* andPlane,
                     const void* xorPlane)
{
    if (width <= 0 || height <= 0 || andPlane == nullptr || xorPlane == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int stride = ((width + 15) / 16) * 2;
    const auto* andBits = static_cast<const BYTE*>(andPlane);
    const auto* xorBits = static_cast<const BYTE*>(xorPlane);
    CursorImage image;
    image.m_nWidth = width;
    image.m_nHeight = height;
    image.m_ptHotSpot = POINT{xHotSpot, yHotSpot};
    image.m_pixels.resize(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int byte = y * stride + x / 8;
            const int bit = 7 - (x % 8);
            const bool a = ((andBits[byte] >> bit) & 1) != 0;
            const bool b = ((xorBits[byte] >> bit) & 1) != 0;
            std::uint32_t pixel = 0;
            if (!a) {
                pixel = b ? kWhite : kBlack;
            } else if (b) {
                pixel = kBlack;
            }
            image.m_pixels[static_cast<std::size_t>(y * width + x)] = pixel;
        }
    }
    return CreateCursorFromImage(image);
}

BOOL DestroyCursor(HCURSOR cursor)
{
    std::lock_guard lock(CursorMutex());
    auto it = LiveCursors().find(cursor);
    if (it == LiveCursors().end()) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (cursor->m_bShared) {
        return TRUE;
    }
    if (Input().m_hCursor == cursor) {
        return FALSE;  // still shown
    }
    LiveCursors().erase(it);
    delete cursor;
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    CInputState& state = Input();
    const HCURSOR previous = state.m_hCursor;
    if (previous != cursor) {
        state.m_hCursor = cursor;
        CursorStateChanged();
    }
    return previous;
}

HCURSOR GetCursor()
{
    return Input().m_hCursor;
}

int ShowCursor(BOOL show)
{
    CInputState& state = Input();
    const bool wasShown = state.m_nShowCount >= 0;
    state.m_nShowCount += show ? 1 : -1;
    if (wasShown != (state.m_nShowCount >= 0)) {
        CursorStateChanged();
    }
    return state.m_nShowCount;
}

BOOL GetCursorPos(LPPOINT pt)
{
    if (pt == nullptr) {
        return FALSE;
    }
    *pt = Input().m_ptCursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    IDisplay* display = GetDisplay();
    const POINT pt{std::clamp(x, 0, std::max(display->ScreenWidth() - 1, 0)),
                   std::clamp(y, 0, std::max(display->ScreenHeight() - 1, 0))};
    CInputState& state = Input();
    if (pt.x == state.m_ptCursor.x && pt.y == state.m_ptCursor.y) {
        return TRUE;
    }
    state.m_ptCursor = pt;
    display->WarpPointer(pt);
    InputEvent move;
    move.m_kind = InputKind::MouseMove;
    move.m_pt = pt;
    InjectInput(move);
    return TRUE;
}
