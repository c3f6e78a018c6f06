#pragma once

// A host program's side of an X server, for tests of windows shown inside
// it: a connection of its own, a top-level window at a known place, and
// what the server says about windows and their pixels. Include it after
// GoogleTest, whose names Xlib's macros (None, Bool) would replace.

#include "platform/ui/WinUser.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace uitest {

// The host's side: a connection of its own and a top-level window at a
// known place on the screen, with nothing drawn in it.
class CHostWindow {
public:
    CHostWindow(int x, int y, int width, int height)
    {
        m_pDisplay = XOpenDisplay(nullptr);
        if (m_pDisplay == nullptr) {
            return;
        }
        // Reading a window that is not mapped yet is an error the test
        // waits through, not one that ends it.
        XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
        XSetWindowAttributes attributes{};
        attributes.background_pixel = 0x000000FF;  // blue where the panel does not cover it
        m_window = XCreateWindow(m_pDisplay, DefaultRootWindow(m_pDisplay), x, y, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWBackPixel, &attributes);
        XMapWindow(m_pDisplay, m_window);
        XSync(m_pDisplay, False);
    }
    ~CHostWindow()
    {
        if (m_pDisplay != nullptr) {
            XDestroyWindow(m_pDisplay, m_window);
            XCloseDisplay(m_pDisplay);
        }
    }
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    ::Display* X() const { return m_pDisplay; }
    Window Id() const { return m_window; }

    Window ParentOf(Window window) const
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_pDisplay, window, &root, &parent, &children, &count)) {
            return 0;
        }
        if (children != nullptr) {
            XFree(children);
        }
        return parent;
    }
    // The colour of a window's pixel as the server holds it, 0xRRGGBB.
    unsigned long PixelOf(Window window, int x, int y) const
    {
        XImage* image = XGetImage(m_pDisplay, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return ~0UL;
        }
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }
    // How many pixels of a window's rectangle have a colour, as the server
    // holds them.
    int CountOf(Window window, int left, int top, int right, int bottom, unsigned long pixel) const
    {
        XImage* image = XGetImage(m_pDisplay, window, left, top, static_cast<unsigned>(right - left),
                                  static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return -1;
        }
        int count = 0;
        for (int y = 0; y < bottom - top; ++y) {
            for (int x = 0; x < right - left; ++x) {
                count += (XGetPixel(image, x, y) & 0xFFFFFF) == pixel ? 1 : 0;
            }
        }
        XDestroyImage(image);
        return count;
    }
    POINT RootPositionOf(Window window) const
    {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(m_pDisplay, window, DefaultRootWindow(m_pDisplay), 0, 0, &x, &y, &child);
        return POINT{x, y};
    }

private:
    ::Display* m_pDisplay = nullptr;
    Window m_window = 0;
};

}  // namespace uitest
