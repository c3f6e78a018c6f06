#pragma once

// A registry of keys and values kept in one text file, shared by every
// process that names the same file. Each operation reads the file afresh;
// each change writes a new file and renames it over the old one, under a
// lock file, so readers never see half a file and concurrent writers do not
// lose each other's changes.
//
// The file is named by the environment variable INTONARA_REGISTRY, else it
// is $XDG_CONFIG_HOME/intonara/registry, else
// $HOME/.config/intonara/registry; the name is looked up on every
// operation. Key and value names compare without regard to ASCII case and
// keep the case they were created with.
//
// The functions return system error numbers: ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND (no such key or value), ERROR_MORE_DATA (buffer too
// small; the size needed is reported), ERROR_NO_MORE_ITEMS (enumeration
// done), ERROR_KEY_DELETED (the key of an open handle has gone),
// ERROR_BADDB (the file cannot be parsed; it is left alone),
// ERROR_CANTWRITE, ERROR_INVALID_PARAMETER, ERROR_INVALID_HANDLE,
// ERROR_ACCESS_DENIED (deleting a key that has subkeys with RegDeleteKeyA).

#include "platform/Types.h"

#include <string>

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

// The predefined roots; they need no opening and closing them does nothing.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// The file the registry lives in, as the environment says now.
std::string RegistryFilePath();

// Opens the key, creating it and any missing keys above it.
LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, PHKEY phkResult, DWORD* lpdwDisposition);
LONG RegCreateKeyA(HKEY hKey, const char* lpSubKey, PHKEY phkResult);
LONG RegOpenKeyA(HKEY hKey, const char* lpSubKey, PHKEY phkResult);
LONG RegCloseKey(HKEY hKey);

// A null or empty name is the key's default value. String data is stored
// without its terminator and read back with one; cbData counts it.
LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
// With lpData null only the type and size are reported.
LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                      DWORD* lpcbData);
// Sets the default value of a subkey (created when missing) to a string.
LONG RegSetValueA(HKEY hKey, const char* lpSubKey, DWORD dwType, const char* lpData, DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, const char* lpValueName);

// Deletes a key that has no subkeys.
LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey);
// Deletes the key with everything below it; with a null subkey, everything
// below hKey (its values included) but not hKey itself.
LONG RegDeleteTreeA(HKEY hKey, const char* lpSubKey);

// Subkeys and values in name order. *lpcchName counts characters without
// the terminator on return.
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName);
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                   DWORD* lpType, BYTE* lpData, DWORD* lpcbData);

// Convenience for callers in this code base.
LONG RegGetString(HKEY hKey, const char* lpSubKey, const char* lpValueName, std::string* pValue);
LONG RegGetDword(HKEY hKey, const char* lpSubKey, const char* lpValueName, DWORD* pValue);
LONG RegSetString(HKEY hKey, const char* lpValueName, const std::string& value);
LONG RegSetDword(HKEY hKey, const char* lpValueName, DWORD value);
