// Finding a loaded module's resources: the loader's list of loaded objects
// gives each object's load base and file; the file's section table says
// where in the image the resource section lies.

#include "platform/resources/ElfSection.h"
#include "platform/resources/ResourceDirectory.h"
#include "platform/resources/Resources.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include <dlfcn.h>
#include <unistd.h>
#include <link.h>

namespace rf = resource_format;
using namespace resource_loader;

namespace {

struct Segment {
    std::uintptr_t m_nStart;
    std::uintptr_t m_nEnd;
};

struct LoadedObject {
    std::uintptr_t m_nBase = 0;
    std::string m_strPath;  // empty for the program
    std::vector<Segment> m_segments;
    bool m_bProgram = false;

    // Base, file and layout: when a module is unloaded and another loaded
    // in its place, they differ unless it is the same file again.
    auto Key() const
    {
        std::vector<std::uintptr_t> layout;
        for (const Segment& s : m_segments) {
            layout.push_back(s.m_nStart);
            layout.push_back(s.m_nEnd);
        }
        return std::make_tuple(m_nBase, m_strPath, layout);
    }

    std::string FilePath() const { return m_bProgram ? std::string("/proc/self/exe") : m_strPath; }
};

std::vector<LoadedObject> LoadedObjects()
{
    std::vector<LoadedObject> objects;
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto& list = *static_cast<std::vector<LoadedObject>*>(data);
            LoadedObject object;
            object.m_nBase = info->dlpi_addr;
            object.m_strPath = info->dlpi_name != nullptr ? info->dlpi_name : "";
            object.m_bProgram = list.empty();  // the loader lists the program first
            for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                if (ph.p_type == PT_LOAD) {
                    object.m_segments.push_back({info->dlpi_addr + ph.p_vaddr, info->dlpi_addr + ph.p_vaddr + ph.p_memsz});
                }
            }
            list.push_back(std::move(object));
            return 0;
        },
        &objects);
    return objects;
}

// The loader's handle of a loaded shared object, without keeping a
// reference.
HMODULE HandleOf(const LoadedObject& object)
{
    if (object.m_bProgram || object.m_strPath.empty()) {
        return nullptr;
    }
    void* handle = ::dlopen(object.m_strPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr) {
        ::dlclose(handle);
    }
    return reinterpret_cast<HMODULE>(handle);
}

std::vector<DirectorySpan> ReadDirectories(const LoadedObject& object)
{
    ElfSection section;
    long error = 0;
    if (!FindElfSection(object.FilePath(), rf::kSectionName, &section, &error) || !section.m_bMapped) {
        return {};
    }
    const std::uintptr_t start = object.m_nBase + section.m_nAddress;
    const bool inside = std::any_of(object.m_segments.begin(), object.m_segments.end(), [&](const Segment& s) {
        return start >= s.m_nStart && start <= s.m_nEnd && section.m_nSize <= s.m_nEnd - start;
    });
    if (!inside) {
        return {};  // the file on disk no longer matches the image
    }
    return SplitDirectories(reinterpret_cast<const std::uint8_t*>(start), section.m_nSize);
}

// What has been learnt about loaded modules. The loader is never called
// with the lock held: a module's start-up code, which runs under the
// loader's own lock, may be looking up its resources at the same time.
class CModuleCache {
public:
    std::optional<LoadedObject> ObjectOf(HMODULE hModule, const std::vector<LoadedObject>& objects)
    {
        if (hModule == nullptr) {
            return objects.empty() ? std::nullopt : std::optional<LoadedObject>(objects.front());
        }
        {
            std::lock_guard lock(m_mutex);
            auto it = m_handles.find(hModule);
            if (it != m_handles.end()) {
                for (const LoadedObject& object : objects) {
                    if (object.Key() == it->second) {
                        return object;
                    }
                }
            }
        }
        for (const LoadedObject& object : objects) {
            if (!object.m_bProgram && HandleOf(object) == hModule) {
                std::lock_guard lock(m_mutex);
                m_handles[hModule] = object.Key();
                return object;
            }
        }
        return std::nullopt;
    }

    std::vector<DirectorySpan> DirectoriesOf(const LoadedObject& object)
    {
        {
            std::lock_guard lock(m_mutex);
            auto it = m_directories.find(object.Key());
            if (it != m_directories.end()) {
                return it->second;
            }
        }
        std::vector<DirectorySpan> directories = ReadDirectories(object);
        std::lock_guard lock(m_mutex);
        m_directories[object.Key()] = directories;
        return directories;
    }

private:
    using Key = decltype(std::declval<LoadedObject>().Key());
    std::mutex m_mutex;
    std::map<HMODULE, Key> m_handles;
    std::map<Key, std::vector<DirectorySpan>> m_directories;
};

CModuleCache& Cache()
{
    static CModuleCache cache;
    return cache;
}

// "#123" names resource 123; other strings name nothing here.
std::optional<std::uint32_t> NumberOf(LPCSTR name)
{
    if (IS_INTRESOURCE(name)) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(name));
    }
    if (name[0] != '#' || name[1] == '\0') {
        return std::nullopt;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(name + 1, &end, 10);
    if (*end != '\0' || value > 0xFFFF || !std::isdigit(static_cast<unsigned char>(name[1]))) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

bool SameFileName(const char* wanted, const std::string& name)
{
    const std::size_t length = std::strlen(wanted);
    return length == name.size() && std::equal(name.begin(), name.end(), wanted, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AnswersTo(const LoadedObject& object, const char* name)
{
    if (!object.m_bProgram && SameFileName(name, BaseName(object.m_strPath))) {
        return true;
    }
    if (object.m_bProgram) {
        char path[4096];
        const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0 && SameFileName(name, BaseName(std::string(path, static_cast<std::size_t>(n))))) {
            return true;
        }
    }
    long error = 0;
    const rf::DirectoryEntry* version =
        FindEntry(Cache().DirectoriesOf(object), rf::kTypeVersion, rf::kVersionResourceId, &error);
    return version != nullptr && SameFileName(name, OriginalFilename(EntryData(version), version->m_nSize));
}

}  // namespace

bool resource_loader::ModuleDirectories(HMODULE hModule, std::vector<DirectorySpan>* directories)
{
    const std::optional<LoadedObject> object = Cache().ObjectOf(hModule, LoadedObjects());
    if (!object) {
        return false;
    }
    *directories = Cache().DirectoriesOf(*object);
    return true;
}

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    const std::optional<std::uint32_t> id = lpName != nullptr ? NumberOf(lpName) : std::nullopt;
    const std::optional<std::uint32_t> type = lpType != nullptr ? NumberOf(lpType) : std::nullopt;
    std::vector<DirectorySpan> directories;
    if (!ModuleDirectories(hModule, &directories)) {
        SetLastError(static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        return nullptr;
    }
    long error = ERROR_RESOURCE_NAME_NOT_FOUND;
    const rf::DirectoryEntry* entry = id && type ? FindEntry(directories, *type, *id, &error) : nullptr;
    if (entry == nullptr) {
        SetLastError(static_cast<DWORD>(error));
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<rf::DirectoryEntry*>(entry));
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo)
{
    if (hResInfo == nullptr) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return nullptr;
    }
    return const_cast<std::uint8_t*>(EntryData(reinterpret_cast<const rf::DirectoryEntry*>(hResInfo)));
}

void* LockResource(HGLOBAL hResData)
{
    return hResData;
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo)
{
    return hResInfo != nullptr ? reinterpret_cast<const rf::DirectoryEntry*>(hResInfo)->m_nSize : 0;
}

BOOL FreeResource(HGLOBAL)
{
    return FALSE;
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    if (lpModuleName == nullptr) {
        SetLastError(static_cast<DWORD>(ERROR_SUCCESS));
        return nullptr;
    }
    const std::vector<LoadedObject> objects = LoadedObjects();
    for (const LoadedObject& object : objects) {
        if (!object.m_bProgram && AnswersTo(object, lpModuleName)) {
            if (HMODULE handle = HandleOf(object)) {
                return handle;
            }
        }
    }
    const bool program = !objects.empty() && AnswersTo(objects.front(), lpModuleName);
    SetLastError(static_cast<DWORD>(program ? ERROR_SUCCESS : ERROR_MOD_NOT_FOUND));
    return nullptr;
}
