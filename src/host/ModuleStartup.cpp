// What the module does when it is loaded and unloaded. Its strings and
// version block are resources (resources/intonara.rc) compiled into the
// module, so start-up has nothing to register for them.
//
// The error log is deliberately not switched on here: a host that loads
// the module from a command line would otherwise find "inlog.dat" dropped
// into whatever directory the user happens to be in. The application
// decides, through IntonaraInitErrorLog.

#include "host/ModuleExports.h"

#include "log/Elog.h"

void IntonaraModuleStartup(HMODULE hModule)
{
    // COM stays initialised on the loading thread for the module's life.
    CoInitialize(nullptr);
    g_hLogModule.store(hModule, std::memory_order_relaxed);
}

void IntonaraModuleShutdown(HMODULE)
{
    CoUninitialize();
}

UINT IntonaraInitErrorLog()
{
    return InitErrorLog();
}
