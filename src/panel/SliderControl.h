#pragma once

// The vertical fader of the control panel: a child window drawn from the
// shared bitmap set (track, thumb and their stencils) through two off-screen
// pictures, dragged with the mouse while the pointer is hidden, with a fine
// mode under Ctrl, a right-click "Default" item, and a value field in the
// owner dialog that shows the value as text. Every change goes to the owner
// through a callback carrying the slider's index.
//
// The bottom of the fader is its first end, the top its second end: the
// panel's Retune fader runs from 400 at the bottom to 0 ("fast") at the top,
// Scale Detune from -100 to +100.

#include "platform/kernel/Kernel.h"
#include "platform/ui/AfxWin.h"

#include <atomic>

class CSliderControl : public CWnd {
public:
    // callback(context, index, value, dragging): dragging is 1 for every
    // step of a drag and 0 when the button is released or the value is set
    // from the "Default" item.
    using ChangedCallback = void (*)(void* context, int index, int value, int dragging);

    // The size of the two off-screen pictures; the window shows their top
    // left part.
    static constexpr int kSurfaceWidth = 66;
    static constexpr int kSurfaceHeight = 165;

    CSliderControl(CWnd* owner, int firstEnd, int secondEnd);
    ~CSliderControl() override;

    using CWnd::Create;
    // A child of `parent` at `rect` (WS_CHILD is added).
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetIndex(int index) { m_nIndex = index; }
    void SetValueField(int controlId) { m_nValueFieldId = controlId; }
    void SetCallback(void* context, ChangedCallback callback);
    // New ends; the fine-mode divider becomes |second - first| / 100 - 1.
    void SetRange(int firstEnd, int secondEnd);
    // FALSE switches the fine mode off for good; TRUE leaves it as it is.
    void SetFineMode(BOOL on);
    // What the right-click "Default" item sets. Until it is given the item
    // does nothing.
    void SetDefaultValue(int value);

    // Moves the thumb to `value` without calling back. From another thread
    // than the window's it only asks the window to repaint at the new place.
    void SetValue(int value);
    // The value the thumb stands for, within the ends.
    int GetValue() const;
    // Writes the value as text into the owner's value field. Safe from any
    // thread.
    void UpdateValueField();

    // Where the thumb's top-left is drawn (x is always 17; y runs from 0 at
    // the top to 101 at the bottom).
    int GetThumbY() const { return m_nThumbY.load(std::memory_order_relaxed); }

protected:
    int OnCreate(LPCREATESTRUCT cs);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    // Stencil ANDed, then picture ORed, at (x, y) of `dc`.
    static void DrawMasked(HDC dc, int picture, int stencil, int x, int y);
    RECT ThumbRect(int y) const;
    // Puts the thumb at y in the composition picture; returns the band of
    // the window that changed.
    RECT ComposeThumb(int y);
    void RedrawThumb(int y);
    void DrawFrame(HDC dc) const;
    void Step(int y);
    bool OnOwnThread() const;

    // Off-screen pictures: the background with the track, and the same
    // with the thumb on it.
    CBitmap m_bmBackground;
    CBitmap m_bmCompose;
    CDC m_dcBackground;
    CDC m_dcCompose;
    HGDIOBJ m_hOldBackground = nullptr;
    HGDIOBJ m_hOldCompose = nullptr;

    RECT m_rcTrack{};  // where a press starts a drag
    CPoint m_ptClick;

    int m_nThumbX = 17;
    std::atomic<int> m_nThumbY{101};
    int m_nDrawnThumbY = 101;  // where the composition shows it
    int m_nThumbWidth = 0;
    int m_nThumbHeight = 0;
    int m_nTrackLeft = 15;
    int m_nTrackTop = 5;
    int m_nTrackRight = 15;
    int m_nTrackBottom = 5;
    int m_nMinY = 0;
    int m_nMaxY = 101;
    int m_nWidth = 0;
    int m_nHeight = 0;

    std::atomic<int> m_nFirstEnd;
    std::atomic<int> m_nSecondEnd;
    std::atomic<int> m_nOffset{0};  // distance from the top end, in value units

    BOOL m_bDragging = FALSE;
    BOOL m_bCursorHidden = FALSE;
    BOOL m_bFirstMove = FALSE;

    CWnd* m_pOwner;
    COLORREF m_crBackground;

    int m_nIndex = 0;
    int m_nValueFieldId = 0;
    int m_nFineDivider;

    CRITICAL_SECTION m_lock;

    ChangedCallback m_pfnChanged = nullptr;
    void* m_pChangedContext = nullptr;

    bool m_bHasDefault = false;
    int m_nDefault = 0;
};
