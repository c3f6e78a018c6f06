#include "ImageFiles.h"

#include "ByteWriter.h"

#include "platform/resources/ResourceFormat.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

namespace rescomp {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr int kMaxCursorSide = 256;

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t ReadU16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::string Trim(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool LoadBitmapFile(FileResource& resource, Diagnostics& diagnostics)
{
    std::vector<std::uint8_t> file;
    auto fail = [&](const std::string& message) {
        diagnostics.Error(resource.m_pos, "bitmap " + std::to_string(resource.m_nId) + ": " + resource.m_strPath +
                                              ": " + message);
        return false;
    };
    if (!ReadFile(resource.m_strPath, file)) {
        return fail("cannot read the file");
    }
    if (file.size() < kFileHeaderSize + resource_format::kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') {
        return fail("not a .bmp file");
    }
    const std::uint32_t pixelOffset = ReadU32(file, 10);
    const std::size_t info = kFileHeaderSize;
    const std::uint32_t headerSize = ReadU32(file, info);
    if (headerSize != resource_format::kInfoHeaderSize) {
        return fail("has a " + std::to_string(headerSize) + "-byte info header; only the 40-byte header is supported");
    }
    const auto width = static_cast<std::int32_t>(ReadU32(file, info + 4));
    const auto height = static_cast<std::int32_t>(ReadU32(file, info + 8));
    const std::uint16_t planes = ReadU16(file, info + 12);
    const std::uint16_t bitCount = ReadU16(file, info + 14);
    const std::uint32_t compression = ReadU32(file, info + 16);
    const std::uint32_t coloursUsed = ReadU32(file, info + 32);
    if (width <= 0 || width > 0x7FFF) {
        return fail("width " + std::to_string(width) + " is outside 1 to 32767");
    }
    if (height <= 0 || height > 0x7FFF) {
        return fail(height < 0 ? std::string("is stored top-down (negative height); store it bottom-up")
                               : "height " + std::to_string(height) + " is outside 1 to 32767");
    }
    if (planes != 1) {
        return fail("has " + std::to_string(planes) + " planes; 1 is needed");
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
        return fail(std::to_string(bitCount) + " bits per pixel is not supported (use 1, 4, 8, 24 or 32)");
    }
    if (compression != 0) {
        return fail("is compressed; only uncompressed (BI_RGB) bitmaps are supported");
    }
    // The loaders read a full colour table for 8 bits per pixel or fewer,
    // so a shortened one would shift the pixels.
    const std::uint32_t colours = bitCount <= 8 ? 1u << bitCount : 0u;
    if (coloursUsed != 0 && coloursUsed != colours) {
        return fail("has a colour table of " + std::to_string(coloursUsed) + " entries; " +
                    (colours == 0 ? std::string("a bitmap of more than 8 bits per pixel has none")
                                  : "save it with all " + std::to_string(colours)));
    }
    const std::size_t infoSize = resource_format::kInfoHeaderSize + colours * 4u;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    if (pixelOffset < kFileHeaderSize + infoSize) {
        return fail("its pixel data starts inside the colour table");
    }
    if (pixelOffset > file.size() || file.size() - pixelOffset < pixelBytes) {
        return fail("the pixel data is cut short: " + std::to_string(pixelBytes) + " bytes are needed");
    }
    // Header and colour table, then the rows; any gap before the rows and
    // any bytes after them are left out.
    resource.m_data.assign(file.begin() + kFileHeaderSize,
                           file.begin() + static_cast<std::ptrdiff_t>(kFileHeaderSize + infoSize));
    resource.m_data.insert(resource.m_data.end(), file.begin() + pixelOffset,
                           file.begin() + static_cast<std::ptrdiff_t>(pixelOffset + pixelBytes));
    return true;
}

bool LoadCursorFile(FileResource& resource, Diagnostics& diagnostics)
{
    std::ifstream in(resource.m_strPath, std::ios::binary);
    if (!in) {
        diagnostics.Error(resource.m_pos,
                          "cursor " + std::to_string(resource.m_nId) + ": " + resource.m_strPath + ": cannot read the file");
        return false;
    }
    bool good = true;
    auto error = [&](int line, const std::string& message) {
        diagnostics.Error(SourcePos{resource.m_strPath, line}, message);
        good = false;
    };
    std::vector<std::string> rows;
    int firstRowLine = 0;
    int hotX = -1;
    int hotY = -1;
    int hotLine = 0;
    std::string raw;
    for (int line = 1; std::getline(in, raw); ++line) {
        const std::string text = Trim(raw);
        if (text.empty() || text.rfind("//", 0) == 0) {
            continue;
        }
        if (text.rfind("HOTSPOT", 0) == 0) {
            std::string numbers = text.substr(7);
            for (char& c : numbers) {
                c = c == ',' ? ' ' : c;
            }
            std::istringstream fields(numbers);
            std::string rest;
            if (hotLine != 0) {
                error(line, "a second HOTSPOT (the first is at line " + std::to_string(hotLine) + ")");
            } else if (!(fields >> hotX >> hotY) || (fields >> rest)) {
                error(line, "expected HOTSPOT x, y with two whole numbers");
            }
            hotLine = line;
            continue;
        }
        const std::size_t bad = text.find_first_not_of(".#+~");
        if (bad != std::string::npos) {
            error(line, std::string("unexpected character '") + text[bad] +
                            "' in the picture (use . transparent, # black, + white, ~ inverted)");
            continue;
        }
        if (rows.empty()) {
            firstRowLine = line;
        } else if (text.size() != rows.front().size()) {
            error(line, "this row is " + std::to_string(text.size()) + " pixels wide, the first row " +
                            std::to_string(rows.front().size()));
            continue;
        }
        rows.push_back(text);
    }
    const auto width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    const auto height = static_cast<int>(rows.size());
    if (rows.empty()) {
        error(1, "the cursor has no picture");
    } else if (width > kMaxCursorSide || height > kMaxCursorSide) {
        error(firstRowLine, "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                                "; a cursor is at most 256 x 256");
    }
    if (hotLine == 0) {
        error(1, "the cursor has no HOTSPOT line");
    } else if (good && !rows.empty() && (hotX < 0 || hotY < 0 || hotX >= width || hotY >= height)) {
        error(hotLine, "the hot spot (" + std::to_string(hotX) + ", " + std::to_string(hotY) +
                           ") lies outside the " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    }
    if (!good) {
        return false;
    }

    const std::size_t stride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    ByteWriter out;
    out.U16(static_cast<std::uint32_t>(hotX));
    out.U16(static_cast<std::uint32_t>(hotY));
    out.U32(resource_format::kInfoHeaderSize);
    out.U32(static_cast<std::uint32_t>(width));
    out.U32(static_cast<std::uint32_t>(height * 2));
    out.U16(1);  // planes
    out.U16(1);  // bits per pixel
    out.U32(0);  // uncompressed
    out.U32(static_cast<std::uint32_t>(stride * 2 * static_cast<std::size_t>(height)));
    out.U32(0);
    out.U32(0);
    out.U32(0);  // colours used: all two
    out.U32(0);
    out.U32(0x00000000);  // black
    out.U32(0x00FFFFFF);  // white
    for (const char* ones : {"+~", ".~"}) {  // the XOR mask, then the AND mask
        for (int r = height - 1; r >= 0; --r) {
            std::vector<std::uint8_t> row(stride, 0);
            for (int x = 0; x < width; ++x) {
                if (std::string_view(ones).find(rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(x)]) !=
                    std::string_view::npos) {
                    row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
                }
            }
            out.Bytes(row.data(), row.size());
        }
    }
    resource.m_data = std::move(out.Data());
    return true;
}

}  // namespace rescomp
