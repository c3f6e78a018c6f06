#include "platform/display/headless/HeadlessDisplay.h"

#include "platform/Clock.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform::display {

using platform::gdi::Surface;
using platform::ui::InputEvent;
using platform::ui::InputKind;
using platform::ui::MouseButton;

CHeadlessDisplay::CHeadlessDisplay(int width, int height, int dpi, std::uint64_t startMs)
    : m_nWidth(std::max(width, 1)),
      m_nHeight(std::max(height, 1)),
      m_nDpi(std::max(dpi, 1)),
      m_nPreviousDpi(platform::gdi::GetLogicalDpi()),
      m_previousScreen(platform::gdi::GetScreenSize())
{
    platform::UseVirtualClock(startMs);
    platform::gdi::SetLogicalDpi(m_nDpi);
    platform::gdi::SetScreenSize(m_nWidth, m_nHeight);
    platform::ui::SetDisplay(this);
    platform::ui::ResetInputAndQueue();
}

CHeadlessDisplay::~CHeadlessDisplay()
{
    platform::ui::ResetInputAndQueue();
    platform::ui::SetDisplay(nullptr);
    platform::gdi::SetLogicalDpi(m_nPreviousDpi);
    platform::gdi::SetScreenSize(m_previousScreen.cx, m_previousScreen.cy);
    platform::UseRealClock();
}

void CHeadlessDisplay::CursorChanged(const platform::ui::CursorImage* cursor, bool visible)
{
    m_pCursor = cursor;
    m_bCursorVisible = visible;
}

void CHeadlessDisplay::WarpPointer(POINT screen)
{
    m_ptPointer = screen;
    ++m_nWarps;
}

bool CHeadlessDisplay::WaitForEvents(std::uint64_t /*deadlineMs*/)
{
    if (m_steps.empty()) {
        return false;
    }
    std::function<void()> step = std::move(m_steps.front());
    m_steps.pop_front();
    ++m_nStepDepth;
    step();
    --m_nStepDepth;
    return true;
}

void CHeadlessDisplay::MouseMove(POINT screen)
{
    m_ptPointer = screen;
    InputEvent e;
    e.m_kind = InputKind::MouseMove;
    e.m_pt = screen;
    platform::ui::InjectInput(e);
}

void CHeadlessDisplay::ButtonDown(POINT screen, MouseButton button)
{
    Button(InputKind::ButtonDown, screen, button);
}

void CHeadlessDisplay::ButtonUp(POINT screen, MouseButton button)
{
    Button(InputKind::ButtonUp, screen, button);
}

void CHeadlessDisplay::Button(InputKind kind, POINT screen, MouseButton button)
{
    m_ptPointer = screen;
    InputEvent e;
    e.m_kind = kind;
    e.m_pt = screen;
    e.m_button = button;
    platform::ui::InjectInput(e);
}

void CHeadlessDisplay::Wheel(POINT screen, int delta)
{
    InputEvent e;
    e.m_kind = InputKind::Wheel;
    e.m_pt = screen;
    e.m_nWheelDelta = delta;
    platform::ui::InjectInput(e);
}

void CHeadlessDisplay::KeyDown(UINT virtualKey)
{
    InputEvent e;
    e.m_kind = InputKind::KeyDown;
    e.m_uVirtualKey = virtualKey;
    platform::ui::InjectInput(e);
}

void CHeadlessDisplay::KeyUp(UINT virtualKey)
{
    InputEvent e;
    e.m_kind = InputKind::KeyUp;
    e.m_uVirtualKey = virtualKey;
    platform::ui::InjectInput(e);
}

void CHeadlessDisplay::Text(const std::string& text)
{
    for (unsigned char c : text) {
        InputEvent e;
        e.m_kind = InputKind::Char;
        e.m_uChar = c;
        platform::ui::InjectInput(e);
    }
}

std::uint64_t CHeadlessDisplay::Now() const
{
    return platform::ClockMilliseconds();
}

void CHeadlessDisplay::Tick(std::uint64_t ms)
{
    platform::AdvanceVirtualClock(ms);
}

void CHeadlessDisplay::Advance(std::uint64_t ms)
{
    const std::uint64_t end = Now() + ms;
    Pump();
    for (;;) {
        const std::uint64_t next = std::min(end, platform::ui::NextTimerDueOnThisThread());
        if (next > Now()) {
            platform::AdvanceVirtualClock(next - Now());
        }
        Pump();
        if (Now() >= end) {
            return;
        }
    }
}

std::size_t CHeadlessDisplay::Pump()
{
    constexpr std::size_t kLimit = 1000000;
    std::size_t count = 0;
    while (platform::ui::PumpOne()) {
        if (++count == kLimit) {
            std::fputs("headless display: a million messages without the queue ever emptying "
                       "(a window that keeps invalidating or posting to itself?)\n",
                       stderr);
            std::abort();
        }
    }
    return count;
}

void CHeadlessDisplay::WhenIdle(std::function<void()> step)
{
    m_steps.push_back(std::move(step));
}

Surface CHeadlessDisplay::Capture(HWND hwnd, bool client) const
{
    HWND root = GetAncestor(hwnd, GA_ROOT);
    const Surface* surface = platform::ui::TopLevelSurface(root);
    RECT rc{};
    if (surface == nullptr || !GetWindowRect(hwnd, &rc)) {
        return Surface();
    }
    if (client) {
        RECT inner{};
        GetClientRect(hwnd, &inner);
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        rc = RECT{origin.x, origin.y, origin.x + inner.right, origin.y + inner.bottom};
    }
    RECT rootRect{};
    GetWindowRect(root, &rootRect);
    Surface picture(rc.right - rc.left, rc.bottom - rc.top);
    for (int y = 0; y < picture.Height(); ++y) {
        const int sy = rc.top - rootRect.top + y;
        for (int x = 0; x < picture.Width(); ++x) {
            const int sx = rc.left - rootRect.left + x;
            if (sx >= 0 && sy >= 0 && sx < surface->Width() && sy < surface->Height()) {
                picture.Row(y)[x] = surface->Pixel(sx, sy);
            }
        }
    }
    return picture;
}

Surface CHeadlessDisplay::Screen(bool withCursor) const
{
    Surface screen(m_nWidth, m_nHeight);
    const std::uint32_t desktop = platform::gdi::ToPixel(GetSysColor(COLOR_DESKTOP));
    for (int y = 0; y < m_nHeight; ++y) {
        std::fill(screen.Row(y), screen.Row(y) + m_nWidth, desktop);
    }
    for (HWND hwnd : platform::ui::TopLevelWindows()) {
        const Surface* surface = platform::ui::TopLevelSurface(hwnd);
        RECT rc{};
        if (surface == nullptr || !IsWindowVisible(hwnd) || !GetWindowRect(hwnd, &rc)) {
            continue;
        }
        for (int y = std::max(0L, static_cast<long>(rc.top)); y < std::min<long>(m_nHeight, rc.bottom); ++y) {
            for (int x = std::max(0L, static_cast<long>(rc.left)); x < std::min<long>(m_nWidth, rc.right); ++x) {
                const int sx = x - rc.left;
                const int sy = y - rc.top;
                if (sx < surface->Width() && sy < surface->Height()) {
                    screen.Row(y)[x] = surface->Pixel(sx, sy);
                }
            }
        }
    }
    if (withCursor && m_bCursorVisible && m_pCursor != nullptr) {
        POINT at{};
        GetCursorPos(&at);
        const auto& c = *m_pCursor;
        for (int y = 0; y < c.m_nHeight; ++y) {
            for (int x = 0; x < c.m_nWidth; ++x) {
                const std::uint32_t pixel = c.m_pixels[static_cast<std::size_t>(y * c.m_nWidth + x)];
                const int sx = at.x - c.m_ptHotSpot.x + x;
                const int sy = at.y - c.m_ptHotSpot.y + y;
                if ((pixel >> 24) >= 0x80 && sx >= 0 && sy >= 0 && sx < m_nWidth && sy < m_nHeight) {
                    screen.Row(sy)[sx] = pixel & 0xFFFFFF;
                }
            }
        }
    }
    return screen;
}

bool CHeadlessDisplay::SavePng(HWND hwnd, const std::string& path, bool client) const
{
    const Surface picture = Capture(hwnd, client);
    return picture.Width() > 0 && platform::gdi::SavePng(picture, path.c_str());
}

bool CHeadlessDisplay::SaveScreenPng(const std::string& path, bool withCursor) const
{
    return platform::gdi::SavePng(Screen(withCursor), path.c_str());
}

}  // namespace platform::display
