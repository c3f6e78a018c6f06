#include "shell/ModuleVersion.h"

#include "platform/com/Module.h"

#include <cstdio>
#include <cstring>

CModuleVersion::CModuleVersion() : VS_FIXEDFILEINFO{} {}

BOOL CModuleVersion::Load(LPCSTR moduleName)
{
    *static_cast<VS_FIXEDFILEINFO*>(this) = VS_FIXEDFILEINFO{};
    m_pVersionInfo.reset();
    m_nLanguage = 0;
    m_nCodePage = 1252;

    SetLastError(0);
    HMODULE module = GetModuleHandleA(moduleName);
    if (module == nullptr && moduleName != nullptr && GetLastError() != 0) {
        return FALSE;  // not loaded (a null handle with no error is the program)
    }
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return FALSE;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) {
        return FALSE;
    }
    m_pVersionInfo = std::make_unique<BYTE[]>(size);
    if (!GetFileVersionInfoA(path, handle, size, m_pVersionInfo.get())) {
        return FALSE;
    }
    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(m_pVersionInfo.get(), "\\", &value, &valueLength) ||
        valueLength < sizeof(VS_FIXEDFILEINFO)) {
        return FALSE;
    }
    std::memcpy(static_cast<VS_FIXEDFILEINFO*>(this), value, sizeof(VS_FIXEDFILEINFO));
    if (VerQueryValueA(m_pVersionInfo.get(), "\\VarFileInfo\\Translation", &value, &valueLength) &&
        valueLength >= 4) {
        WORD pair[2];
        std::memcpy(pair, value, sizeof pair);
        m_nLanguage = pair[0];
        m_nCodePage = pair[1];
    }
    return dwSignature == VS_FFI_SIGNATURE ? TRUE : FALSE;
}

void GetVersionText(std::string& text, LPCSTR moduleName)
{
    text.clear();
    CModuleVersion version;
    if (!version.Load(moduleName)) {
        return;
    }
    char line[64];
    std::snprintf(line, sizeof line, "Version: %d.%d\n", static_cast<int>(version.dwFileVersionMS >> 16),
                  static_cast<int>(version.dwFileVersionMS & 0xFFFF));
    text = line;
}
