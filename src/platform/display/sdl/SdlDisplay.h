#pragma once

// The display for people: every top-level window is a real SDL2 window
// (decorated with its title for framed windows, borderless for pop-ups),
// whose pixels are uploaded when its surface changes. Mouse, keyboard and
// text events become window messages; window closing becomes WM_CLOSE
// (through SC_CLOSE), resizing WM_SIZE. The pointer shows the window
// system's cursor, hides while the cursor is hidden and is warped by
// SetCursorPos. Pixels per inch come from the screen; on a screen of twice
// (or more) the usual density every window is drawn scaled by that whole
// factor and the program sees the density divided by it.
//
// Open it on the thread that will run the message loops; only programs
// that show real windows link it (library intonara_display_sdl).

#include "platform/ui/Display.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>

struct SDL_Window;
struct SDL_Cursor;
union SDL_Event;

namespace platform::display {

struct SdlOptions {
    int m_nScale = 0;  // 0: from the screen's density
    int m_nDpi = 0;    // 0: from the screen (96 when it does not say)
};

class CSdlDisplay final : public platform::ui::IDisplay {
public:
    // Null, with `error` saying why, when there is no screen to show on.
    static std::unique_ptr<CSdlDisplay> Open(std::string* error, SdlOptions options = {});
    ~CSdlDisplay() override;
    CSdlDisplay(const CSdlDisplay&) = delete;
    CSdlDisplay& operator=(const CSdlDisplay&) = delete;

    int ScreenWidth() const override { return m_nWidth; }
    int ScreenHeight() const override { return m_nHeight; }
    int LogicalDpi() const override { return m_nDpi; }
    bool ProvidesFrames() const override { return true; }
    int Scale() const { return m_nScale; }

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

    // The SDL window id showing `hwnd` (0 while it is not shown): for tests
    // that drive the real window from outside.
    unsigned WindowId(HWND hwnd) const;

private:
    struct CWindowOnScreen;

    CSdlDisplay() = default;
    void Handle(const SDL_Event& event);
    HWND WindowOf(unsigned sdlId) const;
    POINT ToScreen(HWND hwnd, int x, int y) const;
    void Sync(HWND hwnd, CWindowOnScreen& shown);
    void Upload(CWindowOnScreen& shown, bool force);

    int m_nWidth = 1024;
    int m_nHeight = 768;
    int m_nDpi = 96;
    int m_nScale = 1;
    std::thread::id m_thread;
    std::map<HWND, std::unique_ptr<CWindowOnScreen>> m_windows;
    std::map<int, SDL_Cursor*> m_systemCursors;
    std::map<const platform::ui::CursorImage*, SDL_Cursor*> m_imageCursors;
    bool m_bWarped = false;
    bool m_bRefocus = false;
    std::atomic<bool> m_bWoken{false};
    POINT m_ptWarp{};
    unsigned m_uAudio = 0;
};

}  // namespace platform::display
