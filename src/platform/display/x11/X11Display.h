#pragma once

// A display on an X server through plain Xlib, for windows that live inside
// another program's window: a plug-in's panel shown in its host. A top-level
// window of the window system that is embedded becomes a child of the given
// X window; every other top-level (drop-down lists, menus, message boxes,
// dialogs) becomes a window of its own on the X screen, pop-ups without
// decoration. Pixels are uploaded when a surface changes and when the server
// asks (Expose). Mouse, keyboard and text become window messages; a
// window manager's close becomes WM_CLOSE (through SC_CLOSE). The pointer
// shows the window system's cursor, hides while the cursor is hidden and is
// warped by SetCursorPos.
//
// The window system's screen is the X screen: an embedded window's rectangle
// follows where its host has put it, so pop-ups open beside it. Pixels per
// inch come from the desktop's font setting (Xft.dpi), else 96.
//
// Open it on the thread that will run the message loops; only programs that
// show windows inside X windows link it (library intonara_display_x11).

#include "platform/ui/Display.h"

#include <map>
#include <memory>
#include <string>
#include <thread>

namespace platform::display {

struct X11Options {
    int m_nDpi = 0;  // 0: from the desktop's setting (96 when it has none)
};

class CX11Display final : public platform::ui::IDisplay {
public:
    using XWindow = unsigned long;

    // Null, with `error` saying why, when no X server answers. `name` is an
    // X display name; null means $DISPLAY.
    static std::unique_ptr<CX11Display> Open(std::string* error, const char* name = nullptr,
                                             X11Options options = {});
    ~CX11Display() override;
    CX11Display(const CX11Display&) = delete;
    CX11Display& operator=(const CX11Display&) = delete;

    // Shows the top-level `hwnd` inside the X window `parent`, at its top
    // left corner, from the moment it is visible. Call before showing it.
    void Embed(HWND hwnd, XWindow parent);

    int ScreenWidth() const override { return m_nWidth; }
    int ScreenHeight() const override { return m_nHeight; }
    int LogicalDpi() const override { return m_nDpi; }
    bool ProvidesFrames() const override { return true; }

    void TopLevelCreated(HWND hwnd, platform::gdi::Surface& surface) override;
    void TopLevelDestroyed(HWND hwnd) override;
    void TopLevelChanged(HWND hwnd) override;
    void Present() override;
    void CursorChanged(const platform::ui::CursorImage* cursor, bool visible) override;
    void WarpPointer(POINT screen) override;
    void Beep() override;
    void PollEvents() override;
    bool WaitForEvents(std::uint64_t deadlineMs) override;
    void Wake() override;

    // The X window showing `hwnd` (0 while it is not shown): for tests that
    // drive the real window from outside.
    XWindow WindowId(HWND hwnd) const;

private:
    struct CWindowOnScreen;
    struct CConnection;

    CX11Display();
    void Handle(const void* event);
    HWND WindowOf(XWindow window) const;
    void Sync(HWND hwnd, CWindowOnScreen& shown);
    void Upload(CWindowOnScreen& shown, bool force);
    // An embedded window's rectangle follows its place on the X screen.
    void FollowHost(HWND hwnd, CWindowOnScreen& shown);
    void ApplyCursor(XWindow window) const;
    void DrainWake();

    std::unique_ptr<CConnection> m_x;
    int m_nWidth = 1024;
    int m_nHeight = 768;
    int m_nDpi = 96;
    int m_nWakeFd = -1;
    std::thread::id m_thread;
    std::map<HWND, std::unique_ptr<CWindowOnScreen>> m_windows;
    std::map<HWND, XWindow> m_embedIn;
    std::map<int, XWindow> m_systemCursors;
    std::map<const platform::ui::CursorImage*, XWindow> m_imageCursors;
    XWindow m_blankCursor = 0;
    XWindow m_currentCursor = 0;  // 0: the parent's own
    bool m_bWarped = false;
    POINT m_ptWarp{};
};

}  // namespace platform::display
