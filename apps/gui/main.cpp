// intonara-gui: the plug-in in a window of its own. A sound file plays
// through the plug-in's filter to the audio device while its control panel
// is worked; the corrected file is exported as the tool writes it.

#include "HostWindow.h"

#include "host/HostIds.h"
#include "host/ModuleExports.h"
#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/display/sdl/SdlDisplay.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {

// The filter, made by the plug-in's class factory as any host makes it.
CComPtr<IBaseFilter> CreateFilter(std::string* error)
{
    CComPtr<IClassFactory> factory;
    HRESULT hr = DllGetClassObject(CLSID_IntonaraPlugIn, IID_IClassFactory, factory.ReceiveVoid());
    CComPtr<IBaseFilter> filter;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, IID_IBaseFilter, filter.ReceiveVoid());
    }
    if (FAILED(hr)) {
        char text[96];
        std::snprintf(text, sizeof text, "the plug-in's class factory made no filter (0x%08X)",
                      static_cast<unsigned>(hr));
        *error = text;
    }
    return filter;
}

int RunLoop(CHostWindow& window)
{
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (window.TranslateShortcut(&msg)) {
            continue;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Intonara's desktop app: opens a sound file (mono 16-bit PCM or 32-bit float plays; any file\n"
                 "the tool reads exports) and plays it through the pitch corrector on the default audio device\n"
                 "while its control panel is worked. Export writes the whole corrected file, as\n"
                 "`intonara correct` would with the panel's settings (in graphical mode, as\n"
                 "`intonara graph correct` would along the curves).\n"
                 "Keys: Space play/pause, Home stop, Ctrl+O open, Ctrl+S save session, Ctrl+E export,\n"
                 "F5 fast pass (the armed graphical pass over the whole file without playing it),\n"
                 "Ctrl+Q quit, F1 the list of keys.",
                 "intonara-gui"};
    std::string file;
    std::string screenshot;
    int bufferMs = 0;
    bool silent = false;
    int scale = 0;
    int exitAfter = 0;
    app.add_option("FILE", file, "a sound file to open")->type_name("FILE");
    app.add_option("--buffer-ms", bufferMs, "the audio device's buffer in milliseconds (default: about 20)")
        ->check(CLI::Range(1, 500));
    bool printStatus = false;
    bool graphical = false;
    app.add_flag("--graphical", graphical, "start in graphical mode (as a click on the panel's \"Graphical\")");
    app.add_flag("--silent", silent, "open no audio device; playback keeps time silently");
    app.add_flag("--print-status", printStatus, "print every status-line message on standard output (for scripts)");
    app.add_option("--screenshot", screenshot,
                   "render the window on the headless display, write it to FILE as PNG and exit (no screen needed)")
        ->type_name("PNG");
    app.add_option("--scale", scale, "draw the window this many times larger (default: from the screen's density)")
        ->check(CLI::Range(1, 4));
    app.add_option("--exit-after", exitAfter, "close by itself after this many milliseconds (0: stay open)")
        ->check(CLI::Range(0, 3600000));
    CLI11_PARSE(app, argc, argv);

    std::unique_ptr<platform::display::CSdlDisplay> sdl;
    std::unique_ptr<platform::display::CHeadlessDisplay> headless;
    if (screenshot.empty()) {
        std::string error;
        platform::display::SdlOptions options;
        options.m_nScale = scale;
        sdl = platform::display::CSdlDisplay::Open(&error, options);
        if (!sdl) {
            std::fprintf(stderr, "intonara-gui: %s (use --screenshot PNG without a screen)\n", error.c_str());
            return 1;
        }
    } else {
        headless = std::make_unique<platform::display::CHeadlessDisplay>(1024, 768, 96);
    }

    // The plug-in is linked in: it starts as a loaded module would, with
    // the program's own resources holding the module's.
    IntonaraModuleStartup(nullptr);
    int code = 0;
    {
        std::string error;
        CComPtr<IBaseFilter> filter = CreateFilter(&error);
        if (!filter) {
            std::fprintf(stderr, "intonara-gui: %s\n", error.c_str());
            IntonaraModuleShutdown(nullptr);
            return 1;
        }
        CHostOptions options;
        options.bSilent = silent || !screenshot.empty();
        options.bPrintStatus = printStatus;
        options.nBufferMs = bufferMs;
        CHostWindow window(filter, options);
        if (!window.CreateHost(headless ? 0 : 80, headless ? 0 : 60)) {
            std::fprintf(stderr, "intonara-gui: cannot create the window\n");
            IntonaraModuleShutdown(nullptr);
            return 1;
        }
        if (!file.empty() && !window.OpenFile(file)) {
            std::fprintf(stderr, "intonara-gui: %s\n", window.StatusText().c_str());
        }
        if (graphical) {
            window.ChooseGraphicalMode();
        }
        if (headless) {
            headless->Pump();
            window.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            headless->Pump();
            const bool saved = headless->SavePng(window.m_hWnd, screenshot);
            window.DestroyWindow();
            headless->Pump();
            if (!saved) {
                std::fprintf(stderr, "intonara-gui: cannot write %s\n", screenshot.c_str());
                code = 1;
            }
        } else {
            if (exitAfter > 0) {
                SetTimer(nullptr, 0, static_cast<UINT>(exitAfter),
                         [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
            }
            code = RunLoop(window);
            if (IsWindow(window.m_hWnd)) {
                window.DestroyWindow();
            }
        }
    }
    IntonaraModuleShutdown(nullptr);
    return code;
}
