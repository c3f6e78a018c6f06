#pragma once

// Little-endian output for the compiled forms.

#include <cstdint>
#include <string_view>
#include <vector>

namespace rescomp {

class ByteWriter {
public:
    void U8(std::uint32_t v) { m_bytes.push_back(static_cast<std::uint8_t>(v)); }
    void U16(std::uint32_t v)
    {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v)
    {
        U16(v);
        U16(v >> 16);
    }
    void Bytes(const std::uint8_t* p, std::size_t n) { m_bytes.insert(m_bytes.end(), p, p + n); }
    void Bytes(std::string_view text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    void Align(std::size_t alignment)
    {
        while (m_bytes.size() % alignment != 0) {
            m_bytes.push_back(0);
        }
    }
    void PatchU16(std::size_t at, std::uint32_t v)
    {
        m_bytes[at] = static_cast<std::uint8_t>(v);
        m_bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void PatchU32(std::size_t at, std::uint32_t v)
    {
        PatchU16(at, v);
        PatchU16(at + 2, v >> 16);
    }
    std::size_t Size() const { return m_bytes.size(); }
    std::vector<std::uint8_t>& Data() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace rescomp
