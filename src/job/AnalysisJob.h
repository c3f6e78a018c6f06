#pragma once
// "intonara analyze": the file through the plug-in's filter in a tracking
// pass, so that the notes found are those the engine's own detector hears.

#include <atomic>
#include <functional>
#include <string>

#include "job/ChannelStream.h"
#include "job/CorrectionJob.h"
#include "job/CorrectionSettings.h"
#include "job/NoteAnalysis.h"

namespace job {

struct AnalysisRequest
{
    std::string sInPath; // "-": standard input
    // Scale, key, detune and threshold; the rest is not used.
    CorrectionSettings settings;
    // Each: a file with several channels is mixed down.
    ChannelChoice channels;
    std::function<void(double)> progress;
    const std::atomic<bool>* pCancel = nullptr;
    int nBlockFrames = kDefaultBlockFrames;
};

// Throws CJobError. pWarning receives the low-pitch warning of correct, or
// an empty string.
PitchAnalysis RunAnalysis(const AnalysisRequest& request, const std::string& modulePath, std::string* pWarning);

} // namespace job
