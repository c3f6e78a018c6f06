// Device-independent bitmaps decoded into true-colour bitmaps.

#include "platform/gdi/GdiObjects.h"


using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

constexpr LONG kLargest = 16384;

std::uint32_t Rgb(BYTE r, BYTE g, BYTE b) { return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b; }

// The colours the indices of an indexed image stand for.
std::vector<std::uint32_t> ColorTable(const BITMAPINFO* info)
{
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const DWORD count = std::min<DWORD>(DibColorCount(h), 256);
    const auto* table = reinterpret_cast<const BYTE*>(info) + h.biSize;
    std::vector<std::uint32_t> colors(256, 0);
    for (DWORD i = 0; i < count; ++i) {
        const BYTE* q = table + 4 * i; // blue, green, red, reserved
        colors[i] = Rgb(q[2], q[1], q[0]);
    }
    return colors;
}

bool Readable(const BITMAPINFOHEADER& h)
{
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biWidth > kLargest || h.biHeight == 0 ||
        h.biHeight < -kLargest || h.biHeight > kLargest || h.biPlanes > 1) {
        return false;
    }
    const WORD bpp = h.biBitCount;
    return h.biCompression == BI_RGB && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
}

// Fills `out` (already of the image's size) from the packed rows.
void Decode(const BITMAPINFO* info, const BYTE* bits, Surface& out)
{
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int width = h.biWidth;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const bool topDown = h.biHeight < 0;
    const DWORD stride = DibRowBytes(h);
    const int bpp = h.biBitCount;

    std::vector<std::uint32_t> colors;
    if (bpp <= 8) {
        colors = ColorTable(info);
    }

    for (int row = 0; row < height; ++row) {
        // Bottom-up images store the bottom row first.
        const BYTE* src = bits + static_cast<std::size_t>(row) * stride;
        std::uint32_t* dst = out.Row(topDown ? row : height - 1 - row);
        switch (bpp) {
        case 1:
            for (int x = 0; x < width; ++x) dst[x] = colors[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < width; ++x) dst[x] = colors[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
            break;
        case 8:
            for (int x = 0; x < width; ++x) dst[x] = colors[src[x]];
            break;
        case 24:
            for (int x = 0; x < width; ++x) dst[x] = Rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        default:
            break;
        }
    }
}

} // namespace

namespace platform::gdi {

DWORD DibColorCount(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0) {
        return header.biClrUsed;
    }
    return header.biBitCount <= 8 ? (DWORD{1} << header.biBitCount) : 0;
}

DWORD DibRowBytes(const BITMAPINFOHEADER& header)
{
    const std::uint64_t bits = std::uint64_t{static_cast<DWORD>(header.biWidth)} * header.biBitCount;
    return static_cast<DWORD>(((bits + 31) / 32) * 4);
}

} // namespace platform::gdi

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage)
{
    if (header == nullptr || header->biSize < sizeof(BITMAPINFOHEADER) || header->biWidth <= 0 ||
        header->biWidth > kLargest || header->biHeight == 0 || header->biHeight < -kLargest ||
        header->biHeight > kLargest) {
        return nullptr;
    }
    const bool decode = (init & CBM_INIT) != 0;
    if (decode && (bits == nullptr || info == nullptr || !Readable(info->bmiHeader) ||
                   info->bmiHeader.biWidth != header->biWidth || info->bmiHeader.biHeight != header->biHeight ||
                   usage != DIB_RGB_COLORS)) {
        return nullptr;
    }
    const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->m_surface = Surface(header->biWidth, height);
    if (decode) {
        Decode(info, static_cast<const BYTE*>(bits), bitmap->m_surface);
    }
    return Register(std::move(bitmap), OBJ_BITMAP);
}
