// The Button control: push buttons, check boxes, radio buttons (each also
// push-like), group boxes and owner-drawn buttons.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"

#include <algorithm>

namespace platform::ui::controls {

namespace {

constexpr int kCheckSize = 13;
constexpr int kRadioSize = 12;
constexpr int kLabelGap = 4;

class CButtonControl final : public CControl {
public:
    CButtonControl(HWND hwnd, const CREATESTRUCTA* /*cs*/) : CControl(hwnd) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
        case WM_NCCREATE:
            if (Type() == BS_GROUPBOX) {
                // A frame around other controls: it must not hide them.
                SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
            }
            return Default(message, wParam, lParam);
        case WM_NCHITTEST:
            return Type() == BS_GROUPBOX ? HTTRANSPARENT : Default(message, wParam, lParam);
        case WM_GETDLGCODE:
            return DialogCode();
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (Type() == BS_GROUPBOX) {
                return 0;
            }
            if (GetFocus() != m_hwnd) {
                SetFocus(m_hwnd);
            }
            m_bTracking = true;
            SetCapture(m_hwnd);
            SetPushed(true);
            if (message == WM_LBUTTONDBLCLK && WantsDoubleClicks()) {
                Notify(BN_DOUBLECLICKED);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (m_bTracking) {
                SetPushed(Inside(pt));
            }
            return 0;
        case WM_LBUTTONUP:
            if (m_bTracking) {
                m_bTracking = false;
                ReleaseCapture();
                SetPushed(false);
                if (Inside(pt)) {
                    Click();
                }
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (m_bTracking && reinterpret_cast<HWND>(lParam) != m_hwnd) {
                m_bTracking = false;
                SetPushed(false);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && Type() != BS_GROUPBOX) {
                m_bSpaceDown = true;
                SetPushed(true);
                return 0;
            }
            return Default(message, wParam, lParam);
        case WM_KEYUP:
            if (wParam == VK_SPACE && m_bSpaceDown) {
                m_bSpaceDown = false;
                SetPushed(false);
                Click();
                return 0;
            }
            return Default(message, wParam, lParam);
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            FocusChanged(message == WM_SETFOCUS);
            return 0;
        case WM_ENABLE:
            if (wParam == 0) {
                CancelPress();
            }
            Redraw();
            return 0;
        case BM_GETCHECK:
            return Checkable() ? static_cast<LRESULT>(m_uCheck) : 0;
        case BM_SETCHECK:
            SetCheck(wParam);
            return 0;
        case BM_GETSTATE:
            return static_cast<LRESULT>(m_uCheck | (m_bPushed ? BST_PUSHED : 0) | (Focused() ? BST_FOCUS : 0));
        case BM_SETSTATE:
            SetPushed(wParam != 0);
            return 0;
        case BM_SETSTYLE:
            SetWindowLongPtrA(m_hwnd, GWL_STYLE,
                              static_cast<LONG_PTR>((Style() & 0xFFFF0000u) | (static_cast<DWORD>(wParam) & 0xFFFFu)));
            if (lParam != 0) {
                Redraw();
            }
            return 0;
        case BM_CLICK:
            if (Enabled()) {
                Click();
            }
            return 0;
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

private:
    DWORD Type() const { return Style() & BS_TYPEMASK; }
    bool IsPush() const { return Type() == BS_PUSHBUTTON || Type() == BS_DEFPUSHBUTTON || Type() == BS_OWNERDRAW; }
    bool IsCheck() const
    {
        const DWORD t = Type();
        return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
    }
    bool IsRadio() const { return Type() == BS_RADIOBUTTON || Type() == BS_AUTORADIOBUTTON; }
    bool Checkable() const { return IsCheck() || IsRadio(); }
    bool PushLike() const { return Checkable() && (Style() & BS_PUSHLIKE) != 0; }
    bool WantsDoubleClicks() const { return (Style() & BS_NOTIFY) != 0 || IsRadio() || Type() == BS_OWNERDRAW; }
    bool Inside(POINT pt) const
    {
        const RECT rc = Client();
        return PtInRect(&rc, pt) != FALSE;
    }

    LRESULT DialogCode() const
    {
        switch (Type()) {
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
        case BS_OWNERDRAW:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
        }
    }

    void SetPushed(bool pushed)
    {
        if (pushed != m_bPushed) {
            m_bPushed = pushed;
            Redraw();
        }
    }

    void CancelPress()
    {
        if (m_bTracking) {
            m_bTracking = false;
            ReleaseCapture();
        }
        m_bSpaceDown = false;
        SetPushed(false);
    }

    void SetCheck(WPARAM check)
    {
        if (!Checkable()) {
            return;
        }
        const bool threeState = Type() == BS_3STATE || Type() == BS_AUTO3STATE;
        const UINT value = static_cast<UINT>(std::min<WPARAM>(check, threeState ? BST_INDETERMINATE : BST_CHECKED));
        if (IsRadio()) {
            // The checked radio button of a group is the one Tab lands on.
            const DWORD style = Style();
            const DWORD next = value != 0 ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
            if (next != style) {
                SetWindowLongPtrA(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(next));
            }
        }
        if (value != m_uCheck) {
            m_uCheck = value;
            Redraw();
        }
    }

    void Click()
    {
        switch (Type()) {
        case BS_AUTOCHECKBOX:
            SetCheck(m_uCheck == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            break;
        case BS_AUTO3STATE:
            SetCheck((m_uCheck + 1) % 3);
            break;
        case BS_AUTORADIOBUTTON:
            for (HWND other : GroupMembers(m_hwnd)) {
                if (other != m_hwnd && (SendMessageA(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0 &&
                    (GetWindowLongPtrA(other, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
                    SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
                }
            }
            SetCheck(BST_CHECKED);
            break;
        default:
            break;
        }
        Notify(BN_CLICKED);
    }

    void FocusChanged(bool gained)
    {
        if (!gained) {
            CancelPress();
        }
        Redraw();
        if (IsPush()) {
            // The default button's frame follows the focus among push
            // buttons, so the one Enter would press is the one framed.
            for (HWND sibling : ChildrenOf(Parent())) {
                if ((GetWindowLongPtrA(sibling, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
                    StateOf<CButtonControl>(sibling) != nullptr) {
                    InvalidateRect(sibling, nullptr, FALSE);
                }
            }
        }
        if ((Style() & BS_NOTIFY) != 0) {
            Notify(gained ? BN_SETFOCUS : BN_KILLFOCUS);
        }
    }

    // Whether this button shows the default frame now: the focused push
    // button, or the default one while no other push button has the focus.
    bool ShowsDefaultFrame() const
    {
        if (Type() == BS_OWNERDRAW || !IsPush()) {
            return false;
        }
        if (Focused()) {
            return true;
        }
        if (Type() != BS_DEFPUSHBUTTON) {
            return false;
        }
        HWND focus = GetFocus();
        if (focus != nullptr && GetParent(focus) == Parent()) {
            if (auto* other = StateOf<CButtonControl>(focus); other != nullptr && other->IsPush()) {
                return false;
            }
        }
        return true;
    }

    void Paint()
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(m_hwnd, &ps);
        HGDIOBJ oldFont = SelectObject(dc, Font());
        if (Type() == BS_OWNERDRAW) {
            AskParentToDraw(ODT_BUTTON, (m_bPushed ? ODS_SELECTED : 0) | (Focused() ? ODS_FOCUS : 0), dc);
        } else if (Type() == BS_GROUPBOX) {
            PaintGroupBox(dc);
        } else if (IsPush() || PushLike()) {
            PaintPushButton(dc);
        } else {
            PaintCheckOrRadio(dc);
        }
        SelectObject(dc, oldFont);
        EndPaint(m_hwnd, &ps);
    }

    UINT TextFormat(UINT horizontalDefault) const
    {
        const DWORD style = Style();
        UINT format = horizontalDefault;
        switch (style & BS_CENTER) {
        case BS_LEFT:
            format = DT_LEFT;
            break;
        case BS_RIGHT:
            format = DT_RIGHT;
            break;
        case BS_CENTER:
            format = DT_CENTER;
            break;
        default:
            break;
        }
        return format | ((style & BS_MULTILINE) != 0 ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
    }

    // Text in `rc`, centred vertically also when it wraps.
    void DrawText(HDC dc, const std::string& text, RECT rc, UINT format) const
    {
        if ((format & DT_WORDBREAK) != 0) {
            RECT measure = rc;
            const int height = ::DrawText(dc, text.c_str(), -1, &measure, format | DT_CALCRECT);
            rc.top += std::max(0, (rc.bottom - rc.top - height) / 2);
        }
        DrawLabel(dc, text, rc, format, Enabled());
    }

    void PaintPushButton(HDC dc)
    {
        ParentColors(dc, WM_CTLCOLORBTN);
        RECT rc = Client();
        const bool def = ShowsDefaultFrame();
        const bool checked = PushLike() && m_uCheck != BST_UNCHECKED;
        RECT face = rc;
        if (def) {
            FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&face, -1, -1);
        }
        bool sunk = true;
        if (m_bPushed) {
            DrawButtonFace(dc, face, true, false);
        } else if (checked) {
            RECT inner = face;
            DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            FillSolid(dc, inner, GetSysColor(COLOR_3DLIGHT));
        } else {
            DrawButtonFace(dc, face, false, false);
            sunk = false;
        }
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT text = face;
        InflateRect(&text, -3, -2);
        if (sunk) {
            OffsetRect(&text, 1, 1);
        }
        DrawText(dc, Text(), text, TextFormat(DT_CENTER));
        if (Focused()) {
            RECT focus = face;
            InflateRect(&focus, -3, -3);
            DrawFocusRect(dc, &focus);
        }
    }

    void PaintCheckOrRadio(HDC dc)
    {
        HBRUSH background = ParentColors(dc, WM_CTLCOLORSTATIC);
        const RECT rc = Client();
        FillRect(dc, &rc, background);
        const bool radio = IsRadio();
        const int size = radio ? kRadioSize : kCheckSize;
        const bool leftText = (Style() & BS_LEFTTEXT) != 0;
        const int top = rc.top + (rc.bottom - rc.top - size) / 2;
        const int left = leftText ? rc.right - size : rc.left;
        const RECT box{left, top, left + size, top + size};
        const COLORREF well = GetSysColor(Enabled() && !m_bPushed ? COLOR_WINDOW : COLOR_BTNFACE);
        if (radio) {
            PaintRadioMark(dc, box, well);
        } else {
            PaintCheckMark(dc, box, well);
        }
        RECT text = leftText ? RECT{rc.left, rc.top, left - kLabelGap, rc.bottom}
                             : RECT{box.right + kLabelGap, rc.top, rc.right, rc.bottom};
        const std::string label = Text();
        const UINT format = TextFormat(leftText ? DT_RIGHT : DT_LEFT);
        DrawText(dc, label, text, format);
        if (Focused() && !label.empty()) {
            RECT extent = text;
            ::DrawText(dc, label.c_str(), -1, &extent, (format & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
            const int width = extent.right - extent.left;
            const int height = extent.bottom - extent.top;
            RECT focus{text.left, text.top + (text.bottom - text.top - height) / 2, text.left + width,
                       text.top + (text.bottom - text.top - height) / 2 + height};
            if ((format & DT_RIGHT) != 0) {
                OffsetRect(&focus, text.right - text.left - width, 0);
            }
            InflateRect(&focus, 1, 1);
            IntersectRect(&focus, &focus, &rc);
            DrawFocusRect(dc, &focus);
        }
    }

    void PaintCheckMark(HDC dc, const RECT& box, COLORREF well) const
    {
        RECT inner = box;
        DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        FillSolid(dc, inner, well);
        if (m_uCheck == BST_UNCHECKED) {
            return;
        }
        const COLORREF ink =
            GetSysColor(Enabled() && m_uCheck == BST_CHECKED ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
        // A tick three pixels thick: down from the left, then up to the right.
        static constexpr int kRows[] = {2, 3, 4, 3, 2, 1, 0};
        for (int i = 0; i < 7; ++i) {
            const int x = inner.left + 1 + i;
            const int y = inner.top + 2 + kRows[i];
            FillSolid(dc, RECT{x, y, x + 1, y + 3}, ink);
        }
    }

    void PaintRadioMark(HDC dc, const RECT& box, COLORREF well) const
    {
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HBRUSH brush = CreateSolidBrush(well);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Ellipse(dc, box.left, box.top, box.right, box.bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        if (m_uCheck == BST_UNCHECKED) {
            return;
        }
        const COLORREF ink = GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
        const int cx = box.left + kRadioSize / 2;
        const int cy = box.top + kRadioSize / 2;
        FillSolid(dc, RECT{cx - 2, cy - 1, cx + 2, cy + 1}, ink);
        FillSolid(dc, RECT{cx - 1, cy - 2, cx + 1, cy + 2}, ink);
    }

    void PaintGroupBox(HDC dc)
    {
        HBRUSH background = ParentColors(dc, WM_CTLCOLORSTATIC);
        const RECT rc = Client();
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        RECT frame{rc.left, rc.top + tm.tmHeight / 2, rc.right, rc.bottom};
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        const std::string label = Text();
        if (label.empty()) {
            return;
        }
        RECT text{rc.left + 8, rc.top, rc.right - 8, rc.top + tm.tmHeight};
        RECT extent = text;
        ::DrawText(dc, label.c_str(), -1, &extent, DT_SINGLELINE | DT_CALCRECT);
        text.right = std::min(text.right, extent.right);
        const RECT clear{text.left - 2, text.top, text.right + 2, text.bottom};
        FillRect(dc, &clear, background);
        DrawLabel(dc, label, text, DT_LEFT | DT_SINGLELINE | DT_TOP, Enabled());
    }

    UINT m_uCheck = BST_UNCHECKED;
    bool m_bPushed = false;
    bool m_bTracking = false;
    bool m_bSpaceDown = false;
};

}  // namespace

void RegisterButtonClass()
{
    RegisterControlClass(WC_BUTTONA, &ProcOf<CButtonControl>, CS_DBLCLKS, 32512);
}

}  // namespace platform::ui::controls
