#pragma once

// Files dropped on a window from the desktop. A top-level window with
// WS_EX_ACCEPTFILES (DragAcceptFiles) gets WM_DROPFILES with a drop handle
// in wParam; DragQueryFileA reads the names, DragFinish frees the handle.
// Displays hand drops over through PostDroppedFiles.

#include "platform/ui/WinUser.h"

#include <string>
#include <vector>

inline constexpr UINT WM_DROPFILES = 0x0233;

struct HDROP__;
using HDROP = HDROP__*;

void DragAcceptFiles(HWND hwnd, BOOL accept);
// index 0xFFFFFFFF: the number of files. Otherwise copies the name of file
// `index` (at most size - 1 characters and a terminating zero) when
// `buffer` is not null, and returns its length.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
void DragFinish(HDROP drop);

namespace platform::ui {

// Posts WM_DROPFILES with `files` to the top-level window of `hwnd` when it
// accepts files; false (and nothing posted) otherwise.
bool PostDroppedFiles(HWND hwnd, const std::vector<std::string>& files);

}  // namespace platform::ui
