#pragma once

// The resource script language.
//
//   STRINGTABLE { ID "text" ... }
//   DIALOG ID, x, y, cx, cy
//       STYLE expr  EXSTYLE expr  CAPTION "text"  FONT size, "face"[, weight[, italic[, charset]]]
//   { CONTROL "text", ID, "class", style, x, y, cx, cy[, exstyle] ... }
//   BITMAP ID "file.bmp"
//   CURSOR ID "file.cursor"
//   VERSIONINFO { FILEVERSION a.b.c.d  PRODUCTVERSION ...  FILEFLAGSMASK expr  FILEFLAGS expr
//                 FILEOS expr  FILETYPE expr  FILESUBTYPE expr  LANGUAGE lang, codepage
//                 VALUE "Name", "text" ... }
//
// An expression is names and numbers joined by '|'; "NOT name" clears bits
// (a control starts from WS_CHILD | WS_VISIBLE). Adjacent strings are
// joined. File names are relative to the script's folder.

#include "Lexer.h"
#include "Script.h"

namespace rescomp {

// Adds what the script at `path` defines to `script`, reading the bitmap
// and cursor files it names. Problems go to `diagnostics`.
void ParseScriptFile(const std::string& path, const Variables& variables, Diagnostics& diagnostics, Script& script);

// Checks across all scripts: an ID used twice for one kind of resource,
// more than one version block.
void CheckScript(const Script& script, Diagnostics& diagnostics);

}  // namespace rescomp
