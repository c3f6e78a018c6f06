#include "platform/resources/ResourceDirectory.h"

#include <algorithm>
#include <cstring>

namespace resource_loader {

namespace rf = resource_format;

namespace {

bool WellFormed(const std::uint8_t* p, std::size_t available, std::size_t* total)
{
    if (available < sizeof(rf::DirectoryHeader)) {
        return false;
    }
    rf::DirectoryHeader header;
    std::memcpy(&header, p, sizeof header);
    if (std::memcmp(header.m_magic, rf::kMagic, sizeof rf::kMagic) != 0 || header.m_nFormatVersion != rf::kFormatVersion ||
        header.m_nTotalSize > available || header.m_nTotalSize % rf::kDirectoryAlignment != 0 ||
        header.m_nEntryCount > (header.m_nTotalSize - sizeof header) / sizeof(rf::DirectoryEntry)) {
        return false;
    }
    const auto* entries = reinterpret_cast<const rf::DirectoryEntry*>(p + sizeof header);
    for (std::uint32_t i = 0; i < header.m_nEntryCount; ++i) {
        const rf::DirectoryEntry& e = entries[i];
        const std::size_t at = sizeof header + i * sizeof e;
        if (e.m_nOffset > header.m_nTotalSize - at || e.m_nSize > header.m_nTotalSize - at - e.m_nOffset) {
            return false;
        }
        if (i > 0 && std::make_pair(entries[i - 1].m_nType, entries[i - 1].m_nId) >= std::make_pair(e.m_nType, e.m_nId)) {
            return false;  // the search needs them sorted and unique
        }
    }
    *total = header.m_nTotalSize;
    return true;
}

}  // namespace

std::vector<DirectorySpan> SplitDirectories(const std::uint8_t* section, std::size_t size)
{
    std::vector<DirectorySpan> directories;
    std::size_t at = 0;
    std::size_t total = 0;
    for (;;) {
        // Sets linked from several files may be kept apart by zeros (the
        // linker's alignment, a sanitizer's guard bytes).
        while (size - at >= rf::kDirectoryAlignment &&
               std::all_of(section + at, section + at + rf::kDirectoryAlignment, [](std::uint8_t b) { return b == 0; })) {
            at += rf::kDirectoryAlignment;
        }
        if (!WellFormed(section + at, size - at, &total)) {
            return directories;
        }
        directories.push_back({section + at, total});
        at += total;
    }
}

const rf::DirectoryEntry* FindEntry(const std::vector<DirectorySpan>& directories, std::uint32_t type, std::uint32_t id,
                                    long* error)
{
    bool typeSeen = false;
    for (const DirectorySpan& directory : directories) {
        rf::DirectoryHeader header;
        std::memcpy(&header, directory.m_pData, sizeof header);
        const auto* first = reinterpret_cast<const rf::DirectoryEntry*>(directory.m_pData + sizeof header);
        const auto* last = first + header.m_nEntryCount;
        const auto* it = std::lower_bound(first, last, std::make_pair(type, id), [](const rf::DirectoryEntry& e, const auto& key) {
            return std::make_pair(e.m_nType, e.m_nId) < key;
        });
        if (it != last && it->m_nType == type && it->m_nId == id) {
            *error = ERROR_SUCCESS;
            return it;
        }
        typeSeen = typeSeen || (it != last && it->m_nType == type) || (it != first && (it - 1)->m_nType == type);
    }
    *error = directories.empty() ? ERROR_RESOURCE_DATA_NOT_FOUND
             : typeSeen          ? ERROR_RESOURCE_NAME_NOT_FOUND
                                 : ERROR_RESOURCE_TYPE_NOT_FOUND;
    return nullptr;
}

}  // namespace resource_loader
