#include "Encode.h"

#include "ByteWriter.h"

#include "platform/resources/ResourceFormat.h"
#include "platform/resources/Utf16.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <cstdio>
#include <map>
#include <optional>

namespace rescomp {

namespace rf = resource_format;

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

class TextChecker {
public:
    explicit TextChecker(Diagnostics& diagnostics) : m_diagnostics(diagnostics) {}

    std::u16string Wide(const std::string& text, const SourcePos& pos, const char* what)
    {
        std::optional<std::u16string> wide = rf::Utf8ToUtf16(text);
        if (!wide) {
            Report(pos, what);
            return {};
        }
        return *wide;
    }

    void Check(const std::string& text, const SourcePos& pos, const char* what)
    {
        if (!rf::Utf8ToUtf16(text)) {
            Report(pos, what);
        }
    }

private:
    void Report(const SourcePos& pos, const char* what)
    {
        m_diagnostics.Error(pos, std::string(what) + " is not valid UTF-8");
    }

    Diagnostics& m_diagnostics;
};

void WideString(ByteWriter& out, const std::u16string& text)
{
    for (char16_t unit : text) {
        out.U16(unit);
    }
    out.U16(0);
}

std::vector<std::uint8_t> EncodeDialog(const DialogResource& dialog, TextChecker& text)
{
    ByteWriter out;
    out.U16(rf::kDialogVersion);
    out.U16(rf::kDialogSignature);
    out.U32(0);  // help ID
    out.U32(dialog.m_dwExStyle);
    out.U32(dialog.m_dwStyle);
    out.U16(static_cast<std::uint32_t>(dialog.m_items.size()));
    for (std::int16_t v : {dialog.m_x, dialog.m_y, dialog.m_cx, dialog.m_cy}) {
        out.U16(static_cast<std::uint16_t>(v));
    }
    out.U16(0);  // no menu
    out.U16(0);  // the standard dialog class
    WideString(out, text.Wide(dialog.m_strCaption, dialog.m_pos, "the caption"));
    if ((dialog.m_dwStyle & rf::kDialogStyleSetFont) != 0) {
        out.U16(dialog.m_nPointSize);
        out.U16(dialog.m_nWeight);
        out.U8(dialog.m_nItalic);
        out.U8(dialog.m_nCharSet);
        WideString(out, text.Wide(dialog.m_strFont, dialog.m_pos, "the font name"));
    }
    for (const ControlItem& item : dialog.m_items) {
        out.Align(4);
        out.U32(0);  // help ID
        out.U32(item.m_dwExStyle);
        out.U32(item.m_dwStyle);
        for (std::int16_t v : {item.m_x, item.m_y, item.m_cx, item.m_cy}) {
            out.U16(static_cast<std::uint16_t>(v));
        }
        out.U32(item.m_nId);
        const auto* ordinal = std::find_if(std::begin(rf::kClassOrdinals), std::end(rf::kClassOrdinals),
                                           [&](const rf::ClassOrdinal& c) { return EqualsIgnoringCase(c.m_pszName, item.m_strClass); });
        if (ordinal != std::end(rf::kClassOrdinals)) {
            out.U16(0xFFFF);
            out.U16(ordinal->m_nOrdinal);
        } else {
            WideString(out, text.Wide(item.m_strClass, item.m_pos, "the class name"));
        }
        WideString(out, text.Wide(item.m_strText, item.m_pos, "the control's text"));
        out.U16(0);  // no creation data
    }
    return std::move(out.Data());
}

// One node of the version block, children included.
struct VersionNode {
    std::string m_strKey;
    std::uint16_t m_nType = rf::kVersionText;
    std::vector<std::uint8_t> m_value;
    std::vector<VersionNode> m_children;
};

void WriteNode(ByteWriter& out, const VersionNode& node)
{
    out.Align(4);
    const std::size_t start = out.Size();
    out.U16(0);  // length, filled in below
    out.U16(static_cast<std::uint32_t>(node.m_value.size()));
    out.U16(node.m_nType);
    out.Bytes(node.m_strKey);
    out.U8(0);
    out.Align(4);
    out.Bytes(node.m_value.data(), node.m_value.size());
    for (const VersionNode& child : node.m_children) {
        WriteNode(out, child);
    }
    out.PatchU16(start, static_cast<std::uint32_t>(out.Size() - start));
}

std::vector<std::uint8_t> EncodeVersion(const VersionResource& version, TextChecker& text, Diagnostics& diagnostics)
{
    auto high = [](const std::array<std::uint16_t, 4>& v) { return static_cast<std::uint32_t>(v[0]) << 16 | v[1]; };
    auto low = [](const std::array<std::uint16_t, 4>& v) { return static_cast<std::uint32_t>(v[2]) << 16 | v[3]; };
    ByteWriter fixed;
    for (std::uint32_t v : {rf::kFixedSignature, rf::kFixedStrucVersion, high(version.m_fileVersion),
                            low(version.m_fileVersion), high(version.m_productVersion), low(version.m_productVersion),
                            version.m_dwFlagsMask, version.m_dwFlags, version.m_dwOs, version.m_dwType,
                            version.m_dwSubtype, 0u, 0u}) {
        fixed.U32(v);
    }
    VersionNode root{rf::kVersionRootKey, rf::kVersionBinary, std::move(fixed.Data()), {}};

    if (!version.m_values.empty()) {
        char tableKey[9];
        std::snprintf(tableKey, sizeof tableKey, "%04X%04X", version.m_nLanguage, version.m_nCodePage);
        VersionNode table{tableKey, rf::kVersionText, {}, {}};
        for (const auto& [name, value] : version.m_values) {
            text.Check(name, version.m_pos, ("the name of VALUE \"" + name + "\"").c_str());
            text.Check(value, version.m_pos, ("the text of VALUE \"" + name + "\"").c_str());
            VersionNode entry{name, rf::kVersionText, {value.begin(), value.end()}, {}};
            entry.m_value.push_back(0);
            table.m_children.push_back(std::move(entry));
        }
        root.m_children.push_back(VersionNode{"StringFileInfo", rf::kVersionText, {}, {std::move(table)}});
    }
    ByteWriter translation;
    translation.U16(version.m_nLanguage);
    translation.U16(version.m_nCodePage);
    VersionNode var{"Translation", rf::kVersionBinary, std::move(translation.Data()), {}};
    root.m_children.push_back(VersionNode{"VarFileInfo", rf::kVersionText, {}, {std::move(var)}});

    ByteWriter out;
    WriteNode(out, root);
    if (out.Size() > 0xFFFF) {
        // Node lengths are 16 bits.
        diagnostics.Error(version.m_pos, "the version block comes to " + std::to_string(out.Size()) +
                                             " bytes; it must stay below 65536");
    }
    return std::move(out.Data());
}

}  // namespace

std::vector<CompiledResource> CompileResources(const Script& script, Diagnostics& diagnostics)
{
    TextChecker text(diagnostics);
    std::vector<CompiledResource> out;

    std::map<std::uint32_t, std::array<const std::string*, rf::kStringsPerBlock>> blocks;
    for (const StringEntry& entry : script.m_strings) {
        text.Check(entry.m_strText, entry.m_pos, ("string " + std::to_string(entry.m_nId)).c_str());
        blocks[entry.m_nId / rf::kStringsPerBlock + 1][entry.m_nId % rf::kStringsPerBlock] = &entry.m_strText;
    }
    for (const auto& [block, strings] : blocks) {
        ByteWriter data;
        for (const std::string* s : strings) {
            data.U16(s != nullptr ? static_cast<std::uint32_t>(s->size()) : 0u);
            if (s != nullptr) {
                data.Bytes(*s);
            }
        }
        out.push_back({rf::kTypeString, block, std::move(data.Data())});
    }
    for (const DialogResource& dialog : script.m_dialogs) {
        out.push_back({rf::kTypeDialog, dialog.m_nId, EncodeDialog(dialog, text)});
    }
    for (const FileResource& bitmap : script.m_bitmaps) {
        out.push_back({rf::kTypeBitmap, bitmap.m_nId, bitmap.m_data});
    }
    for (const FileResource& cursor : script.m_cursors) {
        out.push_back({rf::kTypeCursor, cursor.m_nId, cursor.m_data});
    }
    if (script.m_version) {
        out.push_back({rf::kTypeVersion, rf::kVersionResourceId, EncodeVersion(*script.m_version, text, diagnostics)});
    }
    std::sort(out.begin(), out.end(), [](const CompiledResource& a, const CompiledResource& b) {
        return a.m_nType != b.m_nType ? a.m_nType < b.m_nType : a.m_nId < b.m_nId;
    });
    return out;
}

std::vector<std::uint8_t> BuildDirectory(const std::vector<CompiledResource>& resources)
{
    ByteWriter out;
    out.Bytes(std::string_view(rf::kMagic, sizeof rf::kMagic));
    out.U32(rf::kFormatVersion);
    out.U32(0);  // total size, filled in below
    out.U32(static_cast<std::uint32_t>(resources.size()));
    out.U32(0);
    out.U32(0);
    out.U32(0);
    const std::size_t entries = out.Size();
    for (std::size_t i = 0; i < resources.size(); ++i) {
        out.U32(0);
        out.U32(0);
        out.U32(0);
        out.U32(0);
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        out.Align(rf::kDataAlignment);
        const std::size_t at = entries + i * sizeof(rf::DirectoryEntry);
        out.PatchU32(at, resources[i].m_nType);
        out.PatchU32(at + 4, resources[i].m_nId);
        out.PatchU32(at + 8, static_cast<std::uint32_t>(out.Size() - at));
        out.PatchU32(at + 12, static_cast<std::uint32_t>(resources[i].m_data.size()));
        out.Bytes(resources[i].m_data.data(), resources[i].m_data.size());
    }
    out.Align(rf::kDirectoryAlignment);
    out.PatchU32(12, static_cast<std::uint32_t>(out.Size()));
    return std::move(out.Data());
}

}  // namespace rescomp
