#pragma once
// One automatic-mode correction of a whole file, start to finish.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "job/CorrectionSettings.h"
#include "job/SoundFormat.h"

namespace job {

// Frames per media sample. The engine gives the same output for any block
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
    // A line for the user about what may have gone uncorrected; empty when
    // there is nothing to say.
    std::string sWarning;
};

// --mixdown's one channel from many: the average of each frame.
void AverageChannels(const float* pInterleaved, int nFrames, int nChannels, float* pOut);

// Refuses a request that cannot run (block size, input and output names)
// before anything is opened.
void CheckRequest(const CorrectionRequest& request);

// Refuses an input that cannot be corrected, and otherwise describes the
// run: formats in and out, the processing path, bypass. Frames, settings
// and time are filled in as the run goes.
CorrectionSummary PlanCorrection(const CorrectionRequest& request, const SoundFormat& format);

// One line for the user.
std::string FormatSummary(const CorrectionSummary& summary);

} // namespace job
