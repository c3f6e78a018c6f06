// What the module does when it is loaded and unloaded, and its string
// table. There is no user interface in the module yet, so start-up has no
// fonts or pictures to make.
//
// The error log is deliberately not switched on here: a host that loads
// the module from a command line would otherwise find "inlog.dat" dropped
// into whatever directory the user happens to be in. The application
// decides, through IntonaraInitErrorLog.

#include "host/ModuleExports.h"

#include "log/Elog.h"
#include "platform/Messages.h"
#include "settings/ScaleSet.h"

#include <string>
#include <vector>

namespace {

// String numbers of the module's table.
constexpr UINT kTitleString = 2;
constexpr UINT kFirstScaleString = 3;
constexpr UINT kFirstKeyString = 32;
constexpr UINT kFirstVibratoString = 45;

const char* const kVibratoNames[] = {"(No Vibrato)", "Sine Wave", "Square", "Sawtooth"};

void RegisterModuleStrings(HMODULE hModule)
{
    std::vector<StringResource> strings;
    strings.push_back({kTitleString, "Intonara by Velmora"});
    for (int scale = 0; scale < CScaleSet::kScaleCount; ++scale) {
        strings.push_back({kFirstScaleString + static_cast<UINT>(scale), CScaleSet::GetDisplayName(scale)});
    }
    for (int key = 0; key < 12; ++key) {
        strings.push_back({kFirstKeyString + static_cast<UINT>(key), CScaleSet::GetKeyName(key)});
    }
    for (UINT i = 0; i < 4; ++i) {
        strings.push_back({kFirstVibratoString + i, kVibratoNames[i]});
    }
    AddStringResources(hModule, strings);
}

} // namespace

void IntonaraModuleStartup(HMODULE hModule)
{
    // COM stays initialised on the loading thread for the module's life.
    CoInitialize(nullptr);
    g_hLogModule.store(hModule, std::memory_order_relaxed);
    RegisterModuleStrings(hModule);
}

void IntonaraModuleShutdown(HMODULE hModule)
{
    RemoveStringResources(hModule);
    CoUninitialize();
}

UINT IntonaraInitErrorLog()
{
    return InitErrorLog();
}
