#pragma once

// Cursor objects: built from pictures (module cursor resources, our own
// system cursors) and shown by the display.

#include "platform/ui/Display.h"

namespace platform::ui {

// A cursor from a picture; the window system owns it until DestroyCursor.
HCURSOR CreateCursorFromImage(const CursorImage& image);
// The picture of a cursor, or null for a handle that is not one.
const CursorImage* CursorImageOf(HCURSOR cursor);

// How LoadCursor finds a module's cursor resources: the resource layer
// installs a loader that builds the cursor from the module's data (for
// example with CreateCursorFromImage or CreateCursor). Null for none.
using CursorResourceLoader = HCURSOR (*)(HINSTANCE instance, const char* name);
void SetCursorResourceLoader(CursorResourceLoader loader);

}  // namespace platform::ui
