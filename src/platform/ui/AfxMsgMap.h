#pragma once

// Message maps: a table per class of the messages it handles and the member
// functions that handle them, searched from the most derived class to its
// bases; a message nobody maps goes to the default handling.
//
//   class CMyView : public CWnd {
//   protected:
//       void OnPaint();
//       void OnLButtonDown(UINT nFlags, CPoint point);
//       void OnZoom();
//       DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CMyView, CWnd)
//       ON_WM_PAINT()
//       ON_WM_LBUTTONDOWN()
//       ON_COMMAND(13, &CMyView::OnZoom)
//   END_MESSAGE_MAP()
//
// Each entry names the handler with the signature of its message (below);
// a handler is called through a small function made for that member, so a
// handler of the wrong signature does not compile.

#include "platform/ui/AfxTypes.h"
#include "platform/ui/Controls.h"

#include <typeinfo>

class CCmdTarget;
class CWnd;
class CDC;

// Calls the handler an entry stands for; TRUE when it handled the message.
using AFX_PMSG_THUNK = BOOL (*)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;              // 0 ends the table
    UINT nCode;                 // WM_COMMAND and WM_NOTIFY: the notification code
    UINT nID;                   // WM_COMMAND and WM_NOTIFY: first control ID
    UINT nLastID;               // ... and last
    const UINT* pnRegistered;   // ON_REGISTERED_MESSAGE: where the number is kept
    AFX_PMSG_THUNK pfnThunk;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

namespace afx {

template <class T>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
    using Class = C;
};

template <auto Pmf>
auto* Target(CCmdTarget* target)
{
    return static_cast<typename MemberTraits<decltype(Pmf)>::Class*>(target);
}

// The window object for a handle, of the class the handler asks for: the
// object attached to it when that is one, else a temporary of that class.
CWnd* WndFromHandle(HWND hwnd);
CWnd* TemporaryAs(HWND hwnd, const std::type_info& type, CWnd* (*make)());
CDC* DcFromHandle(HDC dc);
template <class T>
T* As(HWND hwnd)
{
    CWnd* wnd = WndFromHandle(hwnd);
    if (T* typed = dynamic_cast<T*>(wnd); typed != nullptr || wnd == nullptr) {
        return typed;
    }
    return static_cast<T*>(TemporaryAs(hwnd, typeid(T), [] { return static_cast<CWnd*>(new T); }));
}
template <class T>
struct Pointee;
template <class T>
struct Pointee<T*> {
    using Type = T;
};
template <class T>
struct LastArg;
template <class C, class R, class A1, class A2, class A3>
struct LastArg<R (C::*)(A1, A2, A3)> {
    using Type = A3;
};

inline CPoint PointOf(LPARAM lParam) { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

// void f()
template <auto Pmf>
BOOL Void(CCmdTarget* t, UINT, WPARAM, LPARAM, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)();
    *r = 0;
    return TRUE;
}
// int OnCreate(LPCREATESTRUCT)
template <auto Pmf>
BOOL Create(CCmdTarget* t, UINT, WPARAM, LPARAM l, LRESULT* r)
{
    *r = (Target<Pmf>(t)->*Pmf)(reinterpret_cast<LPCREATESTRUCT>(l));
    return TRUE;
}
// BOOL OnEraseBkgnd(CDC*)
template <auto Pmf>
BOOL EraseBkgnd(CCmdTarget* t, UINT, WPARAM w, LPARAM, LRESULT* r)
{
    *r = (Target<Pmf>(t)->*Pmf)(DcFromHandle(reinterpret_cast<HDC>(w)));
    return TRUE;
}
// void OnSize(UINT nType, int cx, int cy)
template <auto Pmf>
BOOL Size(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<UINT>(w), LOWORD(static_cast<std::uintptr_t>(l)),
                           HIWORD(static_cast<std::uintptr_t>(l)));
    *r = 0;
    return TRUE;
}
// void OnMove(int x, int y)
template <auto Pmf>
BOOL Move(CCmdTarget* t, UINT, WPARAM, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(GET_X_LPARAM(l), GET_Y_LPARAM(l));
    *r = 0;
    return TRUE;
}
// void OnMouse(UINT nFlags, CPoint point)
template <auto Pmf>
BOOL Mouse(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<UINT>(w), PointOf(l));
    *r = 0;
    return TRUE;
}
// BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
template <auto Pmf>
BOOL Wheel(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    *r = (Target<Pmf>(t)->*Pmf)(GET_KEYSTATE_WPARAM(w), GET_WHEEL_DELTA_WPARAM(w), PointOf(l));
    return TRUE;
}
// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
template <auto Pmf>
BOOL SetCursor(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    *r = (Target<Pmf>(t)->*Pmf)(WndFromHandle(reinterpret_cast<HWND>(w)),
                                static_cast<UINT>(static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(l)))),
                                HIWORD(static_cast<std::uintptr_t>(l)));
    return TRUE;
}
// void OnKey(UINT nChar, UINT nRepCnt, UINT nFlags)
template <auto Pmf>
BOOL Key(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<UINT>(w), LOWORD(static_cast<std::uintptr_t>(l)),
                           HIWORD(static_cast<std::uintptr_t>(l)));
    *r = 0;
    return TRUE;
}
// void OnSetFocus(CWnd* pOther) and the like, the window in wParam
template <auto Pmf>
BOOL WndInWParam(CCmdTarget* t, UINT, WPARAM w, LPARAM, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(WndFromHandle(reinterpret_cast<HWND>(w)));
    *r = 0;
    return TRUE;
}
// void OnCaptureChanged(CWnd* pWnd), the window in lParam
template <auto Pmf>
BOOL WndInLParam(CCmdTarget* t, UINT, WPARAM, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(WndFromHandle(reinterpret_cast<HWND>(l)));
    *r = 0;
    return TRUE;
}
// void OnShowWindow(BOOL bShow, UINT nStatus)
template <auto Pmf>
BOOL ShowWindow(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<BOOL>(w), static_cast<UINT>(l));
    *r = 0;
    return TRUE;
}
// void OnEnable(BOOL bEnable)
template <auto Pmf>
BOOL Enable(CCmdTarget* t, UINT, WPARAM w, LPARAM, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<BOOL>(w));
    *r = 0;
    return TRUE;
}
// void OnTimer(UINT_PTR nIDEvent)
template <auto Pmf>
BOOL Timer(CCmdTarget* t, UINT, WPARAM w, LPARAM, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<UINT_PTR>(w));
    *r = 0;
    return TRUE;
}
// void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
template <auto Pmf>
BOOL Scroll(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    using Bar = typename Pointee<typename LastArg<decltype(Pmf)>::Type>::Type;
    (Target<Pmf>(t)->*Pmf)(LOWORD(w), static_cast<UINT>(static_cast<SHORT>(HIWORD(w))),
                           As<Bar>(reinterpret_cast<HWND>(l)));
    *r = 0;
    return TRUE;
}
// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
template <auto Pmf>
BOOL CtlColor(CCmdTarget* t, UINT m, WPARAM w, LPARAM l, LRESULT* r)
{
    *r = reinterpret_cast<LRESULT>((Target<Pmf>(t)->*Pmf)(DcFromHandle(reinterpret_cast<HDC>(w)),
                                                          WndFromHandle(reinterpret_cast<HWND>(l)),
                                                          m - WM_CTLCOLORMSGBOX));
    return TRUE;
}
// void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
template <auto Pmf>
BOOL DrawItem(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(static_cast<int>(w), reinterpret_cast<LPDRAWITEMSTRUCT>(l));
    *r = TRUE;
    return TRUE;
}
// LRESULT OnMessage(WPARAM, LPARAM)
template <auto Pmf>
BOOL Message(CCmdTarget* t, UINT, WPARAM w, LPARAM l, LRESULT* r)
{
    *r = (Target<Pmf>(t)->*Pmf)(w, l);
    return TRUE;
}
// void OnCommandRange(UINT nID)
template <auto Pmf>
BOOL CommandRange(CCmdTarget* t, UINT, WPARAM w, LPARAM, LRESULT* r)
{
    (Target<Pmf>(t)->*Pmf)(LOWORD(w));
    *r = 0;
    return TRUE;
}
// void OnNotify(NMHDR* pNotifyStruct, LRESULT* result)
template <auto Pmf>
BOOL Notify(CCmdTarget* t, UINT, WPARAM, LPARAM l, LRESULT* r)
{
    *r = 0;
    (Target<Pmf>(t)->*Pmf)(reinterpret_cast<NMHDR*>(l), r);
    return TRUE;
}

}  // namespace afx

// The argument of WM_CTLCOLOR handlers: which kind of control asks.
inline constexpr UINT CTLCOLOR_MSGBOX = 0;
inline constexpr UINT CTLCOLOR_EDIT = 1;
inline constexpr UINT CTLCOLOR_LISTBOX = 2;
inline constexpr UINT CTLCOLOR_BTN = 3;
inline constexpr UINT CTLCOLOR_DLG = 4;
inline constexpr UINT CTLCOLOR_SCROLLBAR = 5;
inline constexpr UINT CTLCOLOR_STATIC = 6;

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                  \
    {                                                                                \
        using ThisClass [[maybe_unused]] = theClass;                                 \
        using TheBaseClass = baseClass;                                              \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                        \
        {0, 0, 0, 0, nullptr, nullptr}};                                         \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]}; \
        return &map;                                                             \
    }

#define AFX_ENTRY(message, thunk, member) {message, 0, 0, 0, nullptr, &afx::thunk<member>},

#define ON_WM_CREATE() AFX_ENTRY(WM_CREATE, Create, &ThisClass::OnCreate)
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, Void, &ThisClass::OnDestroy)
#define ON_WM_NCDESTROY() AFX_ENTRY(WM_NCDESTROY, Void, &ThisClass::OnNcDestroy)
#define ON_WM_CLOSE() AFX_ENTRY(WM_CLOSE, Void, &ThisClass::OnClose)
#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, Void, &ThisClass::OnPaint)
#define ON_WM_ERASEBKGND() AFX_ENTRY(WM_ERASEBKGND, EraseBkgnd, &ThisClass::OnEraseBkgnd)
#define ON_WM_SIZE() AFX_ENTRY(WM_SIZE, Size, &ThisClass::OnSize)
#define ON_WM_MOVE() AFX_ENTRY(WM_MOVE, Move, &ThisClass::OnMove)
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, Timer, &ThisClass::OnTimer)
#define ON_WM_MOUSEMOVE() AFX_ENTRY(WM_MOUSEMOVE, Mouse, &ThisClass::OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_ENTRY(WM_LBUTTONDOWN, Mouse, &ThisClass::OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ENTRY(WM_LBUTTONUP, Mouse, &ThisClass::OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ENTRY(WM_LBUTTONDBLCLK, Mouse, &ThisClass::OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ENTRY(WM_RBUTTONDOWN, Mouse, &ThisClass::OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ENTRY(WM_RBUTTONUP, Mouse, &ThisClass::OnRButtonUp)
#define ON_WM_MOUSEWHEEL() AFX_ENTRY(WM_MOUSEWHEEL, Wheel, &ThisClass::OnMouseWheel)
#define ON_WM_SETCURSOR() AFX_ENTRY(WM_SETCURSOR, SetCursor, &ThisClass::OnSetCursor)
#define ON_WM_KEYDOWN() AFX_ENTRY(WM_KEYDOWN, Key, &ThisClass::OnKeyDown)
#define ON_WM_KEYUP() AFX_ENTRY(WM_KEYUP, Key, &ThisClass::OnKeyUp)
#define ON_WM_CHAR() AFX_ENTRY(WM_CHAR, Key, &ThisClass::OnChar)
#define ON_WM_SYSKEYDOWN() AFX_ENTRY(WM_SYSKEYDOWN, Key, &ThisClass::OnSysKeyDown)
#define ON_WM_SETFOCUS() AFX_ENTRY(WM_SETFOCUS, WndInWParam, &ThisClass::OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_ENTRY(WM_KILLFOCUS, WndInWParam, &ThisClass::OnKillFocus)
#define ON_WM_CAPTURECHANGED() AFX_ENTRY(WM_CAPTURECHANGED, WndInLParam, &ThisClass::OnCaptureChanged)
#define ON_WM_SHOWWINDOW() AFX_ENTRY(WM_SHOWWINDOW, ShowWindow, &ThisClass::OnShowWindow)
#define ON_WM_ENABLE() AFX_ENTRY(WM_ENABLE, Enable, &ThisClass::OnEnable)
#define ON_WM_HSCROLL() AFX_ENTRY(WM_HSCROLL, Scroll, &ThisClass::OnHScroll)
#define ON_WM_VSCROLL() AFX_ENTRY(WM_VSCROLL, Scroll, &ThisClass::OnVScroll)
#define ON_WM_DRAWITEM() AFX_ENTRY(WM_DRAWITEM, DrawItem, &ThisClass::OnDrawItem)
#define ON_WM_CTLCOLOR()                                        \
    AFX_ENTRY(WM_CTLCOLORMSGBOX, CtlColor, &ThisClass::OnCtlColor) \
    AFX_ENTRY(WM_CTLCOLOREDIT, CtlColor, &ThisClass::OnCtlColor)   \
    AFX_ENTRY(WM_CTLCOLORLISTBOX, CtlColor, &ThisClass::OnCtlColor) \
    AFX_ENTRY(WM_CTLCOLORBTN, CtlColor, &ThisClass::OnCtlColor)    \
    AFX_ENTRY(WM_CTLCOLORDLG, CtlColor, &ThisClass::OnCtlColor)    \
    AFX_ENTRY(WM_CTLCOLORSCROLLBAR, CtlColor, &ThisClass::OnCtlColor) \
    AFX_ENTRY(WM_CTLCOLORSTATIC, CtlColor, &ThisClass::OnCtlColor)

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) AFX_ENTRY(message, Message, memberFxn)
// The same for a number from RegisterWindowMessage kept in a UINT variable.
#define ON_REGISTERED_MESSAGE(variable, memberFxn) \
    {0xFFFFFFFF, 0, 0, 0, &(variable), &afx::Message<memberFxn>},

// WM_COMMAND from a menu, an accelerator or a control's default
// notification (code 0, a button click): void memberFxn()
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), nullptr, &afx::Void<memberFxn>},
// void memberFxn(UINT id)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast), nullptr, &afx::CommandRange<memberFxn>},
// A control's notification `code`: void memberFxn()
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), nullptr, &afx::Void<memberFxn>},
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                                 \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast), nullptr, \
     &afx::CommandRange<memberFxn>},
// Button notifications: void memberFxn()
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
// Edit control notifications: void memberFxn()
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
// List and combo box notifications: void memberFxn()
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
// WM_NOTIFY: void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, memberFxn) \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), nullptr, &afx::Notify<memberFxn>},
