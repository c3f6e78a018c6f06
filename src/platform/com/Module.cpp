#include "platform/com/Module.h"

#include "platform/media/FilterMapper.h"
#include "platform/registry/Registry.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace {

thread_local std::string t_strLoadError;

void* AsLibrary(HMODULE hModule)
{
    return reinterpret_cast<void*>(hModule);
}

std::string AbsolutePath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string ProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// A factory for a class built into the platform.
using CreateFunction = HRESULT (*)(LPUNKNOWN, REFIID, void**);

class CBuiltInFactory final : public CUnknown, public IClassFactory {
public:
    explicit CBuiltInFactory(CreateFunction pfnCreate)
        : CUnknown("Built-in class factory", nullptr), m_pfnCreate(pfnCreate)
    {
    }

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IClassFactory) {
            return GetInterface(static_cast<IClassFactory*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) override
    {
        return m_pfnCreate(pUnkOuter, riid, ppv);
    }

    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    CreateFunction m_pfnCreate;
};

struct CBuiltInClass {
    const CLSID* m_pClsid;
    CreateFunction m_pfnCreate;
};

const CBuiltInClass kBuiltInClasses[] = {
    {&CLSID_FilterMapper, &CreateFilterMapper},
};

struct CClassTable {
    std::recursive_mutex m_mutex;
    struct CRegistration {
        CLSID m_clsid;
        IUnknown* m_pFactory;
    };
    std::map<DWORD, CRegistration> m_registered;
    DWORD m_nNextCookie = 1;
    std::map<std::string, std::unique_ptr<CModule>> m_modules;
};

CClassTable& Classes()
{
    static CClassTable table;
    return table;
}

} // namespace

// ---------------------------------------------------------------------------

HMODULE LoadLibraryA(const char* pszPath)
{
    if (pszPath == nullptr) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    void* pLibrary = ::dlopen(pszPath, RTLD_NOW | RTLD_LOCAL);
    if (pLibrary == nullptr) {
        const char* pError = ::dlerror();
        t_strLoadError = pError != nullptr ? pError : "cannot load the module";
        SetLastError(static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(pLibrary);
}

BOOL FreeLibrary(HMODULE hModule)
{
    return hModule != nullptr && ::dlclose(AsLibrary(hModule)) == 0 ? TRUE : FALSE;
}

void* GetProcAddress(HMODULE hModule, const char* pszName)
{
    void* pSymbol = ::dlsym(hModule != nullptr ? AsLibrary(hModule) : RTLD_DEFAULT, pszName);
    if (pSymbol == nullptr) {
        SetLastError(static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    }
    return pSymbol;
}

std::string ModuleLoadError()
{
    return t_strLoadError;
}

HMODULE GetModuleHandleFromAddress(const void* pAddress)
{
    Dl_info info{};
    if (::dladdr(pAddress, &info) == 0 || info.dli_fname == nullptr) {
        return nullptr;
    }
    if (AbsolutePath(info.dli_fname) == AbsolutePath(ProgramPath())) {
        return nullptr;
    }
    // Asking for a library that is already loaded only looks up its handle;
    // the extra reference is given back at once.
    void* pLibrary = ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (pLibrary != nullptr) {
        ::dlclose(pLibrary);
    }
    return reinterpret_cast<HMODULE>(pLibrary);
}

DWORD GetModuleFileNameA(HMODULE hModule, char* lpFilename, DWORD nSize)
{
    std::string path;
    if (hModule == nullptr) {
        path = ProgramPath();
    } else {
        link_map* pMap = nullptr;
        if (::dlinfo(AsLibrary(hModule), RTLD_DI_LINKMAP, &pMap) != 0 || pMap == nullptr) {
            SetLastError(static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
            return 0;
        }
        path = pMap->l_name != nullptr && *pMap->l_name != '\0' ? pMap->l_name : ProgramPath();
    }
    if (path.empty()) {
        SetLastError(static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        return 0;
    }
    path = AbsolutePath(path);
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return 0;
    }
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

// ---------------------------------------------------------------------------

CModule::~CModule()
{
    Unload();
}

HRESULT CModule::Load(const char* pszPath)
{
    Unload();
    m_strError.clear();
    HMODULE hModule = LoadLibraryA(pszPath);
    if (hModule == nullptr) {
        m_strError = ModuleLoadError();
        return CO_E_DLLNOTFOUND;
    }
    auto pfnGetClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(GetProcAddress(hModule, "DllGetClassObject"));
    if (pfnGetClassObject == nullptr) {
        m_strError = std::string(pszPath) + " has no DllGetClassObject";
        FreeLibrary(hModule);
        return CO_E_ERRORINDLL;
    }
    m_hModule = hModule;
    m_strPath = pszPath;
    m_pfnGetClassObject = pfnGetClassObject;
    m_pfnCanUnloadNow = reinterpret_cast<LPFNCANUNLOADNOW>(GetProcAddress(hModule, "DllCanUnloadNow"));
    m_pfnRegisterServer = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(hModule, "DllRegisterServer"));
    m_pfnUnregisterServer = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(hModule, "DllUnregisterServer"));
    return S_OK;
}

void CModule::Unload()
{
    if (m_hModule != nullptr) {
        FreeLibrary(m_hModule);
    }
    m_hModule = nullptr;
    m_pfnGetClassObject = nullptr;
    m_pfnCanUnloadNow = nullptr;
    m_pfnRegisterServer = nullptr;
    m_pfnUnregisterServer = nullptr;
}

HRESULT CModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (m_pfnGetClassObject == nullptr) {
        return E_UNEXPECTED;
    }
    return m_pfnGetClassObject(rclsid, riid, ppv);
}

HRESULT CModule::CanUnloadNow()
{
    return m_pfnCanUnloadNow != nullptr ? m_pfnCanUnloadNow() : S_FALSE;
}

HRESULT CModule::RegisterServer()
{
    if (m_hModule == nullptr) {
        return E_UNEXPECTED;
    }
    return m_pfnRegisterServer != nullptr ? m_pfnRegisterServer() : E_NOTIMPL;
}

HRESULT CModule::UnregisterServer()
{
    if (m_hModule == nullptr) {
        return E_UNEXPECTED;
    }
    return m_pfnUnregisterServer != nullptr ? m_pfnUnregisterServer() : E_NOTIMPL;
}

HRESULT CModule::CreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CComPtr<IClassFactory> pFactory;
    HRESULT hr = GetClassObject(rclsid, IID_IClassFactory, pFactory.ReceiveVoid());
    if (FAILED(hr)) {
        return hr;
    }
    return pFactory->CreateInstance(pUnkOuter, riid, ppv);
}

// ---------------------------------------------------------------------------

HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pFactory, DWORD* pdwRegister)
{
    if (pFactory == nullptr || pdwRegister == nullptr) {
        return E_POINTER;
    }
    CClassTable& table = Classes();
    std::lock_guard lock(table.m_mutex);
    pFactory->AddRef();
    *pdwRegister = table.m_nNextCookie++;
    table.m_registered[*pdwRegister] = CClassTable::CRegistration{rclsid, pFactory};
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister)
{
    IUnknown* pFactory = nullptr;
    {
        CClassTable& table = Classes();
        std::lock_guard lock(table.m_mutex);
        auto it = table.m_registered.find(dwRegister);
        if (it == table.m_registered.end()) {
            return E_INVALIDARG;
        }
        pFactory = it->second.m_pFactory;
        table.m_registered.erase(it);
    }
    pFactory->Release();
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD /*dwClsContext*/, void* /*pReserved*/, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CClassTable& table = Classes();
    std::lock_guard lock(table.m_mutex);
    for (const auto& [cookie, registration] : table.m_registered) {
        if (registration.m_clsid == rclsid) {
            return registration.m_pFactory->QueryInterface(riid, ppv);
        }
    }
    for (const CBuiltInClass& builtIn : kBuiltInClasses) {
        if (*builtIn.m_pClsid == rclsid) {
            auto* pFactory = new (std::nothrow) CBuiltInFactory(builtIn.m_pfnCreate);
            if (pFactory == nullptr) {
                return E_OUTOFMEMORY;
            }
            pFactory->NonDelegatingAddRef();
            const HRESULT hr = pFactory->NonDelegatingQueryInterface(riid, ppv);
            pFactory->NonDelegatingRelease();
            return hr;
        }
    }
    std::string path;
    const std::string key = "CLSID\\" + GuidToString(rclsid) + "\\InprocServer32";
    if (RegGetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, &path) != ERROR_SUCCESS || path.empty()) {
        return REGDB_E_CLASSNOTREG;
    }
    std::unique_ptr<CModule>& pModule = table.m_modules[path];
    if (!pModule) {
        pModule = std::make_unique<CModule>();
    }
    if (!pModule->IsLoaded()) {
        const HRESULT hr = pModule->Load(path.c_str());
        if (FAILED(hr)) {
            table.m_modules.erase(path);
            return hr;
        }
    }
    return pModule->GetClassObject(rclsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CComPtr<IClassFactory> pFactory;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, pFactory.ReceiveVoid());
    if (FAILED(hr)) {
        return hr;
    }
    return pFactory->CreateInstance(pUnkOuter, riid, ppv);
}

void CoFreeUnusedLibraries()
{
    CClassTable& table = Classes();
    std::lock_guard lock(table.m_mutex);
    for (auto it = table.m_modules.begin(); it != table.m_modules.end();) {
        if (it->second->CanUnloadNow() == S_OK) {
            it = table.m_modules.erase(it);
        } else {
            ++it;
        }
    }
}
