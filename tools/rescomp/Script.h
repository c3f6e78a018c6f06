#pragma once

// What the resource scripts say, after parsing and before encoding.

#include "Diagnostics.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rescomp {

struct StringEntry {
    std::uint32_t m_nId = 0;
    std::string m_strText;
    SourcePos m_pos;
};

struct ControlItem {
    std::string m_strText;
    std::uint32_t m_nId = 0;  // -1 is stored as 0xFFFFFFFF
    std::string m_strClass;
    std::uint32_t m_dwStyle = 0;
    std::uint32_t m_dwExStyle = 0;
    std::int16_t m_x = 0;
    std::int16_t m_y = 0;
    std::int16_t m_cx = 0;
    std::int16_t m_cy = 0;
    SourcePos m_pos;
};

struct DialogResource {
    std::uint16_t m_nId = 0;
    std::int16_t m_x = 0;
    std::int16_t m_y = 0;
    std::int16_t m_cx = 0;
    std::int16_t m_cy = 0;
    std::uint32_t m_dwStyle = 0;
    std::uint32_t m_dwExStyle = 0;
    std::string m_strCaption;
    bool m_bHasFont = false;
    std::uint16_t m_nPointSize = 0;
    std::uint16_t m_nWeight = 0;
    std::uint8_t m_nItalic = 0;
    std::uint8_t m_nCharSet = 0;
    std::string m_strFont;
    std::vector<ControlItem> m_items;
    SourcePos m_pos;
};

// A bitmap or cursor: the file it comes from and, once read, its bytes in
// their compiled form.
struct FileResource {
    std::uint16_t m_nId = 0;
    std::string m_strPath;  // resolved against the script's folder
    std::vector<std::uint8_t> m_data;
    SourcePos m_pos;
};

struct VersionResource {
    std::array<std::uint16_t, 4> m_fileVersion{};
    std::array<std::uint16_t, 4> m_productVersion{};
    std::uint32_t m_dwFlagsMask = 0;
    std::uint32_t m_dwFlags = 0;
    std::uint32_t m_dwOs = 0;
    std::uint32_t m_dwType = 0;
    std::uint32_t m_dwSubtype = 0;
    std::uint16_t m_nLanguage = 0x0409;
    std::uint16_t m_nCodePage = 1252;
    std::vector<std::pair<std::string, std::string>> m_values;
    SourcePos m_pos;
};

struct Script {
    std::vector<StringEntry> m_strings;
    std::vector<DialogResource> m_dialogs;
    std::vector<FileResource> m_bitmaps;
    std::vector<FileResource> m_cursors;
    std::optional<VersionResource> m_version;
    // Every file read, for the build's dependency list.
    std::vector<std::string> m_inputs;
};

}  // namespace rescomp
