#pragma once

// The names a script may use in place of numbers: window, dialog and
// control styles, extended styles, dialog result IDs and version-block
// flags, with the values the window system gives them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace rescomp {

std::optional<std::uint32_t> LookUpConstant(std::string_view name);

}  // namespace rescomp
