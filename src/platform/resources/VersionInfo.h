#pragma once

// Version information of a module file, read from the file on disk without
// loading it: the fixed part (file and product version, flags, type), the
// language and code page pairs under "\VarFileInfo\Translation", and the
// text values under "\StringFileInfo\<language><code page>\<Name>", where
// the language and code page are written as eight hexadecimal digits
// ("040904E4" for U.S. English, code page 1252).

#include "platform/resources/Resources.h"

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr DWORD VFT_APP = 1;
inline constexpr DWORD VFT_DLL = 2;

// The size of the file's version block, 0 when it has none (last error
// ERROR_FILE_NOT_FOUND, ERROR_BAD_FORMAT for a file that is not a module,
// ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND). *lpdwHandle
// is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, DWORD* lpdwHandle);
// Copies the version block into `lpData`; FALSE when the file has none or
// dwLen is smaller than the block (ERROR_INSUFFICIENT_BUFFER).
BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, void* lpData);
// Finds a value in a block from GetFileVersionInfoA: "\" gives the
// VS_FIXEDFILEINFO (52 bytes), "\VarFileInfo\Translation" the pairs of
// 16-bit language and code page (4 bytes each), a "\StringFileInfo\..."
// path the terminated UTF-8 text, with *puLen its length in bytes including
// the terminator. Names compare without regard to ASCII case. FALSE when
// the path leads nowhere.
BOOL VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, void** lplpBuffer, UINT* puLen);
