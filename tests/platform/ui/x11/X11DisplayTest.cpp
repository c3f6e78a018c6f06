// The Xlib display on a real X server (Xvfb): a window of the window system
// embedded in a window that the test makes as a host would, clicked, scrolled
// and typed into through X with xdotool, and read back through X. Skipped,
// with a message, only where Xvfb or xdotool is not installed at all.

#include "support/ui/UiTestSupport.h"
#include "support/ui/XServer.h"

#include "platform/display/x11/X11Display.h"

#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include "support/ui/XHostWindow.h"

#include <cstdlib>
#include <string>

namespace {

using uitest::CHostWindow;
using uitest::PumpUntil;

class X11Display : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!uitest::OnPath("Xvfb") || !uitest::OnPath("xdotool")) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/bootstrap installs both)";
        }
        m_pServer = std::make_unique<uitest::CXvfb>();
        ASSERT_FALSE(m_pServer->Display().empty()) << "Xvfb did not start";
        setenv("DISPLAY", m_pServer->Display().c_str(), 1);
        m_pHost = std::make_unique<CHostWindow>(50, 60, 400, 300);
        ASSERT_NE(m_pHost->X(), nullptr);
        std::string error;
        m_pDisplay = platform::display::CX11Display::Open(&error, nullptr, {96});
        ASSERT_NE(m_pDisplay, nullptr) << error;
        platform::ui::ResetInputAndQueue();
        m_pRecorder = std::make_unique<uitest::CRecorder>();
        // A panel that paints itself in a colour the test chooses.
        m_pRecorder->On(WM_PAINT, [this](const uitest::Message& m, LRESULT& result) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m.hwnd, &ps);
            HBRUSH brush = CreateSolidBrush(m_crPanel);
            RECT rc{};
            GetClientRect(m.hwnd, &rc);
            FillRect(dc, &rc, brush);
            DeleteObject(brush);
            EndPaint(m.hwnd, &ps);
            result = 0;
            return true;
        });
    }
    void TearDown() override
    {
        for (HWND hwnd : m_panels) {
            DestroyWindow(hwnd);
        }
        m_pRecorder.reset();
        m_pDisplay.reset();
        m_pHost.reset();
        m_pServer.reset();
    }

    // The panel: hidden, embedded, then shown, as the plug-in's UI does it.
    HWND EmbedPanel(int width, int height)
    {
        HWND hwnd = CreateWindowExA(0, "UiTestRecorder", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                                    nullptr);
        m_panels.push_back(hwnd);
        m_pDisplay->Embed(hwnd, m_pHost->Id());
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        PumpUntil(3000, [&] { return m_pDisplay->WindowId(hwnd) != 0; });
        // Until the server has it mapped and drawn.
        EXPECT_TRUE(PumpUntil(3000, [&] { return m_pHost->PixelOf(m_pDisplay->WindowId(hwnd), 1, 1) == 0xFF0000; }))
            << "the panel's pixels never reached the server";
        return hwnd;
    }

    void Xdotool(const std::string& arguments)
    {
        const std::string command = "xdotool " + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    std::unique_ptr<uitest::CXvfb> m_pServer;
    std::unique_ptr<CHostWindow> m_pHost;
    std::unique_ptr<platform::display::CX11Display> m_pDisplay;
    std::unique_ptr<uitest::CRecorder> m_pRecorder;
    COLORREF m_crPanel = RGB(255, 0, 0);
    std::vector<HWND> m_panels;
};

TEST_F(X11Display, TheEmbeddedWindowSitsInTheHostsWindowAndGetsClicksWheelAndKeysThere)
{
    EXPECT_EQ(m_pDisplay->ScreenWidth(), 800);
    EXPECT_EQ(m_pDisplay->ScreenHeight(), 600);
    HWND panel = EmbedPanel(200, 100);
    const Window shown = m_pDisplay->WindowId(panel);
    ASSERT_NE(shown, 0u);
    EXPECT_EQ(m_pHost->ParentOf(shown), m_pHost->Id());
    // Its pixels reached the server, and the host's blue shows beside it.
    EXPECT_EQ(m_pHost->PixelOf(shown, 199, 99), 0xFF0000u);
    EXPECT_EQ(m_pHost->PixelOf(m_pHost->Id(), 250, 150), 0x0000FFu);
    // The window system's screen is the X screen: the panel lies where the
    // host's window is.
    RECT rc{};
    GetWindowRect(panel, &rc);
    const POINT host = m_pHost->RootPositionOf(m_pHost->Id());
    EXPECT_EQ(rc.left, host.x);
    EXPECT_EQ(rc.top, host.y);
    EXPECT_EQ(rc.right - rc.left, 200);

    // Clicks, the wheel and keys arrive at the right client point.
    Xdotool("mousemove 80 85 click 1");
    ASSERT_TRUE(PumpUntil(3000, [&] { return !m_pRecorder->Of(panel, {WM_LBUTTONUP}).empty(); }))
        << "no click arrived through X";
    const auto downs = m_pRecorder->Of(panel, {WM_LBUTTONDOWN});
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].x(), 30);  // 80 - 50
    EXPECT_EQ(downs[0].y(), 25);  // 85 - 60
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON));

    Xdotool("click 3");
    ASSERT_TRUE(PumpUntil(3000, [&] { return !m_pRecorder->Of(panel, {WM_RBUTTONUP}).empty(); }));

    Xdotool("click 5");
    ASSERT_TRUE(PumpUntil(3000, [&] { return !m_pRecorder->Of(panel, {WM_MOUSEWHEEL}).empty(); }));
    EXPECT_EQ(static_cast<short>(HIWORD(m_pRecorder->Of(panel, {WM_MOUSEWHEEL})[0].wParam)), -WHEEL_DELTA);

    // The click gave the panel the keyboard.
    SetFocus(panel);
    Xdotool("type b");
    ASSERT_TRUE(PumpUntil(3000, [&] { return !m_pRecorder->Of(panel, {WM_CHAR}).empty(); }));
    const auto keys = m_pRecorder->Of(panel, {WM_KEYDOWN});
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('B'));
    const auto chars = m_pRecorder->Of(panel, {WM_CHAR});
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('b'));
}

// A repaint reaches the server; then another window laid over the panel and
// taken away again: the server asks for the uncovered part, and the panel's
// pixels come back although nothing in the panel changed.
TEST_F(X11Display, ARepaintReachesTheServerAndAnUncoveredPanelIsDrawnAgain)
{
    HWND panel = EmbedPanel(160, 90);
    const Window shown = m_pDisplay->WindowId(panel);
    m_crPanel = RGB(0, 160, 32);
    InvalidateRect(panel, nullptr, TRUE);
    EXPECT_TRUE(PumpUntil(3000, [&] { return m_pHost->PixelOf(shown, 60, 40) == 0x00A020; }))
        << std::hex << m_pHost->PixelOf(shown, 60, 40);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0x0000FF00;
    Window cover = XCreateWindow(m_pHost->X(), DefaultRootWindow(m_pHost->X()), 40, 50, 200, 120, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(m_pHost->X(), cover);
    XSync(m_pHost->X(), False);
    PumpUntil(200, [] { return false; });
    XDestroyWindow(m_pHost->X(), cover);
    XSync(m_pHost->X(), False);
    EXPECT_TRUE(PumpUntil(3000, [&] { return m_pHost->PixelOf(shown, 80, 45) == 0x00A020; }))
        << std::hex << m_pHost->PixelOf(shown, 80, 45);
}

TEST_F(X11Display, APopUpOpensOnTheScreenBesideThePanelAndThePointerMovesThere)
{
    HWND panel = EmbedPanel(200, 100);
    RECT rc{};
    GetWindowRect(panel, &rc);
    // A drop-down list's pop-up: below the panel's left half.
    HWND popup = m_pRecorder->Create(rc.left + 10, rc.bottom, 90, 40);
    ASSERT_TRUE(PumpUntil(3000, [&] { return m_pDisplay->WindowId(popup) != 0; }));
    const Window shown = m_pDisplay->WindowId(popup);
    EXPECT_EQ(m_pHost->ParentOf(shown), DefaultRootWindow(m_pHost->X()));
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_pHost->X(), shown, &attributes);
    EXPECT_TRUE(attributes.override_redirect);
    const POINT at = m_pHost->RootPositionOf(shown);
    EXPECT_EQ(at.x, 60);
    EXPECT_EQ(at.y, 160);
    // A click on it reaches the pop-up, not the panel.
    ASSERT_TRUE(PumpUntil(3000, [&] { return m_pHost->PixelOf(shown, 5, 5) == 0xFF0000; }));
    Xdotool("mousemove 100 170 click 1");
    ASSERT_TRUE(PumpUntil(3000, [&] { return !m_pRecorder->Of(popup, {WM_LBUTTONUP}).empty(); }));
    const auto downs = m_pRecorder->Of(popup, {WM_LBUTTONDOWN});
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].x(), 40);
    EXPECT_EQ(downs[0].y(), 10);
    DestroyWindow(popup);
    EXPECT_TRUE(PumpUntil(1000, [&] { return m_pDisplay->WindowId(popup) == 0; }));

    // SetCursorPos moves the pointer on the server.
    SetCursorPos(rc.left + 120, rc.top + 70);
    PumpUntil(200, [] { return false; });
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(m_pHost->X(), DefaultRootWindow(m_pHost->X()), &root, &child, &rootX, &rootY, &x, &y, &mask);
    EXPECT_EQ(rootX, 170);
    EXPECT_EQ(rootY, 130);
}

}  // namespace
