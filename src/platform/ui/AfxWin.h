#pragma once

// The application framework, kept thin: window objects attached to window
// handles with message maps, the application object with its message loop
// and idle time, module state, and the drawing wrappers of AfxGdi.h.
//
// A window object is attached to its handle before the window gets its
// first message (WM_NCCREATE), through CreateEx or SubclassWindow; from
// then on every message goes to WindowProc, which looks it up in the
// message maps of the object's class and its bases and, when nobody maps
// it, calls DefWindowProc (the window's original procedure for a window
// created from another class, such as a control). After WM_NCDESTROY the
// object is detached and PostNcDestroy runs.

#include "platform/ui/AfxGdi.h"
#include "platform/ui/AfxMsgMap.h"
#include "platform/ui/Dialogs.h"

#include <string>

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Looks up a WM_COMMAND (code, id) or WM_NOTIFY in the message maps.
    BOOL DispatchCommand(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    // A window still attached is destroyed with its object.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    bool operator==(const CWnd& other) const { return m_hWnd == other.m_hWnd; }

    // The object attached to `hwnd`, or a temporary one (deleted at the
    // application's next idle time) when none is.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    static void DeleteTempMap();
    BOOL Attach(HWND hwnd);
    HWND Detach();
    // Attaches and routes the window's messages through this object; the
    // window's own procedure becomes the default handling.
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        void* context = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU idOrMenu, void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* param = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    // After WM_NCDESTROY, once detached; an object that owns itself
    // deletes itself here.
    virtual void PostNcDestroy() {}

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Called by message loops for every message of this window or its
    // children before translation; TRUE swallows it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // A message the parent hands back to the control it is about (an
    // owner-drawn button's WM_DRAWITEM); TRUE when the control took it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The default handling of the message being handled now.
    LRESULT Default();
    // The message being handled now on this thread (null outside any).
    static const MSG* GetCurrentMessage();

    // Wrappers of the window functions.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam) ? TRUE : FALSE;
    }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    // The control as an object of the wrapper class T (CButton, CEdit, ...):
    // its own object when it has one of that class, else a temporary one.
    template <class T>
    T* GetDlgItemAs(int id) const
    {
        return afx::As<T>(::GetDlgItem(m_hWnd, id));
    }
    // The controls of a dialog by ID (Dialogs.h).
    void SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    int GetDlgItemText(int id, LPSTR buffer, int maxCount) const
    {
        return static_cast<int>(::GetDlgItemTextA(m_hWnd, id, buffer, maxCount));
    }
    void GetDlgItemText(int id, std::string& text) const;
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
    }
    void SetFont(CFont* font, BOOL redraw = TRUE)
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font != nullptr ? font->m_hObject : nullptr), redraw);
    }
    CFont* GetFont() const
    {
        return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    }
    CWnd* GetWindow(UINT command) const { return FromHandle(::GetWindow(m_hWnd, command)); }
    CWnd* GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int id) { return ::SetDlgCtrlID(m_hWnd, id); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    // With `flags`, SetWindowPos runs with them afterwards (SWP_FRAMECHANGED
    // to apply a new frame).
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    int GetWindowText(LPSTR buffer, int maxCount) const { return ::GetWindowTextA(m_hWnd, buffer, maxCount); }
    void GetWindowText(std::string& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }

    void GetClientRect(RECT* rc) const { ::GetClientRect(m_hWnd, rc); }
    void GetWindowRect(RECT* rc) const { ::GetWindowRect(m_hWnd, rc); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(const RECT* rc, BOOL repaint = TRUE)
    {
        MoveWindow(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter != nullptr ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
    }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsChild(const CWnd* wnd) const { return wnd != nullptr && ::IsChild(m_hWnd, wnd->m_hWnd); }
    void ClientToScreen(POINT* pt) const { ::ClientToScreen(m_hWnd, pt); }
    void ClientToScreen(RECT* rc) const;
    void ScreenToClient(POINT* pt) const { ::ScreenToClient(m_hWnd, pt); }
    void ScreenToClient(RECT* rc) const;
    void MapWindowPoints(CWnd* to, POINT* points, UINT count) const
    {
        ::MapWindowPoints(m_hWnd, to != nullptr ? to->m_hWnd : nullptr, points, count);
    }
    CWnd* ChildWindowFromPoint(POINT pt) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, pt)); }
    static CWnd* WindowFromPoint(POINT pt) { return FromHandle(::WindowFromPoint(pt)); }

    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rc, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rc, erase); }
    void ValidateRect(const RECT* rc) { ::ValidateRect(m_hWnd, rc); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(const RECT* rc = nullptr, void* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, rc, region, flags);
    }
    // A temporary context for drawing outside a paint; give it back.
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
    int ReleaseDC(CDC* dc);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr)
    {
        return ::SetTimer(m_hWnd, id, elapse, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }

protected:
    // Default handlers: each does the default handling of its message, so
    // a derived handler can call its base's.
    int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    void OnSize(UINT, int, int) { Default(); }
    void OnMove(int, int) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnEnable(BOOL) { Default(); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
    // Hands the message to the control's own object (OnChildNotify), or
    // does the default handling.
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item);

    WNDPROC m_pfnSuper = nullptr;

    friend LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

namespace afx {
// The creation hook that attaches a window object (the context) to the
// window being made, before its first message.
void AttachOnCreate(HWND hwnd, void* wnd);
}  // namespace afx

// The window procedure of every framework window.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers (once) and names a window class with AfxWndProc and these
// attributes.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);
// Gives the framework windows from the target of `msg` up to its top-level
// window their PreTranslateMessage.
BOOL AfxPreTranslateMessage(MSG* msg);

// ---------------------------------------------------------------------------
// Application and module state

class CWinApp;

// What a module (the program or one plug-in library) knows of itself: its
// application object, its handle, where its resources are and its name.
struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp = nullptr;
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    const char* m_lpszCurrentAppName = nullptr;
};

// The module state in force on this thread (the module's own by default).
AFX_MODULE_STATE* AfxGetModuleState();
// The state of the module this code is linked into: each module that links
// the platform library has its own.
AFX_MODULE_STATE* AfxGetStaticModuleState();

// Puts a module's state in force for the life of the object.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevious;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _afxManagedState(p);

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
CWnd* AfxGetMainWnd();
const char* AfxGetAppName();

// The one application object of a module. Its constructor makes it the
// module's; Run is the message loop: idle time (OnIdle with a rising count
// until it returns FALSE) whenever the queue is empty, then each message
// through PreTranslateMessage, TranslateMessage and DispatchMessage, until
// WM_QUIT, whose code ExitInstance returns.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    const char* m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    MSG m_msgCur{};

    virtual BOOL InitApplication() { return TRUE; }
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL OnIdle(LONG count);
    virtual BOOL PreTranslateMessage(MSG* msg);
    // One message from GetMessage through to dispatch; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
};

// What a program's entry point calls with its application object in place:
// InitApplication and InitInstance, then Run, or ExitInstance when
// initialisation failed. Returns the exit code.
int AfxWinMain();
