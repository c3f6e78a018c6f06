// What the module does when it is loaded and unloaded. Its strings, dialog
// templates, bitmaps, cursors and version block are resources
// (resources/intonara.rc) compiled into the module; the application object
// turns the bitmaps into the shared bitmap set and makes the shared fonts
// once, here, for every panel the module will show.
//
// The error log is deliberately not switched on here: a host that loads
// the module from a command line would otherwise find "inlog.dat" dropped
// into whatever directory the user happens to be in. The application
// decides, through IntonaraInitErrorLog.

#include "host/ModuleExports.h"

#include "log/Elog.h"
#include "shell/IntonaraApp.h"

void IntonaraModuleStartup(HMODULE hModule)
{
    g_hLogModule.store(hModule, std::memory_order_relaxed);
    // Also initialises COM on the loading thread for the module's life.
    theApp.InitInstance();
}

void IntonaraModuleShutdown(HMODULE)
{
    theApp.ExitInstance();
    CoUninitialize();
}

UINT IntonaraInitErrorLog()
{
    return InitErrorLog();
}
