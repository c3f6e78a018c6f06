#include "platform/display/x11/X11Display.h"

#include "platform/Clock.h"
#include "platform/gdi/Gdi.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace platform::display {

using platform::ui::InputEvent;
using platform::ui::InputKind;
using platform::ui::MouseButton;

struct CX11Display::CConnection {
    ::Display* m_pDisplay = nullptr;
    int m_nScreen = 0;
    Window m_root = 0;
    Visual* m_pVisual = nullptr;
    int m_nDepth = 0;
    Atom m_wmProtocols = 0;
    Atom m_wmDelete = 0;
    // Whether the screen's pixels are laid out as the surfaces' are
    // (0x00RRGGBB in 32 bits), so that a surface is sent as it is.
    bool m_bDirectPixels = false;
};

struct CX11Display::CWindowOnScreen {
    platform::gdi::Surface* m_pSurface = nullptr;
    Window m_window = 0;
    GC m_gc = nullptr;
    std::uint64_t m_nUploaded = UINT64_MAX;
    bool m_bEmbedded = false;
    bool m_bMapped = false;
    // Where the window was last put and how large (in root coordinates for
    // windows of their own).
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::string m_strTitle;
};

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | StructureNotifyMask | FocusChangeMask;

UINT VirtualKey(KeySym key)
{
    if (key >= XK_a && key <= XK_z) {
        return static_cast<UINT>('A' + (key - XK_a));
    }
    if (key >= XK_A && key <= XK_Z) {
        return static_cast<UINT>('A' + (key - XK_A));
    }
    if (key >= XK_0 && key <= XK_9) {
        return static_cast<UINT>('0' + (key - XK_0));
    }
    if (key >= XK_F1 && key <= XK_F12) {
        return VK_F1 + static_cast<UINT>(key - XK_F1);
    }
    if (key >= XK_KP_0 && key <= XK_KP_9) {
        return VK_NUMPAD0 + static_cast<UINT>(key - XK_KP_0);
    }
    switch (key) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Return:
    case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Prior:
    case XK_KP_Prior: return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next: return VK_NEXT;
    case XK_End:
    case XK_KP_End: return VK_END;
    case XK_Home:
    case XK_KP_Home: return VK_HOME;
    case XK_Left:
    case XK_KP_Left: return VK_LEFT;
    case XK_Up:
    case XK_KP_Up: return VK_UP;
    case XK_Right:
    case XK_KP_Right: return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down: return VK_DOWN;
    case XK_Insert:
    case XK_KP_Insert: return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete: return VK_DELETE;
    case XK_Shift_L: return VK_LSHIFT;
    case XK_Shift_R: return VK_RSHIFT;
    case XK_Control_L: return VK_LCONTROL;
    case XK_Control_R: return VK_RCONTROL;
    case XK_Alt_L: return VK_LMENU;
    case XK_Alt_R:
    case XK_ISO_Level3_Shift: return VK_RMENU;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_semicolon: return VK_OEM_1;
    case XK_equal: return VK_OEM_PLUS;
    case XK_comma: return VK_OEM_COMMA;
    case XK_minus: return VK_OEM_MINUS;
    case XK_period: return VK_OEM_PERIOD;
    case XK_slash: return VK_OEM_2;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    default: return 0;
    }
}

unsigned FontCursorShape(int id)
{
    switch (id) {
    case 32513: return XC_xterm;
    case 32514: return XC_watch;
    case 32515: return XC_crosshair;
    case 32644: return XC_sb_h_double_arrow;
    case 32645: return XC_sb_v_double_arrow;
    case 32646: return XC_fleur;
    case 32648: return XC_X_cursor;
    case 32649: return XC_hand2;
    default: return XC_left_ptr;
    }
}

// "Xft.dpi" from the server's resource database, the setting desktops use
// for the size of text; 0 when there is none.
int DesktopDpi(::Display* display)
{
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) {
        return 0;
    }
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) {
        return 0;
    }
    int dpi = 0;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        dpi = static_cast<int>(std::lround(std::atof(value.addr)));
    }
    XrmDestroyDatabase(database);
    return dpi >= 48 && dpi <= 960 ? dpi : 0;
}

// Destroys X windows whose parent may already be gone: a host often
// destroys its own window before the plug-in's UI is cleaned up, and Xlib's
// default answer to the error that gives would end the host's process.
class CTolerateErrors {
public:
    explicit CTolerateErrors(::Display* display) : m_pDisplay(display)
    {
        XSync(m_pDisplay, False);
        m_previous = XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    }
    ~CTolerateErrors()
    {
        XSync(m_pDisplay, False);
        XSetErrorHandler(m_previous);
    }
    CTolerateErrors(const CTolerateErrors&) = delete;
    CTolerateErrors& operator=(const CTolerateErrors&) = delete;

private:
    ::Display* m_pDisplay;
    XErrorHandler m_previous = nullptr;
};

// Shift of a colour mask's lowest bit.
int MaskShift(unsigned long mask)
{
    return mask == 0 ? 0 : std::countr_zero(mask);
}

}  // namespace

CX11Display::CX11Display() : m_x(std::make_unique<CConnection>()) {}

std::unique_ptr<CX11Display> CX11Display::Open(std::string* error, const char* name, X11Options options)
{
    ::Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        if (error != nullptr) {
            const char* shown = name != nullptr ? name : std::getenv("DISPLAY");
            *error = std::string("cannot open the X display ") + (shown != nullptr ? shown : "(DISPLAY is not set)");
        }
        return nullptr;
    }
    std::unique_ptr<CX11Display> self(new CX11Display());
    CConnection& x = *self->m_x;
    x.m_pDisplay = display;
    x.m_nScreen = DefaultScreen(display);
    x.m_root = RootWindow(display, x.m_nScreen);
    x.m_pVisual = DefaultVisual(display, x.m_nScreen);
    x.m_nDepth = DefaultDepth(display, x.m_nScreen);
    x.m_wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    x.m_wmDelete = XInternAtom(display, "WM_DELETE_WINDOW", False);
    x.m_bDirectPixels = (x.m_nDepth == 24 || x.m_nDepth == 32) && x.m_pVisual->red_mask == 0xFF0000 &&
                        x.m_pVisual->green_mask == 0x00FF00 && x.m_pVisual->blue_mask == 0x0000FF;
    self->m_thread = std::this_thread::get_id();
    self->m_nWakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    self->m_nWidth = std::max(1, DisplayWidth(display, x.m_nScreen));
    self->m_nHeight = std::max(1, DisplayHeight(display, x.m_nScreen));
    int dpi = options.m_nDpi > 0 ? options.m_nDpi : DesktopDpi(display);
    self->m_nDpi = dpi > 0 ? dpi : 96;
    platform::gdi::SetLogicalDpi(self->m_nDpi);
    platform::gdi::SetScreenSize(self->m_nWidth, self->m_nHeight);
    platform::ui::SetDisplay(self.get());
    return self;
}

CX11Display::~CX11Display()
{
    platform::ui::SetDisplay(nullptr);
    ::Display* display = m_x->m_pDisplay;
    {
        CTolerateErrors tolerate(display);
        for (auto& [hwnd, shown] : m_windows) {
            if (shown->m_gc != nullptr) {
                XFreeGC(display, shown->m_gc);
            }
            if (shown->m_window != 0) {
                XDestroyWindow(display, shown->m_window);
            }
        }
        for (auto& [id, cursor] : m_systemCursors) {
            XFreeCursor(display, cursor);
        }
        for (auto& [image, cursor] : m_imageCursors) {
            XFreeCursor(display, cursor);
        }
        if (m_blankCursor != 0) {
            XFreeCursor(display, m_blankCursor);
        }
    }
    XCloseDisplay(display);
    if (m_nWakeFd >= 0) {
        close(m_nWakeFd);
    }
}

void CX11Display::Embed(HWND hwnd, XWindow parent)
{
    m_embedIn[hwnd] = parent;
}

CX11Display::XWindow CX11Display::WindowId(HWND hwnd) const
{
    auto it = m_windows.find(hwnd);
    return it != m_windows.end() ? it->second->m_window : 0;
}

HWND CX11Display::WindowOf(XWindow window) const
{
    for (const auto& [hwnd, shown] : m_windows) {
        if (shown->m_window == window) {
            return hwnd;
        }
    }
    return nullptr;
}

void CX11Display::TopLevelCreated(HWND hwnd, platform::gdi::Surface& surface)
{
    auto shown = std::make_unique<CWindowOnScreen>();
    shown->m_pSurface = &surface;
    m_windows[hwnd] = std::move(shown);
}

void CX11Display::TopLevelDestroyed(HWND hwnd)
{
    m_embedIn.erase(hwnd);
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end()) {
        return;
    }
    if (it->second->m_window != 0) {
        CTolerateErrors tolerate(m_x->m_pDisplay);
        XFreeGC(m_x->m_pDisplay, it->second->m_gc);
        XDestroyWindow(m_x->m_pDisplay, it->second->m_window);
    }
    m_windows.erase(it);
}

void CX11Display::TopLevelChanged(HWND hwnd)
{
    auto it = m_windows.find(hwnd);
    if (it != m_windows.end()) {
        Sync(hwnd, *it->second);
    }
}

void CX11Display::Sync(HWND hwnd, CWindowOnScreen& shown)
{
    ::Display* display = m_x->m_pDisplay;
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    const bool visible = IsWindowVisible(hwnd) != FALSE;
    const int width = std::max(1, static_cast<int>(rc.right - rc.left));
    const int height = std::max(1, static_cast<int>(rc.bottom - rc.top));
    const std::string title = platform::ui::WindowTitle(hwnd);
    if (shown.m_window == 0) {
        if (!visible) {
            return;
        }
        auto embed = m_embedIn.find(hwnd);
        shown.m_bEmbedded = embed != m_embedIn.end();
        const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
        XSetWindowAttributes attributes{};
        attributes.event_mask = kEventMask;
        attributes.background_pixmap = None;
        attributes.bit_gravity = NorthWestGravity;
        unsigned long mask = CWEventMask | CWBackPixmap | CWBitGravity;
        // Pop-ups (lists, menus) are placed by the window system itself; no
        // window manager may move or decorate them.
        if (!shown.m_bEmbedded && (style & WS_CAPTION) != WS_CAPTION) {
            attributes.override_redirect = True;
            mask |= CWOverrideRedirect;
        }
        const Window parent = shown.m_bEmbedded ? embed->second : m_x->m_root;
        const int x = shown.m_bEmbedded ? 0 : rc.left;
        const int y = shown.m_bEmbedded ? 0 : rc.top;
        shown.m_window = XCreateWindow(display, parent, x, y, static_cast<unsigned>(width),
                                       static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                       CopyFromParent, mask, &attributes);
        if (shown.m_window == 0) {
            return;
        }
        shown.m_gc = XCreateGC(display, shown.m_window, 0, nullptr);
        shown.m_nX = x;
        shown.m_nY = y;
        shown.m_nWidth = width;
        shown.m_nHeight = height;
        Atom protocols[] = {m_x->m_wmDelete};
        XSetWMProtocols(display, shown.m_window, protocols, 1);
        if (!shown.m_bEmbedded && !m_embedIn.empty()) {
            // Dialogs of a panel stay above the host's window.
            XSetTransientForHint(display, shown.m_window, m_embedIn.begin()->second);
        }
        ApplyCursor(shown.m_window);
        shown.m_nUploaded = UINT64_MAX;
        // Known to the server before anyone is told its id.
        XSync(display, False);
    }
    const Window window = shown.m_window;
    if (title != shown.m_strTitle) {
        XStoreName(display, window, title.c_str());
        shown.m_strTitle = title;
    }
    if (!shown.m_bEmbedded && (rc.left != shown.m_nX || rc.top != shown.m_nY)) {
        XMoveWindow(display, window, rc.left, rc.top);
        shown.m_nX = rc.left;
        shown.m_nY = rc.top;
    }
    if (width != shown.m_nWidth || height != shown.m_nHeight) {
        XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        shown.m_nWidth = width;
        shown.m_nHeight = height;
        shown.m_nUploaded = UINT64_MAX;
    }
    if (visible && !shown.m_bMapped) {
        XMapRaised(display, window);
        shown.m_bMapped = true;
        shown.m_nUploaded = UINT64_MAX;
    } else if (!visible && shown.m_bMapped) {
        XUnmapWindow(display, window);
        shown.m_bMapped = false;
    }
    XFlush(display);
}

void CX11Display::FollowHost(HWND hwnd, CWindowOnScreen& shown)
{
    if (!shown.m_bEmbedded || shown.m_window == 0) {
        return;
    }
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    if (!XTranslateCoordinates(m_x->m_pDisplay, shown.m_window, m_x->m_root, 0, 0, &rootX, &rootY, &child)) {
        return;
    }
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    if (rc.left != rootX || rc.top != rootY) {
        SetWindowPos(hwnd, nullptr, rootX, rootY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CX11Display::Upload(CWindowOnScreen& shown, bool force)
{
    if (shown.m_window == 0 || !shown.m_bMapped) {
        return;
    }
    platform::gdi::Surface& pixels = *shown.m_pSurface;
    if (!force && shown.m_nUploaded == pixels.Generation()) {
        return;
    }
    ::Display* display = m_x->m_pDisplay;
    const int width = pixels.Width();
    const int height = pixels.Height();
    if (width <= 0 || height <= 0) {
        return;
    }
    std::vector<std::uint32_t> converted;
    char* data = reinterpret_cast<char*>(pixels.Row(0));
    if (!m_x->m_bDirectPixels) {
        converted.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        data = reinterpret_cast<char*>(converted.data());
    }
    XImage* image = XCreateImage(display, m_x->m_pVisual, static_cast<unsigned>(m_x->m_nDepth), ZPixmap, 0, data,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (image == nullptr) {
        return;
    }
    if (m_x->m_bDirectPixels) {
        // The surface's words are in this machine's order; Xlib swaps them
        // for a server of the other order.
        image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    } else {
        const Visual* visual = m_x->m_pVisual;
        auto place = [](std::uint32_t component, unsigned long mask) {
            const int shift = MaskShift(mask);
            const unsigned long top = mask >> shift;
            return (static_cast<unsigned long>(component) * top / 255) << shift;
        };
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* row = pixels.Row(y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = row[x];
                XPutPixel(image, x, y,
                          place((p >> 16) & 0xFF, visual->red_mask) | place((p >> 8) & 0xFF, visual->green_mask) |
                              place(p & 0xFF, visual->blue_mask));
            }
        }
    }
    XPutImage(display, shown.m_window, shown.m_gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    image->data = nullptr;  // the pixels belong to the surface or the vector
    XDestroyImage(image);
    shown.m_nUploaded = pixels.Generation();
}

void CX11Display::Present()
{
    for (auto& [hwnd, shown] : m_windows) {
        Sync(hwnd, *shown);
        Upload(*shown, false);
    }
    XFlush(m_x->m_pDisplay);
}

void CX11Display::ApplyCursor(XWindow window) const
{
    if (m_currentCursor != 0) {
        XDefineCursor(m_x->m_pDisplay, window, m_currentCursor);
    } else {
        XUndefineCursor(m_x->m_pDisplay, window);
    }
}

void CX11Display::CursorChanged(const platform::ui::CursorImage* cursor, bool visible)
{
    ::Display* display = m_x->m_pDisplay;
    XWindow native = 0;
    if (!visible || cursor == nullptr) {
        if (m_blankCursor == 0) {
            const char nothing = 0;
            Pixmap blank = XCreateBitmapFromData(display, m_x->m_root, &nothing, 1, 1);
            XColor black{};
            m_blankCursor = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
            XFreePixmap(display, blank);
        }
        native = m_blankCursor;
    } else if (cursor->m_nSystemId != 0) {
        XWindow& cached = m_systemCursors[cursor->m_nSystemId];
        if (cached == 0) {
            cached = XCreateFontCursor(display, FontCursorShape(cursor->m_nSystemId));
        }
        native = cached;
    } else {
        XWindow& cached = m_imageCursors[cursor];
        if (cached == 0 && cursor->m_nWidth > 0 && cursor->m_nHeight > 0) {
            // Plain X cursors have two colours: dark opaque pixels draw in
            // black, light ones in white, transparent ones not at all.
            const int w = cursor->m_nWidth;
            const int h = cursor->m_nHeight;
            const int stride = (w + 7) / 8;
            std::vector<char> source(static_cast<std::size_t>(stride * h), 0);
            std::vector<char> mask(source.size(), 0);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const std::uint32_t p = cursor->m_pixels[static_cast<std::size_t>(y * w + x)];
                    if ((p >> 24) < 128) {
                        continue;
                    }
                    const int luminance = static_cast<int>(((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
                    const std::size_t at = static_cast<std::size_t>(y * stride + x / 8);
                    mask[at] = static_cast<char>(mask[at] | (1 << (x % 8)));
                    if (luminance < 128) {
                        source[at] = static_cast<char>(source[at] | (1 << (x % 8)));
                    }
                }
            }
            Pixmap sourceMap = XCreateBitmapFromData(display, m_x->m_root, source.data(), static_cast<unsigned>(w),
                                                     static_cast<unsigned>(h));
            Pixmap maskMap = XCreateBitmapFromData(display, m_x->m_root, mask.data(), static_cast<unsigned>(w),
                                                   static_cast<unsigned>(h));
            XColor black{};
            XColor white{};
            white.red = white.green = white.blue = 0xFFFF;
            cached = XCreatePixmapCursor(display, sourceMap, maskMap, &black, &white,
                                         static_cast<unsigned>(std::clamp<int>(cursor->m_ptHotSpot.x, 0, w - 1)),
                                         static_cast<unsigned>(std::clamp<int>(cursor->m_ptHotSpot.y, 0, h - 1)));
            XFreePixmap(display, sourceMap);
            XFreePixmap(display, maskMap);
        }
        native = cached;
    }
    m_currentCursor = native;
    for (auto& [hwnd, shown] : m_windows) {
        if (shown->m_window != 0) {
            ApplyCursor(shown->m_window);
        }
    }
    XFlush(display);
}

void CX11Display::WarpPointer(POINT screen)
{
    ::Display* display = m_x->m_pDisplay;
    for (auto& [hwnd, shown] : m_windows) {
        RECT rc{};
        if (shown->m_window == 0 || !shown->m_bMapped || !GetWindowRect(hwnd, &rc) || !PtInRect(&rc, screen)) {
            continue;
        }
        m_bWarped = true;
        m_ptWarp = screen;
        XWarpPointer(display, None, shown->m_window, 0, 0, 0, 0, screen.x - rc.left, screen.y - rc.top);
        XFlush(display);
        return;
    }
    XWarpPointer(display, None, m_x->m_root, 0, 0, 0, 0, screen.x, screen.y);
    XFlush(display);
}

void CX11Display::Beep()
{
    XBell(m_x->m_pDisplay, 0);
    XFlush(m_x->m_pDisplay);
}

void CX11Display::Handle(const void* raw)
{
    const XEvent& event = *static_cast<const XEvent*>(raw);
    HWND hwnd = WindowOf(event.xany.window);
    if (hwnd == nullptr) {
        return;
    }
    CWindowOnScreen& shown = *m_windows[hwnd];
    auto screenPoint = [&](int x, int y) {
        RECT rc{};
        GetWindowRect(hwnd, &rc);
        return POINT{rc.left + x, rc.top + y};
    };
    InputEvent e;
    switch (event.type) {
    case MotionNotify:
        e.m_kind = InputKind::MouseMove;
        e.m_pt = screenPoint(event.xmotion.x, event.xmotion.y);
        if (m_bWarped && e.m_pt.x == m_ptWarp.x && e.m_pt.y == m_ptWarp.y) {
            m_bWarped = false;  // the echo of our own warp: already queued
            return;
        }
        platform::ui::InjectInput(e);
        return;
    case ButtonPress:
    case ButtonRelease: {
        const unsigned button = event.xbutton.button;
        if (event.type == ButtonPress) {
            // The host may have moved since: pop-ups this click opens must
            // appear beside the panel.
            FollowHost(hwnd, shown);
            if (shown.m_bEmbedded) {
                XSetInputFocus(m_x->m_pDisplay, shown.m_window, RevertToParent, event.xbutton.time);
            }
        }
        if (button == Button4 || button == Button5) {
            if (event.type == ButtonPress) {
                e.m_kind = InputKind::Wheel;
                e.m_pt = screenPoint(event.xbutton.x, event.xbutton.y);
                e.m_nWheelDelta = button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
                platform::ui::InjectInput(e);
            }
            return;
        }
        if (button != Button1 && button != Button2 && button != Button3) {
            return;
        }
        e.m_kind = event.type == ButtonPress ? InputKind::ButtonDown : InputKind::ButtonUp;
        e.m_pt = screenPoint(event.xbutton.x, event.xbutton.y);
        e.m_button = button == Button3 ? MouseButton::Right : button == Button2 ? MouseButton::Middle : MouseButton::Left;
        platform::ui::InjectInput(e);
        return;
    }
    case KeyPress:
    case KeyRelease: {
        XKeyEvent key = event.xkey;
        char text[16] = {};
        KeySym sym = NoSymbol;
        const int length = XLookupString(&key, text, sizeof text, &sym, nullptr);
        const UINT vk = VirtualKey(XLookupKeysym(&key, 0) != NoSymbol ? XLookupKeysym(&key, 0) : sym);
        if (vk == 0) {
            return;
        }
        e.m_kind = event.type == KeyPress ? InputKind::KeyDown : InputKind::KeyUp;
        e.m_uVirtualKey = vk;
        e.m_bTextSeparate = platform::ui::KeyTypesText(vk);
        platform::ui::InjectInput(e);
        if (event.type == KeyPress && e.m_bTextSeparate) {
            // Latin-1, as the server's keyboard map gives it.
            for (int i = 0; i < length; ++i) {
                const auto c = static_cast<unsigned char>(text[i]);
                if (c >= 0x20 && c != 0x7F) {
                    InputEvent typed;
                    typed.m_kind = InputKind::Char;
                    typed.m_uChar = c;
                    platform::ui::InjectInput(typed);
                }
            }
        }
        return;
    }
    case Expose:
        if (event.xexpose.count == 0) {
            Upload(shown, true);
        }
        return;
    case MapNotify:
        FollowHost(hwnd, shown);
        return;
    case ConfigureNotify: {
        if (shown.m_bEmbedded) {
            FollowHost(hwnd, shown);
            return;
        }
        // A window manager moved or resized a dialog.
        RECT rc{};
        GetWindowRect(hwnd, &rc);
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_x->m_pDisplay, shown.m_window, m_x->m_root, 0, 0, &rootX, &rootY, &child);
        const int width = event.xconfigure.width;
        const int height = event.xconfigure.height;
        shown.m_nX = rootX;
        shown.m_nY = rootY;
        shown.m_nWidth = width;
        shown.m_nHeight = height;
        if (rootX != rc.left || rootY != rc.top || width != rc.right - rc.left || height != rc.bottom - rc.top) {
            SetWindowPos(hwnd, nullptr, rootX, rootY, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
            shown.m_nUploaded = UINT64_MAX;
        }
        return;
    }
    case FocusIn:
        if (!shown.m_bEmbedded && GetActiveWindow() != hwnd && IsWindowEnabled(hwnd) &&
            (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) == 0) {
            SetActiveWindow(hwnd);
        }
        return;
    case ClientMessage:
        if (event.xclient.message_type == m_x->m_wmProtocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == m_x->m_wmDelete) {
            PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return;
    default:
        return;
    }
}

void CX11Display::DrainWake()
{
    std::uint64_t count = 0;
    while (m_nWakeFd >= 0 && read(m_nWakeFd, &count, sizeof count) == sizeof count) {
    }
}

void CX11Display::PollEvents()
{
    ::Display* display = m_x->m_pDisplay;
    DrainWake();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        Handle(&event);
    }
}

bool CX11Display::WaitForEvents(std::uint64_t deadlineMs)
{
    Present();
    ::Display* display = m_x->m_pDisplay;
    if (XPending(display) == 0) {
        int timeout = -1;
        if (deadlineMs != UINT64_MAX) {
            const std::uint64_t now = platform::ClockMilliseconds();
            timeout = deadlineMs <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(deadlineMs - now, 1000000));
        }
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {m_nWakeFd, POLLIN, 0}};
        poll(fds, m_nWakeFd >= 0 ? 2 : 1, timeout);
    }
    PollEvents();
    return true;
}

void CX11Display::Wake()
{
    if (std::this_thread::get_id() == m_thread || m_nWakeFd < 0) {
        return;  // the display's own thread is not waiting
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_nWakeFd, &one, sizeof one);
}

}  // namespace platform::display
