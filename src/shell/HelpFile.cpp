#include "shell/HelpFile.h"

#include "platform/com/Module.h"

#include <cstring>

std::string ReplaceFileName(const std::string& path, const char* name)
{
    const std::size_t cut = path.find_last_of(":\\/");
    std::string result = (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + name;
    if (result.size() >= MAX_PATH) {
        return {};
    }
    return result;
}

std::string GetHelpFilePath(HMODULE module)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return ReplaceFileName(std::string(path, length), kHelpFileName);
}

BOOL QuitHelp(HWND window, HMODULE module)
{
    return WinHelpA(window, GetHelpFilePath(module).c_str(), HELP_QUIT, 0);
}
