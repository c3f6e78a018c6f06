#pragma once

// Turns the parsed scripts into the compiled forms of
// platform/resources/ResourceFormat.h.

#include "Script.h"

#include <cstdint>
#include <vector>

namespace rescomp {

struct CompiledResource {
    std::uint32_t m_nType = 0;
    std::uint32_t m_nId = 0;
    std::vector<std::uint8_t> m_data;
};

// Reports text that is not UTF-8. The result is sorted by type and ID.
std::vector<CompiledResource> CompileResources(const Script& script, Diagnostics& diagnostics);

// The directory that holds them all: header, entries, data.
std::vector<std::uint8_t> BuildDirectory(const std::vector<CompiledResource>& resources);

}  // namespace rescomp
