#pragma once

// The names LV2 hosts know the plug-in by. The plug-in is the filter's class
// and its saved settings are the control interface's stream, so both names
// are those identifiers as "urn:uuid:" names: a project saved by any host
// refers to the same fixed identifiers the filter registers under.

#include "host/HostIds.h"

#include <array>
#include <cstddef>

namespace lv2uri {

inline constexpr std::size_t kUrnLength = 9 + 36;  // "urn:uuid:" and the identifier
using Urn = std::array<char, kUrnLength + 1>;

// "urn:uuid:xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", lower case as the
// uuid URN form asks for.
constexpr Urn MakeUrn(const GUID& guid)
{
    constexpr char kHex[] = "0123456789abcdef";
    Urn urn{};
    std::size_t at = 0;
    for (const char c : {'u', 'r', 'n', ':', 'u', 'u', 'i', 'd', ':'}) {
        urn[at++] = c;
    }
    auto put = [&](unsigned long long value, int digits) {
        for (int i = digits - 1; i >= 0; --i) {
            urn[at++] = kHex[(value >> (4 * i)) & 0xF];
        }
    };
    put(guid.Data1, 8);
    urn[at++] = '-';
    put(guid.Data2, 4);
    urn[at++] = '-';
    put(guid.Data3, 4);
    urn[at++] = '-';
    put(guid.Data4[0], 2);
    put(guid.Data4[1], 2);
    urn[at++] = '-';
    for (int i = 2; i < 8; ++i) {
        put(guid.Data4[i], 2);
    }
    urn[at] = '\0';
    return urn;
}

inline constexpr Urn kPluginUri = MakeUrn(CLSID_IntonaraPlugIn);
// The key under which the 56-byte settings stream is saved.
inline constexpr Urn kSettingsKeyUri = MakeUrn(IID_IIntonaraControl);

// The key under which graphical mode's tracked pitch and curves are saved:
// an identifier of its own.
inline constexpr char kGraphKeyUri[] = "urn:uuid:3c0e8d51-7a2f-4b69-9e14-d2a6b8f0c753";

// The plug-in's window: an identifier of its own.
inline constexpr char kUiUri[] = "urn:uuid:5f1c2b7e-93a4-4d0e-b6f8-2c71e0a9d354";

} // namespace lv2uri
