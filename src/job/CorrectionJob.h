#pragma once
// One automatic-mode correction of a whole file, start to finish.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "job/CorrectionSettings.h"
#include "job/SoundFormat.h"

class CDspObject;

namespace job {

// Frames per engine call. The engine gives the same output for any block
// size; this only bounds the job's memory.
inline constexpr int kDefaultBlockFrames = 8192;

struct CorrectionRequest
{
    std::string sInPath;
    std::string sOutPath;
    CorrectionSettings settings;
    bool bMixdown = false;
    // Fraction of the input done, 0 to 1, after every block. Not called when
    // the input does not say how long it is.
    std::function<void(double)> progress;
    // Checked between blocks; when it turns true the job stops as a failure
    // and leaves no output behind.
    const std::atomic<bool>* pCancel = nullptr;
    int nBlockFrames = kDefaultBlockFrames;
};

struct CorrectionSummary
{
    std::string sInPath;
    std::string sOutPath;
    SoundFormat input;
    ProcessingPath path = ProcessingPath::Float32;
    int nOutputFormat = 0;
    int64_t nFrames = 0;   // processed, and written
    SettingsBlock applied{}; // IDs 2 to 10 as the controller holds them afterwards
    bool bBypass = false;
    std::optional<double> dA4Hz; // when the detune was given as a pitch for A4
    double dWallSeconds = 0.0;
};

// Brings a freshly constructed controller to the state the plug-in reaches
// before its first buffer, and returns the settings it then holds.
SettingsBlock PrepareController(CDspObject& dsp, const CorrectionSettings& settings, int sampleRate);

// The user's part of that: the settings given, then the bypass switch.
void ApplyUserSettings(CDspObject& dsp, const CorrectionSettings& settings);

// --mixdown's one channel from many: the average of each frame.
void AverageChannels(const float* pInterleaved, int nFrames, int nChannels, float* pOut);

// Refuses a request that cannot run (block size, input and output names)
// before anything is opened.
void CheckRequest(const CorrectionRequest& request);

// Refuses an input that cannot be corrected, and otherwise describes the
// run: formats in and out, the processing path, bypass. Frames, settings
// and time are filled in as the run goes.
CorrectionSummary PlanCorrection(const CorrectionRequest& request, const SoundFormat& format);

// The direct path: the file runs through a controller of the job's own,
// without the plug-in module. The tool itself goes through the filter graph
// (GraphCorrection.h); both give the same samples.
// Throws CJobError; on any error an existing output is left as it was and
// no temporary file remains.
CorrectionSummary RunCorrection(const CorrectionRequest& request);

// One line for the user.
std::string FormatSummary(const CorrectionSummary& summary);

} // namespace job
