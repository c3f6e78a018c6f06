#pragma once

// One scroll bar's model, looks and mouse tracking, wherever it is drawn:
// the ScrollBar control is nothing else, and list boxes and list views
// keep one along their right edge. The host window routes its mouse
// messages and the repeat timer here; requests go to `m_send`.

#include "platform/ui/Controls.h"

#include <functional>

namespace platform::ui::controls {

class CScrollCore {
public:
    enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

    // The timer the host lets through for repeating arrow and page presses.
    static constexpr UINT_PTR kRepeatTimer = 0x5C01;

    explicit CScrollCore(bool vertical) : m_bVertical(vertical) {}

    bool Vertical() const { return m_bVertical; }
    void SetBounds(const RECT& rc) { m_rc = rc; }
    const RECT& Bounds() const { return m_rc; }

    // SCROLLINFO in and out, as SetScrollInfo and GetScrollInfo take them.
    // Returns the position after the change.
    int SetInfo(const SCROLLINFO& info);
    void GetInfo(SCROLLINFO* info) const;
    int Pos() const { return m_nPos; }
    int Min() const { return m_nMin; }
    int Max() const { return m_nMax; }
    // The largest position the thumb can reach.
    int MaxPos() const;
    // Whether there is anything to scroll.
    bool Active() const { return m_bEnabled && MaxPos() > m_nMin; }
    void Enable(bool enabled) { m_bEnabled = enabled; }

    Part HitTest(POINT pt) const;
    RECT PartRect(Part part) const;
    void Paint(HDC dc, bool focused) const;

    // Mouse, in the host's client coordinates. ButtonDown answers whether
    // the press landed on the bar (and then captures the mouse for the
    // host and sends the first request); the others whether they were the
    // bar's while it tracks.
    bool ButtonDown(HWND host, POINT pt);
    bool MouseMove(HWND host, POINT pt);
    bool ButtonUp(HWND host, POINT pt);
    bool Timer(HWND host, UINT_PTR id);
    // Capture taken away: the press ends as a release would.
    void CancelTracking(HWND host);
    bool Tracking() const { return m_pressed != Part::None; }

    // Sends a request (SB_LINEUP ... SB_ENDSCROLL) with its position.
    std::function<void(WORD code, int pos)> m_send;

private:
    int Length() const;       // along the bar
    int Thickness() const;    // across it
    int ArrowLength() const;
    int ThumbLength() const;
    int ThumbOffset(int pos) const;  // from the end of the first arrow
    int PosFromOffset(int offset) const;
    int Along(POINT pt) const { return m_bVertical ? pt.y - m_rc.top : pt.x - m_rc.left; }
    void Send(WORD code, int pos) const;
    void SendPressRequest() const;
    void Repaint(HWND host) const;

    bool m_bVertical;
    RECT m_rc{};
    int m_nMin = 0;
    int m_nMax = 100;
    UINT m_nPage = 0;
    int m_nPos = 0;
    bool m_bEnabled = true;

    Part m_pressed = Part::None;
    bool m_bPressedInside = false;  // the pointer is still over the pressed part
    bool m_bCaptured = false;       // the host's capture is the bar's doing
    int m_nTrackPos = 0;
    int m_nGrab = 0;                // pointer offset into the thumb when it was pressed
    POINT m_ptLast{};
};

}  // namespace platform::ui::controls
