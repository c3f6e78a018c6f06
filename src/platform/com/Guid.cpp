#include "platform/com/Com.h"

#include <cstdio>
#include <cstring>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at *pp into *pValue and moves past them.
bool ReadHex(const char*& p, int digits, std::uint64_t* pValue)
{
    std::uint64_t value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = HexDigit(p[i]);
        if (d < 0) {
            return false;
        }
        value = (value << 4) | static_cast<std::uint64_t>(d);
    }
    p += digits;
    *pValue = value;
    return true;
}

bool Expect(const char*& p, char c)
{
    if (*p != c) {
        return false;
    }
    ++p;
    return true;
}

} // namespace

int StringFromGUID2(REFGUID guid, char* psz, int cchMax)
{
    if (psz == nullptr || cchMax < kGuidStringLength + 1) {
        return 0;
    }
    std::snprintf(psz, static_cast<std::size_t>(cchMax),
                  "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return kGuidStringLength + 1;
}

std::string GuidToString(REFGUID guid)
{
    char text[kGuidStringLength + 1];
    StringFromGUID2(guid, text, sizeof text);
    return text;
}

bool GuidFromString(const char* psz, GUID* pGuid)
{
    if (psz == nullptr || pGuid == nullptr || std::strlen(psz) != static_cast<std::size_t>(kGuidStringLength)) {
        return false;
    }
    const char* p = psz;
    std::uint64_t data1 = 0;
    std::uint64_t data2 = 0;
    std::uint64_t data3 = 0;
    std::uint64_t clock = 0;
    std::uint64_t node = 0;
    if (!Expect(p, '{') || !ReadHex(p, 8, &data1) || !Expect(p, '-') || !ReadHex(p, 4, &data2) ||
        !Expect(p, '-') || !ReadHex(p, 4, &data3) || !Expect(p, '-') || !ReadHex(p, 4, &clock) ||
        !Expect(p, '-') || !ReadHex(p, 12, &node) || !Expect(p, '}')) {
        return false;
    }
    GUID guid{};
    guid.Data1 = static_cast<std::uint32_t>(data1);
    guid.Data2 = static_cast<std::uint16_t>(data2);
    guid.Data3 = static_cast<std::uint16_t>(data3);
    guid.Data4[0] = static_cast<std::uint8_t>(clock >> 8);
    guid.Data4[1] = static_cast<std::uint8_t>(clock);
    for (int i = 0; i < 6; ++i) {
        guid.Data4[2 + i] = static_cast<std::uint8_t>(node >> (8 * (5 - i)));
    }
    *pGuid = guid;
    return true;
}

HRESULT CLSIDFromString(const char* psz, CLSID* pClsid)
{
    if (pClsid == nullptr) {
        return E_POINTER;
    }
    return GuidFromString(psz, pClsid) ? S_OK : CO_E_CLASSSTRING;
}

std::size_t std::hash<GUID>::operator()(const GUID& guid) const noexcept
{
    // FNV-1a over the sixteen bytes.
    unsigned char bytes[sizeof(GUID)];
    std::memcpy(bytes, &guid, sizeof bytes);
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char b : bytes) {
        h = (h ^ b) * 1099511628211ull;
    }
    return static_cast<std::size_t>(h);
}
