#include "platform/ui/controls/ScrollCore.h"

#include "platform/ui/controls/ControlBase.h"

#include <algorithm>
#include <utility>

namespace platform::ui::controls {

namespace {

// Shortest thumb that can still be caught with the mouse.
constexpr int kMinThumb = 8;
// First repeat of a held arrow or page area, then the pace of the rest.
constexpr UINT kFirstRepeatMs = 350;
constexpr UINT kRepeatMs = 50;

}  // namespace

int CScrollCore::SetInfo(const SCROLLINFO& info)
{
    if ((info.fMask & SIF_RANGE) != 0) {
        m_nMin = info.nMin;
        m_nMax = std::max(info.nMin, info.nMax);
    }
    if ((info.fMask & SIF_PAGE) != 0) {
        m_nPage = info.nPage;
    }
    const auto units = static_cast<long long>(m_nMax) - m_nMin + 1;
    m_nPage = static_cast<UINT>(std::min<long long>(m_nPage, units));
    if ((info.fMask & SIF_POS) != 0) {
        m_nPos = info.nPos;
    }
    m_nPos = std::clamp(m_nPos, m_nMin, MaxPos());
    return m_nPos;
}

void CScrollCore::GetInfo(SCROLLINFO* info) const
{
    if ((info->fMask & SIF_RANGE) != 0) {
        info->nMin = m_nMin;
        info->nMax = m_nMax;
    }
    if ((info->fMask & SIF_PAGE) != 0) {
        info->nPage = m_nPage;
    }
    if ((info->fMask & SIF_POS) != 0) {
        info->nPos = m_nPos;
    }
    if ((info->fMask & SIF_TRACKPOS) != 0) {
        info->nTrackPos = m_pressed == Part::Thumb ? m_nTrackPos : m_nPos;
    }
}

int CScrollCore::MaxPos() const
{
    const long long last = static_cast<long long>(m_nMax) - std::max<long long>(static_cast<long long>(m_nPage) - 1, 0);
    return static_cast<int>(std::max<long long>(last, m_nMin));
}

int CScrollCore::Length() const
{
    return m_bVertical ? m_rc.bottom - m_rc.top : m_rc.right - m_rc.left;
}

int CScrollCore::Thickness() const
{
    return m_bVertical ? m_rc.right - m_rc.left : m_rc.bottom - m_rc.top;
}

int CScrollCore::ArrowLength() const
{
    return std::max(0, std::min(Thickness(), Length() / 2));
}

int CScrollCore::ThumbLength() const
{
    const int shaft = Length() - 2 * ArrowLength();
    if (!Active() || shaft < kMinThumb) {
        return 0;
    }
    if (m_nPage == 0) {
        return std::min(Thickness(), shaft);
    }
    const long long units = static_cast<long long>(m_nMax) - m_nMin + 1;
    const auto length = static_cast<int>(static_cast<long long>(shaft) * m_nPage / units);
    return std::clamp(length, kMinThumb, shaft);
}

int CScrollCore::ThumbOffset(int pos) const
{
    const int room = Length() - 2 * ArrowLength() - ThumbLength();
    const long long span = static_cast<long long>(MaxPos()) - m_nMin;
    if (span <= 0 || room <= 0) {
        return ArrowLength();
    }
    return ArrowLength() + static_cast<int>(((static_cast<long long>(pos) - m_nMin) * room + span / 2) / span);
}

int CScrollCore::PosFromOffset(int offset) const
{
    const int room = Length() - 2 * ArrowLength() - ThumbLength();
    const long long span = static_cast<long long>(MaxPos()) - m_nMin;
    if (room <= 0) {
        return m_nMin;
    }
    const long long along = std::clamp(offset - ArrowLength(), 0, room);
    return static_cast<int>(m_nMin + (along * span + room / 2) / room);
}

RECT CScrollCore::PartRect(Part part) const
{
    const int length = Length();
    const int arrow = ArrowLength();
    const int pos = m_pressed == Part::Thumb ? m_nTrackPos : m_nPos;
    const int thumb = ThumbLength();
    const int thumbAt = thumb > 0 ? ThumbOffset(pos) : length - arrow;
    int from = 0;
    int to = 0;
    switch (part) {
    case Part::LineUp:
        to = arrow;
        break;
    case Part::LineDown:
        from = length - arrow;
        to = length;
        break;
    case Part::Thumb:
        from = thumbAt;
        to = thumbAt + thumb;
        break;
    case Part::PageUp:
        from = arrow;
        to = thumbAt;
        break;
    case Part::PageDown:
        from = thumb > 0 ? thumbAt + thumb : length - arrow;
        to = length - arrow;
        break;
    case Part::None:
        break;
    }
    if (m_bVertical) {
        return RECT{m_rc.left, m_rc.top + from, m_rc.right, m_rc.top + to};
    }
    return RECT{m_rc.left + from, m_rc.top, m_rc.left + to, m_rc.bottom};
}

CScrollCore::Part CScrollCore::HitTest(POINT pt) const
{
    if (!PtInRect(&m_rc, pt)) {
        return Part::None;
    }
    for (Part part : {Part::LineUp, Part::LineDown, Part::Thumb, Part::PageUp, Part::PageDown}) {
        const RECT rc = PartRect(part);
        if (PtInRect(&rc, pt)) {
            return part;
        }
    }
    return Part::None;
}

void CScrollCore::Paint(HDC dc, bool focused) const
{
    const bool active = Active();
    const bool pressedInside = m_bPressedInside && m_pressed != Part::Thumb;
    for (Part arrow : {Part::LineUp, Part::LineDown}) {
        RECT rc = PartRect(arrow);
        const bool pushed = pressedInside && m_pressed == arrow;
        DrawButtonFace(dc, rc, pushed, false);
        if (pushed) {
            OffsetRect(&rc, 1, 1);
        }
        const int direction = arrow == Part::LineUp ? (m_bVertical ? 0 : 2) : (m_bVertical ? 1 : 3);
        DrawArrowGlyph(dc, rc, direction, active);
    }
    for (Part page : {Part::PageUp, Part::PageDown}) {
        const bool pushed = pressedInside && m_pressed == page;
        FillSolid(dc, PartRect(page), GetSysColor(pushed ? COLOR_BTNSHADOW : COLOR_3DLIGHT));
    }
    if (ThumbLength() > 0) {
        const RECT thumb = PartRect(Part::Thumb);
        DrawButtonFace(dc, thumb, false, false);
        if (focused) {
            RECT inner = thumb;
            InflateRect(&inner, -3, -3);
            DrawFocusRect(dc, &inner);
        }
    }
}

void CScrollCore::Send(WORD code, int pos) const
{
    if (m_send) {
        m_send(code, pos);
    }
}

void CScrollCore::SendPressRequest() const
{
    switch (m_pressed) {
    case Part::LineUp:
        Send(SB_LINEUP, 0);
        break;
    case Part::LineDown:
        Send(SB_LINEDOWN, 0);
        break;
    case Part::PageUp:
        Send(SB_PAGEUP, 0);
        break;
    case Part::PageDown:
        Send(SB_PAGEDOWN, 0);
        break;
    default:
        break;
    }
}

void CScrollCore::Repaint(HWND host) const
{
    InvalidateRect(host, &m_rc, FALSE);
}

bool CScrollCore::ButtonDown(HWND host, POINT pt)
{
    const Part part = HitTest(pt);
    if (part == Part::None) {
        return false;
    }
    if (!Active()) {
        return true;
    }
    m_pressed = part;
    m_bPressedInside = true;
    m_ptLast = pt;
    m_bCaptured = GetCapture() != host;
    if (m_bCaptured) {
        SetCapture(host);
    }
    if (part == Part::Thumb) {
        m_nTrackPos = m_nPos;
        m_nGrab = Along(pt) - ThumbOffset(m_nPos);
    } else {
        SetTimer(host, kRepeatTimer, kFirstRepeatMs, nullptr);
        SendPressRequest();
    }
    Repaint(host);
    return true;
}

bool CScrollCore::MouseMove(HWND host, POINT pt)
{
    if (!Tracking()) {
        return false;
    }
    m_ptLast = pt;
    if (m_pressed == Part::Thumb) {
        const int pos = std::clamp(PosFromOffset(Along(pt) - m_nGrab), m_nMin, MaxPos());
        if (pos != m_nTrackPos) {
            Repaint(host);
            m_nTrackPos = pos;
            Repaint(host);
            Send(SB_THUMBTRACK, pos);
        }
        return true;
    }
    const bool inside = HitTest(pt) == m_pressed;
    if (inside != m_bPressedInside) {
        m_bPressedInside = inside;
        Repaint(host);
    }
    return true;
}

bool CScrollCore::ButtonUp(HWND host, POINT pt)
{
    if (!Tracking()) {
        return false;
    }
    m_ptLast = pt;
    const Part part = m_pressed;
    const int trackPos = m_nTrackPos;
    m_pressed = Part::None;
    m_bPressedInside = false;
    KillTimer(host, kRepeatTimer);
    if (std::exchange(m_bCaptured, false) && GetCapture() == host) {
        ReleaseCapture();
    }
    Repaint(host);
    if (part == Part::Thumb) {
        Send(SB_THUMBPOSITION, trackPos);
    }
    Send(SB_ENDSCROLL, 0);
    return true;
}

bool CScrollCore::Timer(HWND host, UINT_PTR id)
{
    if (id != kRepeatTimer) {
        return false;
    }
    if (!Tracking() || m_pressed == Part::Thumb) {
        KillTimer(host, kRepeatTimer);
        return true;
    }
    SetTimer(host, kRepeatTimer, kRepeatMs, nullptr);
    // A page area shrinks as the thumb comes toward the pointer; the
    // repeats stop once the thumb reaches it.
    m_bPressedInside = HitTest(m_ptLast) == m_pressed;
    if (m_bPressedInside) {
        SendPressRequest();
    }
    Repaint(host);
    return true;
}

void CScrollCore::CancelTracking(HWND host)
{
    if (!Tracking()) {
        return;
    }
    m_pressed = Part::None;
    m_bPressedInside = false;
    m_bCaptured = false;
    KillTimer(host, kRepeatTimer);
    Repaint(host);
    Send(SB_ENDSCROLL, 0);
}

}  // namespace platform::ui::controls
