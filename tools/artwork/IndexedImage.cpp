#include "IndexedImage.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace artwork {

namespace {

void PutU16(std::string& out, unsigned v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

bool InDisc(int dx, int dy, int r)
{
    return 4 * (dx * dx + dy * dy) <= (2 * r + 1) * (2 * r + 1);
}

// Calls plot(x, y) for every pixel of the disc, or with `ring` only for those
// with a side neighbour outside it.
template <class Plot>
void WalkDisc(int cx, int cy, int r, bool ring, Plot plot)
{
    for (int y = cy - r; y <= cy + r; ++y) {
        for (int x = cx - r; x <= cx + r; ++x) {
            const int dx = x - cx;
            const int dy = y - cy;
            if (InDisc(dx, dy, r) && (!ring || !InDisc(dx + 1, dy, r) || !InDisc(dx - 1, dy, r) ||
                                      !InDisc(dx, dy + 1, r) || !InDisc(dx, dy - 1, r))) {
                plot(x, y);
            }
        }
    }
}

// Calls plot(x, y) for every pixel of the line, both ends included.
template <class Plot>
void WalkLine(int x0, int y0, int x1, int y1, Plot plot)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        plot(x0, y0);
        if (x0 == x1 && y0 == y1) {
            return;
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

}  // namespace

IndexedImage::IndexedImage(int width, int height, int bitCount, std::vector<Rgb> palette, int background)
    : m_nWidth(width), m_nHeight(height), m_nBitCount(bitCount), m_palette(std::move(palette)),
      m_pixels(static_cast<std::size_t>(width) * height, static_cast<std::uint8_t>(background))
{
    if (bitCount != 4 && bitCount != 8) {
        throw std::invalid_argument("artwork is drawn at 4 or 8 bits per pixel");
    }
    m_palette.resize(std::size_t{1} << bitCount, Rgb{0, 0, 0});
}

int IndexedImage::At(int x, int y) const
{
    return m_pixels[static_cast<std::size_t>(y) * m_nWidth + x];
}

void IndexedImage::Set(int x, int y, int index)
{
    if (x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight) {
        m_pixels[static_cast<std::size_t>(y) * m_nWidth + x] = static_cast<std::uint8_t>(index);
    }
}

void IndexedImage::FillRect(int left, int top, int right, int bottom, int index)
{
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            Set(x, y, index);
        }
    }
}

void IndexedImage::Line(int x0, int y0, int x1, int y1, int index)
{
    WalkLine(x0, y0, x1, y1, [&](int x, int y) { Set(x, y, index); });
}

void IndexedImage::Disc(int cx, int cy, int r, int index)
{
    WalkDisc(cx, cy, r, false, [&](int x, int y) { Set(x, y, index); });
}

void IndexedImage::Circle(int cx, int cy, int r, int index)
{
    WalkDisc(cx, cy, r, true, [&](int x, int y) { Set(x, y, index); });
}

void IndexedImage::Bevel(int left, int top, int right, int bottom, int light, int dark)
{
    HLine(left, right, top, light);
    VLine(left, top, bottom, light);
    HLine(left, right, bottom, dark);
    VLine(right, top, bottom, dark);
}

void IndexedImage::Paste(const IndexedImage& other, int x, int y, int skip)
{
    for (int row = 0; row < other.Height(); ++row) {
        for (int col = 0; col < other.Width(); ++col) {
            const int index = other.At(col, row);
            if (index != skip) {
                Set(x + col, y + row, index);
            }
        }
    }
}

void IndexedImage::Replace(int from, int to)
{
    std::replace(m_pixels.begin(), m_pixels.end(), static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to));
}

std::string IndexedImage::EncodeBmp() const
{
    const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(m_nWidth) * m_nBitCount + 31) / 32) * 4;
    const std::uint32_t colours = static_cast<std::uint32_t>(m_palette.size());
    const std::uint32_t pixelOffset = 14 + 40 + colours * 4;
    const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(m_nHeight);

    std::string out;
    out += "BM";
    PutU32(out, pixelOffset + imageSize);
    PutU32(out, 0);
    PutU32(out, pixelOffset);

    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(m_nWidth));
    PutU32(out, static_cast<std::uint32_t>(m_nHeight));  // positive: bottom row first
    PutU16(out, 1);
    PutU16(out, static_cast<unsigned>(m_nBitCount));
    PutU32(out, 0);  // uncompressed
    PutU32(out, imageSize);
    PutU32(out, 3780);  // 96 pixels per inch
    PutU32(out, 3780);
    PutU32(out, 0);  // every entry of the table is used
    PutU32(out, 0);
    for (const Rgb& c : m_palette) {
        out.push_back(static_cast<char>(c.b));
        out.push_back(static_cast<char>(c.g));
        out.push_back(static_cast<char>(c.r));
        out.push_back('\0');
    }
    for (int y = m_nHeight - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < m_nWidth; ++x) {
            const int index = At(x, y);
            if (m_nBitCount == 8) {
                row[static_cast<std::size_t>(x)] = static_cast<char>(index);
            } else {
                char& byte = row[static_cast<std::size_t>(x / 2)];
                byte = static_cast<char>(byte | (x % 2 == 0 ? index << 4 : index));
            }
        }
        out += row;
    }
    return out;
}

std::vector<Rgb> StandardPalette16()
{
    return {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
            {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
}

// ---------------------------------------------------------------------------

CursorPicture::CursorPicture(int width, int height)
    : m_nWidth(width), m_nHeight(height), m_rows(static_cast<std::size_t>(height), std::string(width, '.'))
{
}

void CursorPicture::Set(int x, int y, char pixel)
{
    if (x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight) {
        m_rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = pixel;
    }
}

void CursorPicture::Line(int x0, int y0, int x1, int y1, char pixel)
{
    WalkLine(x0, y0, x1, y1, [&](int x, int y) { Set(x, y, pixel); });
}

void CursorPicture::FillRect(int left, int top, int right, int bottom, char pixel)
{
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            Set(x, y, pixel);
        }
    }
}

void CursorPicture::Circle(int cx, int cy, int r, char pixel)
{
    WalkDisc(cx, cy, r, true, [&](int x, int y) { Set(x, y, pixel); });
}

void CursorPicture::Disc(int cx, int cy, int r, char pixel)
{
    WalkDisc(cx, cy, r, false, [&](int x, int y) { Set(x, y, pixel); });
}

void CursorPicture::Outline()
{
    const std::vector<std::string> before = m_rows;
    for (int y = 0; y < m_nHeight; ++y) {
        for (int x = 0; x < m_nWidth; ++x) {
            const char c = before[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (c != '+' && c != '~') {
                continue;
            }
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < m_nWidth && ny < m_nHeight &&
                        before[static_cast<std::size_t>(ny)][static_cast<std::size_t>(nx)] == '.') {
                        Set(nx, ny, '#');
                    }
                }
            }
        }
    }
}

std::string CursorPicture::Encode(const std::string& comment) const
{
    std::string out = "// " + comment + "\n";
    out += "HOTSPOT " + std::to_string(m_xHot) + ", " + std::to_string(m_yHot) + "\n";
    for (const std::string& row : m_rows) {
        out += row + "\n";
    }
    return out;
}

}  // namespace artwork
