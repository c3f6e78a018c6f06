#pragma once

// A menu as the menu functions keep it, shared with the code that tracks
// a pop-up menu on screen.

#include "platform/ui/Menus.h"

#include <string>
#include <vector>

struct HMENU__ {
    struct Item {
        UINT m_uFlags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
        UINT_PTR m_id = 0;  // command, or the sub-menu's handle with MF_POPUP
        std::string m_strText;

        bool Separator() const { return (m_uFlags & MF_SEPARATOR) != 0; }
        bool Choosable() const { return (m_uFlags & (MF_GRAYED | MF_DISABLED | MF_POPUP | MF_SEPARATOR)) == 0; }
    };
    std::vector<Item> m_items;
};

namespace platform::ui::menus {

// A copy of the items of a live menu; false for a handle that is not one.
bool SnapshotItems(HMENU menu, std::vector<HMENU__::Item>* items);

}  // namespace platform::ui::menus
