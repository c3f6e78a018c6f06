#pragma once

// Shared helpers of the platform tests: scratch directories and
// environment variables that are put back afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

// The whole of a file, as bytes.
inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef INTONARA_TEST_MODULE
inline const std::string kModulePath = INTONARA_TEST_MODULE;
#endif

// Whether the library at `path` is loaded in this process now.
inline bool IsLoaded(const std::string& path)
{
    void* pLibrary = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (pLibrary != nullptr) {
        ::dlclose(pLibrary);
    }
    return pLibrary != nullptr;
}

#ifdef INTONARA_RESOURCE_TEST_DIR
inline const std::string kResourceDir = INTONARA_RESOURCE_TEST_DIR;
#endif

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class CScratchDir {
public:
    CScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "intonara-platform-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~CScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Sets (or, with no value, unsets) an environment variable for the life of
// the object.
class CEnvVar {
public:
    CEnvVar(const char* pName, std::optional<std::string> value) : m_name(pName)
    {
        if (const char* pOld = std::getenv(pName)) {
            m_old = pOld;
        }
        Apply(value);
    }
    ~CEnvVar() { Apply(m_old); }
    CEnvVar(const CEnvVar&) = delete;
    CEnvVar& operator=(const CEnvVar&) = delete;

private:
    void Apply(const std::optional<std::string>& value)
    {
        if (value) {
            ::setenv(m_name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

// Every registry test points the registry at its own scratch file, so the
// user's configuration is never touched.
class CScratchRegistry {
public:
    CScratchRegistry() : m_env("INTONARA_REGISTRY", m_dir.File("registry")) {}
    std::string File() const { return m_dir.File("registry"); }
    const CScratchDir& Dir() const { return m_dir; }

private:
    CScratchDir m_dir;
    CEnvVar m_env;
};
