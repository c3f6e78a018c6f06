// The SDL2 display on a real X server: Xvfb is started for the test, a
// window of the window system is shown on it, xdotool clicks into it
// through X, and the click must arrive as WM_LBUTTONDOWN at the right
// client point. Skipped, with a message, only where Xvfb or xdotool is not
// installed at all.

#include "support/ui/UiTestSupport.h"
#include "support/ui/XServer.h"

#include "platform/display/sdl/SdlDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// SDL talks to the session bus through libdbus, which keeps a buffer for the
// life of the process; the leak checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace {

using uitest::CXvfb;
using uitest::OnPath;
using uitest::PumpUntil;

TEST(SdlDisplay, AClickThroughXArrivesAtTheRightClientPoint)
{
    if (!OnPath("Xvfb") || !OnPath("xdotool")) {
        GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/bootstrap installs both)";
    }
    CXvfb server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);

    std::string error;
    auto display = platform::display::CSdlDisplay::Open(&error);
    ASSERT_NE(display, nullptr) << error;
    EXPECT_EQ(display->ScreenWidth(), 800);
    EXPECT_EQ(display->LogicalDpi(), platform::gdi::GetLogicalDpi());
    {
        uitest::CRecorder rec;
        HWND w = rec.Create(40, 40, 300, 200);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(PumpUntil(3000, [&] { return display->WindowId(w) != 0; }));
        // Give the X server time to map the window before clicking into it.
        PumpUntil(300, [] { return false; });
        const std::string click = "DISPLAY=" + server.Display() + " xdotool mousemove 140 110 click 1";
        ASSERT_EQ(std::system(click.c_str()), 0);
        ASSERT_TRUE(PumpUntil(3000, [&] { return !rec.Of(w, {WM_LBUTTONUP}).empty(); }))
            << "no click arrived through X";
        const auto downs = rec.Of(w, {WM_LBUTTONDOWN});
        ASSERT_EQ(downs.size(), 1u);
        EXPECT_EQ(downs[0].x(), 100);
        EXPECT_EQ(downs[0].y(), 70);
        EXPECT_EQ(downs[0].wParam, MK_LBUTTON);
        EXPECT_FALSE(rec.Of(w, {WM_SETCURSOR}).empty());
        DestroyWindow(w);
    }
    display.reset();
}

}  // namespace
