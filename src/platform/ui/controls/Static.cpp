// The Static control: labels, frames, filled rectangles, owner-drawn areas
// and bitmaps.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"

namespace platform::ui::controls {

namespace {

class CStaticControl final : public CControl {
public:
    CStaticControl(HWND hwnd, const CREATESTRUCTA* /*cs*/) : CControl(hwnd) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_NCCREATE: {
            DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE));
            if (Outline()) {
                exStyle |= WS_EX_TRANSPARENT;
            }
            if ((Style() & SS_SUNKEN) != 0) {
                exStyle |= WS_EX_STATICEDGE;
            }
            SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, exStyle);
            return Default(message, wParam, lParam);
        }
        case WM_NCHITTEST:
            return (Style() & SS_NOTIFY) != 0 ? Default(message, wParam, lParam) : HTTRANSPARENT;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if ((Style() & SS_NOTIFY) != 0) {
                Notify(message == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
            }
            return 0;
        case STM_SETIMAGE: {
            HBITMAP previous = m_hBitmap;
            if (wParam == IMAGE_BITMAP) {
                m_hBitmap = reinterpret_cast<HBITMAP>(lParam);
                Redraw();
            }
            return reinterpret_cast<LRESULT>(previous);
        }
        case STM_GETIMAGE:
            return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(m_hBitmap) : 0;
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

private:
    DWORD Type() const { return Style() & SS_TYPEMASK; }
    // Draws only lines: what lies below shows through.
    bool Outline() const
    {
        const DWORD type = Type();
        return (type >= SS_BLACKFRAME && type <= SS_WHITEFRAME) ||
               (type >= SS_ETCHEDHORZ && type <= SS_ETCHEDFRAME);
    }

    void Paint()
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(m_hwnd, &ps);
        RECT rc = Client();
        switch (Type()) {
        case SS_BLACKRECT:
        case SS_GRAYRECT:
        case SS_WHITERECT: {
            static constexpr int kColors[] = {COLOR_WINDOWFRAME, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
            FillRect(dc, &rc, GetSysColorBrush(kColors[Type() - SS_BLACKRECT]));
            break;
        }
        case SS_BLACKFRAME:
        case SS_GRAYFRAME:
        case SS_WHITEFRAME: {
            static constexpr int kColors[] = {COLOR_WINDOWFRAME, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
            FrameRect(dc, &rc, GetSysColorBrush(kColors[Type() - SS_BLACKFRAME]));
            break;
        }
        case SS_ETCHEDHORZ:
            DrawEdge(dc, &rc, EDGE_ETCHED, BF_TOP);
            break;
        case SS_ETCHEDVERT:
            DrawEdge(dc, &rc, EDGE_ETCHED, BF_LEFT);
            break;
        case SS_ETCHEDFRAME:
            DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT);
            break;
        case SS_OWNERDRAW:
            AskParentToDraw(ODT_STATIC, 0, dc);
            break;
        case SS_BITMAP:
            PaintBitmap(dc, rc);
            break;
        default:
            PaintText(dc, rc);
            break;
        }
        EndPaint(m_hwnd, &ps);
    }

    void PaintText(HDC dc, const RECT& rc)
    {
        HBRUSH background = ParentColors(dc, WM_CTLCOLORSTATIC);
        FillRect(dc, &rc, background);
        const DWORD style = Style();
        UINT format = DT_EXPANDTABS;
        switch (Type()) {
        case SS_CENTER:
            format |= DT_CENTER | DT_WORDBREAK;
            break;
        case SS_RIGHT:
            format |= DT_RIGHT | DT_WORDBREAK;
            break;
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            format |= DT_SINGLELINE;
            break;
        default:
            format |= DT_WORDBREAK;
            break;
        }
        if ((style & SS_NOPREFIX) != 0) {
            format |= DT_NOPREFIX;
        }
        if ((style & SS_CENTERIMAGE) != 0) {
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
        }
        if ((style & SS_ENDELLIPSIS) != 0) {
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS;
        }
        HGDIOBJ old = SelectObject(dc, Font());
        DrawLabel(dc, Text(), rc, format, Enabled());
        SelectObject(dc, old);
    }

    void PaintBitmap(HDC dc, const RECT& rc)
    {
        FillRect(dc, &rc, ParentColors(dc, WM_CTLCOLORSTATIC));
        BITMAP info{};
        if (m_hBitmap == nullptr || GetObject(m_hBitmap, sizeof info, &info) == 0) {
            return;
        }
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, m_hBitmap);
        int x = 0;
        int y = 0;
        if ((Style() & SS_CENTERIMAGE) != 0) {
            x = (rc.right - info.bmWidth) / 2;
            y = (rc.bottom - info.bmHeight) / 2;
        }
        BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }

    HBITMAP m_hBitmap = nullptr;
};

}  // namespace

void RegisterStaticClass()
{
    RegisterControlClass(WC_STATICA, &ProcOf<CStaticControl>, CS_DBLCLKS, 32512);
}

}  // namespace platform::ui::controls
