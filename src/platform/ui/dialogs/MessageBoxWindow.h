#pragma once

// Message boxes as windows, for MessageBoxA (platform/Messages.cpp) when
// the calling thread runs the display.

#include "platform/Messages.h"

namespace platform::ui::dialogs {

// Whether the calling thread owns an installed display, so a box can be
// shown and answered on it.
bool CanShowMessageBoxWindow();
// Shows the box modally and returns the button that closed it.
int ShowMessageBoxWindow(const MessageBoxRequest& request);
// The owner AfxMessageBox gives its box: the application's main window,
// else the active window (null off the display's thread).
HWND ApplicationBoxOwner();

}  // namespace platform::ui::dialogs
