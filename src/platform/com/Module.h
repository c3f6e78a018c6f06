#pragma once

// Plug-in modules: shared libraries loaded by file that serve objects
// through the four standard entry points, DllGetClassObject,
// DllCanUnloadNow, DllRegisterServer and DllUnregisterServer.
//
// A module handle (HMODULE) is the loader's handle of the library; null
// stands for the program itself.

#include "platform/com/Com.h"

#include <string>

// RTLD_NOW | RTLD_LOCAL, so the module's own symbols stay its own. Null on
// failure, with GetLastError ERROR_MOD_NOT_FOUND and ModuleLoadError saying
// why.
HMODULE LoadLibraryA(const char* pszPath);
BOOL FreeLibrary(HMODULE hModule);
void* GetProcAddress(HMODULE hModule, const char* pszName);
// The loader's last complaint on this thread.
std::string ModuleLoadError();

// The module that contains an address, e.g. of one of its own functions:
// how a module finds its own handle. Null when it is the program.
HMODULE GetModuleHandleFromAddress(const void* pAddress);
// The absolute path of the module's file. Returns the characters copied
// without the terminator; when the buffer is too small the path is cut,
// terminated, nSize is returned and the last error is
// ERROR_INSUFFICIENT_BUFFER; 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, char* lpFilename, DWORD nSize);

using LPFNGETCLASSOBJECT = HRESULT (*)(REFCLSID, REFIID, void**);
using LPFNCANUNLOADNOW = HRESULT (*)();
using LPFNREGISTERSERVER = HRESULT (*)();

// One loaded plug-in module and its entry points.
class CModule {
public:
    CModule() = default;
    ~CModule();
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // CO_E_DLLNOTFOUND when the library cannot be loaded, CO_E_ERRORINDLL
    // when it has no DllGetClassObject (LastError says why).
    HRESULT Load(const char* pszPath);
    void Unload();
    bool IsLoaded() const { return m_hModule != nullptr; }
    HMODULE Handle() const { return m_hModule; }
    const std::string& Path() const { return m_strPath; }
    const std::string& LastError() const { return m_strError; }

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    // S_FALSE when the module has no DllCanUnloadNow: it is never unloaded.
    HRESULT CanUnloadNow();
    // E_NOTIMPL when the module lacks the entry point.
    HRESULT RegisterServer();
    HRESULT UnregisterServer();
    // Through the module's class factory.
    HRESULT CreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, REFIID riid, void** ppv);

private:
    HMODULE m_hModule = nullptr;
    std::string m_strPath;
    std::string m_strError;
    LPFNGETCLASSOBJECT m_pfnGetClassObject = nullptr;
    LPFNCANUNLOADNOW m_pfnCanUnloadNow = nullptr;
    LPFNREGISTERSERVER m_pfnRegisterServer = nullptr;
    LPFNREGISTERSERVER m_pfnUnregisterServer = nullptr;
};
