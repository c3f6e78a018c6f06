#pragma once
// The two passes of graphical mode over a sound file: tracking it into a
// new session, and correcting it along a session's curves into a new sound
// file. Both stream the file through the plug-in's filter with the graph
// views attached (job/GraphWorkspace.h), exactly as playing it in a host
// with Track Pitch or Correct Pitch pressed would.

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "job/CorrectionJob.h"

namespace job {

struct GraphPassRequest
{
    std::string sInPath;
    std::string sSessionPath;
    std::string sOutPath;                  // correcting only
    std::optional<int> nBufferSeconds;     // tracking only; 200 when absent
    std::optional<int> nGraphThreshold;    // 0..100
    std::optional<int> nGraphRetuneIndex;  // 0..400
    // The one track a session holds: a channel, or (the default for
    // several) the average of all.
    ChannelChoice channels;
    // Correcting: the output's container and samples, and whether the
    // filter's delay is kept, as for a correction in automatic mode.
    OutputRequest output;
    bool bKeepLatency = false;
    std::function<void(double)> progress;
    const std::atomic<bool>* pCancel = nullptr;
    int nBlockFrames = kDefaultBlockFrames;
};

struct GraphTrackSummary
{
    std::string sInPath;
    std::string sSessionPath;
    double dSeconds = 0.0;   // of the file
    int nSampleRate = 0;
    int nTrackedFrames = 0;
    double dVoicedShare = 0.0;
    int nBufferSeconds = 0;
    double dWallSeconds = 0.0;
};

// The buffer length that holds a file of this many frames at this rate,
// with the frame being written when the file ends.
int SecondsToHold(int64_t frames, int sampleRate);

// Refuses an input the buffer cannot hold, naming the length needed.
GraphTrackSummary TrackIntoSession(const GraphPassRequest& request);
std::string FormatTrackSummary(const GraphTrackSummary& summary);

// Refuses a sound file other than the one the session was tracked from.
CorrectionSummary CorrectFromSession(const GraphPassRequest& request);
std::string FormatGraphCorrectSummary(const CorrectionSummary& summary, const std::string& sessionPath);

} // namespace job
