// The panel's own drawing: the button-face background, the brand panel, the
// pitch-change meter, and the colours of its text controls.

#include "panel/IntonaraDialog.h"

#include "shell/BitmapSet.h"
#include "shell/IntonaraApp.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr COLORREF kMeterRed = RGB(255, 0, 0);
constexpr COLORREF kBrandInk = RGB(0, 0, 128);
constexpr int kBrandFrame = 1173;
// A bar reaching this high is drawn from kMeterClippedTop instead, so that
// it stays clear of the "+100" mark.
constexpr int kMeterHighestTop = 136;
constexpr int kMeterClippedTop = 141;
constexpr int kMeterLowestBottom = 310;

constexpr char kProductName[] = "Intonara";
constexpr char kTradeMark[] = "tm";
constexpr char kCredit[] = "pitch correction by Velmora";

void Text(HDC dc, CFont& font, int x, int y, const char* text, COLORREF colour)
{
    HGDIOBJ old = ::SelectObject(dc, font.m_hObject);
    ::SetTextColor(dc, colour);
    ::TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    ::SelectObject(dc, old);
}

}  // namespace

BOOL CIntonaraDialog::OnEraseBkgnd(CDC* dc)
{
    RECT rc{};
    GetClientRect(&rc);
    ::FillRect(dc->m_hDC, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

void CIntonaraDialog::OnPaint()
{
    CPaintDC dc(this);
    DrawBrand(dc);
    if (m_nPanelMode == 1) {
        DrawMeter(dc);
    }
}

void CIntonaraDialog::DrawBrand(CDC& dc)
{
    RECT frame{};
    HWND hFrame = ::GetDlgItem(m_hWnd, kBrandFrame);
    if (hFrame == nullptr) {
        return;
    }
    ::GetWindowRect(hFrame, &frame);
    ScreenToClient(&frame);
    HDC hdc = dc.m_hDC;
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);

    // The emblem on the left, its stencil-free picture copied as it is.
    int x = frame.left + 6;
    if (CDC* emblem = g_Bitmaps.GetMemDC(kBitmapBrandEmblem)) {
        const int w = g_Bitmaps.GetBitmapWidth(kBitmapBrandEmblem);
        const int h = g_Bitmaps.GetBitmapHeight(kBitmapBrandEmblem);
        const int y = frame.top + ((frame.bottom - frame.top) - h) / 2;
        ::BitBlt(hdc, x, y, w, h, emblem->m_hDC, 0, 0, SRCCOPY);
        x += w + 8;
    }
    Text(hdc, g_fontLarge, x, frame.top + 2, kProductName, kBrandInk);
    SIZE name{};
    HGDIOBJ old = ::SelectObject(hdc, g_fontLarge.m_hObject);
    ::GetTextExtentPoint32A(hdc, kProductName, static_cast<int>(std::strlen(kProductName)), &name);
    ::SelectObject(hdc, old);
    Text(hdc, g_fontSmall, x + name.cx + 1, frame.top + 3, kTradeMark, kBrandInk);
    Text(hdc, g_fontMedium, x + name.cx + 20, frame.top + 14, kCredit, RGB(0, 0, 0));
    ::SetBkMode(hdc, oldMode);
}

void CIntonaraDialog::DrawMeter(CDC& dc)
{
    const int cents = m_nChangeCents;
    if (cents == 0) {
        return;
    }
    int top = panel::kMeterZeroY;
    int bottom = panel::kMeterZeroY;
    if (cents > 0) {
        top = panel::kMeterZeroY - cents;
        if (top < kMeterHighestTop) {
            top = kMeterClippedTop;
        }
    } else {
        bottom = std::min(panel::kMeterZeroY - cents, kMeterLowestBottom);
    }
    HDC hdc = dc.m_hDC;
    HPEN pen = ::CreatePen(PS_SOLID, 1, kMeterRed);
    HBRUSH brush = ::CreateSolidBrush(kMeterRed);
    HGDIOBJ oldPen = ::SelectObject(hdc, pen);
    HGDIOBJ oldBrush = ::SelectObject(hdc, brush);
    ::Rectangle(hdc, panel::kMeterRect.left, top, panel::kMeterRect.right, bottom);
    ::SelectObject(hdc, oldPen);
    ::SelectObject(hdc, oldBrush);
    ::DeleteObject(pen);
    ::DeleteObject(brush);
}

void CIntonaraDialog::SetChangeMeter(int cents)
{
    const int clamped = std::clamp(cents, -100, 100);
    if (clamped == m_nChangeCents.exchange(clamped) || m_hWnd == nullptr) {
        return;
    }
    RECT rc = panel::kMeterRect;
    rc.top -= 1;
    rc.bottom += 1;
    InvalidateRect(&rc, TRUE);
    UpdateWindow();
}

HBRUSH CIntonaraDialog::OnCtlColor(CDC* dc, CWnd* /*wnd*/, UINT kind)
{
    if (kind == CTLCOLOR_EDIT || kind == CTLCOLOR_STATIC) {
        ::SetTextColor(dc->m_hDC, RGB(0, 0, 0));
        ::SetBkMode(dc->m_hDC, OPAQUE);
        ::SetBkColor(dc->m_hDC, ::GetSysColor(COLOR_BTNFACE));
        return m_hBackground != nullptr ? m_hBackground : ::GetSysColorBrush(COLOR_BTNFACE);
    }
    return reinterpret_cast<HBRUSH>(Default());
}
