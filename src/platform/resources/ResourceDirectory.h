#pragma once

// Reading compiled resource directories (ResourceFormat.h), whether they
// lie in a loaded image or in bytes read from a file, and finding the
// directories of a loaded module.

#include "platform/resources/ResourceFormat.h"
#include "platform/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace resource_loader {

struct DirectorySpan {
    const std::uint8_t* m_pData = nullptr;
    std::size_t m_nSize = 0;
};

// The well-formed directories of a section, in order; reading stops at the
// first that is not (damage).
std::vector<DirectorySpan> SplitDirectories(const std::uint8_t* section, std::size_t size);

// The entry of (type, id), or null with the reason as a system error number.
const resource_format::DirectoryEntry* FindEntry(const std::vector<DirectorySpan>& directories, std::uint32_t type,
                                                 std::uint32_t id, long* error);

inline const std::uint8_t* EntryData(const resource_format::DirectoryEntry* entry)
{
    return reinterpret_cast<const std::uint8_t*>(entry) + entry->m_nOffset;
}

// The directories in a loaded module's image (null: the program). False
// when the handle is not a loaded module; true with none when it has no
// resources.
bool ModuleDirectories(HMODULE hModule, std::vector<DirectorySpan>* directories);

// The version block's "OriginalFilename" for its first translation, or
// empty.
std::string OriginalFilename(const void* block, std::size_t size);

}  // namespace resource_loader
