// The ListBox control, and the pop-up list a combo box opens.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/controls/DropList.h"
#include "platform/ui/controls/ScrolledRows.h"

#include <algorithm>

namespace platform::ui::controls {

namespace {

constexpr int kTextIndent = 2;
constexpr int kDefaultTabDlu = 32;

class CListBoxControl : public CScrolledRows {
public:
    CListBoxControl(HWND hwnd, const CREATESTRUCTA* /*cs*/) : CScrolledRows(hwnd) {}

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
            if ((Style() & LBS_NOTIFY) != 0) {
                Notify(message == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
            }
            return 0;
        case WM_LBUTTONDOWN:
            if (GetFocus() != m_hwnd) {
                SetFocus(m_hwnd);
            }
            if (!m_bar.ButtonDown(m_hwnd, pt)) {
                m_bDragging = true;
                SetCapture(m_hwnd);
                SelectAt(pt);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (!m_bar.MouseMove(m_hwnd, pt) && m_bDragging) {
                SelectAt(pt);
            }
            return 0;
        case WM_LBUTTONUP:
            if (!m_bar.ButtonUp(m_hwnd, pt) && m_bDragging) {
                m_bDragging = false;
                ReleaseCapture();
            }
            return 0;
        case WM_LBUTTONDBLCLK:
            if (Items().Valid(ItemAt(pt)) && (Style() & LBS_NOTIFY) != 0) {
                Notify(LBN_DBLCLK);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
                m_bDragging = false;
            }
            return 0;
        case WM_KEYDOWN:
            return Key(static_cast<UINT>(wParam)) ? 0 : Default(message, wParam, lParam);
        case WM_CHAR:
            if (wParam > ' ') {
                SelectByUser(m_typeAhead.Next(Items(), m_nSel, static_cast<char>(wParam), GetMessageTime()));
            }
            return 0;
        default:
            return ItemMessage(message, wParam, lParam);
        }
    }

    // The combo box's open list moves the highlight and scrolls with it.
    void Highlight(int index)
    {
        if (Items().Valid(index) && index != m_nSel) {
            m_nSel = index;
            EnsureVisible(index);
            Redraw();
        }
    }
    int Highlighted() const { return m_nSel; }
    int Rows() const { return std::max(1, static_cast<int>((Client().bottom - Client().top) / m_nLineHeight)); }

protected:
    virtual CItemList& Items() { return m_items; }
    const CItemList& Items() const { return const_cast<CListBoxControl*>(this)->Items(); }
    bool MultiColumn() const { return (Style() & LBS_MULTICOLUMN) != 0; }

    // The item under a client point, or -1.
    int ItemAt(POINT pt) const
    {
        const RECT area = ItemsArea();
        if (!PtInRect(&area, pt)) {
            return -1;
        }
        const int rows = Rows();
        const int row = pt.y / m_nLineHeight;
        if (row >= rows) {
            return -1;
        }
        const int index = MultiColumn() ? (m_nTop + pt.x / ColumnWidth()) * rows + row : m_nTop + row;
        return Items().Valid(index) ? index : -1;
    }

    RECT ItemRect(int index) const
    {
        const int rows = Rows();
        const RECT area = ItemsArea();
        int row = index - m_nTop;
        int left = area.left;
        int right = area.right;
        if (MultiColumn()) {
            row = index % rows;
            left = (index / rows - m_nTop) * ColumnWidth();
            right = left + ColumnWidth();
        }
        if (row < 0 || row >= rows || left >= area.right || right <= area.left) {
            return RECT{0, 0, 0, 0};
        }
        return RECT{left, row * m_nLineHeight, right, (row + 1) * m_nLineHeight};
    }

    // A selection the user made: tells the parent when it changed.
    void SelectByUser(int index)
    {
        if (!Items().Valid(index) || index == m_nSel || (Style() & LBS_NOSEL) != 0) {
            return;
        }
        Highlight(index);
        if ((Style() & LBS_NOTIFY) != 0) {
            Notify(LBN_SELCHANGE);
        }
    }

    void SelectAt(POINT pt)
    {
        const RECT area = ItemsArea();
        if (!MultiColumn() && !PtInRect(&area, pt)) {
            // Dragging above or below the items scrolls toward them.
            const int row = pt.y < area.top ? -1 : Rows();
            SelectByUser(std::clamp(m_nTop + row, 0, Items().Count() - 1));
            return;
        }
        SelectByUser(ItemAt(pt));
    }

    void Relayout() override
    {
        MeasureLine();
        // Tab stops are dialog units of this font.
        m_nAverageWidth = std::max<int>(1, platform::gdi::GetFontBaseUnits(static_cast<HFONT>(Font())).cx);
        ItemsChanged();
    }

    void ItemsChanged()
    {
        const RECT client = Client();
        UpdateBar(RECT{client.right - kBarWidth, client.top, client.right, client.bottom}, Items().Count(), Rows());
    }

    int LastTop() const override
    {
        return MultiColumn() ? (Items().Count() - 1) / Rows() : Items().Count() - Rows();
    }
    int PageStep() const override { return std::max(1, Rows() - 1); }

    void EnsureVisible(int index)
    {
        if (MultiColumn()) {
            Reveal(index / Rows(), std::max(1, static_cast<int>(ItemsArea().right) / ColumnWidth()));
        } else {
            Reveal(index, Rows());
        }
    }

    bool Key(UINT vk)
    {
        const int rows = Rows();
        const int count = Items().Count();
        int to = m_nSel;
        switch (vk) {
        case VK_UP:
            to = m_nSel - 1;
            break;
        case VK_DOWN:
            to = m_nSel + 1;
            break;
        case VK_LEFT:
            to = m_nSel - (MultiColumn() ? rows : 1);
            break;
        case VK_RIGHT:
            to = m_nSel + (MultiColumn() ? rows : 1);
            break;
        case VK_PRIOR:
            to = m_nSel - std::max(1, rows - 1);
            break;
        case VK_NEXT:
            to = m_nSel + std::max(1, rows - 1);
            break;
        case VK_HOME:
            to = 0;
            break;
        case VK_END:
            to = count - 1;
            break;
        default:
            return false;
        }
        if (count > 0) {
            SelectByUser(std::clamp(to, 0, count - 1));
        }
        return true;
    }

    bool BarShown() const
    {
        if (MultiColumn() || (Style() & WS_VSCROLL) == 0) {
            return false;
        }
        return Items().Count() > Rows() || (Style() & LBS_DISABLENOSCROLL) != 0;
    }
    RECT ItemsArea() const
    {
        RECT area = Client();
        if (BarShown()) {
            area.right -= kBarWidth;
        }
        return area;
    }
    int ColumnWidth() const { return m_nColumnWidth > 0 ? m_nColumnWidth : 15 * m_nAverageWidth; }

    // Tab stops in pixels from the item's text start.
    int TabStop(int tab) const
    {
        auto pixels = [&](int dlu) { return dlu * m_nAverageWidth / 4; };
        if (m_tabStops.empty()) {
            return pixels(kDefaultTabDlu) * (tab + 1);
        }
        if (m_tabStops.size() == 1) {
            return pixels(m_tabStops[0]) * (tab + 1);
        }
        if (tab < static_cast<int>(m_tabStops.size())) {
            return pixels(m_tabStops[static_cast<std::size_t>(tab)]);
        }
        const int step = m_tabStops.back() - m_tabStops[m_tabStops.size() - 2];
        return pixels(m_tabStops.back() + step * (tab + 1 - static_cast<int>(m_tabStops.size())));
    }

    void DrawItemText(HDC dc, const std::string& text, const RECT& rc) const
    {
        std::size_t from = 0;
        int tab = -1;
        while (from <= text.size()) {
            const std::size_t to = std::min(text.find('\t', from), text.size());
            const int x = rc.left + kTextIndent + (tab < 0 ? 0 : TabStop(tab));
            ExtTextOut(dc, x, rc.top, ETO_CLIPPED, &rc, text.c_str() + from, static_cast<UINT>(to - from), nullptr);
            from = to + 1;
            ++tab;
        }
    }

    void Paint() override
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(m_hwnd, &ps);
        HBRUSH background = ParentColors(dc, WM_CTLCOLORLISTBOX);
        const RECT client = Client();
        FillRect(dc, &client, background);
        HGDIOBJ oldFont = SelectObject(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        const COLORREF ink = Enabled() ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
        for (int i = 0; i < Items().Count(); ++i) {
            const RECT rc = ItemRect(i);
            if (IsRectEmpty(&rc)) {
                continue;
            }
            const bool selected = i == m_nSel;
            if (selected) {
                FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink);
            DrawItemText(dc, Items().At(i).m_strText, rc);
            if (selected && Focused()) {
                DrawFocusRect(dc, &rc);
            }
        }
        if (BarShown()) {
            m_bar.Enable(Enabled());
            m_bar.Paint(dc, false);
        }
        SelectObject(dc, oldFont);
        EndPaint(m_hwnd, &ps);
    }

    // The LB_ messages on the items.
    LRESULT ItemMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        static constexpr std::pair<UINT, ItemOp> kOps[] = {
            {LB_ADDSTRING, ItemOp::Add},       {LB_INSERTSTRING, ItemOp::Insert}, {LB_DELETESTRING, ItemOp::Delete},
            {LB_RESETCONTENT, ItemOp::Reset},  {LB_GETCOUNT, ItemOp::Count},      {LB_GETTEXT, ItemOp::GetText},
            {LB_GETTEXTLEN, ItemOp::GetTextLen}, {LB_GETITEMDATA, ItemOp::GetData}, {LB_SETITEMDATA, ItemOp::SetData},
            {LB_FINDSTRING, ItemOp::Find},     {LB_FINDSTRINGEXACT, ItemOp::FindExact}};
        CItemList& items = Items();
        for (const auto& [code, op] : kOps) {
            if (code == message) {
                const LRESULT result = ApplyItemOp(items, op, wParam, lParam, (Style() & LBS_SORT) != 0, &m_nSel);
                if (op == ItemOp::Add || op == ItemOp::Insert || op == ItemOp::Delete || op == ItemOp::Reset) {
                    ItemsChanged();
                    Redraw();
                }
                return result;
            }
        }
        const int index = static_cast<int>(wParam);
        const char* text = reinterpret_cast<const char*>(lParam);
        switch (message) {
        case LB_GETCURSEL:
            return m_nSel;
        case LB_SETCURSEL:
            if (!items.Valid(index)) {
                m_nSel = -1;
                Redraw();
                return LB_ERR;
            }
            Highlight(index);
            return index;
        case LB_SELECTSTRING: {
            const int found = text != nullptr ? items.Find(index, text, false) : -1;
            if (found >= 0) {
                Highlight(found);
            }
            return found;
        }
        case LB_GETTOPINDEX:
            return MultiColumn() ? m_nTop * Rows() : m_nTop;
        case LB_SETTOPINDEX:
            if (!items.Valid(index)) {
                return LB_ERR;
            }
            SetTop(MultiColumn() ? index / Rows() : index);
            return LB_OKAY;
        case LB_SETTABSTOPS: {
            const auto* stops = reinterpret_cast<const int*>(lParam);
            m_tabStops.assign(stops, stops + (stops != nullptr ? wParam : 0));
            Redraw();
            return TRUE;
        }
        case LB_SETCOLUMNWIDTH:
            m_nColumnWidth = std::max(1, index);
            ItemsChanged();
            Redraw();
            return 0;
        case LB_GETITEMHEIGHT:
            return m_nLineHeight;
        case LB_GETITEMRECT:
            if (!items.Valid(index) || lParam == 0) {
                return LB_ERR;
            }
            *reinterpret_cast<RECT*>(lParam) = ItemRect(index);
            return LB_OKAY;
        case LB_ITEMFROMPOINT: {
            const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const int at = ItemAt(pt);
            return MAKELRESULT(static_cast<unsigned>(std::max(at, 0)), at < 0 ? 1u : 0u);
        }
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

    CItemList m_items;
    CTypeAhead m_typeAhead;
    std::vector<int> m_tabStops;  // dialog units
    int m_nSel = -1;  // m_nTop is the first column shown with LBS_MULTICOLUMN
    int m_nAverageWidth = 8;
    int m_nColumnWidth = 0;
    bool m_bDragging = false;
};

// The list a combo box opens: the combo box's items in a pop-up that
// follows the pointer, reports a pick on release and goes at a click
// outside it. The combo box keeps the focus and the keys.
class CDropList final : public CListBoxControl {
public:
    CDropList(HWND hwnd, const CREATESTRUCTA* cs)
        : CListBoxControl(hwnd, cs), m_init(*static_cast<const CDropListInit*>(cs->lpCreateParams))
    {
        m_hColorParent = m_init.m_hColorParent;
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT client = Client();
        const bool inside = PtInRect(&client, pt) != FALSE;
        switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
            if (!inside) {
                m_init.m_pOwner->ListDismissed();  // and the click goes no further
            } else if (!m_bar.ButtonDown(m_hwnd, pt)) {
                Highlight(ItemAt(pt));
            }
            return 0;
        case WM_MOUSEMOVE:
            if (!m_bar.MouseMove(m_hwnd, pt) && inside && ItemAt(pt) >= 0) {
                Highlight(ItemAt(pt));
            }
            return 0;
        case WM_LBUTTONUP:
            if (!m_bar.ButtonUp(m_hwnd, pt) && inside && ItemAt(pt) >= 0) {
                m_init.m_pOwner->ListPicked(ItemAt(pt));
            }
            return 0;
        case WM_CAPTURECHANGED:
            // Capture taken by another window dismisses the list; losing it
            // because the list is going (hidden first) does not.
            if (reinterpret_cast<HWND>(lParam) != m_hwnd && IsWindowVisible(m_hwnd)) {
                m_init.m_pOwner->ListDismissed();
            }
            return 0;
        default:
            return CListBoxControl::Handle(message, wParam, lParam);
        }
    }

protected:
    CItemList& Items() override { return *m_init.m_pItems; }

private:
    CDropListInit m_init;
};

}  // namespace

void RegisterListBoxClasses()
{
    RegisterControlClass(WC_LISTBOXA, &ProcOf<CListBoxControl>, CS_DBLCLKS, 32512);
    RegisterControlClass(kDropListClass, &ProcOf<CDropList>, CS_SAVEBITS, 32512);
}

// The combo box's side of its open list.
void HighlightInDropList(HWND list, int index)
{
    if (auto* drop = StateOf<CListBoxControl>(list)) {
        drop->Highlight(index);
    }
}

int DropListHighlight(HWND list)
{
    auto* drop = StateOf<CListBoxControl>(list);
    return drop != nullptr ? drop->Highlighted() : -1;
}

int DropListRows(HWND list)
{
    auto* drop = StateOf<CListBoxControl>(list);
    return drop != nullptr ? drop->Rows() : 1;
}

}  // namespace platform::ui::controls
