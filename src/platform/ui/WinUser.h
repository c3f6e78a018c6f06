#pragma once

// The window system: window classes, windows and their tree, message queues
// and loops, input, focus and capture, cursors, timers and painting. The
// functions behave as their Win32 namesakes do, within the reach described
// next to each; what differs is said there.
//
// Threads. A window belongs to the thread that created it; only that thread
// may change it, paint it or destroy it. Any thread may post to it
// (PostMessage, PostThreadMessage, SendNotifyMessage never wait). A
// SendMessage from another thread waits, as in Win32, until the owning
// thread next looks at its queue. Message windows (Messages.h) are the one
// exception: their handler runs on whichever thread sends to them.
//
// Input (mouse, keys, focus, capture, activation) belongs to the thread that
// owns the display (see Display.h); windows of other threads never receive it.

#include "platform/gdi/GdiTypes.h"
#include "platform/ui/WinUserDefs.h"

#include <cstdint>

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, std::uintptr_t, DWORD);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
using UINT_PTR = std::uintptr_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LPCSTR = const char*;
using LPSTR = char*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPPOINT = POINT*;

struct HCURSOR__;
using HCURSOR = HCURSOR__*;
using HICON = HCURSOR;
struct HMENU__;
using HMENU = HMENU__*;

inline constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline constexpr LPARAM MAKELPARAM(unsigned lo, unsigned hi)
{
    return static_cast<LPARAM>(static_cast<DWORD>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
inline constexpr WPARAM MAKEWPARAM(unsigned lo, unsigned hi)
{
    return static_cast<WPARAM>(static_cast<DWORD>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
inline constexpr LRESULT MAKELRESULT(unsigned lo, unsigned hi) { return MAKELPARAM(lo, hi); }
// Signed client coordinates packed in a mouse message's lParam.
inline constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lp))); }
inline constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lp))); }
inline constexpr short GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<short>(HIWORD(wp)); }
inline constexpr WORD GET_KEYSTATE_WPARAM(WPARAM wp) { return LOWORD(wp); }

// ---------------------------------------------------------------------------
// Structures

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};
using WNDCLASS = WNDCLASSA;

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};
using WNDCLASSEX = WNDCLASSEXA;

struct CREATESTRUCTA {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
using CREATESTRUCT = CREATESTRUCTA;
using LPCREATESTRUCT = CREATESTRUCTA*;

struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

struct NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

struct STYLESTRUCT {
    DWORD styleOld;
    DWORD styleNew;
};

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

// ---------------------------------------------------------------------------
// Rectangles and points

BOOL SetRect(LPRECT rc, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT rc);
BOOL CopyRect(LPRECT dst, LPCRECT src);
BOOL IsRectEmpty(LPCRECT rc);
BOOL PtInRect(LPCRECT rc, POINT pt);
BOOL OffsetRect(LPRECT rc, int dx, int dy);
BOOL InflateRect(LPRECT rc, int dx, int dy);
BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b);
BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b);
BOOL EqualRect(LPCRECT a, LPCRECT b);

// ---------------------------------------------------------------------------
// Window classes

// Classes are found by name (ASCII case ignored): a class of the module
// given to CreateWindowEx first, then any CS_GLOBALCLASS class.
ATOM RegisterClassA(const WNDCLASSA* wc);
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* wc);
BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* wc);
int GetClassNameA(HWND hwnd, LPSTR buffer, int maxCount);
LONG_PTR GetClassLongPtrA(HWND hwnd, int index);
LONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value);
inline ATOM RegisterClass(const WNDCLASSA* wc) { return RegisterClassA(wc); }
inline ATOM RegisterClassEx(const WNDCLASSEXA* wc) { return RegisterClassExA(wc); }
inline BOOL UnregisterClass(LPCSTR name, HINSTANCE instance) { return UnregisterClassA(name, instance); }
inline BOOL GetClassInfo(HINSTANCE instance, LPCSTR name, WNDCLASSA* wc) { return GetClassInfoA(instance, name, wc); }
inline int GetClassName(HWND hwnd, LPSTR buffer, int maxCount) { return GetClassNameA(hwnd, buffer, maxCount); }
inline LONG_PTR GetClassLong(HWND hwnd, int index) { return GetClassLongPtrA(hwnd, index); }
inline LONG_PTR GetClassLongPtr(HWND hwnd, int index) { return GetClassLongPtrA(hwnd, index); }
inline LONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value) { return SetClassLongPtrA(hwnd, index, value); }

// ---------------------------------------------------------------------------
// Windows

// For a child window `menu` is its control ID. A failing WM_NCCREATE or
// WM_CREATE destroys the window and gives null.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
inline HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    return CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
inline HWND CreateWindowA(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                          HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    return CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                         HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    return CreateWindowA(className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
// A control ID in the HMENU argument of CreateWindowEx.
inline HMENU ControlId(int id) { return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)); }

// Sends WM_DESTROY to the window and then to its children, top-down, and
// WM_NCDESTROY bottom-up: children before their parent. Owned pop-ups are
// destroyed first.
BOOL DestroyWindow(HWND hwnd);

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(proc, hwnd, message, wParam, lParam);
}

HWND GetParent(HWND hwnd);  // a pop-up's owner, as in Win32
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL IsChild(HWND parent, HWND hwnd);
// GW_CHILD gives the top of the children's z-order, which is the first one
// created; GW_HWNDNEXT then walks down, so children come in creation order.
HWND GetWindow(HWND hwnd, UINT command);
HWND GetTopWindow(HWND hwnd);
inline HWND GetNextWindow(HWND hwnd, UINT command) { return GetWindow(hwnd, command); }
HWND GetDesktopWindow();
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);
HWND FindWindowA(LPCSTR className, LPCSTR windowName);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
int SetDlgCtrlID(HWND hwnd, int id);

BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
int GetWindowTextA(HWND hwnd, LPSTR buffer, int maxCount);
int GetWindowTextLengthA(HWND hwnd);
inline BOOL SetWindowText(HWND hwnd, LPCSTR text) { return SetWindowTextA(hwnd, text); }
inline int GetWindowText(HWND hwnd, LPSTR buffer, int maxCount) { return GetWindowTextA(hwnd, buffer, maxCount); }
inline int GetWindowTextLength(HWND hwnd) { return GetWindowTextLengthA(hwnd); }

// Values are pointer-sized in both spellings, so a pointer kept under
// GWL_USERDATA or DWL_USER survives on a 64-bit machine. Index 0 and up
// address the class's extra window bytes.
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongA(HWND hwnd, int index) { return GetWindowLongPtrA(hwnd, index); }
inline LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value) { return SetWindowLongPtrA(hwnd, index, value); }
inline LONG_PTR GetWindowLong(HWND hwnd, int index) { return GetWindowLongPtrA(hwnd, index); }
inline LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value) { return SetWindowLongPtrA(hwnd, index, value); }
inline LONG_PTR GetWindowLongPtr(HWND hwnd, int index) { return GetWindowLongPtrA(hwnd, index); }
inline LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) { return SetWindowLongPtrA(hwnd, index, value); }

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data);
HANDLE GetPropA(HWND hwnd, LPCSTR name);
HANDLE RemovePropA(HWND hwnd, LPCSTR name);

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
DWORD GetCurrentThreadId();

// ---------------------------------------------------------------------------
// Geometry

BOOL GetClientRect(HWND hwnd, LPRECT rc);
BOOL GetWindowRect(HWND hwnd, LPRECT rc);  // screen coordinates
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND hwnd, int command);  // whether it was visible before
BOOL IsWindowVisible(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);  // whether it was disabled before
BOOL IsWindowEnabled(HWND hwnd);
BOOL BringWindowToTop(HWND hwnd);
BOOL ClientToScreen(HWND hwnd, LPPOINT pt);
BOOL ScreenToClient(HWND hwnd, LPPOINT pt);
// Returns the horizontal shift in the low word and the vertical one in the
// high word; a null window stands for the screen.
int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);
HWND WindowFromPoint(POINT screenPoint);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);
HWND ChildWindowFromPointEx(HWND parent, POINT clientPoint, UINT flags);
BOOL AdjustWindowRectEx(LPRECT rc, DWORD style, BOOL menu, DWORD exStyle);
inline BOOL AdjustWindowRect(LPRECT rc, DWORD style, BOOL menu) { return AdjustWindowRectEx(rc, style, menu, 0); }
int GetSystemMetrics(int index);

// ---------------------------------------------------------------------------
// Messages

// SendMessageA, PostMessageA, IsWindow and HWND_BROADCAST are in Messages.h.
inline LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hwnd, message, wParam, lParam);
}
// A null window posts to the calling thread.
inline BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(hwnd, message, wParam, lParam) ? TRUE : FALSE;
}
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
inline BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostThreadMessageA(threadId, message, wParam, lParam);
}
// Sent at once on the window's own thread; queued without waiting for a
// window of another thread.
BOOL SendNotifyMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
inline BOOL SendNotifyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendNotifyMessageA(hwnd, message, wParam, lParam);
}
void PostQuitMessage(int exitCode);

// Order of retrieval: messages sent from other threads are handled first,
// then posted messages, then input, then WM_QUIT, then WM_PAINT for a window
// with an update region, then WM_TIMER for a timer that is due.
BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
inline BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    return GetMessageA(msg, hwnd, filterMin, filterMax);
}
inline BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    return PeekMessageA(msg, hwnd, filterMin, filterMax, removeFlags);
}
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
inline LRESULT DispatchMessage(const MSG* msg) { return DispatchMessageA(msg); }
BOOL WaitMessage();
// Waits for any of the handles (kernel events), for input of the kinds in
// `wakeMask`, or for the time to pass. Returns WAIT_OBJECT_0 + index of a
// signalled handle, WAIT_OBJECT_0 + count when messages arrived, or
// WAIT_TIMEOUT.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
DWORD GetMessageTime();
DWORD GetMessagePos();
DWORD GetQueueStatus(UINT flags);

// ---------------------------------------------------------------------------
// Input

SHORT GetKeyState(int virtualKey);       // as of the last key message retrieved
SHORT GetAsyncKeyState(int virtualKey);  // as the keyboard is now
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
UINT GetDoubleClickTime();
BOOL MessageBeep(UINT type);

// ---------------------------------------------------------------------------
// Cursors

// System cursors (IDC_ARROW, IDC_WAIT, IDC_IBEAM, IDC_CROSS, IDC_SIZEWE and
// the other IDC_ names) with a null instance; a module's cursor resources
// by name or MAKEINTRESOURCE(id) otherwise (a null instance then means the
// program's). Null when there is no such cursor. A module's cursor is
// made once and shared, like a system cursor: DestroyCursor leaves it.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
inline HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) { return LoadCursorA(instance, name); }
// A monochrome cursor from Win32's two masks, each `height` rows of
// ((width + 15) / 16) * 2 bytes, most significant bit leftmost. Pixels:
// AND 1 XOR 0 transparent, AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 XOR 1
// shown black (a screen-inverting pixel cannot be drawn everywhere).
HCURSOR CreateCursor(HINSTANCE instance, int xHotSpot, int yHotSpot, int width, int height, const void* andPlane,
                     const void* xorPlane);
BOOL DestroyCursor(HCURSOR cursor);
HCURSOR SetCursor(HCURSOR cursor);  // the one shown before
HCURSOR GetCursor();
// The display counter: the cursor shows while it is 0 or more. Returns the
// new count.
int ShowCursor(BOOL show);
BOOL GetCursorPos(LPPOINT pt);
// Moves the pointer (the display warps it) and, as in Win32, queues a
// mouse-move at the new place when it changed.
BOOL SetCursorPos(int x, int y);

// ---------------------------------------------------------------------------
// Bitmaps

// A module's bitmap resource (null: the program's) as a device-dependent
// bitmap for the screen; null when there is none. Delete it with
// DeleteObject.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);
inline HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name) { return LoadBitmapA(instance, name); }

// ---------------------------------------------------------------------------
// Timers

// On a window, `id` names the timer (the same window and id replace it); with
// no window a new id is returned. Periods below USER_TIMER_MINIMUM become
// it. Returns 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---------------------------------------------------------------------------
// Painting

// Update regions are kept as lists of up to 16 rectangles per window (past
// that, their bounding rectangle). A paint context is clipped to the window's
// visible part within them.
BOOL InvalidateRect(HWND hwnd, LPCRECT rc, BOOL erase);
BOOL ValidateRect(HWND hwnd, LPCRECT rc);
BOOL GetUpdateRect(HWND hwnd, LPRECT rc, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, LPCRECT rc, void* region, UINT flags);
HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// Contexts for drawing outside a paint: the client area (GetDC) or the whole
// window (GetWindowDC), clipped to what of it is visible. GetDC(null) draws
// on the screen.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
HWND WindowFromDC(HDC dc);

// ---------------------------------------------------------------------------
// Help

inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_QUIT = 0x0002;
inline constexpr UINT HELP_CONTENTS = 0x0003;
inline constexpr UINT HELP_FINDER = 0x000B;

// Hands the request to the help viewer a program installs
// (platform::ui::SetHelpViewer). With none installed there is no help
// window: HELP_QUIT succeeds, as there is nothing to close, and every other
// command fails.
BOOL WinHelpA(HWND window, LPCSTR helpFile, UINT command, std::uintptr_t data);
inline BOOL WinHelp(HWND window, LPCSTR helpFile, UINT command, std::uintptr_t data)
{
    return WinHelpA(window, helpFile, command, data);
}

namespace platform::ui {
// Shows, or closes, the help file for WinHelpA. Null removes the viewer.
using HelpViewer = BOOL (*)(HWND window, LPCSTR helpFile, UINT command, std::uintptr_t data);
void SetHelpViewer(HelpViewer viewer);
}  // namespace platform::ui
