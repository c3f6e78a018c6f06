#include "platform/resources/ImageResources.h"

#include "platform/resources/ResourceFormat.h"

#include <cstring>

namespace {

struct InfoHeader {
    std::uint32_t m_nSize;
    std::int32_t m_nWidth;
    std::int32_t m_nHeight;
    std::uint16_t m_nPlanes;
    std::uint16_t m_nBitCount;
    std::uint32_t m_nCompression;
    std::uint32_t m_reserved[5];
};
static_assert(sizeof(InfoHeader) == resource_format::kInfoHeaderSize);

const BYTE* ResourceBytes(HMODULE hModule, LPCSTR name, LPCSTR type, DWORD* size)
{
    HRSRC resource = FindResourceA(hModule, name, type);
    if (resource == nullptr) {
        return nullptr;
    }
    *size = SizeofResource(hModule, resource);
    return static_cast<const BYTE*>(LockResource(LoadResource(hModule, resource)));
}

std::size_t Stride(std::int32_t width, unsigned bitCount)
{
    return ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
}

// The header of a bottom-up, uncompressed bitmap, and how many colour
// table entries follow it.
bool ReadHeader(const BYTE* p, std::size_t size, InfoHeader* header, std::size_t* colours)
{
    if (size < sizeof *header) {
        return false;
    }
    std::memcpy(header, p, sizeof *header);
    const unsigned bits = header->m_nBitCount;
    if (header->m_nSize != resource_format::kInfoHeaderSize || header->m_nWidth <= 0 || header->m_nHeight <= 0 ||
        header->m_nCompression != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
        return false;
    }
    *colours = bits <= 8 ? std::size_t{1} << bits : 0;
    return true;
}

}  // namespace

bool GetBitmapResourceData(HMODULE hModule, LPCSTR lpName, BitmapResourceData* data)
{
    DWORD size = 0;
    const BYTE* p = ResourceBytes(hModule, lpName, RT_BITMAP, &size);
    if (p == nullptr || data == nullptr) {
        return false;
    }
    InfoHeader header{};
    std::size_t colours = 0;
    if (!ReadHeader(p, size, &header, &colours)) {
        SetLastError(static_cast<DWORD>(ERROR_BAD_FORMAT));
        return false;
    }
    const std::size_t infoBytes = sizeof header + colours * 4;
    const std::size_t bitBytes = Stride(header.m_nWidth, header.m_nBitCount) * static_cast<std::size_t>(header.m_nHeight);
    if (infoBytes > size || bitBytes > size - infoBytes) {
        SetLastError(static_cast<DWORD>(ERROR_BAD_FORMAT));
        return false;
    }
    data->m_pInfo = p;
    data->m_cbInfo = static_cast<DWORD>(infoBytes);
    data->m_pBits = p + infoBytes;
    data->m_cbBits = static_cast<DWORD>(bitBytes);
    data->m_nWidth = header.m_nWidth;
    data->m_nHeight = header.m_nHeight;
    data->m_nBitCount = header.m_nBitCount;
    data->m_nColours = static_cast<DWORD>(colours);
    return true;
}

bool GetCursorResourceImage(HMODULE hModule, LPCSTR lpName, CursorResourceImage* image)
{
    DWORD size = 0;
    const BYTE* p = ResourceBytes(hModule, lpName, RT_CURSOR, &size);
    if (p == nullptr || image == nullptr) {
        return false;
    }
    constexpr std::size_t kHot = resource_format::kCursorHotSpotBytes;
    InfoHeader header{};
    std::size_t colours = 0;
    if (size < kHot || !ReadHeader(p + kHot, size - kHot, &header, &colours) || header.m_nBitCount != 1 ||
        header.m_nHeight % 2 != 0) {
        SetLastError(static_cast<DWORD>(ERROR_BAD_FORMAT));
        return false;
    }
    const int width = header.m_nWidth;
    const int height = header.m_nHeight / 2;
    const std::size_t stride = Stride(width, 1);
    const std::size_t masks = kHot + sizeof header + colours * 4;
    if (masks > size || 2 * stride * static_cast<std::size_t>(height) > size - masks) {
        SetLastError(static_cast<DWORD>(ERROR_BAD_FORMAT));
        return false;
    }
    const BYTE* xorRows = p + masks;
    const BYTE* andRows = xorRows + stride * static_cast<std::size_t>(height);
    image->m_nWidth = width;
    image->m_nHeight = height;
    image->m_xHotSpot = p[0] | p[1] << 8;
    image->m_yHotSpot = p[2] | p[3] << 8;
    image->m_andMask.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    image->m_xorMask.assign(image->m_andMask.size(), 0);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = static_cast<std::size_t>(height - 1 - y) * stride;  // stored bottom-up
        for (int x = 0; x < width; ++x) {
            const std::size_t pixel = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            const BYTE bit = static_cast<BYTE>(0x80u >> (x % 8));
            image->m_andMask[pixel] = (andRows[row + static_cast<std::size_t>(x) / 8] & bit) != 0 ? 1 : 0;
            image->m_xorMask[pixel] = (xorRows[row + static_cast<std::size_t>(x) / 8] & bit) != 0 ? 1 : 0;
        }
    }
    return true;
}
