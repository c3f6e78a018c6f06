// The X screen's pixels, read back from the server: what the real window
// shows, not what the app believes it drew.

#include "GuiSession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace guitest {

platform::gdi::Surface GrabScreen(const std::string& name, int x, int y, int w, int h)
{
    platform::gdi::Surface picture;
    Display* display = XOpenDisplay(name.c_str());
    if (display == nullptr)
        return picture;
    if (XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap)) {
        picture = platform::gdi::Surface(w, h);
        for (int row = 0; row < h; ++row) {
            for (int column = 0; column < w; ++column)
                picture.Row(row)[column] = static_cast<std::uint32_t>(XGetPixel(image, column, row)) & 0xFFFFFFu;
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return picture;
}

}  // namespace guitest
