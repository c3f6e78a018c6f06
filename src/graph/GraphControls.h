#pragma once
// The standard controls the graph views use on the panel: the main view's
// two scroll bars and its context menu. Kept in one place so the views
// speak only of what they want shown.

#include "platform/ui/WinUser.h"

namespace graph {

// Scroll requests as the bars report them (the horizontal bar's left and
// right are the vertical bar's up and down).
inline constexpr int kScrollLineUp = 0;
inline constexpr int kScrollLineDown = 1;
inline constexpr int kScrollPageUp = 2;
inline constexpr int kScrollPageDown = 3;
inline constexpr int kScrollThumbPosition = 4;
inline constexpr int kScrollThumbTrack = 5;

// A bar control's range and position (a null bar is ignored).
void SetBarRange(HWND hBar, int nMin, int nMax);
void SetBarPosition(HWND hBar, int nPosition);
void SetBar(HWND hBar, int nMin, int nMax, int nPosition);

// The main view's context menu at a screen point, tracked with the right
// button; the chosen item reaches hOwner as WM_COMMAND with its number. The
// first two items (copy and cut) are greyed unless bSelection.
void ShowContextMenu(HWND hOwner, POINT screen, bool bSelection);

// The texts of the context menu, in order (an empty text is a separator),
// with each item's command number.
struct MenuItem
{
    const char* pText;
    int nCommand;
};
inline constexpr MenuItem kContextMenu[] = {
    {"&Copy Selected", 1}, {"Cu&t Selected", 2}, {"&Paste", 3}, {"&Undo", 4}, {"", -1},
    {"Select &All", 0},    {"", -1},             {"Make C&urve", 5}, {"Make Auto", 6}};

} // namespace graph
