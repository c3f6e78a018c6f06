#pragma once
// The correction as a host runs it: a filter graph from the sound file
// through the plug-in's filter, made by the plug-in module loaded by file,
// into the output file. The settings reach the filter through its control
// interface, in the order every host gives them (host/StreamStart.h).

#include <string>

#include "job/CorrectionJob.h"

#include "host/IIntonaraControl.h"
#include "platform/com/Module.h"

namespace job {

struct GraphOptions
{
    // The module file; empty for DefaultModulePath().
    std::string sModulePath;
    // A 56-byte settings stream loaded before the options given, and one
    // written after the run with the settings then in force. Empty: none.
    std::string sPresetIn;
    std::string sPresetOut;
    // Switches the module's log on ("inlog.dat" in the current directory).
    bool bLog = false;
};

// One of the module's filters, started as every host starts it: the preset
// file (if any), then the settings given, then the bypass switch.
struct CPlugInFilter
{
    CComPtr<IBaseFilter> filter;
    CComPtr<IIntonaraControl> control;
    CComPtr<IPersistStream> persist;
};
CPlugInFilter StartPlugInFilter(CModule& module, const CorrectionSettings& settings, const std::string& presetIn);

// Throws CJobError; on any error an existing output is left as it was and
// no temporary file remains. A preset that cannot be read or is
// not a settings stream is refused before any output is created.
CorrectionSummary RunGraphCorrection(const CorrectionRequest& request, const GraphOptions& options);

// The settings stream of a file, checked and loaded into the filter; throws
// a failure saying what is wrong with the file.
void LoadPresetFile(IPersistStream* pPersist, const std::string& path);
// The filter's settings stream, written to path atomically.
void SavePresetFile(IPersistStream* pPersist, const std::string& path);

} // namespace job
