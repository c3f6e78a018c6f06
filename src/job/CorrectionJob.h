#pragma once
// One automatic-mode correction of a whole file, start to finish: what is
// asked for, how it will run, and what it did.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "job/ChannelStream.h"
#include "job/CorrectionSettings.h"
#include "job/SoundFormat.h"

namespace job {

// Frames per media sample. The engine gives the same output for any block
// size; this only bounds the job's memory.
inline constexpr int kDefaultBlockFrames = 8192;

struct CorrectionRequest
{
    std::string sInPath;  // "-": standard input
    std::string sOutPath; // "-": standard output
    CorrectionSettings settings;
    ChannelChoice channels;
    OutputRequest output;      // from ParseOutputRequest
    bool bKeepLatency = false; // the raw stream, 30 samples late
    // Fraction of the input done, 0 to 1, after every stretch. Not called
    // when the input does not say how long it is.
    std::function<void(double)> progress;
    // Checked between stretches; when it turns true the job stops as a
    // failure and leaves no output behind.
    const std::atomic<bool>* pCancel = nullptr;
    int nBlockFrames = kDefaultBlockFrames;
    int nMaxThreads = 0; // 0: one per core
};

struct CorrectionSummary
{
    std::string sInPath;  // as the user named them; "-" for the standard streams
    std::string sOutPath;
    SoundFormat input;
    ChannelChoice channels;
    int nChannels = 1; // processed, and written
    int nThreads = 1;  // channels processed at once
    ProcessingPath path = ProcessingPath::Float32;
    int nOutputFormat = 0;
    int64_t nFrames = 0;    // written
    bool bKeepLatency = false;
    int nLatency = 0;       // the filter's delay, trimmed unless kept
    SettingsBlock applied{}; // IDs 2 to 10 as the controller holds them afterwards
    bool bBypass = false;
    std::optional<double> dA4Hz; // when the detune was given as a pitch for A4
    double dWallSeconds = 0.0;
    // A line for the user about what may have gone uncorrected; empty when
    // there is nothing to say.
    std::string sWarning;
};

// "standard input" and "standard output" for "-", else the path.
std::string DisplayName(const std::string& path, bool bOutput);

// The format the filter gets the input's channels in: 16-bit PCM runs
// through its 16-bit path unless channels are averaged, everything else
// through the float path. Throws a failure for a channel the input lacks.
ProcessingPath ChooseProcessing(const SoundFormat& format, const ChannelChoice& channels,
                                const std::string& displayPath);

// Refuses a request that cannot run (block size, input and output names)
// before anything is opened.
void CheckRequest(const CorrectionRequest& request);

// Refuses an input that cannot be corrected (rate, no frames, a channel it
// does not have, an output format that cannot hold it), and otherwise
// describes the run: channels, the processing path, the output's format.
// Frames, settings and time are filled in as the run goes.
CorrectionSummary PlanCorrection(const CorrectionRequest& request, const SoundFormat& format);

// --mixdown and --channel N (1 is the first); neither: every channel.
ChannelChoice ParseChannelChoice(bool bMixdown, const std::optional<std::string>& channel);

// The channels processed and the output's format and timing, as the
// summary line words them ("; written as ...").
std::string DescribeOutput(const CorrectionSummary& summary);
// A speed in times real time, "12x" or "0.35x".
std::string Speed(double times);
// One line for the user.
std::string FormatSummary(const CorrectionSummary& summary);
// Everything about the run, a line a subject, for the log.
std::string FormatLogEntry(const CorrectionSummary& summary);

// Where the output of inPath goes in a folder: its own name, with the
// extension of the format --format names, if any.
std::string OutputPathInFolder(const std::string& inPath, const std::string& folder,
                               const std::optional<std::string>& format);

} // namespace job
