#pragma once

// A display that nobody sees: a virtual screen of a chosen size and pixels
// per inch, input injected by the program, a virtual clock that moves only
// when told to, and pictures of any window or of the whole screen. Every
// test of the user interface runs on it; so do screenshots.
//
// Creating one installs it (the creating thread becomes the input thread),
// switches the platform clock to virtual time and sets the drawing layer's
// pixels per inch and screen size; destroying it puts all of that back.

#include "platform/gdi/Surface.h"
#include "platform/ui/Display.h"

#include <deque>
#include <functional>
#include <string>

namespace platform::display {

class CHeadlessDisplay final : public platform::ui::IDisplay {
public:
    // The virtual clock starts at `startMs` (GetTickCount reads it).
    CHeadlessDisplay(int width = 1024, int height = 768, int dpi = 96, std::uint64_t startMs = 100000);
    ~CHeadlessDisplay() override;
    CHeadlessDisplay(const CHeadlessDisplay&) = delete;
    CHeadlessDisplay& operator=(const CHeadlessDisplay&) = delete;

    // IDisplay
    int ScreenWidth() const override { return m_nWidth; }
    int ScreenHeight() const override { return m_nHeight; }
    int LogicalDpi() const override { return m_nDpi; }
    void CursorChanged(const platform::ui::CursorImage* cursor, bool visible) override;
    void WarpPointer(POINT screen) override;
    void Beep() override { ++m_nBeeps; }
    bool WaitForEvents(std::uint64_t deadlineMs) override;

    // Input at screen coordinates. Nothing happens until the input thread
    // retrieves it (Pump, or a message loop of the program).
    void MouseMove(POINT screen);
    void ButtonDown(POINT screen, platform::ui::MouseButton button = platform::ui::MouseButton::Left);
    void ButtonUp(POINT screen, platform::ui::MouseButton button = platform::ui::MouseButton::Left);
    void Wheel(POINT screen, int delta);
    void KeyDown(UINT virtualKey);
    void KeyUp(UINT virtualKey);
    // Characters as a keyboard's text input delivers them (WM_CHAR).
    void Text(const std::string& text);

    // The virtual clock.
    std::uint64_t Now() const;
    // Moves the clock without running anything: for steps of a modal loop,
    // which pumps by itself.
    void Tick(std::uint64_t ms);
    // Lets `ms` pass: the clock moves to each timer due in that time in
    // turn and the calling thread's messages run at every stop, so a 50 ms
    // timer fires four times in 200 ms.
    void Advance(std::uint64_t ms);

    // Runs the calling thread's messages until none is waiting (paints and
    // due timers included). Returns how many ran.
    std::size_t Pump();
    // Steps for message loops that run inside the program (a modal dialog,
    // a drag loop, a pop-up menu): whenever such a loop would wait for
    // input, the next step runs instead, usually to inject input. A loop
    // that would wait with no step left and nothing coming from another
    // thread stops the program with a message rather than hang.
    void WhenIdle(std::function<void()> step);
    std::size_t PendingSteps() const { return m_steps.size(); }
    bool InStep() const { return m_nStepDepth > 0; }

    // Pictures. A window's picture is cut from its top-level's pixels as
    // they are now (Pump first); `client` leaves out its frame.
    platform::gdi::Surface Capture(HWND hwnd, bool client = false) const;
    // Every visible top-level window from the bottom of the z-order up, on
    // the desktop colour, with the pointer when `withCursor` and it shows.
    platform::gdi::Surface Screen(bool withCursor = false) const;
    bool SavePng(HWND hwnd, const std::string& path, bool client = false) const;
    bool SaveScreenPng(const std::string& path, bool withCursor = false) const;

    // What the program did to the pointer.
    POINT PointerPosition() const { return m_ptPointer; }
    int WarpCount() const { return m_nWarps; }
    const platform::ui::CursorImage* ShownCursor() const { return m_bCursorVisible ? m_pCursor : nullptr; }
    bool CursorVisible() const { return m_bCursorVisible; }
    std::uint64_t Beeps() const { return m_nBeeps; }

private:
    void Button(platform::ui::InputKind kind, POINT screen, platform::ui::MouseButton button);

    int m_nWidth;
    int m_nHeight;
    int m_nDpi;
    std::deque<std::function<void()>> m_steps;
    int m_nStepDepth = 0;
    POINT m_ptPointer{0, 0};
    int m_nWarps = 0;
    const platform::ui::CursorImage* m_pCursor = nullptr;
    bool m_bCursorVisible = false;
    std::uint64_t m_nBeeps = 0;
    int m_nPreviousDpi;
    SIZE m_previousScreen;
};

}  // namespace platform::display
