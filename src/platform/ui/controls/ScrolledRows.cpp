#include "platform/ui/controls/ScrolledRows.h"

#include <algorithm>

namespace platform::ui::controls {

namespace {

constexpr int kWheelRows = 3;

}  // namespace

CScrolledRows::CScrolledRows(HWND hwnd) : CControl(hwnd), m_bar(true)
{
    m_bar.m_send = [this](WORD code, int pos) { Scroll(code, pos); };
}

bool CScrolledRows::RowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_GETDLGCODE:
        *result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case WM_SETFONT:
        CControl::Handle(message, wParam, lParam);
        Relayout();
        return true;
    case WM_SIZE:
        Relayout();
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_PAINT:
        Paint();
        return true;
    case WM_TIMER:
        return m_bar.Timer(m_hwnd, wParam);
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
            m_bar.CancelTracking(m_hwnd);
        }
        return false;  // the control may have its own press to end
    case WM_MOUSEWHEEL:
        SetTop(m_nTop - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelRows);
        return true;
    default:
        return false;
    }
}

void CScrolledRows::MeasureLine()
{
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ old = SelectObject(dc, Font());
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    m_nLineHeight = std::max<int>(1, tm.tmHeight);
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
}

void CScrolledRows::UpdateBar(const RECT& bounds, int count, int shown)
{
    m_bar.SetBounds(bounds);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, std::max(0, count - 1), static_cast<UINT>(shown), 0, 0};
    m_bar.SetInfo(info);
    SetTop(m_nTop);
    Redraw();
}

void CScrolledRows::SetTop(int top)
{
    top = std::clamp(top, 0, std::max(0, LastTop()));
    if (top != m_nTop) {
        m_nTop = top;
        Redraw();
    }
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, m_nTop, 0};
    m_bar.SetInfo(info);
}

void CScrolledRows::Reveal(int row, int shown)
{
    if (row < m_nTop) {
        SetTop(row);
    } else if (row >= m_nTop + shown) {
        SetTop(row - shown + 1);
    }
}

void CScrolledRows::Scroll(WORD code, int pos)
{
    switch (code) {
    case SB_LINEUP:
        SetTop(m_nTop - 1);
        break;
    case SB_LINEDOWN:
        SetTop(m_nTop + 1);
        break;
    case SB_PAGEUP:
        SetTop(m_nTop - PageStep());
        break;
    case SB_PAGEDOWN:
        SetTop(m_nTop + PageStep());
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        SetTop(pos);
        break;
    default:
        break;
    }
    Redraw();
}

}  // namespace platform::ui::controls
