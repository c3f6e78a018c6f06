#pragma once

// The seam between the window system and a display: where top-level windows
// are shown, where input comes from and how the user-interface thread waits.
// The headless display (tests, screenshots) and the SDL2 display (people)
// implement it; with none installed, windows still work on a 1024 x 768
// screen of 96 pixels per inch that nobody sees and that gives no input.

#include "platform/ui/WinUser.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::gdi {
class Surface;
}

namespace platform::ui {

// A cursor picture: straight (not premultiplied) 0xAARRGGBB pixels, row by
// row, with its hot spot. System cursors also carry their IDC_ number so a
// display can use its own native cursor of that kind.
struct CursorImage {
    int m_nWidth = 0;
    int m_nHeight = 0;
    POINT m_ptHotSpot{};
    std::vector<std::uint32_t> m_pixels;
    int m_nSystemId = 0;  // 32512 (IDC_ARROW) ... or 0 for a module cursor
};

class IDisplay {
public:
    virtual ~IDisplay() = default;

    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    virtual int LogicalDpi() const = 0;
    // Whether top-level frames and captions are drawn by the display (real
    // windows of a desktop) rather than into the windows' own surfaces.
    virtual bool ProvidesFrames() const { return false; }

    // Top-level windows. `surface` holds the whole window (frame included)
    // and stays valid until TopLevelDestroyed.
    virtual void TopLevelCreated(HWND /*hwnd*/, platform::gdi::Surface& /*surface*/) {}
    virtual void TopLevelDestroyed(HWND /*hwnd*/) {}
    virtual void TopLevelChanged(HWND /*hwnd*/) {}  // moved, resized, shown, hidden, retitled, restacked
    // Called when the UI thread is about to wait: a display uploads the
    // surfaces whose generation changed.
    virtual void Present() {}

    virtual void CursorChanged(const CursorImage* /*cursor*/, bool /*visible*/) {}
    virtual void WarpPointer(POINT /*screen*/) {}
    virtual void Beep() {}

    // Turns pending native events into input (InjectInput) and messages.
    virtual void PollEvents() {}
    // Blocks the display's thread until an event or Wake() or until
    // `deadlineMs` on the platform clock (UINT64_MAX: no limit). Returns
    // false when the display cannot wait (the window system then waits on
    // its own queue).
    virtual bool WaitForEvents(std::uint64_t /*deadlineMs*/) { return false; }
    // Any thread: makes a WaitForEvents in progress return.
    virtual void Wake() {}
};

// Installs the display; its thread (the caller) becomes the input thread.
// Null restores the invisible default. The display must outlive its use.
void SetDisplay(IDisplay* display);
IDisplay* GetDisplay();  // never null

// Raw input, queued in arrival order and turned into window messages when
// the input thread retrieves it (so capture and focus set while handling one
// message decide where the next one goes).
enum class InputKind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Char };
enum class MouseButton { Left, Right, Middle };

struct InputEvent {
    InputKind m_kind = InputKind::MouseMove;
    POINT m_pt{};                 // screen coordinates (mouse kinds)
    MouseButton m_button = MouseButton::Left;
    int m_nWheelDelta = 0;        // multiples of WHEEL_DELTA
    UINT m_uVirtualKey = 0;       // key kinds
    unsigned m_uChar = 0;         // Char: the character (Latin-1)
    // KeyDown from a display that delivers the typed characters as Char
    // events of their own: TranslateMessage then makes no WM_CHAR for
    // printable keys.
    bool m_bTextSeparate = false;
};

// Whether a key types a character, which displays that deliver typed text
// on its own send as Char after a KeyDown marked m_bTextSeparate.
bool KeyTypesText(UINT virtualKey);

// Any thread. Updates the keyboard's and buttons' physical state at once.
void InjectInput(const InputEvent& event);
// Forgets the raw input still queued, the keyboard and button state, focus,
// activation, capture, the cursor and the display counter, and empties the
// calling thread's queue and timers: where a fresh display (a new test)
// starts from.
void ResetInputAndQueue();

// Whether raw input or any message is waiting for the input thread.
bool InputPending();

// What message pumps outside the framework call before TranslateMessage,
// so that windows of the framework (a modeless dialog's keyboard handling)
// see their messages first. The framework installs it; true means the
// message was handled and is not to be dispatched.
using PreTranslateHook = bool (*)(MSG* msg);
void SetPreTranslateHook(PreTranslateHook hook);
bool PreTranslate(MSG* msg);

// One step of a message loop: PeekMessage, the pre-translate hook,
// TranslateMessage, DispatchMessage. False when nothing was waiting; a
// WM_QUIT found is left in the queue and also gives false.
bool PumpOne();

// When the calling thread's next timer is due on the platform clock
// (UINT64_MAX when it has none).
std::uint64_t NextTimerDueOnThisThread();

// The surface of a top-level window (null for a child or a dead handle).
platform::gdi::Surface* TopLevelSurface(HWND hwnd);
// Top-level windows from bottom to top of the z-order, visible or not.
std::vector<HWND> TopLevelWindows();
// The cursor now shown (null when none was set) and whether the display
// counter lets it show.
const CursorImage* CurrentCursorImage();
bool CursorShown();
// How many times MessageBeep was called since the process started.
std::uint64_t BeepCount();
// Window title of a top-level as the display should show it.
std::string WindowTitle(HWND hwnd);

}  // namespace platform::ui
