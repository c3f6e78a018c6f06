#pragma once

// Cursor objects: built from pictures (module cursor resources, our own
// system cursors) and shown by the display.

#include "platform/ui/Display.h"

namespace platform::ui {

// A cursor from a picture; the window system owns it until DestroyCursor.
HCURSOR CreateCursorFromImage(const CursorImage& image);
// The picture of a cursor, or null for a handle that is not one.
const CursorImage* CursorImageOf(HCURSOR cursor);

// How LoadCursor finds a module's cursor resources. The loader in place
// reads them from the module's resources (GetCursorResourceImage); another
// may be installed, null restores that one.
using CursorResourceLoader = HCURSOR (*)(HINSTANCE instance, const char* name);
void SetCursorResourceLoader(CursorResourceLoader loader);
// The loader in place at start: a module's cursor resource, made once.
HCURSOR LoadModuleCursor(HINSTANCE instance, const char* name);
// A cursor DestroyCursor leaves alone, as system cursors are.
HCURSOR CreateSharedCursor(const CursorImage& image);

}  // namespace platform::ui
