#include "platform/display/sdl/SdlDisplay.h"

#include "platform/ui/DropFiles.h"

#include "platform/Clock.h"
#include "platform/gdi/Gdi.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::display {

using platform::ui::InputEvent;
using platform::ui::InputKind;
using platform::ui::MouseButton;

struct CSdlDisplay::CWindowOnScreen {
    platform::gdi::Surface* m_pSurface = nullptr;
    SDL_Window* m_pWindow = nullptr;
    std::uint64_t m_nUploaded = UINT64_MAX;
    bool m_bPopup = false;
};

namespace {

UINT VirtualKey(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) {
        return static_cast<UINT>('A' + (key - SDLK_a));
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return static_cast<UINT>('0' + (key - SDLK_0));
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + static_cast<UINT>(key - SDLK_F1);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return VK_NUMPAD0 + 1 + static_cast<UINT>(key - SDLK_KP_1);
    }
    switch (key) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT: return VK_LSHIFT;
    case SDLK_RSHIFT: return VK_RSHIFT;
    case SDLK_LCTRL: return VK_LCONTROL;
    case SDLK_RCTRL: return VK_RCONTROL;
    case SDLK_LALT: return VK_LMENU;
    case SDLK_RALT: return VK_RMENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    default: return 0;
    }
}

SDL_SystemCursor SystemCursorKind(int id)
{
    switch (id) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32515: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32644: return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645: return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646: return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648: return SDL_SYSTEM_CURSOR_NO;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

}  // namespace

std::unique_ptr<CSdlDisplay> CSdlDisplay::Open(std::string* error, SdlOptions options)
{
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Windows are uploaded as plain pixels; no GPU driver is needed.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (error != nullptr) {
            *error = std::string("cannot open a display: ") + SDL_GetError();
        }
        return nullptr;
    }
    std::unique_ptr<CSdlDisplay> display(new CSdlDisplay());
    display->m_thread = std::this_thread::get_id();
    float ddpi = 0;
    float hdpi = 0;
    float vdpi = 0;
    int dpi = options.m_nDpi;
    if (dpi <= 0) {
        dpi = SDL_GetDisplayDPI(0, &ddpi, &hdpi, &vdpi) == 0 && hdpi > 20 ? static_cast<int>(std::lround(hdpi)) : 96;
    }
    int scale = options.m_nScale;
    if (scale <= 0) {
        scale = std::max(1, dpi / 96 >= 2 ? dpi / 96 : 1);
    }
    display->m_nScale = scale;
    display->m_nDpi = std::max(1, static_cast<int>(std::lround(static_cast<double>(dpi) / scale)));
    SDL_Rect bounds{0, 0, 1024, 768};
    if (SDL_GetDisplayBounds(0, &bounds) == 0) {
        display->m_nWidth = std::max(1, bounds.w / scale);
        display->m_nHeight = std::max(1, bounds.h / scale);
    }
    platform::gdi::SetLogicalDpi(display->m_nDpi);
    platform::gdi::SetScreenSize(display->m_nWidth, display->m_nHeight);
    SDL_StartTextInput();
    platform::ui::SetDisplay(display.get());
    return display;
}

CSdlDisplay::~CSdlDisplay()
{
    platform::ui::SetDisplay(nullptr);
    for (auto& [hwnd, shown] : m_windows) {
        if (shown->m_pWindow != nullptr) {
            SDL_DestroyWindow(shown->m_pWindow);
        }
    }
    for (auto& [id, cursor] : m_systemCursors) {
        SDL_FreeCursor(cursor);
    }
    for (auto& [image, cursor] : m_imageCursors) {
        SDL_FreeCursor(cursor);
    }
    if (m_uAudio != 0) {
        SDL_CloseAudioDevice(m_uAudio);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

unsigned CSdlDisplay::WindowId(HWND hwnd) const
{
    auto it = m_windows.find(hwnd);
    return it != m_windows.end() && it->second->m_pWindow != nullptr ? SDL_GetWindowID(it->second->m_pWindow) : 0;
}

HWND CSdlDisplay::WindowOf(unsigned sdlId) const
{
    for (const auto& [hwnd, shown] : m_windows) {
        if (shown->m_pWindow != nullptr && SDL_GetWindowID(shown->m_pWindow) == sdlId) {
            return hwnd;
        }
    }
    return nullptr;
}

POINT CSdlDisplay::ToScreen(HWND hwnd, int x, int y) const
{
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return POINT{rc.left + x / m_nScale, rc.top + y / m_nScale};
}

void CSdlDisplay::TopLevelCreated(HWND hwnd, platform::gdi::Surface& surface)
{
    auto shown = std::make_unique<CWindowOnScreen>();
    shown->m_pSurface = &surface;
    m_windows[hwnd] = std::move(shown);
}

void CSdlDisplay::TopLevelDestroyed(HWND hwnd)
{
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end()) {
        return;
    }
    if (it->second->m_pWindow != nullptr) {
        // The desktop's keyboard focus goes nowhere when its window goes (or
        // hides); the window that is active now gets it back at the next
        // Present.
        if ((SDL_GetWindowFlags(it->second->m_pWindow) & SDL_WINDOW_SHOWN) != 0) {
            m_bRefocus = true;
        }
        SDL_DestroyWindow(it->second->m_pWindow);
    }
    m_windows.erase(it);
}

void CSdlDisplay::TopLevelChanged(HWND hwnd)
{
    auto it = m_windows.find(hwnd);
    if (it != m_windows.end()) {
        Sync(hwnd, *it->second);
    }
}

void CSdlDisplay::Sync(HWND hwnd, CWindowOnScreen& shown)
{
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    const bool visible = IsWindowVisible(hwnd) != FALSE;
    const int width = std::max(1, static_cast<int>(rc.right - rc.left)) * m_nScale;
    const int height = std::max(1, static_cast<int>(rc.bottom - rc.top)) * m_nScale;
    const std::string title = platform::ui::WindowTitle(hwnd);
    if (shown.m_pWindow == nullptr) {
        if (!visible) {
            return;
        }
        const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
        shown.m_bPopup = (style & WS_CAPTION) != WS_CAPTION;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (shown.m_bPopup) {
            flags |= SDL_WINDOW_BORDERLESS;
            if ((GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
                flags |= SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
            }
        }
        if ((style & WS_THICKFRAME) != 0) {
            flags |= SDL_WINDOW_RESIZABLE;
        }
        shown.m_pWindow =
            SDL_CreateWindow(title.c_str(), rc.left * m_nScale, rc.top * m_nScale, width, height, flags);
        if (shown.m_pWindow == nullptr) {
            return;
        }
        shown.m_nUploaded = UINT64_MAX;
    }
    SDL_Window* window = shown.m_pWindow;
    if (title != SDL_GetWindowTitle(window)) {
        SDL_SetWindowTitle(window, title.c_str());
    }
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    if (x != rc.left * m_nScale || y != rc.top * m_nScale) {
        SDL_SetWindowPosition(window, rc.left * m_nScale, rc.top * m_nScale);
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w != width || h != height) {
        SDL_SetWindowSize(window, width, height);
        shown.m_nUploaded = UINT64_MAX;
    }
    const bool onScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
    if (visible && !onScreen) {
        SDL_ShowWindow(window);
        if (GetActiveWindow() == hwnd) {
            SDL_RaiseWindow(window);
        }
        shown.m_nUploaded = UINT64_MAX;
    } else if (!visible && onScreen) {
        SDL_HideWindow(window);
        m_bRefocus = true;
    }
}

void CSdlDisplay::Upload(CWindowOnScreen& shown, bool force)
{
    if (shown.m_pWindow == nullptr || (SDL_GetWindowFlags(shown.m_pWindow) & SDL_WINDOW_SHOWN) == 0) {
        return;
    }
    platform::gdi::Surface& pixels = *shown.m_pSurface;
    if (!force && shown.m_nUploaded == pixels.Generation()) {
        return;
    }
    SDL_Surface* target = SDL_GetWindowSurface(shown.m_pWindow);
    if (target == nullptr) {
        return;
    }
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels.Row(0), pixels.Width(), pixels.Height(), 32, pixels.Width() * 4, SDL_PIXELFORMAT_RGB888);
    if (source == nullptr) {
        return;
    }
    if (m_nScale == 1) {
        SDL_BlitSurface(source, nullptr, target, nullptr);
    } else {
        SDL_Rect dest{0, 0, pixels.Width() * m_nScale, pixels.Height() * m_nScale};
        SDL_BlitScaled(source, nullptr, target, &dest);
    }
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(shown.m_pWindow);
    shown.m_nUploaded = pixels.Generation();
}

void CSdlDisplay::Present()
{
    for (auto& [hwnd, shown] : m_windows) {
        Sync(hwnd, *shown);
        Upload(*shown, false);
    }
    if (m_bRefocus) {
        m_bRefocus = false;
        const auto active = m_windows.find(GetActiveWindow());
        if (active != m_windows.end() && active->second->m_pWindow != nullptr &&
            (SDL_GetWindowFlags(active->second->m_pWindow) & SDL_WINDOW_SHOWN) != 0) {
            SDL_SetWindowInputFocus(active->second->m_pWindow);
        }
    }
}

void CSdlDisplay::CursorChanged(const platform::ui::CursorImage* cursor, bool visible)
{
    if (!visible || cursor == nullptr) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_Cursor* native = nullptr;
    if (cursor->m_nSystemId != 0) {
        SDL_Cursor*& cached = m_systemCursors[cursor->m_nSystemId];
        if (cached == nullptr) {
            cached = SDL_CreateSystemCursor(SystemCursorKind(cursor->m_nSystemId));
        }
        native = cached;
    } else {
        SDL_Cursor*& cached = m_imageCursors[cursor];
        if (cached == nullptr) {
            std::vector<std::uint32_t> pixels = cursor->m_pixels;
            SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
                pixels.data(), cursor->m_nWidth, cursor->m_nHeight, 32, cursor->m_nWidth * 4, SDL_PIXELFORMAT_ARGB8888);
            if (picture != nullptr) {
                cached = SDL_CreateColorCursor(picture, cursor->m_ptHotSpot.x, cursor->m_ptHotSpot.y);
                SDL_FreeSurface(picture);
            }
        }
        native = cached;
    }
    if (native != nullptr) {
        SDL_SetCursor(native);
    }
    SDL_ShowCursor(SDL_ENABLE);
}

void CSdlDisplay::WarpPointer(POINT screen)
{
    for (auto& [hwnd, shown] : m_windows) {
        RECT rc{};
        if (shown->m_pWindow == nullptr || !GetWindowRect(hwnd, &rc) || !PtInRect(&rc, screen)) {
            continue;
        }
        m_bWarped = true;
        m_ptWarp = screen;
        SDL_WarpMouseInWindow(shown->m_pWindow, (screen.x - rc.left) * m_nScale, (screen.y - rc.top) * m_nScale);
        return;
    }
    SDL_WarpMouseGlobal(screen.x * m_nScale, screen.y * m_nScale);
}

void CSdlDisplay::Beep()
{
    // A short tone where there is a sound device; silence where there is not.
    if (m_uAudio == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return;
        }
        SDL_AudioSpec want{};
        want.freq = 22050;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 512;
        m_uAudio = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (m_uAudio == 0) {
            return;
        }
        SDL_PauseAudioDevice(m_uAudio, 0);
    }
    std::vector<std::int16_t> tone(22050 / 12);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const double fade = 1.0 - static_cast<double>(i) / static_cast<double>(tone.size());
        tone[i] = static_cast<std::int16_t>(6000.0 * fade * std::sin(2.0 * M_PI * 880.0 * static_cast<double>(i) / 22050.0));
    }
    SDL_QueueAudio(m_uAudio, tone.data(), static_cast<Uint32>(tone.size() * sizeof(std::int16_t)));
}

void CSdlDisplay::Handle(const SDL_Event& event)
{
    InputEvent e;
    switch (event.type) {
    case SDL_MOUSEMOTION: {
        HWND hwnd = WindowOf(event.motion.windowID);
        if (hwnd == nullptr) {
            return;
        }
        e.m_kind = InputKind::MouseMove;
        e.m_pt = ToScreen(hwnd, event.motion.x, event.motion.y);
        if (m_bWarped && e.m_pt.x == m_ptWarp.x && e.m_pt.y == m_ptWarp.y) {
            m_bWarped = false;  // the echo of our own warp: already queued
            return;
        }
        platform::ui::InjectInput(e);
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        HWND hwnd = WindowOf(event.button.windowID);
        if (hwnd == nullptr) {
            return;
        }
        e.m_kind = event.type == SDL_MOUSEBUTTONDOWN ? InputKind::ButtonDown : InputKind::ButtonUp;
        e.m_pt = ToScreen(hwnd, event.button.x, event.button.y);
        e.m_button = event.button.button == SDL_BUTTON_RIGHT    ? MouseButton::Right
                     : event.button.button == SDL_BUTTON_MIDDLE ? MouseButton::Middle
                                                                : MouseButton::Left;
        platform::ui::InjectInput(e);
        return;
    }
    case SDL_DROPFILE: {
        // One file per event; a window that does not take files ignores it.
        if (event.drop.file != nullptr) {
            platform::ui::PostDroppedFiles(WindowOf(event.drop.windowID), {event.drop.file});
            SDL_free(event.drop.file);
        }
        return;
    }
    case SDL_MOUSEWHEEL: {
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        e.m_kind = InputKind::Wheel;
        e.m_pt = POINT{x / m_nScale, y / m_nScale};
        e.m_nWheelDelta = event.wheel.y * WHEEL_DELTA;
        platform::ui::InjectInput(e);
        return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const UINT vk = VirtualKey(event.key.keysym.sym);
        if (vk == 0) {
            return;
        }
        e.m_kind = event.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp;
        e.m_uVirtualKey = vk;
        e.m_bTextSeparate = platform::ui::KeyTypesText(vk);
        platform::ui::InjectInput(e);
        return;
    }
    case SDL_TEXTINPUT: {
        // UTF-8 to Latin-1; other characters have no place in this system.
        const auto* text = reinterpret_cast<const unsigned char*>(event.text.text);
        for (std::size_t i = 0; text[i] != 0;) {
            unsigned code = text[i];
            std::size_t length = 1;
            if (code >= 0xC0 && code < 0xE0 && text[i + 1] != 0) {
                code = ((code & 0x1F) << 6) | (text[i + 1] & 0x3F);
                length = 2;
            } else if (code >= 0x80) {
                while (text[i + length] != 0 && (text[i + length] & 0xC0) == 0x80) {
                    ++length;
                }
                code = 0;
            }
            if (code != 0 && code < 0x100) {
                e.m_kind = InputKind::Char;
                e.m_uChar = code;
                platform::ui::InjectInput(e);
            }
            i += length;
        }
        return;
    }
    case SDL_WINDOWEVENT: {
        HWND hwnd = WindowOf(event.window.windowID);
        if (hwnd == nullptr) {
            return;
        }
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            RECT rc{};
            GetWindowRect(hwnd, &rc);
            const int width = event.window.data1 / m_nScale;
            const int height = event.window.data2 / m_nScale;
            if (width != rc.right - rc.left || height != rc.bottom - rc.top) {
                SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            m_windows[hwnd]->m_nUploaded = UINT64_MAX;
            break;
        }
        case SDL_WINDOWEVENT_MOVED: {
            RECT rc{};
            GetWindowRect(hwnd, &rc);
            const int x = event.window.data1 / m_nScale;
            const int y = event.window.data2 / m_nScale;
            if (x != rc.left || y != rc.top) {
                SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
            Upload(*m_windows[hwnd], true);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            // A pop-up that never activates (an open menu or list) may get
            // the desktop's focus when it shows; the window under it stays
            // the active one.
            if (GetActiveWindow() != hwnd && IsWindowEnabled(hwnd) &&
                (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) == 0) {
                SetActiveWindow(hwnd);
            }
            break;
        default:
            break;
        }
        return;
    }
    default:
        return;
    }
}

void CSdlDisplay::PollEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        Handle(event);
    }
}

bool CSdlDisplay::WaitForEvents(std::uint64_t deadlineMs)
{
    Present();
    // The wait polls in short slices rather than blocking in SDL: while it
    // blocks, SDL wakes itself by sending an X event to a window of the
    // program, which may be gone (a dialog or a list just closed) by the
    // time the X server reads it, and the server's error for that ends the
    // program. Other threads wake the wait through a flag.
    constexpr std::uint64_t kSliceMs = 5;
    for (;;) {
        SDL_Event event;
        if (SDL_PollEvent(&event) != 0) {
            Handle(event);
            PollEvents();
            return true;
        }
        if (m_bWoken.exchange(false)) {
            return true;
        }
        std::uint64_t slice = kSliceMs;
        if (deadlineMs != UINT64_MAX) {
            const std::uint64_t now = platform::ClockMilliseconds();
            if (deadlineMs <= now) {
                return true;
            }
            slice = std::min(slice, deadlineMs - now);
        }
        SDL_Delay(static_cast<Uint32>(slice));
    }
}

void CSdlDisplay::Wake()
{
    if (std::this_thread::get_id() == m_thread) {
        return;  // the display's own thread is not waiting
    }
    m_bWoken.store(true);
}

}  // namespace platform::display
