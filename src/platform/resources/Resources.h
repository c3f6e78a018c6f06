#pragma once

// Resources of a module: string tables, dialog templates, bitmaps, cursors
// and the version block, written as scripts under resources/ (or a test's
// own folder), compiled by intonara-rescomp and linked into the plug-in
// module or a program with intonara_resources() in CMake.
//
// The compiled resources sit in an ELF section of their own, so they are
// found both in a loaded module's image (FindResourceA and friends, by
// module handle) and in a module file that is not loaded
// (GetFileVersionInfoA, by path). A null module handle means the program
// itself. Resources are named by number only: MAKEINTRESOURCE(id), or the
// string "#id".
//
// Everything here is safe to call from any thread. Pointers into a
// resource stay valid while its module is loaded.

#include "platform/Types.h"

#include <cstdint>

using LPSTR = char*;
using LPCSTR = const char*;
struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// The window system's headers spell these as macros; whichever header
// comes first provides them.
#ifndef MAKEINTRESOURCEA
inline LPSTR MAKEINTRESOURCEA(unsigned id)
{
    return reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id)));
}
inline LPSTR MAKEINTRESOURCE(unsigned id) { return MAKEINTRESOURCEA(id); }
// True for a name made by MAKEINTRESOURCE rather than a string.
inline bool IS_INTRESOURCE(const void* name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }
#endif

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_VERSION MAKEINTRESOURCEA(16)

// Null when the module has no resources (last error
// ERROR_RESOURCE_DATA_NOT_FOUND), none of that type
// (ERROR_RESOURCE_TYPE_NOT_FOUND) or none of that ID
// (ERROR_RESOURCE_NAME_NOT_FOUND), or the handle is not a loaded module
// (ERROR_MOD_NOT_FOUND).
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
// The resource's data; LockResource returns the same pointer. The data is
// part of the module's image: there is nothing to free.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
void* LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
// Does nothing and returns FALSE, as the window system has done for a long
// time.
BOOL FreeResource(HGLOBAL hResData);

// Copies string `id` of the module's string table into `buffer`, cut to
// bufferMax - 1 bytes and terminated. Returns the number of bytes copied;
// 0 when the string is missing or empty, or the buffer has no room.
int LoadStringA(HMODULE hModule, UINT id, LPSTR buffer, int bufferMax);

// A loaded module by name: a shared object whose file name (without its
// folder, any case) is `lpModuleName`, or whose version block gives that
// name as its "OriginalFilename" (how the plug-in module, a file named
// intonara-filter.so, answers to "intonara.ax"). Null stands for the
// program: for a null name, and for a name that only the program answers
// to, with the last error ERROR_SUCCESS; an unknown name also gives null,
// with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
