#include "platform/gdi/Surface.h"

#include <algorithm>

namespace platform::gdi {

Surface::Surface(int width, int height)
    : m_nWidth(std::max(width, 0)),
      m_nHeight(std::max(height, 0)),
      m_pixels(static_cast<std::size_t>(m_nWidth) * static_cast<std::size_t>(m_nHeight), 0u)
{
}

void Surface::Resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_nWidth && height == m_nHeight) {
        return;
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    const int keepWidth = std::min(width, m_nWidth);
    const int keepHeight = std::min(height, m_nHeight);
    for (int y = 0; y < keepHeight; ++y) {
        std::copy_n(Row(y), keepWidth, pixels.data() + static_cast<std::size_t>(y) * width);
    }
    m_pixels = std::move(pixels);
    m_nWidth = width;
    m_nHeight = height;
    Touch();
}

} // namespace platform::gdi
