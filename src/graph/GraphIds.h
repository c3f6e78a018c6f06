#pragma once
// Numbers the graph views share with the control panel: the window classes,
// the panel's controls they fetch by ID, cursor resources, colours and the
// context menu's commands.

#include "platform/gdi/GdiTypes.h"

namespace graph {

inline constexpr char kMainGraphViewClass[] = "MainGraphView";
inline constexpr char kEnvelopeViewClass[] = "EnvlpGraphView";

// Controls of the panel the views talk to.
inline constexpr int kUndoButton = 1071;
inline constexpr int kCutButton = 1073;
inline constexpr int kPasteButton = 1074;
inline constexpr int kCopyButton = 1075;
inline constexpr int kSelectAllButton = 1077;
inline constexpr int kMakeCurveButton = 1078;
inline constexpr int kMakeAutoButton = 1079;
inline constexpr int kEnvAllCheckBox = 1080;
inline constexpr int kTrackPitchButton = 1058;
inline constexpr int kCorrectPitchButton = 1060;
inline constexpr int kBufferSecondsField = 1127;
inline constexpr int kNoteReadout = 1126;
inline constexpr int kDeviationReadout = 1128;

// The views and the main view's scroll bars inside the panel.
inline constexpr int kMainGraphViewId = 2005;
inline constexpr int kEnvelopeViewId = 2006;
inline constexpr int kHorizontalScrollBarId = 2007;
inline constexpr int kVerticalScrollBarId = 2008;

// The panel's layout of graphical mode, in pixels.
inline constexpr RECT kMainGraphRect = {5, 65, 385, 295};
inline constexpr RECT kEnvelopeRect = {5, 294, 385, 360};

// Module cursor resources: 150 over a node, 151 over a segment, 152 for the
// zoom box; 149 is loaded and kept for the panel.
inline constexpr int kCursorSpare = 149;
inline constexpr int kCursorNode = 150;
inline constexpr int kCursorSegment = 151;
inline constexpr int kCursorZoom = 152;

// The panel's editing tools.
inline constexpr int kToolLine = 0;
inline constexpr int kToolFreehand = 1;
inline constexpr int kToolMove = 2;
inline constexpr int kToolZoom = 3;

// The panel's layout in which the graph shows.
inline constexpr int kGraphicalPanelMode = 2;

// Commands of the context menu, as the panel's command handlers number them.
inline constexpr int kCommandSelectAll = 0;
inline constexpr int kCommandCopy = 1;
inline constexpr int kCommandCut = 2;
inline constexpr int kCommandPaste = 3;
inline constexpr int kCommandUndo = 4;
inline constexpr int kCommandMakeCurve = 5;
inline constexpr int kCommandMakeAuto = 6;

// The value MessageBeep gets when a command cannot run.
inline constexpr unsigned kRefusalBeep = 60;

inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kLightGrey = RGB(0xC0, 0xC0, 0xC0);
inline constexpr COLORREF kMarkerGrey = RGB(0x80, 0x80, 0x80);
inline constexpr COLORREF kTrackRed = RGB(255, 0, 0);
inline constexpr COLORREF kLabelBlue = RGB(0, 0, 255);

// Text of the ruler, the note labels and the title.
inline constexpr int kLabelFontHeight = 14;
inline constexpr int kLabelFontWeight = 100;
// Labels stay above the ruler's text row, this far from the bottom.
inline constexpr int kRulerTextRise = 15;

} // namespace graph
