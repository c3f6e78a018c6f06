// The list view control ("SysListView32") in report style: a header of
// columns over rows of items and subitems.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/controls/ScrolledRows.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace platform::ui::controls {

namespace {

constexpr int kCellIndent = 6;

struct CColumn {
    std::string m_strText;
    int m_nWidth = 50;
    int m_nFormat = LVCFMT_LEFT;
};

struct CRow {
    std::vector<std::string> m_texts;  // one per column
    LPARAM m_data = 0;
    UINT m_uState = 0;
};

class CListViewControl final : public CScrolledRows {
public:
    CListViewControl(HWND hwnd, const CREATESTRUCTA* /*cs*/) : CScrolledRows(hwnd) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (LRESULT result = 0; RowMessage(message, wParam, lParam, &result)) {
            return result;
        }
        switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Redraw();
            NotifySimple(message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            Press(message, pt);
            return 0;
        case WM_MOUSEMOVE:
            m_bar.MouseMove(m_hwnd, pt);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            Release(message == WM_RBUTTONUP, pt, static_cast<UINT>(wParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
                m_nPressedItem = kNoPress;
            }
            return 0;
        case WM_KEYDOWN:
            return Key(static_cast<UINT>(wParam)) ? 0 : Default(message, wParam, lParam);
        default:
            return ListMessage(message, wParam, lParam);
        }
    }

private:
    static constexpr int kNoPress = -2;

    int Count() const { return static_cast<int>(m_rows.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    int HeaderHeight() const { return (Style() & LVS_NOCOLUMNHEADER) != 0 ? 0 : m_nLineHeight + 6; }
    int RowHeight() const { return m_nLineHeight + 3; }
    int PerPage() const
    {
        return std::max(1, static_cast<int>(Client().bottom - HeaderHeight()) / RowHeight());
    }
    int TotalWidth() const
    {
        int width = 0;
        for (const CColumn& column : m_columns) {
            width += column.m_nWidth;
        }
        return width;
    }
    bool BarShown() const { return (Style() & LVS_NOSCROLL) == 0 && Count() > PerPage(); }
    RECT RowsArea() const
    {
        RECT area = Client();
        area.top = HeaderHeight();
        if (BarShown()) {
            area.right -= kBarWidth;
        }
        return area;
    }

    RECT RowRect(int index) const
    {
        const int top = HeaderHeight() + (index - m_nTop) * RowHeight();
        return RECT{0, top, TotalWidth(), top + RowHeight()};
    }

    // LVM_SUBITEMHITTEST: the row and column under a client point.
    int HitTest(LVHITTESTINFO* info) const
    {
        const RECT area = RowsArea();
        const POINT pt = info->pt;
        info->flags = 0;
        info->iItem = -1;
        info->iSubItem = 0;
        if (pt.y < area.top) {
            info->flags |= LVHT_ABOVE;
        } else if (pt.y >= area.bottom) {
            info->flags |= LVHT_BELOW;
        }
        if (pt.x < 0) {
            info->flags |= LVHT_TOLEFT;
        } else if (pt.x >= area.right) {
            info->flags |= LVHT_TORIGHT;
        }
        if (info->flags != 0) {
            return -1;
        }
        const int row = m_nTop + (pt.y - area.top) / RowHeight();
        if (!Valid(row) || pt.x >= TotalWidth()) {
            info->flags = LVHT_NOWHERE;
            return -1;
        }
        int left = 0;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (pt.x < left + m_columns[c].m_nWidth) {
                info->iSubItem = static_cast<int>(c);
                break;
            }
            left += m_columns[c].m_nWidth;
        }
        info->flags = LVHT_ONITEMLABEL;
        info->iItem = row;
        return row;
    }

    int ItemAt(POINT pt) const
    {
        LVHITTESTINFO info{pt, 0, -1, 0};
        return HitTest(&info);
    }

    void Relayout() override
    {
        MeasureLine();
        RowsChanged();
    }

    void RowsChanged()
    {
        const RECT client = Client();
        UpdateBar(RECT{client.right - kBarWidth, HeaderHeight(), client.right, client.bottom}, Count(), PerPage());
    }

    int LastTop() const override { return Count() - PerPage(); }
    int PageStep() const override { return std::max(1, PerPage() - 1); }
    void EnsureVisible(int index) { Reveal(index, PerPage()); }

    // WM_NOTIFY to the parent; its answer.
    LRESULT SendNotify(NMHDR* header, UINT code) const
    {
        header->hwndFrom = m_hwnd;
        header->idFrom = static_cast<UINT_PTR>(Id());
        header->code = code;
        HWND parent = Parent();
        return parent != nullptr ? SendMessageA(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header))
                                 : 0;
    }
    void NotifySimple(UINT code) const
    {
        NMHDR header{};
        SendNotify(&header, code);
    }

    // Changes an item's state bits, telling the parent.
    void ChangeState(int index, UINT mask, UINT state)
    {
        CRow& row = m_rows[static_cast<std::size_t>(index)];
        const UINT old = row.m_uState;
        const UINT next = (old & ~mask) | (state & mask);
        if (next == old) {
            return;
        }
        row.m_uState = next;
        Redraw();
        NMLISTVIEW change{};
        change.iItem = index;
        change.uNewState = next;
        change.uOldState = old;
        change.uChanged = LVIF_STATE;
        change.lParam = row.m_data;
        SendNotify(&change.hdr, LVN_ITEMCHANGED);
    }

    // One row selected and focused, the others neither (-1: none).
    void Select(int index)
    {
        for (int i = 0; i < Count() && !Destroyed(); ++i) {
            if (i != index) {
                ChangeState(i, LVIS_SELECTED | LVIS_FOCUSED, 0);
            }
        }
        if (Valid(index) && !Destroyed()) {
            ChangeState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            EnsureVisible(index);
        }
    }

    void Press(UINT message, POINT pt)
    {
        if (GetFocus() != m_hwnd) {
            SetFocus(m_hwnd);
        }
        const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
        if ((left && m_bar.ButtonDown(m_hwnd, pt)) || pt.y < HeaderHeight()) {
            return;  // the header does not sort: a click there does nothing
        }
        const int item = ItemAt(pt);
        if (item >= 0 || left) {
            Select(item);
        }
        if (Destroyed()) {
            return;
        }
        if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK) {
            m_nPressedItem = kNoPress;
            NMITEMACTIVATE activate{};
            activate.iItem = item;
            activate.ptAction = pt;
            SendNotify(&activate.hdr, message == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_RDBLCLK);
            return;
        }
        m_nPressedItem = item;
        SetCapture(m_hwnd);
    }

    void Release(bool right, POINT pt, UINT keys)
    {
        if (!right && m_bar.ButtonUp(m_hwnd, pt)) {
            return;
        }
        if (m_nPressedItem == kNoPress) {
            return;
        }
        const int item = m_nPressedItem;
        m_nPressedItem = kNoPress;
        if (GetCapture() == m_hwnd) {
            ReleaseCapture();
        }
        NMITEMACTIVATE click{};
        click.iItem = item;
        click.ptAction = pt;
        click.uKeyFlags = keys;
        if (Valid(item)) {
            click.lParam = m_rows[static_cast<std::size_t>(item)].m_data;
        }
        SendNotify(&click.hdr, right ? NM_RCLICK : NM_CLICK);
    }

    bool Key(UINT vk)
    {
        int focused = -1;
        for (int i = 0; i < Count(); ++i) {
            if ((m_rows[static_cast<std::size_t>(i)].m_uState & LVIS_FOCUSED) != 0) {
                focused = i;
            }
        }
        const int page = std::max(1, PerPage() - 1);
        int to = focused;
        switch (vk) {
        case VK_UP:
            to = focused - 1;
            break;
        case VK_DOWN:
            to = focused + 1;
            break;
        case VK_PRIOR:
            to = focused - page;
            break;
        case VK_NEXT:
            to = focused + page;
            break;
        case VK_HOME:
            to = 0;
            break;
        case VK_END:
            to = Count() - 1;
            break;
        default:
            return false;
        }
        if (Count() > 0) {
            Select(std::clamp(to, 0, Count() - 1));
        }
        return true;
    }

    void PaintCell(HDC dc, const std::string& text, RECT cell, int format) const
    {
        cell.left += kCellIndent;
        cell.right -= kCellIndent / 2;
        UINT align = DT_LEFT;
        if (format == LVCFMT_RIGHT) {
            align = DT_RIGHT;
        } else if (format == LVCFMT_CENTER) {
            align = DT_CENTER;
        }
        DrawText(dc, text.c_str(), -1, &cell, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }

    void Paint() override
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(m_hwnd, &ps);
        const RECT client = Client();
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        HGDIOBJ oldFont = SelectObject(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        const RECT area = RowsArea();
        // Rows, clipped below the header.
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        const bool focused = Focused();
        for (int i = m_nTop; i < Count() && i < m_nTop + PerPage() + 1; ++i) {
            const CRow& row = m_rows[static_cast<std::size_t>(i)];
            const RECT rc = RowRect(i);
            const bool selected = (row.m_uState & LVIS_SELECTED) != 0 &&
                                  (focused || (Style() & LVS_SHOWSELALWAYS) != 0);
            if (selected) {
                FillRect(dc, &rc, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
            }
            SetTextColor(dc, GetSysColor(!Enabled()                  ? COLOR_GRAYTEXT
                                         : selected && focused ? COLOR_HIGHLIGHTTEXT
                                                               : COLOR_WINDOWTEXT));
            int left = 0;
            for (std::size_t c = 0; c < m_columns.size(); ++c) {
                const int width = m_columns[c].m_nWidth;
                PaintCell(dc, c < row.m_texts.size() ? row.m_texts[c] : std::string(),
                          RECT{left, rc.top, left + width, rc.bottom}, m_columns[c].m_nFormat);
                left += width;
            }
            if (focused && (row.m_uState & LVIS_FOCUSED) != 0) {
                DrawFocusRect(dc, &rc);
            }
        }
        RestoreDC(dc, saved);
        if (HeaderHeight() > 0) {
            int left = 0;
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            for (const CColumn& column : m_columns) {
                RECT cell{left, 0, left + column.m_nWidth, HeaderHeight()};
                RECT face = cell;
                DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
                PaintCell(dc, column.m_strText, cell, column.m_nFormat);
                left += column.m_nWidth;
            }
            if (left < client.right) {
                RECT rest{left, 0, client.right, HeaderHeight()};
                DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT | BF_MIDDLE);
            }
        }
        if (BarShown()) {
            m_bar.Enable(Enabled());
            m_bar.Paint(dc, false);
        }
        SelectObject(dc, oldFont);
        EndPaint(m_hwnd, &ps);
    }

    static LRESULT CopyOut(const std::string& text, LPSTR buffer, int size)
    {
        if (buffer == nullptr || size <= 0) {
            return 0;
        }
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }

    void SetText(int index, int column, LPCSTR text)
    {
        if (!Valid(index) || column < 0 || column >= static_cast<int>(m_columns.size())) {
            return;
        }
        std::vector<std::string>& texts = m_rows[static_cast<std::size_t>(index)].m_texts;
        texts.resize(m_columns.size());
        texts[static_cast<std::size_t>(column)] = text != nullptr ? text : "";
        Redraw();
    }

    LRESULT ColumnMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const int index = static_cast<int>(wParam);
        auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
        const bool valid = index >= 0 && index < static_cast<int>(m_columns.size());
        switch (message) {
        case LVM_INSERTCOLUMNA: {
            if (column == nullptr || index < 0) {
                return -1;
            }
            const int at = std::min(index, static_cast<int>(m_columns.size()));
            CColumn made;
            if ((column->mask & LVCF_TEXT) != 0 && column->pszText != nullptr) {
                made.m_strText = column->pszText;
            }
            if ((column->mask & LVCF_WIDTH) != 0) {
                made.m_nWidth = std::max(0, column->cx);
            }
            if ((column->mask & LVCF_FMT) != 0) {
                made.m_nFormat = column->fmt & 3;
            }
            m_columns.insert(m_columns.begin() + at, made);
            for (CRow& row : m_rows) {
                row.m_texts.resize(m_columns.size() - 1);
                row.m_texts.insert(row.m_texts.begin() + at, std::string());
            }
            Redraw();
            return at;
        }
        case LVM_DELETECOLUMN:
            if (!valid) {
                return FALSE;
            }
            m_columns.erase(m_columns.begin() + index);
            for (CRow& row : m_rows) {
                if (index < static_cast<int>(row.m_texts.size())) {
                    row.m_texts.erase(row.m_texts.begin() + index);
                }
            }
            Redraw();
            return TRUE;
        case LVM_GETCOLUMNWIDTH:
            return valid ? m_columns[static_cast<std::size_t>(index)].m_nWidth : 0;
        case LVM_SETCOLUMNWIDTH:
            if (!valid) {
                return FALSE;
            }
            m_columns[static_cast<std::size_t>(index)].m_nWidth = std::max(0, static_cast<int>(lParam));
            Redraw();
            return TRUE;
        case LVM_SETCOLUMNA:
        case LVM_GETCOLUMNA: {
            if (!valid || column == nullptr) {
                return FALSE;
            }
            CColumn& c = m_columns[static_cast<std::size_t>(index)];
            const bool set = message == LVM_SETCOLUMNA;
            if ((column->mask & LVCF_TEXT) != 0) {
                set ? void(c.m_strText = column->pszText != nullptr ? column->pszText : "")
                    : void(CopyOut(c.m_strText, column->pszText, column->cchTextMax));
            }
            if ((column->mask & LVCF_WIDTH) != 0) {
                set ? void(c.m_nWidth = std::max(0, column->cx)) : void(column->cx = c.m_nWidth);
            }
            if ((column->mask & LVCF_FMT) != 0) {
                set ? void(c.m_nFormat = column->fmt & 3) : void(column->fmt = c.m_nFormat);
            }
            if ((column->mask & LVCF_SUBITEM) != 0 && !set) {
                column->iSubItem = index;
            }
            Redraw();
            return TRUE;
        }
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

    LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const int index = static_cast<int>(wParam);
        auto* item = reinterpret_cast<LVITEMA*>(lParam);
        switch (message) {
        case LVM_GETITEMCOUNT:
            return Count();
        case LVM_INSERTITEMA: {
            if (item == nullptr) {
                return -1;
            }
            const int at = std::clamp(item->iItem, 0, Count());
            CRow row;
            row.m_texts.resize(m_columns.size());
            if ((item->mask & LVIF_TEXT) != 0 && item->pszText != nullptr && !m_columns.empty()) {
                row.m_texts[0] = item->pszText;
            }
            if ((item->mask & LVIF_PARAM) != 0) {
                row.m_data = item->lParam;
            }
            m_rows.insert(m_rows.begin() + at, row);
            RowsChanged();
            if ((item->mask & LVIF_STATE) != 0 && item->stateMask != 0) {
                ChangeState(at, item->stateMask, item->state);
            }
            return at;
        }
        case LVM_SETITEMA:
            if (item == nullptr || !Valid(item->iItem)) {
                return FALSE;
            }
            if ((item->mask & LVIF_TEXT) != 0) {
                SetText(item->iItem, item->iSubItem, item->pszText);
            }
            if ((item->mask & LVIF_PARAM) != 0) {
                m_rows[static_cast<std::size_t>(item->iItem)].m_data = item->lParam;
            }
            if ((item->mask & LVIF_STATE) != 0) {
                ChangeState(item->iItem, item->stateMask, item->state);
            }
            return TRUE;
        case LVM_GETITEMA: {
            if (item == nullptr || !Valid(item->iItem)) {
                return FALSE;
            }
            const CRow& row = m_rows[static_cast<std::size_t>(item->iItem)];
            if ((item->mask & LVIF_TEXT) != 0) {
                const auto column = static_cast<std::size_t>(std::max(0, item->iSubItem));
                CopyOut(column < row.m_texts.size() ? row.m_texts[column] : std::string(), item->pszText,
                        item->cchTextMax);
            }
            if ((item->mask & LVIF_PARAM) != 0) {
                item->lParam = row.m_data;
            }
            if ((item->mask & LVIF_STATE) != 0) {
                item->state = row.m_uState & item->stateMask;
            }
            return TRUE;
        }
        case LVM_SETITEMTEXTA:
            if (item == nullptr || !Valid(index)) {
                return FALSE;
            }
            SetText(index, item->iSubItem, item->pszText);
            return TRUE;
        case LVM_GETITEMTEXTA: {
            if (item == nullptr || !Valid(index)) {
                return 0;
            }
            const CRow& row = m_rows[static_cast<std::size_t>(index)];
            const auto column = static_cast<std::size_t>(std::max(0, item->iSubItem));
            return CopyOut(column < row.m_texts.size() ? row.m_texts[column] : std::string(), item->pszText,
                           item->cchTextMax);
        }
        case LVM_DELETEITEM:
            if (!Valid(index)) {
                return FALSE;
            }
            m_rows.erase(m_rows.begin() + index);
            RowsChanged();
            return TRUE;
        case LVM_DELETEALLITEMS:
            m_rows.clear();
            m_nTop = 0;
            RowsChanged();
            return TRUE;
        case LVM_GETNEXTITEM: {
            const UINT wanted = static_cast<UINT>(lParam) & (LVNI_SELECTED | LVNI_FOCUSED);
            for (int i = std::max(0, index + 1); i < Count(); ++i) {
                const UINT state = m_rows[static_cast<std::size_t>(i)].m_uState;
                if ((wanted & LVNI_SELECTED) != 0 && (state & LVIS_SELECTED) == 0) {
                    continue;
                }
                if ((wanted & LVNI_FOCUSED) != 0 && (state & LVIS_FOCUSED) == 0) {
                    continue;
                }
                return i;
            }
            return -1;
        }
        case LVM_SETITEMSTATE:
            if (item == nullptr) {
                return FALSE;
            }
            if ((item->state & item->stateMask & LVIS_SELECTED) != 0 && Valid(index)) {
                Select(index);  // one row at most
            }
            for (int i = 0; i < Count() && !Destroyed(); ++i) {
                if (index < 0 || i == index) {
                    ChangeState(i, item->stateMask, item->state);
                }
            }
            return TRUE;
        case LVM_GETITEMSTATE:
            return Valid(index) ? static_cast<LRESULT>(m_rows[static_cast<std::size_t>(index)].m_uState &
                                                       static_cast<UINT>(lParam))
                                : 0;
        case LVM_GETSELECTEDCOUNT:
            return std::count_if(m_rows.begin(), m_rows.end(),
                                 [](const CRow& row) { return (row.m_uState & LVIS_SELECTED) != 0; });
        case LVM_HITTEST:
        case LVM_SUBITEMHITTEST:
            return lParam != 0 ? HitTest(reinterpret_cast<LVHITTESTINFO*>(lParam)) : -1;
        case LVM_GETITEMRECT: {
            auto* rc = reinterpret_cast<RECT*>(lParam);
            if (!Valid(index) || rc == nullptr) {
                return FALSE;
            }
            const int part = rc->left;
            *rc = RowRect(index);
            if (part == LVIR_LABEL && !m_columns.empty()) {
                rc->right = rc->left + m_columns[0].m_nWidth;
            }
            return TRUE;
        }
        case LVM_ENSUREVISIBLE:
            if (!Valid(index)) {
                return FALSE;
            }
            EnsureVisible(index);
            return TRUE;
        case LVM_GETTOPINDEX:
            return m_nTop;
        case LVM_GETCOUNTPERPAGE:
            return PerPage();
        case LVM_SETEXTENDEDLISTVIEWSTYLE: {
            const DWORD previous = m_dwExtended;
            const DWORD mask = wParam != 0 ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
            m_dwExtended = (m_dwExtended & ~mask) | (static_cast<DWORD>(lParam) & mask);
            return previous;
        }
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            return m_dwExtended;
        default:
            return ColumnMessage(message, wParam, lParam);
        }
    }

    std::vector<CColumn> m_columns;
    std::vector<CRow> m_rows;
    int m_nPressedItem = kNoPress;  // the row a press landed on, until released
    DWORD m_dwExtended = 0;
};

}  // namespace

void RegisterListViewClass()
{
    RegisterControlClass(WC_LISTVIEWA, &ProcOf<CListViewControl>, CS_DBLCLKS, 32512);
}

}  // namespace platform::ui::controls
