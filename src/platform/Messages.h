#pragma once

// The window system's message services that code outside the user interface
// uses: registered window messages, the global atom table, message windows
// and the sending and posting of messages, and message boxes that go to a
// replaceable sink instead of a screen. String resources are in
// platform/resources/Resources.h.
//
// Everything here is process-wide and safe to call from any thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Scalar and handle types as the window system spells them. Other platform
// headers that need a window or module handle should include this header
// rather than declare their own.
using UINT = unsigned int;
using ATOM = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

// ---------------------------------------------------------------------------
// Registered window messages

// Identifiers handed out by RegisterWindowMessageA and atoms handed out by
// GlobalAddAtomA both live in this range, so they never collide with the
// fixed message numbers below it.
inline constexpr UINT kFirstRegisteredId = 0xC000;
inline constexpr UINT kLastRegisteredId = 0xFFFF;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_USER = 0x0400;

// The same name (compared without regard to ASCII case) gives the same
// identifier for the life of the process. A null or empty name gives 0.
UINT RegisterWindowMessageA(const char* name);
inline UINT RegisterWindowMessage(const char* name) { return RegisterWindowMessageA(name); }

// ---------------------------------------------------------------------------
// Global atom table

// The longest string an atom can hold.
inline constexpr std::size_t kMaxAtomLength = 255;

// Adds a reference to the atom for `text` (case-insensitive), creating it
// when needed. Returns 0 for a null, empty or over-long string or when the
// table is full.
ATOM GlobalAddAtomA(const char* text);
// The atom for `text` if it exists, else 0; adds no reference.
ATOM GlobalFindAtomA(const char* text);
// Drops one reference. Returns 0 on success and the atom itself when it was
// not a live atom, the way the window system reports it.
ATOM GlobalDeleteAtom(ATOM atom);
// Copies the atom's text (as first added) into `buffer`, cut to
// bufferSize - 1 characters and terminated. Returns the number of characters
// copied, 0 when the atom does not exist or the buffer has no room.
UINT GlobalGetAtomNameA(ATOM atom, char* buffer, int bufferSize);

// ---------------------------------------------------------------------------
// Windows and messages
//
// The window system itself is declared in platform/ui/WinUser.h; these are
// the parts that code outside the user interface (the log, the control
// interface) needs, declared here so that it need not include it.

// A message window stands for a top-level window that wants to hear about
// messages: it receives broadcasts and posted messages like any top-level
// window, but its handler runs on the thread that sends the message, or, for
// posted messages, on the thread that dispatches them.
using MessageHandler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

inline const HWND HWND_BROADCAST = reinterpret_cast<HWND>(std::uintptr_t{0xFFFF});

// Returns a new handle that is never reused, or null when `handler` is empty.
HWND CreateMessageWindow(MessageHandler handler);
// Once this returns the handler is not running and will not run again, except
// when called from inside the window's own handler, where that call finishes.
// Messages still queued for the window are dropped.
bool DestroyMessageWindow(HWND window);
// Whether the handle names a window (of any kind) that is not destroyed.
bool IsWindow(HWND window);

// Runs the window procedure (or a message window's handler) before
// returning and returns what it returned; 0 for a window that does not
// exist. A window of another thread runs it when that thread next looks at
// its queue, and the caller waits. With HWND_BROADCAST every top-level and
// message window gets the message, in creation order, and the result is 0;
// windows of other threads get it without the caller waiting.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message for the window's thread (every top-level and message
// window with HWND_BROADCAST; the calling thread with a null window) and
// returns at once; false when the window does not exist.
bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the window's queued messages in order on the calling thread, including
// any posted while they run. Returns how many ran. For a window other than a
// message window, only its own thread may do this.
std::size_t DispatchPostedMessages(HWND window);

// ---------------------------------------------------------------------------
// Message boxes

inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x02;
inline constexpr UINT MB_YESNOCANCEL = 0x03;
inline constexpr UINT MB_YESNO = 0x04;
inline constexpr UINT MB_RETRYCANCEL = 0x05;
inline constexpr UINT MB_TYPEMASK = 0x0F;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The caption a box gets when the caller gives none.
inline constexpr char kDefaultMessageBoxCaption[] = "Error";
// The caption of boxes shown through AfxMessageBox: the application's name.
inline constexpr char kApplicationCaption[] = "Intonara";

struct MessageBoxRequest {
    HWND m_hOwner = nullptr;
    std::string m_strText;
    std::string m_strCaption;
    UINT m_uType = MB_OK;
};

// A sink shows (or records) one box and returns the button that closed it.
using MessageBoxSink = std::function<int(const MessageBoxRequest& request)>;

// Installs `sink`; an empty sink restores the default, which prints
// "caption: text" as one line on stderr and answers with
// DefaultMessageBoxAnswer. Returns the sink that was installed before (empty
// for the default).
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);
// Nobody can click a box on stderr, so the default answer is the one that
// declines: Cancel or No where the box has it, Abort for
// abort/retry/ignore, OK for a plain box.
int DefaultMessageBoxAnswer(UINT type);

// A null caption means kDefaultMessageBoxCaption; a null text is empty.
// An installed sink gets every box. Without one, a box asked for on the
// thread that runs the display is a modal window (platform/ui/Dialogs.h)
// that disables its owner until it is answered; on any other thread it
// goes to the default sink. Exceptions thrown by the sink reach the
// caller.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
// With the application's name as caption, owned by the application's main
// window or else the active window.
int AfxMessageBox(const char* text, UINT type = MB_OK);
