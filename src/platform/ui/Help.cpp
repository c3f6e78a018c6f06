// WinHelp without a help system of its own: requests go to whatever viewer
// the program installs.

#include "platform/ui/WinUser.h"

#include <atomic>

namespace {

std::atomic<platform::ui::HelpViewer> g_viewer{nullptr};

}  // namespace

void platform::ui::SetHelpViewer(HelpViewer viewer)
{
    g_viewer.store(viewer);
}

BOOL WinHelpA(HWND window, LPCSTR helpFile, UINT command, std::uintptr_t data)
{
    const platform::ui::HelpViewer viewer = g_viewer.load();
    if (viewer == nullptr) {
        return command == HELP_QUIT ? TRUE : FALSE;
    }
    return viewer(window, helpFile, command, data);
}
