#pragma once

// The binary forms of compiled resources: what the resource compiler
// (tools/rescomp) writes and the loaders here read back. Everything is
// little-endian. This header has no dependencies, so the compiler can use
// it without the rest of the platform.
//
// A module's resources are one or more directories placed one after the
// other in the ELF section kSectionName:
//
//   DirectoryHeader                     32 bytes
//   DirectoryEntry[entryCount]          16 bytes each, sorted by (type, id)
//   resource data                       each resource starts on 8 bytes
//
// A directory's total size is a multiple of 16 so that the next one (when a
// program links two resource sets) follows without a gap.

#include <cstdint>

// The constants are plain constexpr, private to each file that includes
// this header: as inline variables they would become unique symbols, and
// the loader never unloads a module that has one.
namespace resource_format {

constexpr char kSectionName[] = ".intonara_rsrc";

constexpr char kMagic[8] = {'I', 'n', 't', 'o', 'R', 's', 'r', 'c'};
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::uint32_t kDirectoryAlignment = 16;
constexpr std::uint32_t kDataAlignment = 8;

struct DirectoryHeader {
    char m_magic[8];
    std::uint32_t m_nFormatVersion;
    std::uint32_t m_nTotalSize;  // header, entries and data
    std::uint32_t m_nEntryCount;
    std::uint32_t m_reserved[3];
};
static_assert(sizeof(DirectoryHeader) == 32);

struct DirectoryEntry {
    std::uint32_t m_nType;
    std::uint32_t m_nId;
    std::uint32_t m_nOffset;  // from the start of this entry, so an entry alone leads to its data
    std::uint32_t m_nSize;
};
static_assert(sizeof(DirectoryEntry) == 16);

// Resource types, numbered as the window system numbers them.
constexpr std::uint32_t kTypeCursor = 1;
constexpr std::uint32_t kTypeBitmap = 2;
constexpr std::uint32_t kTypeDialog = 5;
constexpr std::uint32_t kTypeString = 6;
constexpr std::uint32_t kTypeVersion = 16;

// String tables: string n lives in block n / 16 + 1 at position n % 16. A
// block holds its 16 strings in order, each a 16-bit byte count followed by
// that many bytes of text (UTF-8, no terminator); an absent string has
// count 0.
constexpr std::uint32_t kStringsPerBlock = 16;

// Dialogs: the extended dialog template layout (version 1, signature
// 0xFFFF) with UTF-16 text, items on 4-byte boundaries, and the standard
// control classes written as ordinals.
constexpr std::uint16_t kDialogVersion = 1;
constexpr std::uint16_t kDialogSignature = 0xFFFF;
constexpr std::uint32_t kDialogStyleSetFont = 0x40;  // DS_SETFONT

struct ClassOrdinal {
    std::uint16_t m_nOrdinal;
    const char* m_pszName;
};
constexpr ClassOrdinal kClassOrdinals[] = {
    {0x0080, "Button"},  {0x0081, "Edit"},      {0x0082, "Static"},
    {0x0083, "ListBox"}, {0x0084, "ScrollBar"}, {0x0085, "ComboBox"},
};

// Bitmaps: the device-independent bitmap as a .bmp file holds it after its
// 14-byte file header: a 40-byte info header, the colour table (two to the
// power of the bit count entries of 4 bytes for 8 bits per pixel or fewer,
// none above), then the bottom-up rows, each padded to 4 bytes.
constexpr std::uint32_t kInfoHeaderSize = 40;

// Cursors: the x and y of the hot spot (16 bits each), then a 1-bit
// device-independent bitmap of twice the cursor's height whose colour
// table is black and white: the XOR mask's rows followed by the AND mask's,
// both bottom-up. A pixel is transparent with AND 1 XOR 0, black with 0 0,
// white with 0 1 and inverts the screen with 1 1.
constexpr std::uint32_t kCursorHotSpotBytes = 4;

// The version block: nodes of
//   u16 length (the whole node with its children), u16 value length,
//   u16 type (0 binary, 1 text), key (UTF-8, terminated), zero padding to
//   4 bytes, the value, zero padding to 4 bytes, the children,
// with a text value's length counted in bytes including its terminator.
// The root "VS_VERSION_INFO" holds the 52-byte fixed information and has
// the children "StringFileInfo" (one table per language and code page, its
// key as 8 hexadecimal digits) and "VarFileInfo" ("Translation": pairs of
// 16-bit language and code page).
constexpr std::uint32_t kVersionResourceId = 1;
constexpr char kVersionRootKey[] = "VS_VERSION_INFO";
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedStrucVersion = 0x00010000;
constexpr std::uint16_t kVersionBinary = 0;
constexpr std::uint16_t kVersionText = 1;

}  // namespace resource_format
