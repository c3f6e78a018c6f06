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

// The module's file name in the build's lib/ and an installation's
// lib/intonara/ directory.
inline constexpr char kModuleFileName[] = "intonara-filter.so";

// Where the module may be, in the order it is looked for: beside the
// running program as an installation (../lib/intonara/), the build tree
// (../lib/) or a copy made with it (./) lay it out, then in the prefix the
// build was configured to install to, then in ~/.local, /usr/local and /usr.
// Duplicates are dropped.
std::vector<std::string> ModuleSearchPath();

// $INTONARA_MODULE when set and not empty; otherwise the first file of
// ModuleSearchPath() that exists, or empty when none does.
std::string DefaultModulePath();

// Loads the module at path (DefaultModulePath when empty). Throws a failure
// naming the file and the loader's complaint, or every place looked in.
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
