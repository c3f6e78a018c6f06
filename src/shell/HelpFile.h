#pragma once

// The module's help file, "INTONARA.HLP", a short plain-text guide that is
// installed beside the module. The host is given its path with the
// property page; a help viewer installed with the window system shows it.

#include "platform/ui/WinUser.h"

#include <string>

inline constexpr char kHelpFileName[] = "INTONARA.HLP";

// `path` with its file name (everything after the last ':', '\' or '/')
// replaced by `name`; empty when the result would not fit in MAX_PATH
// characters with its terminator.
std::string ReplaceFileName(const std::string& path, const char* name);

// The help file beside `module`'s own file; empty when the module's path
// cannot be had.
std::string GetHelpFilePath(HMODULE module);

// Closes the help window the panel's help may have opened.
BOOL QuitHelp(HWND window, HMODULE module);
