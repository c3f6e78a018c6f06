#include "graph/GraphControls.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

namespace graph {

static_assert(kScrollLineUp == SB_LINEUP && kScrollLineDown == SB_LINEDOWN && kScrollPageUp == SB_PAGEUP &&
              kScrollPageDown == SB_PAGEDOWN && kScrollThumbPosition == SB_THUMBPOSITION &&
              kScrollThumbTrack == SB_THUMBTRACK);

void SetBarRange(HWND hBar, int nMin, int nMax)
{
    if (hBar == nullptr)
        return;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, nMin, nMax, 0, 0, 0};
    ::SetScrollInfo(hBar, SB_CTL, &info, TRUE);
    ::EnableWindow(hBar, TRUE);
}

void SetBarPosition(HWND hBar, int nPosition)
{
    if (hBar != nullptr)
        ::SetScrollPos(hBar, SB_CTL, nPosition, TRUE);
}

void SetBar(HWND hBar, int nMin, int nMax, int nPosition)
{
    if (hBar == nullptr)
        return;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, nMin, nMax, 0, nPosition, 0};
    ::SetScrollInfo(hBar, SB_CTL, &info, TRUE);
}

void ShowContextMenu(HWND hOwner, POINT screen, bool bSelection)
{
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr)
        return;
    for (const MenuItem& item : kContextMenu) {
        if (item.nCommand < 0) {
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const bool greyed = !bSelection && (item.nCommand == 1 || item.nCommand == 2);
        ::AppendMenuA(menu, MF_STRING | (greyed ? MF_GRAYED : 0), static_cast<UINT_PTR>(item.nCommand), item.pText);
    }
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, hOwner, nullptr);
    ::DestroyMenu(menu);
}

} // namespace graph
