// Strings from a module's string table: sixteen to a resource, each a
// 16-bit length and its bytes.

#include "platform/resources/ResourceFormat.h"
#include "platform/resources/Resources.h"

#include <algorithm>
#include <cstring>

int LoadStringA(HMODULE hModule, UINT id, LPSTR buffer, int bufferMax)
{
    if (buffer == nullptr || bufferMax <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    constexpr UINT kPerBlock = resource_format::kStringsPerBlock;
    if (id > 0xFFFF) {
        return 0;
    }
    HRSRC block = FindResourceA(hModule, MAKEINTRESOURCEA(id / kPerBlock + 1), RT_STRING);
    if (block == nullptr) {
        return 0;
    }
    const auto* p = static_cast<const std::uint8_t*>(LockResource(LoadResource(hModule, block)));
    const std::size_t size = SizeofResource(hModule, block);
    std::size_t at = 0;
    for (UINT index = 0;; ++index) {
        if (size - at < 2) {
            return 0;
        }
        const std::size_t length = static_cast<std::size_t>(p[at] | p[at + 1] << 8);
        at += 2;
        if (length > size - at) {
            return 0;
        }
        if (index == id % kPerBlock) {
            const std::size_t count = std::min(length, static_cast<std::size_t>(bufferMax - 1));
            std::memcpy(buffer, p + at, count);
            buffer[count] = '\0';
            return static_cast<int>(count);
        }
        at += length;
    }
}
