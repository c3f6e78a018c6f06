// A plug-in module for the loader tests: one class served through the four
// entry points, registered under its own path.

#include "platform/com/Module.h"
#include "platform/registry/Registry.h"
#include "platform/resources/Resources.h"

#include "module/TestModule.h"

#include <atomic>
#include <new>

namespace {

std::atomic<LONG> g_cServerLocks{0};

class CGadget final : public CUnknown, public IPersist {
public:
    CGadget() : CUnknown("Gadget", nullptr) {}

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IPersist) {
            return GetInterface(static_cast<IPersist*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT GetClassID(CLSID* pClassID) override
    {
        *pClassID = CLSID_TestGadget;
        return S_OK;
    }
};

class CGadgetFactory final : public CUnknown, public IClassFactory {
public:
    CGadgetFactory() : CUnknown("Gadget factory", nullptr) {}

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
        if (ppv == nullptr) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (pUnkOuter != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        auto* pGadget = new (std::nothrow) CGadget;
        if (pGadget == nullptr) {
            return E_OUTOFMEMORY;
        }
        pGadget->NonDelegatingAddRef();
        const HRESULT hr = pGadget->NonDelegatingQueryInterface(riid, ppv);
        pGadget->NonDelegatingRelease();
        return hr;
    }

    HRESULT LockServer(BOOL bLock) override
    {
        g_cServerLocks += bLock ? 1 : -1;
        return S_OK;
    }
};

// What the module could read of its own resources while it was being
// loaded, as a module's start-up code reads its pictures and strings.
char g_szStartupString[64];

__attribute__((constructor)) void ReadOwnStringAtLoad()
{
    HMODULE self = GetModuleHandleFromAddress(reinterpret_cast<const void*>(&ReadOwnStringAtLoad));
    LoadStringA(self, 1, g_szStartupString, sizeof g_szStartupString);
}

std::string ClassKey()
{
    return "CLSID\\" + GuidToString(CLSID_TestGadget);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid != IID_IClassFactory && riid != IID_IUnknown) {
        return E_NOINTERFACE;
    }
    if (rclsid != CLSID_TestGadget) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* pFactory = new (std::nothrow) CGadgetFactory;
    if (pFactory == nullptr) {
        return E_OUTOFMEMORY;
    }
    pFactory->NonDelegatingAddRef();
    const HRESULT hr = pFactory->NonDelegatingQueryInterface(riid, ppv);
    pFactory->NonDelegatingRelease();
    return hr;
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow()
{
    return g_cServerLocks == 0 && CBaseObject::ObjectsActive() == 0 ? S_OK : S_FALSE;
}

__attribute__((visibility("default"))) HRESULT DllRegisterServer()
{
    char path[MAX_PATH];
    if (GetModuleFileNameA(GetModuleHandleFromAddress(reinterpret_cast<const void*>(&DllRegisterServer)), path,
                           MAX_PATH) == 0) {
        return HRESULT_FROM_WIN32(static_cast<LONG>(GetLastError()));
    }
    HKEY hClass = nullptr;
    LONG error = RegCreateKeyA(HKEY_CLASSES_ROOT, ClassKey().c_str(), &hClass);
    if (error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(error);
    }
    error = RegSetString(hClass, nullptr, "Test Gadget");
    HKEY hServer = nullptr;
    if (error == ERROR_SUCCESS) {
        error = RegCreateKeyA(hClass, "InprocServer32", &hServer);
    }
    if (error == ERROR_SUCCESS) {
        error = RegSetString(hServer, nullptr, path);
    }
    if (error == ERROR_SUCCESS) {
        error = RegSetString(hServer, "ThreadingModel", "Both");
    }
    if (hServer != nullptr) {
        RegCloseKey(hServer);
    }
    RegCloseKey(hClass);
    return HRESULT_FROM_WIN32(error);
}

__attribute__((visibility("default"))) const char* TestModuleStartupString()
{
    return g_szStartupString;
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer()
{
    const LONG error = RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());
    return error == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(error);
}

} // extern "C"
