#pragma once

// Driving windows in tests: a headless screen, input at a window's client
// points, pumping until idle, virtual time, pictures and pixels, and a window
// class that records the messages it gets.
//
//   uitest::CUi ui;                          // 800 x 600 at 96 dpi
//   HWND w = ui.Recorder().Create(...);      // or any window of your own
//   ui.Click(w, 10, 20);                     // injects and runs the messages
//   ui.Advance(200);                         // four ticks of a 50 ms timer
//   EXPECT_EQ(ui.Pixel(w, 3, 4), RGB(255, 0, 0));
//
// Inside a modal loop of the program (a dialog, a drag, a pop-up menu) the
// test acts through steps queued with WhenIdle; input given from a step is
// only injected, for the loop itself pumps.

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/WinUser.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace uitest {

using platform::ui::MouseButton;

// Modifier keys held around a click or key.
inline constexpr unsigned kShift = 1;
inline constexpr unsigned kControl = 2;
inline constexpr unsigned kAlt = 4;

class CUi {
public:
    explicit CUi(int width = 800, int height = 600, int dpi = 96) : m_display(width, height, dpi) {}
    ~CUi()
    {
        // Windows left by a test go before the display does.
        for (HWND hwnd : platform::ui::TopLevelWindows()) {
            if (IsWindow(hwnd)) {
                DestroyWindow(hwnd);
            }
        }
    }
    CUi(const CUi&) = delete;
    CUi& operator=(const CUi&) = delete;

    platform::display::CHeadlessDisplay& Display() { return m_display; }

    static POINT ScreenPoint(HWND hwnd, int x, int y)
    {
        POINT pt{x, y};
        ClientToScreen(hwnd, &pt);
        return pt;
    }

    // ---- mouse, at client coordinates of `hwnd`
    void Move(HWND hwnd, int x, int y)
    {
        m_display.MouseMove(ScreenPoint(hwnd, x, y));
        Settle();
    }
    void Down(HWND hwnd, int x, int y, MouseButton button = MouseButton::Left)
    {
        const POINT pt = ScreenPoint(hwnd, x, y);
        m_display.MouseMove(pt);
        m_display.ButtonDown(pt, button);
        Settle();
    }
    void Up(HWND hwnd, int x, int y, MouseButton button = MouseButton::Left)
    {
        const POINT pt = ScreenPoint(hwnd, x, y);
        m_display.MouseMove(pt);
        m_display.ButtonUp(pt, button);
        Settle();
    }
    // Press and release at one point, with modifiers held around it.
    void Click(HWND hwnd, int x, int y, unsigned modifiers = 0, MouseButton button = MouseButton::Left)
    {
        Hold(modifiers, true);
        const POINT pt = ScreenPoint(hwnd, x, y);
        m_display.MouseMove(pt);
        m_display.ButtonDown(pt, button);
        m_display.ButtonUp(pt, button);
        Hold(modifiers, false);
        Settle();
    }
    void RightClick(HWND hwnd, int x, int y, unsigned modifiers = 0)
    {
        Click(hwnd, x, y, modifiers, MouseButton::Right);
    }
    // Two clicks 100 ms apart on the virtual clock: a double-click.
    void DoubleClick(HWND hwnd, int x, int y)
    {
        const POINT pt = ScreenPoint(hwnd, x, y);
        m_display.MouseMove(pt);
        m_display.ButtonDown(pt);
        m_display.ButtonUp(pt);
        m_display.Tick(100);
        m_display.ButtonDown(pt);
        m_display.ButtonUp(pt);
        Settle();
    }
    // Button down at `from`, `steps` moves along the straight line, button up
    // at `to`; the moves are whole pixels and the last one lands on `to`.
    void Drag(HWND hwnd, POINT from, POINT to, int steps = 4, unsigned modifiers = 0,
              MouseButton button = MouseButton::Left)
    {
        Hold(modifiers, true);
        const POINT start = ScreenPoint(hwnd, from.x, from.y);
        m_display.MouseMove(start);
        m_display.ButtonDown(start, button);
        for (int i = 1; i <= steps; ++i) {
            const int x = from.x + (to.x - from.x) * i / steps;
            const int y = from.y + (to.y - from.y) * i / steps;
            m_display.MouseMove(ScreenPoint(hwnd, x, y));
        }
        m_display.ButtonUp(ScreenPoint(hwnd, to.x, to.y), button);
        Hold(modifiers, false);
        Settle();
    }
    void Wheel(HWND hwnd, int x, int y, int delta)
    {
        m_display.Wheel(ScreenPoint(hwnd, x, y), delta);
        Settle();
    }

    // ---- keyboard, to the window with the focus
    void Key(UINT vk, unsigned modifiers = 0)
    {
        Hold(modifiers, true);
        m_display.KeyDown(vk);
        m_display.KeyUp(vk);
        Hold(modifiers, false);
        Settle();
    }
    void KeyDown(UINT vk)
    {
        m_display.KeyDown(vk);
        Settle();
    }
    void KeyUp(UINT vk)
    {
        m_display.KeyUp(vk);
        Settle();
    }
    void Type(const std::string& text)
    {
        m_display.Text(text);
        Settle();
    }

    // ---- running
    std::size_t Pump() { return m_display.Pump(); }
    void Advance(std::uint64_t ms) { m_display.Advance(ms); }
    void WhenIdle(std::function<void()> step) { m_display.WhenIdle(std::move(step)); }

    // ---- pictures, after running what is waiting
    platform::gdi::Surface Shot(HWND hwnd, bool client = true)
    {
        Settle();
        return m_display.Capture(hwnd, client);
    }
    // The colour of a client pixel of `hwnd` as it shows on its top-level.
    COLORREF Pixel(HWND hwnd, int x, int y)
    {
        Settle();
        const POINT pt = ScreenPoint(hwnd, x, y);
        const HWND root = GetAncestor(hwnd, GA_ROOT);
        RECT rootRect{};
        GetWindowRect(root, &rootRect);
        const platform::gdi::Surface* surface = platform::ui::TopLevelSurface(root);
        return platform::gdi::ToColorRef(surface->Pixel(pt.x - rootRect.left, pt.y - rootRect.top));
    }
    bool Save(HWND hwnd, const std::string& path, bool client = false)
    {
        Settle();
        return m_display.SavePng(hwnd, path, client);
    }
    bool SaveScreen(const std::string& path)
    {
        Settle();
        return m_display.SaveScreenPng(path);
    }

private:
    void Hold(unsigned modifiers, bool down)
    {
        static const std::pair<unsigned, UINT> kKeys[] = {{kShift, VK_SHIFT}, {kControl, VK_CONTROL}, {kAlt, VK_MENU}};
        for (const auto& [flag, vk] : kKeys) {
            if ((modifiers & flag) != 0) {
                down ? m_display.KeyDown(vk) : m_display.KeyUp(vk);
            }
        }
    }
    void Settle()
    {
        if (!m_display.InStep()) {
            m_display.Pump();
        }
    }

    platform::display::CHeadlessDisplay m_display;
};

// One message as a window procedure saw it.
struct Message {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int x() const { return GET_X_LPARAM(lParam); }
    int y() const { return GET_Y_LPARAM(lParam); }
};

// Windows of a recording class: every message they get is kept in order
// (shared by all recorder windows), then left to DefWindowProc unless a
// handler for that message answers first. Two classes are registered,
// "UiTestRecorder" and "UiTestRecorderDbl" (with CS_DBLCLKS), both with a
// white background and the arrow cursor.
class CRecorder {
public:
    // Return true and set `result` to answer instead of DefWindowProc.
    using Handler = std::function<bool(const Message& m, LRESULT& result)>;

    CRecorder()
    {
        Instance() = this;
        Register("UiTestRecorder", 0);
        Register("UiTestRecorderDbl", CS_DBLCLKS);
    }
    ~CRecorder()
    {
        for (HWND hwnd : m_created) {
            if (IsWindow(hwnd)) {
                DestroyWindow(hwnd);
            }
        }
        Instance() = nullptr;
    }
    CRecorder(const CRecorder&) = delete;
    CRecorder& operator=(const CRecorder&) = delete;

    // A top-level pop-up (visible, at screen x, y) or, with a parent, a
    // visible child with control ID `id`.
    HWND Create(int x, int y, int width, int height, HWND parent = nullptr, int id = 0, DWORD style = 0,
                bool doubleClicks = false, DWORD exStyle = 0)
    {
        const DWORD kind = parent != nullptr ? WS_CHILD : WS_POPUP;
        HWND hwnd = CreateWindowExA(exStyle, doubleClicks ? "UiTestRecorderDbl" : "UiTestRecorder", "",
                                    kind | WS_VISIBLE | style, x, y, width, height, parent,
                                    parent != nullptr ? ControlId(id) : nullptr, nullptr, nullptr);
        if (hwnd != nullptr) {
            m_created.push_back(hwnd);
        }
        return hwnd;
    }

    // Answers `message` (for any recorder window) with `handler`.
    void On(UINT message, Handler handler) { m_handlers[message] = std::move(handler); }
    void Clear() { m_log.clear(); }
    const std::vector<Message>& Log() const { return m_log; }
    // The messages of one window, optionally only those in `kinds`.
    std::vector<Message> Of(HWND hwnd, std::vector<UINT> kinds = {}) const
    {
        std::vector<Message> out;
        for (const Message& m : m_log) {
            if (m.hwnd == hwnd && (kinds.empty() || Contains(kinds, m.message))) {
                out.push_back(m);
            }
        }
        return out;
    }
    // Just the message numbers, in order, of the kinds given (all when
    // empty), across every recorder window.
    std::vector<UINT> Sequence(std::vector<UINT> kinds = {}) const
    {
        std::vector<UINT> out;
        for (const Message& m : m_log) {
            if (kinds.empty() || Contains(kinds, m.message)) {
                out.push_back(m.message);
            }
        }
        return out;
    }
    std::vector<std::pair<HWND, UINT>> Trace(std::vector<UINT> kinds) const
    {
        std::vector<std::pair<HWND, UINT>> out;
        for (const Message& m : m_log) {
            if (Contains(kinds, m.message)) {
                out.emplace_back(m.hwnd, m.message);
            }
        }
        return out;
    }

private:
    static bool Contains(const std::vector<UINT>& kinds, UINT message)
    {
        for (UINT k : kinds) {
            if (k == message) {
                return true;
            }
        }
        return false;
    }
    static CRecorder*& Instance()
    {
        static CRecorder* instance = nullptr;
        return instance;
    }
    static void Register(const char* name, UINT style)
    {
        WNDCLASSA wc{};
        wc.style = style;
        wc.lpfnWndProc = &CRecorder::Proc;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = name;
        RegisterClassA(&wc);  // fails harmlessly once registered
    }
    static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        CRecorder* self = Instance();
        if (self != nullptr) {
            const Message m{hwnd, message, wParam, lParam};
            self->m_log.push_back(m);
            auto it = self->m_handlers.find(message);
            LRESULT result = 0;
            if (it != self->m_handlers.end() && it->second(m, result)) {
                return result;
            }
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    std::vector<Message> m_log;
    std::map<UINT, Handler> m_handlers;
    std::vector<HWND> m_created;
};

}  // namespace uitest
