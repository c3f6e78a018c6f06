// intonara-ui-sampler: one window that draws every drawing primitive and
// text style of the user interface and reports the mouse and keys, and a
// dialog with one of every control, shown in real windows, or rendered
// headless into a PNG.

#include "ControlsDialog.h"
#include "SamplerWindow.h"

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/display/sdl/SdlDisplay.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {

// Where the controls dialog goes: right of the sampler's window.
constexpr int kDialogX = CSamplerWnd::kWidth + 30;

int Screenshot(const std::string& path, int dpi)
{
    platform::display::CHeadlessDisplay display(kDialogX + 470, CSamplerWnd::kHeight + 50, dpi);
    CSamplerWnd window;
    CControlsDialog controls;
    if (!window.CreateSampler(10, 10) || !controls.CreateAt(kDialogX, 10)) {
        std::fprintf(stderr, "intonara-ui-sampler: cannot create the windows\n");
        return 1;
    }
    display.Pump();
    // One click, so the report line shows what input looks like.
    POINT at{360, 250};
    ClientToScreen(window, &at);
    display.MouseMove(at);
    display.ButtonDown(at);
    display.ButtonUp(at);
    display.Pump();
    // The dialog with the focus in its scale list, then its pop-up menu
    // opened with a right click under the report line, the first item
    // highlighted; the picture is taken while the menu is up.
    controls.GotoDlgCtrl(controls.GetDlgItem(1023));
    POINT menuAt{20, 292};
    ClientToScreen(controls, &menuAt);
    bool saved = false;
    display.WhenIdle([&] { display.KeyDown(VK_DOWN); });
    display.WhenIdle([&] {
        saved = display.SaveScreenPng(path);
        display.KeyDown(VK_ESCAPE);
    });
    display.MouseMove(menuAt);
    display.ButtonDown(menuAt, platform::ui::MouseButton::Right);
    display.ButtonUp(menuAt, platform::ui::MouseButton::Right);
    display.Pump();
    controls.DestroyWindow();
    window.DestroyWindow();
    if (!saved) {
        std::fprintf(stderr, "intonara-ui-sampler: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("wrote %s\n", path.c_str());
    return 0;
}

int Show(int scale, int dpi, int exitAfterMs)
{
    std::string error;
    platform::display::SdlOptions options;
    options.m_nScale = scale;
    options.m_nDpi = dpi;
    auto display = platform::display::CSdlDisplay::Open(&error, options);
    if (!display) {
        std::fprintf(stderr, "intonara-ui-sampler: %s (use --screenshot FILE without a screen)\n", error.c_str());
        return 1;
    }
    CSamplerWnd window;
    CControlsDialog controls;
    if (!window.CreateSampler(60, 60) || !controls.CreateAt(kDialogX + 60, 60)) {
        std::fprintf(stderr, "intonara-ui-sampler: cannot create the windows\n");
        return 1;
    }
    if (exitAfterMs > 0) {
        SetTimer(nullptr, 0, static_cast<UINT>(exitAfterMs), [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    }
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (!AfxPreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (IsWindow(controls)) {
        controls.DestroyWindow();
    }
    if (IsWindow(window)) {
        window.DestroyWindow();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Shows every drawing primitive and text style of Intonara's user interface in one window:\n"
                 "lines in copy and XOR mode, shapes and 3-D edges, pattern blits, bitmap blits with each raster\n"
                 "operation and the AND/OR mask pair, 4-bit and 24-bit DIBs, and the fonts of the dialogs and the\n"
                 "brand panel. The bottom line reports the mouse position and the last mouse or key message.\n"
                 "Beside it, a dialog made from a template holds one of every standard control (buttons, check\n"
                 "boxes, radio buttons, a group box, statics, edit fields, drop-down lists, a list box, a list\n"
                 "view, scroll bars, an owner-drawn button); a right click in it opens a pop-up menu, its\n"
                 "\"Message...\" button shows a message box, and its bottom line reports every notification.\n"
                 "Close the sampler's window (or press Alt+F4 in it) to quit.",
                 "intonara-ui-sampler"};
    std::string screenshot;
    int dpi = 0;
    int scale = 0;
    int exitAfter = 0;
    app.add_option("--screenshot", screenshot,
                   "render the window on the headless display, write it to FILE as PNG and exit (no screen needed)")
        ->type_name("FILE");
    app.add_option("--dpi", dpi,
                   "pixels per logical inch the program sees (default: 96 headless, the screen's with a window)")
        ->check(CLI::Range(48, 480));
    app.add_option("--scale", scale, "draw the window this many times larger (default: from the screen's density)")
        ->check(CLI::Range(1, 4));
    app.add_option("--exit-after", exitAfter, "close by itself after this many milliseconds (0: stay open)")
        ->check(CLI::Range(0, 3600000));
    CLI11_PARSE(app, argc, argv);
    if (!screenshot.empty()) {
        return Screenshot(screenshot, dpi > 0 ? dpi : 96);
    }
    return Show(scale, dpi, exitAfter);
}
