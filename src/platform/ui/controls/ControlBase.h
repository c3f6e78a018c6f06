#pragma once

// What every standard control shares: its state object kept in the
// window's extra bytes, its font, the colours its parent gives it, the
// notifications it sends, and the drawing of labels and 3-D faces.

#include "platform/gdi/Gdi.h"
#include "platform/ui/Controls.h"

#include <string>
#include <vector>

namespace platform::ui::controls {

class CControl {
public:
    explicit CControl(HWND hwnd) : m_hwnd(hwnd) {}
    virtual ~CControl() = default;
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    // The control's window procedure body; Default() for what it leaves.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // Set once WM_NCDESTROY has run: a control that sent a notification
    // must look before it touches itself again, since the parent may have
    // destroyed it.
    bool Destroyed() const { return m_bDestroyed; }

protected:
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
    DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrA(m_hwnd, GWL_STYLE)); }
    bool Enabled() const { return IsWindowEnabled(m_hwnd) != FALSE; }
    bool Focused() const { return GetFocus() == m_hwnd; }
    HWND Parent() const { return GetParent(m_hwnd); }
    int Id() const { return GetDlgCtrlID(m_hwnd); }
    RECT Client() const;
    std::string Text() const;
    void Redraw() const { InvalidateRect(m_hwnd, nullptr, TRUE); }
    HFONT Font() const;

    // WM_COMMAND to the parent with `code` and the control's ID.
    void Notify(WORD code) const;
    // WM_DRAWITEM to the parent for the whole control.
    void AskParentToDraw(UINT type, UINT state, HDC dc) const;
    // WM_CTLCOLORxxx to the parent; sets the context's colours and gives
    // the brush for the background.
    HBRUSH ParentColors(HDC dc, UINT message) const;

    HWND m_hwnd;
    HFONT m_hFont = nullptr;  // null: the system font
    HWND m_hColorParent = nullptr;  // asked for colours instead of the parent

private:
    friend LRESULT ControlWindowProc(CControl* (*make)(HWND, const CREATESTRUCTA*), HWND hwnd, UINT message,
                                     WPARAM wParam, LPARAM lParam);
    int m_nDepth = 0;
    bool m_bDestroyed = false;
};

// The shared window procedure: makes the state at WM_NCCREATE and deletes
// it after WM_NCDESTROY, once no call on it is still running.
LRESULT ControlWindowProc(CControl* (*make)(HWND, const CREATESTRUCTA*), HWND hwnd, UINT message, WPARAM wParam,
                          LPARAM lParam);

template <class T>
LRESULT ProcOf(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ControlWindowProc([](HWND h, const CREATESTRUCTA* cs) -> CControl* { return new T(h, cs); }, hwnd,
                             message, wParam, lParam);
}

// The state of a control of class T, or null for another window.
CControl* ControlOf(HWND hwnd);
template <class T>
T* StateOf(HWND hwnd)
{
    return dynamic_cast<T*>(ControlOf(hwnd));
}

// Registers a global class whose windows keep a CControl in their extra
// bytes.
void RegisterControlClass(const char* name, WNDPROC proc, UINT style, int cursor);

// The siblings of `control` in its group, in creation order: from the last
// sibling at or before it with WS_GROUP (or the first sibling) up to the
// next one with WS_GROUP.
std::vector<HWND> GroupMembers(HWND control);
// The children of `parent` in creation order.
std::vector<HWND> ChildrenOf(HWND parent);

// ---------------------------------------------------------------------------
// Drawing

// Text with '&' mnemonics in the format's alignment; disabled text is
// embossed, grey over a white shadow.
void DrawLabel(HDC dc, const std::string& text, RECT rc, UINT format, bool enabled);
// A raised or sunken button face filling `rc`.
void DrawButtonFace(HDC dc, const RECT& rc, bool pushed, bool defaultFrame);
// A small solid triangle pointing up (0), down (1), left (2) or right (3),
// centred in `rc`.
void DrawArrowGlyph(HDC dc, const RECT& rc, int direction, bool enabled);
void FillSolid(HDC dc, const RECT& rc, COLORREF color);
// The font of menus and message boxes: 9 points at the screen's density.
HFONT MessageFont();
// The character after a single '&', lower-cased, or 0.
char MnemonicOf(const std::string& text);

}  // namespace platform::ui::controls
