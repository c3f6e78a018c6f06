#pragma once

// The items of a list box or combo box: text and a value each, with the
// searches both offer, and the typed-prefix search of their keyboards.

#include "platform/ui/WinUser.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::ui::controls {

struct CListItem {
    std::string m_strText;
    std::uintptr_t m_data = 0;
};

class CItemList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    const CListItem& At(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    CListItem& At(int index) { return m_items[static_cast<std::size_t>(index)]; }

    // Where the text went: the end, or its place in order when `sorted`.
    int Add(const char* text, bool sorted);
    // At `index` (-1: the end); -1 when the index is past the end.
    int Insert(int index, const char* text);
    bool Remove(int index);
    void Clear() { m_items.clear(); }
    // The first item after `start` (wrapping; -1 searches from the top)
    // whose text begins with `text`, or equals it when `exact`, ignoring
    // case; -1 when none.
    int Find(int start, const std::string& text, bool exact) const;
    // Copies an item's text as LB_GETTEXT does; its length, or -1.
    LRESULT CopyText(int index, char* buffer) const;

private:
    std::vector<CListItem> m_items;
};

// What the LB_ and CB_ item messages have in common.
enum class ItemOp { Add, Insert, Delete, Reset, Count, GetText, GetTextLen, GetData, SetData, Find, FindExact };

// Carries out one of them as both controls answer it (-1 for an error,
// as LB_ERR and CB_ERR); the selection `sel` follows insertions and
// deletions.
LRESULT ApplyItemOp(CItemList& items, ItemOp op, WPARAM wParam, LPARAM lParam, bool sorted, int* sel);

// Letters typed in quick succession name an item by its beginning; the
// same letter again moves to the next item with it.
class CTypeAhead {
public:
    // The item the letter leads to from `current`, or -1.
    int Next(const CItemList& items, int current, char letter, DWORD time);

private:
    std::string m_strPrefix;
    DWORD m_dwLast = 0;
};

}  // namespace platform::ui::controls
