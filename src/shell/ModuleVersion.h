#pragma once

// The version of a loaded module, read from its file's version block, and
// the "Version: major.minor" line the control panel shows.

#include "platform/resources/VersionInfo.h"

#include <memory>
#include <string>

class CModuleVersion : public VS_FIXEDFILEINFO {
public:
    CModuleVersion();
    ~CModuleVersion() = default;
    CModuleVersion(const CModuleVersion&) = delete;
    CModuleVersion& operator=(const CModuleVersion&) = delete;

    // Reads the version of the loaded module `moduleName` (null: the
    // program). FALSE when the module is not loaded or its file has no
    // usable version block.
    BOOL Load(LPCSTR moduleName);

    // The first language and code page of the block; the code page is 1252
    // until a block says otherwise.
    WORD m_nLanguage = 0;
    WORD m_nCodePage = 1252;

private:
    std::unique_ptr<BYTE[]> m_pVersionInfo;  // the whole block
};

// "Version: %d.%d\n" from the file version of module `moduleName`; empty
// when it cannot be read.
void GetVersionText(std::string& text, LPCSTR moduleName = "intonara.ax");
