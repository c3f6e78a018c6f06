#pragma once

// How a combo box and its open list talk: the list ("ComboLBox", a pop-up
// list box) shows the combo box's items and reports a pick or a dismissal.

#include "platform/ui/controls/ItemList.h"

namespace platform::ui::controls {

inline constexpr char kDropListClass[] = "ComboLBox";

class IDropListOwner {
public:
    virtual void ListPicked(int index) = 0;
    virtual void ListDismissed() = 0;

protected:
    ~IDropListOwner() = default;
};

// Given as the creation parameter of a "ComboLBox" window.
struct CDropListInit {
    CItemList* m_pItems = nullptr;
    IDropListOwner* m_pOwner = nullptr;
    HWND m_hColorParent = nullptr;  // who is asked for the list's colours
};

// The open list's highlighted item (what Enter would pick), moved by the
// combo box's keys; and how many rows it shows.
void HighlightInDropList(HWND list, int index);
int DropListHighlight(HWND list);
int DropListRows(HWND list);

}  // namespace platform::ui::controls
