// Menus as lists of items: making, changing and reading them. Handles are
// checked against the live menus, so a destroyed menu is refused rather
// than read.

#include "platform/ui/menus/MenuRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>

namespace platform::ui::menus {

namespace {

struct CMenuTable {
    std::mutex m_mutex;
    std::set<HMENU> m_live;
};

CMenuTable& Table()
{
    static CMenuTable table;
    return table;
}

// Caller holds the table's mutex.
HMENU__* LiveLocked(HMENU menu)
{
    CMenuTable& table = Table();
    if (menu == nullptr || table.m_live.count(menu) == 0) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return menu;
}

// The item `item` names, by command or by position; null for none.
HMENU__::Item* FindLocked(HMENU menu, UINT item, UINT flags)
{
    HMENU__* m = LiveLocked(menu);
    if (m == nullptr) {
        return nullptr;
    }
    if ((flags & MF_BYPOSITION) != 0) {
        return item < m->m_items.size() ? &m->m_items[item] : nullptr;
    }
    for (HMENU__::Item& it : m->m_items) {
        if (!it.Separator() && (it.m_uFlags & MF_POPUP) == 0 && it.m_id == item) {
            return &it;
        }
    }
    return nullptr;
}

void DestroyLocked(HMENU menu)
{
    HMENU__* m = LiveLocked(menu);
    if (m == nullptr) {
        return;
    }
    Table().m_live.erase(menu);
    for (const HMENU__::Item& it : m->m_items) {
        if ((it.m_uFlags & MF_POPUP) != 0) {
            DestroyLocked(reinterpret_cast<HMENU>(it.m_id));
        }
    }
    delete m;
}

BOOL Insert(HMENU menu, std::size_t at, UINT flags, UINT_PTR id, LPCSTR text)
{
    std::lock_guard lock(Table().m_mutex);
    HMENU__* m = LiveLocked(menu);
    if (m == nullptr) {
        return FALSE;
    }
    HMENU__::Item item;
    item.m_uFlags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
    item.m_id = id;
    if ((flags & MF_SEPARATOR) == 0 && text != nullptr) {
        item.m_strText = text;
    }
    m->m_items.insert(m->m_items.begin() + static_cast<std::ptrdiff_t>(std::min(at, m->m_items.size())), item);
    return TRUE;
}

BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroySubMenu)
{
    std::lock_guard lock(Table().m_mutex);
    HMENU__::Item* item = FindLocked(menu, position, flags);
    if (item == nullptr) {
        return FALSE;
    }
    if (destroySubMenu && (item->m_uFlags & MF_POPUP) != 0) {
        DestroyLocked(reinterpret_cast<HMENU>(item->m_id));
    }
    menu->m_items.erase(menu->m_items.begin() + (item - menu->m_items.data()));
    return TRUE;
}

// Sets the bits of `mask` in an item to those of `value`; the item's
// previous state, or -1.
UINT ChangeState(HMENU menu, UINT position, UINT flags, UINT mask, UINT value)
{
    std::lock_guard lock(Table().m_mutex);
    HMENU__::Item* item = FindLocked(menu, position, flags);
    if (item == nullptr) {
        return static_cast<UINT>(-1);
    }
    const UINT previous = item->m_uFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    item->m_uFlags = (item->m_uFlags & ~mask) | (value & mask);
    return previous;
}

HMENU Make()
{
    auto* menu = new HMENU__;
    std::lock_guard lock(Table().m_mutex);
    Table().m_live.insert(menu);
    return menu;
}

}  // namespace

bool SnapshotItems(HMENU menu, std::vector<HMENU__::Item>* items)
{
    std::lock_guard lock(Table().m_mutex);
    HMENU__* m = LiveLocked(menu);
    if (m == nullptr) {
        return false;
    }
    *items = m->m_items;
    return true;
}

}  // namespace platform::ui::menus

using namespace platform::ui::menus;

HMENU CreatePopupMenu()
{
    return Make();
}

HMENU CreateMenu()
{
    return Make();
}

BOOL DestroyMenu(HMENU menu)
{
    std::lock_guard lock(Table().m_mutex);
    if (LiveLocked(menu) == nullptr) {
        return FALSE;
    }
    DestroyLocked(menu);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    std::lock_guard lock(Table().m_mutex);
    return Table().m_live.count(menu) != 0 ? TRUE : FALSE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubMenu, LPCSTR text)
{
    return Insert(menu, SIZE_MAX, flags, idOrSubMenu, text);
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubMenu, LPCSTR text)
{
    std::size_t at = SIZE_MAX;
    {
        std::lock_guard lock(Table().m_mutex);
        HMENU__* m = LiveLocked(menu);
        if (m == nullptr) {
            return FALSE;
        }
        if ((flags & MF_BYPOSITION) != 0) {
            at = position;
        } else if (HMENU__::Item* before = FindLocked(menu, position, MF_BYCOMMAND)) {
            at = static_cast<std::size_t>(before - m->m_items.data());
        }
    }
    return Insert(menu, at, flags, idOrSubMenu, text);
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags)
{
    return Remove(menu, position, flags, true);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags)
{
    return Remove(menu, position, flags, false);
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable)
{
    return ChangeState(menu, item, enable, MF_GRAYED | MF_DISABLED, enable);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check)
{
    const UINT previous = ChangeState(menu, item, check, MF_CHECKED, check);
    return previous == static_cast<UINT>(-1) ? static_cast<DWORD>(-1) : (previous & MF_CHECKED);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    std::lock_guard lock(Table().m_mutex);
    const HMENU__::Item* it = FindLocked(menu, item, flags);
    return it == nullptr ? static_cast<UINT>(-1) : it->m_uFlags;
}

int GetMenuItemCount(HMENU menu)
{
    std::lock_guard lock(Table().m_mutex);
    const HMENU__* m = LiveLocked(menu);
    return m == nullptr ? -1 : static_cast<int>(m->m_items.size());
}

UINT GetMenuItemID(HMENU menu, int position)
{
    std::lock_guard lock(Table().m_mutex);
    const HMENU__::Item* it = position < 0 ? nullptr : FindLocked(menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (it == nullptr || it->Separator() || (it->m_uFlags & MF_POPUP) != 0) {
        return static_cast<UINT>(-1);
    }
    return static_cast<UINT>(it->m_id);
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int maxCount, UINT flags)
{
    std::lock_guard lock(Table().m_mutex);
    const HMENU__::Item* it = FindLocked(menu, item, flags);
    if (it == nullptr) {
        return 0;
    }
    if (buffer == nullptr || maxCount <= 0) {
        return static_cast<int>(it->m_strText.size());
    }
    const std::size_t n = std::min(it->m_strText.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(buffer, it->m_strText.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}
