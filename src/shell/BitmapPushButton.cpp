#include "shell/BitmapPushButton.h"

#include "shell/BitmapSet.h"

BEGIN_MESSAGE_MAP(CBitmapPushButton, CButton)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

BOOL CBitmapPushButton::Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id, BOOL latching)
{
    m_bLatching = latching;
    m_nState = 0;
    return CButton::Create(caption, (style & ~0x0F) | BS_OWNERDRAW | WS_CHILD, rect, parent, id);
}

void CBitmapPushButton::SetPictures(int picture, int latchedPicture)
{
    m_nPicture = picture;
    m_nLatchedPicture = latchedPicture;
    m_rendered = SIZE{0, 0};
    if (m_hWnd != nullptr) {
        Invalidate(FALSE);
    }
}

void CBitmapPushButton::Click(int how)
{
    const int before = m_nState;
    if (how == 1) {
        m_nState = m_bLatching ? 1 - m_nState : 1;
    } else if (!m_bLatching) {
        m_nState = 0;
    }
    if (m_nState != before && m_hWnd != nullptr) {
        Invalidate(FALSE);
    }
}

void CBitmapPushButton::Reset()
{
    m_nState = 0;
    if (m_hWnd != nullptr) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void CBitmapPushButton::OnLButtonDown(UINT, CPoint)
{
    Click(1);
    Default();  // the button's own press: focus and capture
}

void CBitmapPushButton::OnLButtonDblClk(UINT flags, CPoint point)
{
    OnLButtonDown(flags, point);  // a quick second press is a press all the same
}

void CBitmapPushButton::OnLButtonUp(UINT, CPoint)
{
    Click(0);
    Default();  // tells the parent of the click, which reads the new state
}

void CBitmapPushButton::RenderFaces(int width, int height)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    CBitmap* faces[kFaceCount] = {&m_bmUp, &m_bmDown, &m_bmLatched, &m_bmDisabled};
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < kFaceCount; ++i) {
        faces[i]->DeleteObject();
        faces[i]->Attach(::CreateCompatibleBitmap(screen, width, height));
        HGDIOBJ old = ::SelectObject(dc, faces[i]->m_hObject);
        RECT rc{0, 0, width, height};
        ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        const bool sunk = i == kDown || i == kLatched;
        ::DrawEdge(dc, &rc, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

        const int slot = i == kLatched && m_nLatchedPicture >= 0 ? m_nLatchedPicture : m_nPicture;
        CDC* picture = g_Bitmaps.GetMemDC(slot);
        const int w = g_Bitmaps.GetBitmapWidth(slot);
        const int h = g_Bitmaps.GetBitmapHeight(slot);
        if (picture != nullptr && w > 0) {
            const int x = (width - w) / 2 + (sunk ? 1 : 0);
            const int y = (height - h) / 2 + (sunk ? 1 : 0);
            ::BitBlt(dc, x, y, w, h, *picture, 0, 0, SRCCOPY);
            if (i == kDisabled) {
                // Everything drawn on the face turns to the shadow colour.
                const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
                for (int py = y; py < y + h; ++py) {
                    for (int px = x; px < x + w; ++px) {
                        if (::GetPixel(dc, px, py) != face) {
                            ::SetPixel(dc, px, py, shadow);
                        }
                    }
                }
            }
        }
        ::SelectObject(dc, old);
    }
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    m_rendered = SIZE{width, height};
}

void CBitmapPushButton::DrawItem(LPDRAWITEMSTRUCT item)
{
    const int width = item->rcItem.right - item->rcItem.left;
    const int height = item->rcItem.bottom - item->rcItem.top;
    if (m_rendered.cx != width || m_rendered.cy != height) {
        RenderFaces(width, height);
    }
    const CBitmap* shown = &m_bmUp;
    if ((item->itemState & ODS_DISABLED) != 0) {
        shown = &m_bmDisabled;
    } else if (m_nState == 1) {
        shown = m_bLatching ? &m_bmLatched : &m_bmDown;
    }
    HDC source = ::CreateCompatibleDC(item->hDC);
    HGDIOBJ old = ::SelectObject(source, shown->m_hObject);
    ::BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, width, height, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}
