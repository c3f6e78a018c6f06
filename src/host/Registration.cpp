// The class table, the filter's registration record, and the module's
// self-registration: one "CLSID\{...}" key per class with its in-process
// server, and the filter mapper's record of the filter.

#include "host/ActvPlug.h"
#include "host/ModuleExports.h"
#include "host/Registration.h"

#include "platform/com/Module.h"
#include "platform/registry/Registry.h"

#include <string>

namespace {

const AMOVIESETUP_MEDIATYPE kPinTypes[] = {
    {&MEDIATYPE_Audio, &GUID_NULL},
};

const AMOVIESETUP_PIN kPins[] = {
    {"Input", FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, "Output", 1, kPinTypes},
    {"Output", FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, "Input", 1, kPinTypes},
};

const AMOVIESETUP_FILTER kFilterSetup = {&CLSID_IntonaraPlugIn, kFilterName, kFilterMerit, 2, kPins};

std::string ClassKey(REFCLSID clsid)
{
    return "CLSID\\" + GuidToString(clsid);
}

// The class's key, its name, and its server. Every key opened is closed on
// every path.
HRESULT WriteClassKeys(const CFactoryTemplate& entry, const char* pszModulePath)
{
    HKEY hClass = nullptr;
    LONG error = RegCreateKeyA(HKEY_CLASSES_ROOT, ClassKey(*entry.m_ClsID).c_str(), &hClass);
    if (error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(error);
    }
    error = RegSetString(hClass, nullptr, entry.m_Name);
    if (error == ERROR_SUCCESS) {
        HKEY hServer = nullptr;
        error = RegCreateKeyA(hClass, "InprocServer32", &hServer);
        if (error == ERROR_SUCCESS) {
            error = RegSetString(hServer, nullptr, pszModulePath);
            if (error == ERROR_SUCCESS) {
                error = RegSetString(hServer, "ThreadingModel", "Both");
            }
            RegCloseKey(hServer);
        }
    }
    RegCloseKey(hClass);
    return HRESULT_FROM_WIN32(error);
}

// Removes a key and everything below it. The registry removes the whole
// tree in one change, so a failure leaves it whole rather than half gone;
// a key that is not there is already removed.
LONG DeleteKeyTree(HKEY hRoot, const std::string& path)
{
    const LONG error = RegDeleteTreeA(hRoot, path.c_str());
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

// Asks the class's object for its filter-mapper record and has it removed
// (and, when registering, written anew). A class whose objects have no such
// record, or that cannot be made yet, has nothing to do here.
HRESULT UpdateMapperRecord(const CFactoryTemplate& entry, bool bRegister)
{
    if (entry.m_lpfnNew == nullptr) {
        return S_OK;
    }
    IAMovieSetup* pSetup = nullptr;
    HRESULT hr = CreateFromTemplate(entry, nullptr, IID_IAMovieSetup, reinterpret_cast<void**>(&pSetup));
    if (hr == E_NOINTERFACE || hr == VFW_E_NEED_OWNER || hr == E_NOTIMPL) {
        return S_OK;
    }
    if (FAILED(hr)) {
        return hr;
    }
    hr = pSetup->Unregister();
    if (SUCCEEDED(hr) && bRegister) {
        hr = pSetup->Register();
    }
    pSetup->Release();
    return hr;
}

} // namespace

const CFactoryTemplate g_Templates[] = {
    {kFilterName, &CLSID_IntonaraPlugIn, &CIntonaraPlugIn::CreateInstance, nullptr, &kFilterSetup},
    {kPropertyPageName, &CLSID_IntonaraPropertyPage, &CreatePropertyPage, nullptr, nullptr},
};
const int g_cTemplates = static_cast<int>(sizeof g_Templates / sizeof g_Templates[0]);

const AMOVIESETUP_FILTER& IntonaraFilterSetup()
{
    return kFilterSetup;
}

HRESULT DllRegisterServer()
{
    char szModulePath[MAX_PATH];
    const HMODULE hModule = GetModuleHandleFromAddress(reinterpret_cast<const void*>(&DllRegisterServer));
    if (GetModuleFileNameA(hModule, szModulePath, MAX_PATH) == 0) {
        return HRESULT_FROM_WIN32(static_cast<LONG>(GetLastError()));
    }
    HRESULT hr = S_OK;
    for (int i = 0; i < g_cTemplates && SUCCEEDED(hr); ++i) {
        hr = WriteClassKeys(g_Templates[i], szModulePath);
        if (SUCCEEDED(hr)) {
            hr = UpdateMapperRecord(g_Templates[i], true);
        }
    }
    return hr;
}

HRESULT DllUnregisterServer()
{
    HRESULT hr = S_OK;
    for (int i = g_cTemplates - 1; i >= 0 && SUCCEEDED(hr); --i) {
        hr = UpdateMapperRecord(g_Templates[i], false);
        if (SUCCEEDED(hr)) {
            hr = HRESULT_FROM_WIN32(DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKey(*g_Templates[i].m_ClsID)));
        }
    }
    return hr;
}
