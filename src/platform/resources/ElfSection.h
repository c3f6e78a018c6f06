#pragma once

// Sections of ELF files (64-bit, little-endian): how compiled resources are
// found in a module's file, and in its image once it is loaded.

#include <cstdint>
#include <string>
#include <vector>

namespace resource_loader {

struct ElfSection {
    std::uint64_t m_nFileOffset = 0;
    std::uint64_t m_nSize = 0;
    std::uint64_t m_nAddress = 0;  // where it is mapped, relative to the load base
    bool m_bMapped = false;        // part of the loaded image
};

// False when the file cannot be read, is not an ELF file of this machine's
// kind, or has no section of that name; `error` gets a system error number.
bool FindElfSection(const std::string& path, const char* name, ElfSection* section, long* error);
// The section's bytes, read from the file.
bool ReadElfSection(const std::string& path, const char* name, std::vector<std::uint8_t>* bytes, long* error);

}  // namespace resource_loader
