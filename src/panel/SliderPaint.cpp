// The fader's pictures: the background with the track, the composition with
// the thumb on it, and the sunken frame drawn straight onto the window.

#include "panel/SliderControl.h"

#include "shell/BitmapSet.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CSliderControl, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

namespace {

// How far above and below the track a press still catches the thumb.
constexpr int kTrackGrace = 15;

}  // namespace

BOOL CSliderControl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    LPCSTR className = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr);
    return CWnd::Create(className, "", style | WS_CHILD, rect, parent, id);
}

void CSliderControl::DrawMasked(HDC dc, int picture, int stencil, int x, int y)
{
    CDC* stencilDc = g_Bitmaps.GetMemDC(stencil);
    CDC* pictureDc = g_Bitmaps.GetMemDC(picture);
    if (stencilDc == nullptr || pictureDc == nullptr) {
        return;
    }
    ::BitBlt(dc, x, y, g_Bitmaps.GetBitmapWidth(stencil), g_Bitmaps.GetBitmapHeight(stencil), *stencilDc, 0, 0,
             SRCAND);
    ::BitBlt(dc, x, y, g_Bitmaps.GetBitmapWidth(picture), g_Bitmaps.GetBitmapHeight(picture), *pictureDc, 0, 0,
             SRCPAINT);
}

int CSliderControl::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) == -1) {
        return -1;
    }
    m_nWidth = cs->cx;
    m_nHeight = cs->cy;
    m_nThumbWidth = g_Bitmaps.GetBitmapWidth(kBitmapThumb);
    m_nThumbHeight = g_Bitmaps.GetBitmapHeight(kBitmapThumb);
    m_nTrackRight = m_nTrackLeft + g_Bitmaps.GetBitmapWidth(kBitmapTrack);
    m_nTrackBottom = m_nTrackTop + g_Bitmaps.GetBitmapHeight(kBitmapTrack);
    m_rcTrack = RECT{m_nTrackLeft, m_nTrackTop - kTrackGrace, m_nTrackRight, m_nTrackBottom + kTrackGrace};

    HDC screen = ::GetDC(nullptr);
    m_bmBackground.Attach(::CreateCompatibleBitmap(screen, kSurfaceWidth, kSurfaceHeight));
    m_bmCompose.Attach(::CreateCompatibleBitmap(screen, kSurfaceWidth, kSurfaceHeight));
    ::ReleaseDC(nullptr, screen);
    m_dcBackground.CreateCompatibleDC(nullptr);
    m_dcCompose.CreateCompatibleDC(nullptr);
    m_hOldBackground = ::SelectObject(m_dcBackground, m_bmBackground.m_hObject);
    m_hOldCompose = ::SelectObject(m_dcCompose, m_bmCompose.m_hObject);

    m_dcBackground.FillSolidRect(0, 0, kSurfaceWidth, kSurfaceHeight, m_crBackground);
    DrawMasked(m_dcBackground, kBitmapTrack, kBitmapTrackStencil, m_nTrackLeft, m_nTrackTop);
    ::BitBlt(m_dcCompose, 0, 0, kSurfaceWidth, kSurfaceHeight, m_dcBackground, 0, 0, SRCCOPY);
    m_nDrawnThumbY = m_nThumbY;
    DrawMasked(m_dcCompose, kBitmapThumb, kBitmapThumbStencil, m_nThumbX, m_nDrawnThumbY);
    return 0;
}

RECT CSliderControl::ThumbRect(int y) const
{
    return RECT{m_nThumbX, y, m_nThumbX + m_nThumbWidth, y + m_nThumbHeight};
}

RECT CSliderControl::ComposeThumb(int y)
{
    const RECT before = ThumbRect(m_nDrawnThumbY);
    ::BitBlt(m_dcCompose, before.left, before.top, m_nThumbWidth, m_nThumbHeight, m_dcBackground, before.left,
             before.top, SRCCOPY);
    if (m_bDragging) {
        DrawMasked(m_dcCompose, kBitmapThumbDragging, kBitmapThumbDraggingStencil, m_nThumbX, y);
    } else {
        DrawMasked(m_dcCompose, kBitmapThumb, kBitmapThumbStencil, m_nThumbX, y);
    }
    const RECT after = ThumbRect(y);
    RECT band{};
    ::UnionRect(&band, &before, &after);
    m_nDrawnThumbY = y;
    m_nThumbY = y;
    return band;
}

void CSliderControl::RedrawThumb(int y)
{
    const RECT band = ComposeThumb(y);
    HDC dc = ::GetDC(m_hWnd);
    ::BitBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, m_dcCompose, band.left,
             band.top, SRCCOPY);
    DrawFrame(dc);
    ::ReleaseDC(m_hWnd, dc);
}

void CSliderControl::DrawFrame(HDC dc) const
{
    const int right = m_nWidth - 4;
    const int bottom = m_nHeight - 6;
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::MoveToEx(dc, 16, 1, nullptr);
    ::LineTo(dc, right, 1);
    ::MoveToEx(dc, 16, 1, nullptr);
    ::LineTo(dc, 16, bottom);
    ::SelectObject(dc, ::GetStockObject(WHITE_PEN));
    ::MoveToEx(dc, right, 1, nullptr);
    ::LineTo(dc, right, bottom);
    ::MoveToEx(dc, 16, bottom, nullptr);
    ::LineTo(dc, right + 1, bottom);
    ::SelectObject(dc, old);
}

void CSliderControl::OnPaint()
{
    CPaintDC dc(this);
    if (m_nDrawnThumbY != m_nThumbY) {
        ComposeThumb(m_nThumbY);  // moved from another thread
    }
    ::BitBlt(dc, 0, 0, kSurfaceWidth, kSurfaceHeight, m_dcCompose, 0, 0, SRCCOPY);
    UpdateValueField();
    DrawFrame(dc);
}

BOOL CSliderControl::OnEraseBkgnd(CDC*)
{
    return TRUE;  // the paint covers every pixel
}
