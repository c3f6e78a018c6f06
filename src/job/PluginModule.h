#pragma once
// The plug-in module as the tool uses it: found beside the tool (or where
// INTONARA_MODULE says), loaded by file, asked for the filter through its
// class factory, registered and unregistered through its own entry points;
// and the filters the registry lists.

#include <memory>
#include <string>
#include <vector>

#include "platform/media/FilterTypes.h"
#include "platform/com/Module.h"

namespace job {

// The module's file name in the build's and an installation's lib/
// directory.
inline constexpr char kModuleFileName[] = "intonara-filter.so";

// $INTONARA_MODULE when set and not empty; otherwise ../lib/intonara-filter.so
// relative to the directory of the running program.
std::string DefaultModulePath();

// Loads the module at path (DefaultModulePath when empty). Throws a failure
// naming the file and the loader's complaint.
std::unique_ptr<CModule> LoadPluginModule(const std::string& path);

// Switches the module's trace entries on ("inlog.dat" in the current
// directory). Throws when the module has no such entry point.
void EnableModuleLog(CModule& module);

// The module's filter, made by its class factory. Throws on failure.
CComPtr<IBaseFilter> CreatePlugInFilter(CModule& module);

// Through the module's DllRegisterServer / DllUnregisterServer; throw a
// failure naming the result code.
void RegisterModule(CModule& module);
void UnregisterModule(CModule& module);

// Every filter the filter mapper holds, in class identifier order.
std::vector<CRegisteredFilter> ListRegisteredFilters();
// One block per filter: its name, class identifier, merit in hex, then one
// line per pin with its direction and media types.
std::string FormatFilterList(const std::vector<CRegisteredFilter>& filters);

// "0x80004005" for messages.
std::string FormatResult(HRESULT hr);

} // namespace job
