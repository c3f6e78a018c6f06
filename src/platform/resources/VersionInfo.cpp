#include "platform/resources/VersionInfo.h"

#include "platform/resources/ElfSection.h"
#include "platform/resources/ResourceDirectory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace rf = resource_format;
using namespace resource_loader;

namespace {

std::uint16_t U16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

// One node of the block, located within [0, limit) of `base`.
struct Node {
    std::size_t m_nEnd = 0;
    std::string_view m_key;
    std::size_t m_nValueAt = 0;
    std::size_t m_nValueLength = 0;
    std::size_t m_nChildrenAt = 0;
};

bool ReadNode(const std::uint8_t* base, std::size_t at, std::size_t limit, Node* node)
{
    if (at > limit || limit - at < 6) {
        return false;
    }
    const std::size_t length = U16(base + at);
    if (length < 6 || length > limit - at) {
        return false;
    }
    node->m_nEnd = at + length;
    const auto* keyStart = reinterpret_cast<const char*>(base + at + 6);
    const void* terminator = std::memchr(keyStart, '\0', node->m_nEnd - at - 6);
    if (terminator == nullptr) {
        return false;
    }
    node->m_key = std::string_view(keyStart, static_cast<std::size_t>(static_cast<const char*>(terminator) - keyStart));
    node->m_nValueAt = Align4(at + 6 + node->m_key.size() + 1);
    node->m_nValueLength = U16(base + at + 2);
    if (node->m_nValueAt > node->m_nEnd || node->m_nValueLength > node->m_nEnd - node->m_nValueAt) {
        return false;
    }
    node->m_nChildrenAt = Align4(node->m_nValueAt + node->m_nValueLength);
    return true;
}

bool SameKey(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool Query(const std::uint8_t* block, std::size_t size, std::string_view path, const std::uint8_t** value,
           std::size_t* length)
{
    Node node;
    if (!ReadNode(block, 0, size, &node)) {
        return false;
    }
    while (!path.empty()) {
        const std::size_t skip = path.find_first_not_of('\\');
        if (skip == std::string_view::npos) {
            break;
        }
        path.remove_prefix(skip);
        const std::string_view name = path.substr(0, path.find('\\'));
        path.remove_prefix(name.size());
        bool found = false;
        for (std::size_t at = node.m_nChildrenAt; at < node.m_nEnd;) {
            Node child;
            if (!ReadNode(block, at, node.m_nEnd, &child)) {
                return false;
            }
            if (SameKey(child.m_key, name)) {
                node = child;
                found = true;
                break;
            }
            at = Align4(child.m_nEnd);
        }
        if (!found) {
            return false;
        }
    }
    *value = block + node.m_nValueAt;
    *length = node.m_nValueLength;
    return true;
}

// The version resource in the file's own resource section.
bool ReadVersionResource(LPCSTR path, std::vector<std::uint8_t>* section, const rf::DirectoryEntry** entry)
{
    long error = ERROR_INVALID_PARAMETER;
    if (path == nullptr || !ReadElfSection(path, rf::kSectionName, section, &error)) {
        SetLastError(static_cast<DWORD>(error));
        return false;
    }
    *entry = FindEntry(SplitDirectories(section->data(), section->size()), rf::kTypeVersion, rf::kVersionResourceId,
                       &error);
    if (*entry == nullptr) {
        SetLastError(static_cast<DWORD>(error));
        return false;
    }
    return true;
}

}  // namespace

std::string resource_loader::OriginalFilename(const void* block, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    const std::uint8_t* value = nullptr;
    std::size_t length = 0;
    if (!Query(bytes, size, "\\VarFileInfo\\Translation", &value, &length) || length < 4) {
        return {};
    }
    char path[64];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04X%04X\\OriginalFilename", U16(value), U16(value + 2));
    if (!Query(bytes, size, path, &value, &length) || length == 0) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(value), strnlen(reinterpret_cast<const char*>(value), length));
}

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, DWORD* lpdwHandle)
{
    if (lpdwHandle != nullptr) {
        *lpdwHandle = 0;
    }
    std::vector<std::uint8_t> section;
    const rf::DirectoryEntry* entry = nullptr;
    return ReadVersionResource(lptstrFilename, &section, &entry) ? entry->m_nSize : 0;
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, void* lpData)
{
    std::vector<std::uint8_t> section;
    const rf::DirectoryEntry* entry = nullptr;
    if (lpData == nullptr || !ReadVersionResource(lptstrFilename, &section, &entry)) {
        return FALSE;
    }
    if (dwLen < entry->m_nSize) {
        SetLastError(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return FALSE;
    }
    std::memcpy(lpData, EntryData(entry), entry->m_nSize);
    return TRUE;
}

BOOL VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, void** lplpBuffer, UINT* puLen)
{
    if (puLen != nullptr) {
        *puLen = 0;
    }
    if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) {
        return FALSE;
    }
    const auto* block = static_cast<const std::uint8_t*>(pBlock);
    const std::uint8_t* value = nullptr;
    std::size_t length = 0;
    // The block's own length bounds every read.
    if (!Query(block, U16(block), lpSubBlock, &value, &length)) {
        return FALSE;
    }
    *lplpBuffer = const_cast<std::uint8_t*>(value);
    if (puLen != nullptr) {
        *puLen = static_cast<UINT>(length);
    }
    return TRUE;
}
