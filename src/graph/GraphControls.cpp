#include "graph/GraphControls.h"

namespace graph {

// Until the window system has scroll bars and pop-up menus these have
// nothing to reach; the views keep the values they asked for themselves.
void SetBarRange(HWND /*hBar*/, int /*nMin*/, int /*nMax*/) {}

void SetBarPosition(HWND /*hBar*/, int /*nPosition*/) {}

void SetBar(HWND /*hBar*/, int /*nMin*/, int /*nMax*/, int /*nPosition*/) {}

void ShowContextMenu(HWND /*hOwner*/, POINT /*screen*/, bool /*bSelection*/) {}

} // namespace graph
