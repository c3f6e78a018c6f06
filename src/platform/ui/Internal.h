#pragma once

// What the window system's files share: the window and class records, the
// per-thread queues and the process-wide input state. Not for use outside
// platform/ui and the displays.

#include "platform/Clock.h"
#include "platform/gdi/Surface.h"
#include "platform/ui/Display.h"
#include "platform/ui/Region.h"
#include "platform/ui/WinUser.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::ui::detail {

struct CWindowClass {
    std::string m_strName;
    std::string m_strKey;  // name folded to lower case
    ATOM m_atom = 0;
    UINT m_uStyle = 0;
    WNDPROC m_pfnProc = nullptr;
    int m_cbWndExtra = 0;
    HINSTANCE m_hInstance = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hIconSm = nullptr;
    HCURSOR m_hCursor = nullptr;
    HBRUSH m_hbrBackground = nullptr;
    std::vector<BYTE> m_classExtra;
    int m_nWindows = 0;  // live windows of the class
};

struct CThreadQueue;

// A message sent from another thread, waiting for the owner to run it.
struct CSentMessage {
    HWND m_hwnd = nullptr;
    UINT m_uMessage = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
    bool m_bNotify = false;  // nobody waits for the result
    // Guarded by the sender's queue mutex.
    LRESULT m_result = 0;
    bool m_bDone = false;
    std::shared_ptr<CThreadQueue> m_pSender;
};

struct CTimer {
    HWND m_hwnd = nullptr;
    UINT_PTR m_id = 0;
    UINT m_uPeriod = 0;
    std::uint64_t m_nDue = 0;
    TIMERPROC m_pfnProc = nullptr;
};

struct CThreadQueue {
    DWORD m_dwThreadId = 0;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    // Guarded by m_mutex.
    std::deque<MSG> m_posted;
    std::deque<std::shared_ptr<CSentMessage>> m_sent;
    // Work other threads hand to this one (a repaint asked for from
    // elsewhere), run where sent messages are.
    std::deque<std::function<void()>> m_tasks;
    bool m_bQuit = false;
    int m_nQuitCode = 0;

    // Only the owning thread touches these.
    std::vector<CTimer> m_timers;
    std::deque<MSG> m_input;  // input already turned into messages
    std::vector<HWND> m_paintPending;
    DWORD m_dwMessageTime = 0;
    POINT m_ptMessage{};
    bool m_bLastKeyTextSeparate = false;
    // Messages retrieved by this thread that carry text separately (for
    // TranslateMessage), keyed by nothing but arrival: the flag of the last
    // key message retrieved.
};

struct CWindow {
    HWND m_hwnd = nullptr;
    std::shared_ptr<CWindowClass> m_pClass;
    std::shared_ptr<CThreadQueue> m_pQueue;
    WNDPROC m_pfnProc = nullptr;
    HINSTANCE m_hInstance = nullptr;
    DWORD m_dwStyle = 0;
    DWORD m_dwExStyle = 0;
    CWindow* m_pParent = nullptr;  // children only
    CWindow* m_pOwner = nullptr;   // top-level windows only
    std::vector<CWindow*> m_children;  // [0] is the top of the z-order
    RECT m_rcWindow{};  // parent's client coordinates; screen for top-level
    RECT m_rcClient{};  // same coordinates as m_rcWindow
    std::string m_strText;
    LONG_PTR m_id = 0;
    LONG_PTR m_userData = 0;
    std::vector<BYTE> m_extra;
    std::map<std::string, HANDLE> m_props;

    CRegion m_update;  // client coordinates
    bool m_bErasePending = false;
    bool m_bNcPaintPending = false;
    bool m_bPaintedThisRound = false;  // BeginPaint ran for the current WM_PAINT
    std::unique_ptr<platform::gdi::Surface> m_pSurface;  // top-level only

    bool m_bDestroying = false;
    std::atomic<bool> m_bDead{false};  // read by threads that post or send
    bool m_bMessageOnly = false;  // parent HWND_MESSAGE: no tree, no input, no paint

    // Message windows of Messages.h: a handler any thread may call.
    bool m_bFreeThreaded = false;
    MessageHandler m_handler;
    std::recursive_mutex m_dispatchMutex;
    bool m_bAlive = true;  // guarded by m_dispatchMutex
};

using WindowPtr = std::shared_ptr<CWindow>;

// ---------------------------------------------------------------------------
// Classes (WindowClass.cpp)

std::shared_ptr<CWindowClass> FindClass(HINSTANCE instance, const char* name);
void CountClassWindow(CWindowClass& cls, int delta);

// ---------------------------------------------------------------------------
// Tables (WindowTree.cpp)

// Called once on the creating thread for the next window it creates, with
// the new handle, before the window gets any message: how the framework
// attaches its window object ahead of WM_NCCREATE.
using CreationHook = void (*)(HWND hwnd, void* context);
void SetNextCreationHook(CreationHook hook, void* context);

// The window of a handle, or null with ERROR_INVALID_WINDOW_HANDLE.
CWindow* Find(HWND hwnd);
CWindow* FindQuiet(HWND hwnd);
WindowPtr Lookup(HWND hwnd);
// Every window with an owner queue, top-level and message windows, in
// creation order.
std::vector<WindowPtr> BroadcastTargets();
// Top-level windows (message windows excluded), [0] the topmost.
std::vector<CWindow*>& TopLevels();  // input thread only
std::mutex& TableMutex();

bool IsTopLevel(const CWindow* w);
CWindow* RootOf(CWindow* w);
bool OwnedByCaller(const CWindow* w);
LRESULT Call(CWindow* w, UINT message, WPARAM wParam, LPARAM lParam);
void RemoveFromZOrder(CWindow* w);
HWND CreateFreeThreadedWindow(MessageHandler handler, WNDPROC proc, const std::shared_ptr<CWindowClass>& cls);
bool DestroyFreeThreadedWindow(HWND hwnd);

// ---------------------------------------------------------------------------
// Queues (MessageQueue.cpp)

std::shared_ptr<CThreadQueue> CurrentQueue();
void WakeQueue(CThreadQueue& queue);
void WakeThread(DWORD threadId);
// Drops everything queued for the calling thread and its timers; sends
// waiting on it are answered with 0.
void ResetCallersQueue();
// Runs `task` on the thread of `queue` the next time it looks at its queue.
void QueueTask(CThreadQueue& queue, std::function<void()> task);
// The pointer's place for a message's `pt`: as the input thread last saw
// it, or (0, 0) on other threads, which must not read the input state.
POINT MessagePoint();
void PurgeMessagesFor(CWindow* w);
void NotePaintPending(CWindow* w);

// ---------------------------------------------------------------------------
// Geometry (Geometry.cpp)

POINT ClientScreenOrigin(const CWindow* w);
POINT WindowScreenOrigin(const CWindow* w);
// Where the window's client (0, 0) is on its top-level's surface.
POINT ClientSurfaceOrigin(const CWindow* w);
POINT WindowSurfaceOrigin(const CWindow* w);
bool Visible(const CWindow* w);  // itself and every ancestor
RECT NonClientInsets(DWORD style, DWORD exStyle, bool topLevel);
void SetWindowRects(CWindow* w, const RECT& rcWindow);
CWindow* HitTestWindow(POINT screen, LRESULT* hit);

// ---------------------------------------------------------------------------
// Painting (Paint.cpp)

// The surface pixels the window may draw: client area or whole window,
// minus what children and higher siblings cover, in surface coordinates.
CRegion VisibleRegion(const CWindow* w, bool client);
void InvalidateWindowArea(CWindow* w, const RECT* rcClient, bool erase, bool children);
// The parts of `rcParentClient` in w's parent (or, for a top-level, the
// screen) that show whatever is below `w` once it is gone or moved.
void ExposeArea(CWindow* parent, const RECT& rcParentClient);
bool PaintPending(const CWindow* w);
void DropPaint(CWindow* w);

// ---------------------------------------------------------------------------
// Input (Input.cpp)

struct CInputState {
    HWND m_hFocus = nullptr;
    HWND m_hActive = nullptr;
    HWND m_hCapture = nullptr;
    HCURSOR m_hCursor = nullptr;
    int m_nShowCount = 0;
    POINT m_ptCursor{0, 0};
    std::array<bool, 256> m_syncKeys{};
    std::array<bool, 256> m_toggled{};
    // Double-click tracking.
    HWND m_hLastClick = nullptr;
    UINT m_uLastClickButton = 0;
    std::uint64_t m_nLastClickTime = 0;
    POINT m_ptLastClick{};
    bool m_bClickWasDouble = false;
    std::atomic<DWORD> m_dwInputThread{0};  // read by threads that post
};
CInputState& Input();
// Turns the next raw event into a message in the input thread's queue.
// Returns false when there is none.
bool ResolveNextInput(CThreadQueue& queue);
bool RawInputPending();
void ForgetWindowInput(CWindow* w);  // focus, capture, activation leaving w
void CursorStateChanged();

// ---------------------------------------------------------------------------
// Timers (Timers.cpp)

// The earliest due time of the caller's timers (UINT64_MAX when none).
std::uint64_t NextTimerDue(const CThreadQueue& queue);
bool TakeDueTimer(CThreadQueue& queue, HWND filter, UINT filterMin, UINT filterMax, bool remove, MSG* msg);
void KillTimersOf(CThreadQueue& queue, HWND hwnd);

// ---------------------------------------------------------------------------
// Default processing (DefWindowProc.cpp)

void PaintNonClient(CWindow* w);

}  // namespace platform::ui::detail
