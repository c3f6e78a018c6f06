#include "platform/ui/DropFiles.h"

#include <algorithm>
#include <cstring>

struct HDROP__ {
    std::vector<std::string> m_files;
};

void DragAcceptFiles(HWND hwnd, BOOL accept)
{
    const auto style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    SetWindowLongA(hwnd, GWL_EXSTYLE,
                   static_cast<LONG>(accept ? (style | WS_EX_ACCEPTFILES) : (style & ~WS_EX_ACCEPTFILES)));
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size)
{
    if (drop == nullptr) {
        return 0;
    }
    if (index == 0xFFFFFFFFu) {
        return static_cast<UINT>(drop->m_files.size());
    }
    if (index >= drop->m_files.size()) {
        return 0;
    }
    const std::string& name = drop->m_files[index];
    if (buffer != nullptr && size > 0) {
        const std::size_t n = std::min<std::size_t>(name.size(), size - 1);
        std::memcpy(buffer, name.data(), n);
        buffer[n] = '\0';
        return static_cast<UINT>(n);
    }
    return static_cast<UINT>(name.size());
}

void DragFinish(HDROP drop)
{
    delete drop;
}

namespace platform::ui {

bool PostDroppedFiles(HWND hwnd, const std::vector<std::string>& files)
{
    const HWND top = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (top == nullptr || (static_cast<DWORD>(GetWindowLongA(top, GWL_EXSTYLE)) & WS_EX_ACCEPTFILES) == 0 ||
        files.empty()) {
        return false;
    }
    auto* drop = new HDROP__{files};
    if (!PostMessageA(top, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
        delete drop;
        return false;
    }
    return true;
}

}  // namespace platform::ui
