// The plug-in module's load and unload hooks. Everything else the module
// holds comes from the host library; the linker's version script exports
// only the entry points of host/ModuleExports.h.

#include "host/ModuleExports.h"
#include "platform/com/Module.h"

namespace {

HMODULE g_hThisModule = nullptr;

// Its end runs the shutdown. Made during the load, after the module's
// globals, it ends before any of them does, whether the module is unloaded
// or the process exits.
struct CShutdownAtEnd {
    ~CShutdownAtEnd() { IntonaraModuleShutdown(g_hThisModule); }
};

__attribute__((constructor)) void OnModuleLoad()
{
    g_hThisModule = GetModuleHandleFromAddress(reinterpret_cast<const void*>(&OnModuleLoad));
    IntonaraModuleStartup(g_hThisModule);
    static CShutdownAtEnd shutdown;
}

} // namespace
