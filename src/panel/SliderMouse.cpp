// Dragging the fader: the pointer is hidden while the button is down and
// kept on the thumb's top edge, so the thumb follows the hand's movement
// rather than jumping to where the press happened; under Ctrl every mouse
// move is one value step.

#include "panel/SliderControl.h"

#include "platform/ui/AfxCtrl.h"

#include <algorithm>
#include <atomic>

namespace {

// One count for every slider: only one is ever dragged at a time.
std::atomic<int> g_nFineCounter{0};

// The right-click menu's one item.
constexpr UINT kDefaultCommand = 1;

// Where the pointer shows again after a drag, from the thumb's top-left.
constexpr int kReleaseDx = 15;
constexpr int kReleaseDy = 12;

void MoveCursorTo(HWND window, int x, int y)
{
    POINT pt{x, y};
    ::ClientToScreen(window, &pt);
    ::SetCursorPos(pt.x, pt.y);
}

}  // namespace

void CSliderControl::OnLButtonDown(UINT, CPoint point)
{
    m_bCursorHidden = FALSE;
    SetFocus();
    if (::PtInRect(&m_rcTrack, point)) {
        m_bDragging = TRUE;
        m_bFirstMove = TRUE;
        m_ptClick = point;
        m_bCursorHidden = TRUE;
        ::ShowCursor(FALSE);
        SetCapture();
    }
    RedrawThumb(m_nThumbY);
}

void CSliderControl::OnMouseMove(UINT, CPoint point)
{
    if (m_bFirstMove) {
        // Put the hidden pointer on the thumb's top-left corner, as far from
        // where it is as the press was from that corner.
        const int dx = m_nThumbX - m_ptClick.x;
        const int dy = m_nThumbY - m_ptClick.y;
        point.x += dx;
        point.y += dy;
        POINT screen{};
        ::GetCursorPos(&screen);
        ::SetCursorPos(screen.x + dx, screen.y + dy);
        m_bFirstMove = FALSE;
    }
    if (!m_bDragging) {
        return;
    }
    EnterCriticalSection(&m_lock);
    const int y = std::clamp(static_cast<int>(point.y), m_nMinY, m_nMaxY);
    if (y != point.y) {
        MoveCursorTo(m_hWnd, point.x, y);
    }
    Step(y);
    RedrawThumb(m_nThumbY);
    UpdateValueField();
    LeaveCriticalSection(&m_lock);
}

void CSliderControl::Step(int y)
{
    const int span = std::abs(m_nSecondEnd - m_nFirstEnd);
    if (m_nFineDivider != 0 && (::GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        const int thumbY = m_nThumbY;
        // One unit per move, whatever the distance; the thumb follows one
        // pixel at a time. The count stops at the ends.
        m_nOffset = std::clamp(m_nOffset + (y >= thumbY ? 1 : -1), 0, span);
        if (++g_nFineCounter > m_nFineDivider) {
            m_nThumbY = thumbY + (y > thumbY) - (y < thumbY);
            g_nFineCounter = 0;
        }
    } else {
        m_nThumbY = y;
        m_nOffset = span * y / 101;
        g_nFineCounter = 0;
    }
    if (m_pfnChanged != nullptr) {
        m_pfnChanged(m_pChangedContext, m_nIndex, GetValue(), 1);
    }
}

void CSliderControl::OnLButtonUp(UINT, CPoint)
{
    m_bDragging = FALSE;
    if (m_pfnChanged != nullptr) {
        m_pfnChanged(m_pChangedContext, m_nIndex, GetValue(), 0);
    }
    if (m_bCursorHidden) {
        if (!m_bFirstMove) {
            MoveCursorTo(m_hWnd, m_nThumbX + kReleaseDx, m_nThumbY + kReleaseDy);
        }
        ::ShowCursor(TRUE);
        m_bCursorHidden = FALSE;
    }
    ::ReleaseCapture();
    RedrawThumb(m_nThumbY);
}

void CSliderControl::OnRButtonDown(UINT, CPoint point)
{
    if (m_bDragging) {
        return;
    }
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, kDefaultCommand, "Default");
    POINT at{point.x - 5, point.y - 10};
    ClientToScreen(&at);
    const BOOL chosen = menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, this);
    if (chosen != static_cast<BOOL>(kDefaultCommand) || !m_bHasDefault) {
        return;
    }
    // The owner hears it as a finished change, like the end of a drag.
    SetValue(m_nDefault);
    UpdateValueField();
    if (m_pfnChanged != nullptr) {
        m_pfnChanged(m_pChangedContext, m_nIndex, GetValue(), 0);
    }
}
