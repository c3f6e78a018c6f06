// The ComboBox control as a drop-down list: a field showing the selected
// item and a button that opens the list of items below it.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/controls/DropList.h"

#include <algorithm>
#include <utility>

namespace platform::ui::controls {

namespace {

constexpr int kButtonWidth = 16;
constexpr int kDefaultMinVisible = 12;

class CComboBoxControl final : public CControl, private IDropListOwner {
public:
    CComboBoxControl(HWND hwnd, const CREATESTRUCTA* cs) : CControl(hwnd), m_nRequestedHeight(cs->cy) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_CREATE:
            FitHeight();
            return 0;
        case WM_SETFONT:
            CControl::Handle(message, wParam, lParam);
            FitHeight();
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // The height asked for sizes the open list; the box itself is
            // as high as its text needs.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if ((pos->flags & SWP_NOSIZE) == 0 && !m_bFitting) {
                m_nRequestedHeight = pos->cy;
            }
            pos->cy = FieldHeight();
            return 0;
        }
        case WM_GETDLGCODE: {
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            const bool closingKey = msg != nullptr && msg->message == WM_KEYDOWN &&
                                    (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
            return DLGC_WANTARROWS | DLGC_WANTCHARS | (m_hList != nullptr && closingKey ? DLGC_WANTMESSAGE : 0);
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (GetFocus() != m_hwnd) {
                SetFocus(m_hwnd);
            }
            if (m_hList == nullptr && GetFocus() == m_hwnd) {
                Open();
            }
            return 0;
        case WM_SETFOCUS:
            Redraw();
            Notify(CBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            Close(false);
            Redraw();
            if (!Destroyed()) {
                Notify(CBN_KILLFOCUS);
            }
            return 0;
        case WM_ENABLE:
            if (wParam == 0) {
                Close(false);
            }
            Redraw();
            return 0;
        case WM_DESTROY:
            if (m_hList != nullptr) {
                DestroyWindow(std::exchange(m_hList, nullptr));
            }
            return 0;
        case WM_KEYDOWN:
            return Key(static_cast<UINT>(wParam), false) ? 0 : Default(message, wParam, lParam);
        case WM_SYSKEYDOWN:
            return Key(static_cast<UINT>(wParam), true) ? 0 : Default(message, wParam, lParam);
        case WM_CHAR:
            if (wParam > ' ') {
                MoveTo(m_typeAhead.Next(m_items, Current(), static_cast<char>(wParam), GetMessageTime()));
            }
            return 0;
        case WM_MOUSEWHEEL:
            if (m_hList != nullptr) {
                return SendMessageA(m_hList, message, wParam, lParam);
            }
            MoveTo(Current() - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
            return 0;
        case WM_GETTEXT:
            if (lParam == 0 || wParam == 0) {
                return 0;
            }
            if (m_items.Valid(m_nSel)) {
                const std::string& text = m_items.At(m_nSel).m_strText;
                const std::size_t n = std::min(text.size(), static_cast<std::size_t>(wParam) - 1);
                std::copy_n(text.begin(), n, reinterpret_cast<char*>(lParam));
                reinterpret_cast<char*>(lParam)[n] = '\0';
                return static_cast<LRESULT>(n);
            }
            reinterpret_cast<char*>(lParam)[0] = '\0';
            return 0;
        case WM_GETTEXTLENGTH:
            return m_items.Valid(m_nSel) ? static_cast<LRESULT>(m_items.At(m_nSel).m_strText.size()) : 0;
        case WM_SETTEXT:
            return CB_ERR;
        default:
            return ItemMessage(message, wParam, lParam);
        }
    }

private:
    int LineHeight() const
    {
        HDC dc = GetDC(m_hwnd);
        HGDIOBJ old = SelectObject(dc, Font());
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(m_hwnd, dc);
        return std::max<int>(1, tm.tmHeight);
    }
    int FieldHeight() const { return LineHeight() + 6; }

    void FitHeight()
    {
        RECT rc{};
        GetWindowRect(m_hwnd, &rc);
        m_bFitting = true;
        SetWindowPos(m_hwnd, nullptr, 0, 0, rc.right - rc.left, FieldHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_bFitting = false;
    }

    // The item the keys move from: the open list's highlight, else the
    // selection.
    int Current() const { return m_hList != nullptr ? DropListHighlight(m_hList) : m_nSel; }

    // Where the open list goes on the screen: below the box, or above it
    // when the screen ends first.
    RECT DropRect() const
    {
        RECT box{};
        GetWindowRect(m_hwnd, &box);
        const int line = LineHeight();
        const int wanted = std::max((m_nRequestedHeight - FieldHeight()) / line, m_nMinVisible);
        const int rows = std::clamp(m_items.Count(), 1, std::max(1, wanted));
        const int height = rows * line + 2;
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        if (box.bottom + height > screenHeight && box.top - height >= 0) {
            return RECT{box.left, box.top - height, box.right, box.top};
        }
        return RECT{box.left, box.bottom, box.right, box.bottom + height};
    }

    void Open()
    {
        if (m_hList != nullptr || !Enabled()) {
            return;
        }
        // The parent may fill or change the items now, before the list shows.
        Notify(CBN_DROPDOWN);
        if (Destroyed() || !Enabled()) {
            return;
        }
        const RECT rc = DropRect();
        CDropListInit init{&m_items, this, Parent()};
        HWND list = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDropListClass, "",
                                    WS_POPUP | WS_BORDER | WS_VSCROLL, rc.left, rc.top, rc.right - rc.left,
                                    rc.bottom - rc.top, m_hwnd, nullptr, nullptr, &init);
        if (list == nullptr) {
            return;
        }
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(m_nSel), 0);
        m_hList = list;
        ShowWindow(list, SW_SHOWNA);
        SetCapture(list);
        Redraw();
    }

    void Close(bool pick)
    {
        if (m_hList == nullptr) {
            return;
        }
        const int chosen = DropListHighlight(m_hList);
        DestroyWindow(std::exchange(m_hList, nullptr));
        Redraw();
        if (!pick || !m_items.Valid(chosen)) {
            Notify(CBN_SELENDCANCEL);
            if (!Destroyed()) {
                Notify(CBN_CLOSEUP);
            }
            return;
        }
        const bool changed = chosen != m_nSel;
        m_nSel = chosen;
        Notify(CBN_SELENDOK);
        if (!Destroyed()) {
            Notify(CBN_CLOSEUP);
        }
        if (changed && !Destroyed()) {
            Notify(CBN_SELCHANGE);
        }
    }

    void ListPicked(int /*index*/) override { Close(true); }
    void ListDismissed() override { Close(false); }

    // A move by the keyboard: in the open list, or of the selection at once.
    void MoveTo(int index)
    {
        if (!m_items.Valid(index)) {
            return;
        }
        if (m_hList != nullptr) {
            HighlightInDropList(m_hList, index);
        } else if (index != m_nSel) {
            m_nSel = index;
            Redraw();
            Notify(CBN_SELCHANGE);
        }
    }

    bool Key(UINT vk, bool alt)
    {
        const int count = m_items.Count();
        const int page = m_hList != nullptr ? std::max(1, DropListRows(m_hList) - 1) : 1;
        const int current = Current();
        if ((alt && (vk == VK_DOWN || vk == VK_UP)) || (!alt && vk == VK_F1 + 3)) {  // Alt+arrow or F4
            if (m_hList != nullptr) {
                Close(true);
            } else {
                Open();
            }
            return true;
        }
        if (alt) {
            return false;
        }
        switch (vk) {
        case VK_UP:
        case VK_LEFT:
            MoveTo(std::max(0, current - 1));
            return true;
        case VK_DOWN:
        case VK_RIGHT:
            MoveTo(std::min(count - 1, current + 1));
            return true;
        case VK_PRIOR:
            MoveTo(std::max(0, current - page));
            return true;
        case VK_NEXT:
            MoveTo(std::min(count - 1, current + page));
            return true;
        case VK_HOME:
            MoveTo(0);
            return true;
        case VK_END:
            MoveTo(count - 1);
            return true;
        case VK_RETURN:
            Close(true);
            return true;
        case VK_ESCAPE:
            Close(false);
            return true;
        default:
            return false;
        }
    }

    void Paint()
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(m_hwnd, &ps);
        RECT rc = Client();
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        RECT button{rc.right - kButtonWidth, rc.top, rc.right, rc.bottom};
        DrawButtonFace(dc, button, m_hList != nullptr, false);
        if (m_hList != nullptr) {
            OffsetRect(&button, 1, 1);
        }
        DrawArrowGlyph(dc, button, 1, Enabled());
        RECT field{rc.left, rc.top, button.left - (m_hList != nullptr ? 1 : 0), rc.bottom};
        HBRUSH background = ParentColors(dc, WM_CTLCOLORLISTBOX);
        FillRect(dc, &field, Enabled() ? background : GetSysColorBrush(COLOR_BTNFACE));
        HGDIOBJ oldFont = SelectObject(dc, Font());
        RECT text = field;
        InflateRect(&text, -1, -1);
        const bool highlighted = Focused() && m_hList == nullptr && Enabled();
        if (highlighted) {
            FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else if (!Enabled()) {
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        }
        if (m_items.Valid(m_nSel)) {
            RECT label = text;
            label.left += 2;
            SetBkMode(dc, TRANSPARENT);
            DrawText(dc, m_items.At(m_nSel).m_strText.c_str(), -1, &label,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        if (highlighted) {
            DrawFocusRect(dc, &text);
        }
        SelectObject(dc, oldFont);
        EndPaint(m_hwnd, &ps);
    }

    // The CB_ messages on the items.
    LRESULT ItemMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        static constexpr std::pair<UINT, ItemOp> kOps[] = {
            {CB_ADDSTRING, ItemOp::Add},       {CB_INSERTSTRING, ItemOp::Insert}, {CB_DELETESTRING, ItemOp::Delete},
            {CB_RESETCONTENT, ItemOp::Reset},  {CB_GETCOUNT, ItemOp::Count},      {CB_GETLBTEXT, ItemOp::GetText},
            {CB_GETLBTEXTLEN, ItemOp::GetTextLen}, {CB_GETITEMDATA, ItemOp::GetData}, {CB_SETITEMDATA, ItemOp::SetData},
            {CB_FINDSTRING, ItemOp::Find},     {CB_FINDSTRINGEXACT, ItemOp::FindExact}};
        for (const auto& [code, op] : kOps) {
            if (code == message) {
                const LRESULT result = ApplyItemOp(m_items, op, wParam, lParam, (Style() & CBS_SORT) != 0, &m_nSel);
                if (op == ItemOp::Delete || op == ItemOp::Reset) {
                    Redraw();
                }
                return result;
            }
        }
        const int index = static_cast<int>(wParam);
        const char* text = reinterpret_cast<const char*>(lParam);
        switch (message) {
        case CB_GETCURSEL:
            return m_nSel;
        case CB_SETCURSEL:
            m_nSel = m_items.Valid(index) ? index : -1;
            Redraw();
            return m_nSel >= 0 ? m_nSel : CB_ERR;
        case CB_SELECTSTRING: {
            const int found = text != nullptr ? m_items.Find(index, text, false) : -1;
            if (found >= 0) {
                m_nSel = found;
                Redraw();
            }
            return found;
        }
        case CB_SHOWDROPDOWN:
            wParam != 0 ? Open() : Close(false);
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return m_hList != nullptr ? TRUE : FALSE;
        case CB_GETDROPPEDCONTROLRECT:
            if (lParam != 0) {
                *reinterpret_cast<RECT*>(lParam) = DropRect();
            }
            return TRUE;
        case CB_GETITEMHEIGHT:
            return LineHeight();
        case CB_SETMINVISIBLE:
            if (index < 1) {
                return FALSE;
            }
            m_nMinVisible = index;
            return TRUE;
        case CB_GETMINVISIBLE:
            return m_nMinVisible;
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

    CItemList m_items;
    CTypeAhead m_typeAhead;
    int m_nSel = -1;
    HWND m_hList = nullptr;  // the open list
    int m_nRequestedHeight;
    int m_nMinVisible = kDefaultMinVisible;
    bool m_bFitting = false;
};

}  // namespace

void RegisterComboBoxClass()
{
    RegisterControlClass(WC_COMBOBOXA, &ProcOf<CComboBoxControl>, CS_DBLCLKS, 32512);
}

}  // namespace platform::ui::controls
