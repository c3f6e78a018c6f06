#pragma once

// The graph's picture buttons: an owner-drawn button that shows a picture
// from the shared bitmap set on a raised face, sunk while it is down. A
// momentary button is down while the mouse holds it; a latching one (the
// editing tools) flips at every press and stays where it was left.

#include "platform/ui/AfxCtrl.h"

class CBitmapPushButton : public CButton {
public:
    CBitmapPushButton() = default;

    using CButton::Create;
    // An owner-drawn child button; `latching` makes it flip at every press.
    BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id, BOOL latching);
    // The bitmap-set slots it shows: `picture` on its face and, for a
    // latching button that is down, `latchedPicture` (-1: `picture`).
    void SetPictures(int picture, int latchedPicture = -1);

    // 1 while down (a latching button: since the press that put it down).
    int GetState() const { return m_nState; }
    // how = 1, a press: a momentary button goes down, a latching one flips.
    // Any other value, a release: a momentary button comes up, a latching
    // one stays as it is.
    void Click(int how);
    // Up, and shown so.
    void Reset();

protected:
    void DrawItem(LPDRAWITEMSTRUCT item) override;
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    enum Face { kUp, kDown, kLatched, kDisabled, kFaceCount };
    // Draws the four faces at the button's size.
    void RenderFaces(int width, int height);

    CBitmap m_bmUp;
    CBitmap m_bmDown;
    CBitmap m_bmLatched;
    CBitmap m_bmDisabled;
    BOOL m_bLatching = FALSE;
    int m_nState = 0;
    int m_nPicture = -1;
    int m_nLatchedPicture = -1;
    SIZE m_rendered{0, 0};  // the size the faces were drawn at; 0 x 0 when stale
};
