#pragma once

// The sampler's second window: a modeless dialog from a template with one
// of every standard control, a pop-up menu on a right click, a button that
// shows a message box, and a line that reports every notification.

#include "platform/ui/AfxCtrl.h"
#include "platform/ui/AfxDialog.h"

#include <string>

// An owner-drawn tool button that latches: a coloured square, sunk while
// it is down.
class CSwatchButton : public CButton {
public:
    bool m_bDown = false;
    void DrawItem(LPDRAWITEMSTRUCT item) override;
};

class CControlsDialog : public CDialog {
public:
    static constexpr UINT kTemplate = 200;

    CControlsDialog() : CDialog(kTemplate) {}
    // A modeless dialog with its top-left corner at (x, y) of the screen.
    BOOL CreateAt(int x, int y);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { DestroyWindow(); }
    void OnCancel() override { DestroyWindow(); }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnMessageButton();
    void OnSwatch();
    void OnRButtonDown(UINT flags, CPoint point);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

private:
    void Report(const std::string& text);
    void MoveBar(CScrollBar* bar, UINT code, UINT pos, const char* message);

    CSwatchButton m_swatch;
};
