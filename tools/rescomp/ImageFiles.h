#pragma once

// The picture files a script names: .bmp files, whose device-independent
// part becomes a bitmap resource, and cursor pictures drawn as text.
//
// A cursor file holds a HOTSPOT x, y line and the picture, one line per row,
// every row the same width, with "." transparent, "#" black, "+" white and
// "~" inverting the screen beneath. "//" starts a comment line.

#include "Script.h"

namespace rescomp {

// Fill resource.m_data with the compiled form; false (with the problems
// reported) when the file cannot be used.
bool LoadBitmapFile(FileResource& resource, Diagnostics& diagnostics);
bool LoadCursorFile(FileResource& resource, Diagnostics& diagnostics);

}  // namespace rescomp
