#pragma once

// The pixels every window and memory bitmap draws into, and the seam through
// which the window layer obtains device contexts for its windows.

#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <vector>

namespace platform::gdi {

// A true-colour pixel grid. Each pixel is one std::uint32_t holding
// 0x00RRGGBB (blue in the low byte, the order PNG writers and SDL's
// ARGB8888 textures expect); convert from COLORREF with ToPixel.
class Surface {
public:
    Surface() = default;
    Surface(int width, int height); // every pixel black

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    std::uint32_t* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_nWidth; }
    const std::uint32_t* Row(int y) const { return m_pixels.data() + static_cast<std::size_t>(y) * m_nWidth; }
    std::uint32_t Pixel(int x, int y) const { return Row(y)[x]; }

    // New size; the pixels that stay inside both sizes are kept, new ones
    // are black.
    void Resize(int width, int height);

    // Bumped by every drawing call that may have changed a pixel, so a
    // display can tell when a window needs uploading again.
    std::uint64_t Generation() const { return m_nGeneration; }
    void Touch() { ++m_nGeneration; }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<std::uint32_t> m_pixels;
    std::uint64_t m_nGeneration = 0;
};

constexpr std::uint32_t ToPixel(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}
constexpr COLORREF ToColorRef(std::uint32_t pixel)
{
    return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
}

// A device context that draws on `surface` for a window. `origin` is where
// the window's client point (0, 0) lies on the surface; `visible` is the
// part of the surface the window may touch (its client area minus the
// children and overlapping siblings that clip it), as disjoint rectangles in
// surface coordinates. Drawing is further limited by IntersectClipRect.
// The surface must outlive the context. Release with ReleaseSurfaceDC.
HDC CreateSurfaceDC(Surface& surface, POINT origin, std::vector<RECT> visible);
void ReleaseSurfaceDC(HDC dc);

// Saves the surface (or the rectangle `part` of it) as an 8-bit RGB PNG.
// The file is written beside `path` and renamed into place, so a failed save
// leaves an earlier file of that name as it was. False on any failure (an
// empty part, a directory that cannot be written).
bool SavePng(const Surface& surface, const char* path, const RECT* part = nullptr);

// Reads a PNG of any colour type into `surface` (resized to the image;
// transparency is dropped). False, with `surface` unchanged, when the file is
// missing or not a readable PNG.
bool LoadPng(const char* path, Surface& surface);

} // namespace platform::gdi
