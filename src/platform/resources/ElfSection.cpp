#include "platform/resources/ElfSection.h"

#include "platform/Types.h"

#include <cstring>
#include <memory>

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace resource_loader {

namespace {

// No real section table or resource set comes near these; a file claiming
// more is damaged and is not read into memory.
constexpr std::uint64_t kMaxTableBytes = 16u << 20;
constexpr std::uint64_t kMaxSectionBytes = 256u << 20;

class File {
public:
    explicit File(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    std::uint64_t Size() const
    {
        struct stat info {};
        return ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    }

    bool Read(std::uint64_t offset, void* buffer, std::uint64_t size) const
    {
        auto* out = static_cast<char*>(buffer);
        while (size > 0) {
            const ssize_t n = ::pread(m_fd, out, size, static_cast<off_t>(offset));
            if (n <= 0) {
                return false;
            }
            out += n;
            offset += static_cast<std::uint64_t>(n);
            size -= static_cast<std::uint64_t>(n);
        }
        return true;
    }

private:
    int m_fd;
};

bool Locate(const File& file, const char* name, ElfSection* section, long* error)
{
    *error = ERROR_BAD_FORMAT;
    const std::uint64_t fileSize = file.Size();
    Elf64_Ehdr header{};
    if (fileSize < sizeof header || !file.Read(0, &header, sizeof header)) {
        return false;
    }
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_ident[EI_DATA] != ELFDATA2LSB || header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shoff == 0) {
        return false;
    }
    // Very large tables keep their true count and string table index in
    // the first section header.
    Elf64_Shdr first{};
    if (header.e_shoff > fileSize || fileSize - header.e_shoff < sizeof first ||
        !file.Read(header.e_shoff, &first, sizeof first)) {
        return false;
    }
    const std::uint64_t count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
    const std::uint64_t namesIndex = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
    if (count == 0 || count > kMaxTableBytes / sizeof(Elf64_Shdr) || namesIndex >= count ||
        (fileSize - header.e_shoff) / sizeof(Elf64_Shdr) < count) {
        return false;
    }
    std::unique_ptr<Elf64_Shdr[]> table(new Elf64_Shdr[count]);
    if (!file.Read(header.e_shoff, table.get(), count * sizeof(Elf64_Shdr))) {
        return false;
    }
    const Elf64_Shdr& names = table[namesIndex];
    if (names.sh_type == SHT_NOBITS || names.sh_size > kMaxTableBytes || names.sh_offset > fileSize ||
        fileSize - names.sh_offset < names.sh_size) {
        return false;
    }
    std::string nameTable(names.sh_size, '\0');
    if (!file.Read(names.sh_offset, nameTable.data(), names.sh_size)) {
        return false;
    }
    const std::size_t wanted = std::strlen(name);
    for (std::uint64_t i = 0; i < count; ++i) {
        const Elf64_Shdr& s = table[i];
        if (s.sh_name >= nameTable.size() || nameTable.compare(s.sh_name, wanted + 1, name, wanted + 1) != 0) {
            continue;
        }
        if (s.sh_type == SHT_NOBITS || s.sh_offset > fileSize || fileSize - s.sh_offset < s.sh_size) {
            return false;
        }
        section->m_nFileOffset = s.sh_offset;
        section->m_nSize = s.sh_size;
        section->m_nAddress = s.sh_addr;
        section->m_bMapped = (s.sh_flags & SHF_ALLOC) != 0;
        *error = ERROR_SUCCESS;
        return true;
    }
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return false;
}

}  // namespace

bool FindElfSection(const std::string& path, const char* name, ElfSection* section, long* error)
{
    const File file(path);
    if (!file.IsOpen()) {
        *error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    return Locate(file, name, section, error);
}

bool ReadElfSection(const std::string& path, const char* name, std::vector<std::uint8_t>* bytes, long* error)
{
    const File file(path);
    if (!file.IsOpen()) {
        *error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    ElfSection section;
    if (!Locate(file, name, &section, error)) {
        return false;
    }
    if (section.m_nSize > kMaxSectionBytes) {
        *error = ERROR_BAD_FORMAT;
        return false;
    }
    bytes->resize(section.m_nSize);
    if (!file.Read(section.m_nFileOffset, bytes->data(), section.m_nSize)) {
        *error = ERROR_READ_FAULT;
        return false;
    }
    return true;
}

}  // namespace resource_loader
