#include "job/GraphPasses.h"

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>

#include "engine/PitchEngine.h"
#include "graph/MainGraphView.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/PitchRange.h"
#include "job/SoundIo.h"
#include "job/TextFormat.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

namespace job {

namespace {

constexpr int kFrameSamples = 200;
constexpr int kMaxBufferSeconds = 3 * 3600;

// The session holds one track: a file with several channels is heard as
// their average unless one channel is asked for.
ChannelChoice OneTrack(const ChannelChoice& asked, const SoundFormat& format)
{
    ChannelChoice choice = asked;
    if (choice.eMode == ChannelMode::Each && format.nChannels > 1)
        choice.eMode = ChannelMode::Mixdown;
    return choice;
}

// Streams the whole file through the workspace's filter; `started` switches
// the pass on once the filter has its format (a connection ends a pass
// switched on before it).
StreamResult Play(CGraphWorkspace& workspace, CSoundReader& reader, CSoundWriter* pWriter, const StreamPlan& plan,
                  const GraphPassRequest& request, std::function<void()> started, CLowPitchCheck* pCheck,
                  const std::string& failureTail)
{
    StreamHooks hooks;
    hooks.progress = request.progress;
    hooks.pCancel = request.pCancel;
    hooks.pPitchCheck = pCheck;
    hooks.started = std::move(started);
    try {
        return StreamThroughFilters(reader, pWriter, {workspace.Filter()}, plan, hooks);
    } catch (const CJobError& e) {
        if (request.pCancel && request.pCancel->load(std::memory_order_relaxed))
            ThrowFailure("interrupted" + failureTail);
        ThrowFailure(std::string(e.what()) + failureTail);
    }
}

GraphStart PassSettings(const GraphPassRequest& request)
{
    GraphStart start;
    start.nGraphThreshold = request.nGraphThreshold;
    start.nGraphRetuneIndex = request.nGraphRetuneIndex;
    return start;
}

int64_t FileBytes(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

} // namespace

int SecondsToHold(int64_t frames, int sampleRate)
{
    // The last record is the one being written when the buffer fills, so
    // the buffer needs one more than the file has frames.
    const int64_t records = (frames + kFrameSamples - 1) / kFrameSamples + 1;
    const float frameRate = static_cast<float>(sampleRate) / kFrameSamples;
    int seconds = static_cast<int>(std::ceil(static_cast<double>(records) / frameRate));
    while (static_cast<int64_t>(static_cast<float>(seconds) * frameRate) < records)
        ++seconds;
    return std::max(1, seconds);
}

GraphTrackSummary TrackIntoSession(const GraphPassRequest& request)
{
    const auto started = std::chrono::steady_clock::now();
    CheckInputAndOutput(request.sInPath, request.sSessionPath);
    CSoundReader reader(request.sInPath);
    const SoundFormat& format = reader.Format();
    CheckCorrectable(format, request.sInPath);
    const ChannelChoice channels = OneTrack(request.channels, format);
    const ProcessingPath path = ChooseProcessing(format, channels, request.sInPath);

    GraphStart start = PassSettings(request);
    start.nSampleRate = format.nSampleRate;
    start.nBufferSeconds = request.nBufferSeconds.value_or(200);
    const int needed = SecondsToHold(format.nFrames, format.nSampleRate);
    if (start.nBufferSeconds < needed)
        ThrowUsage(Printf("%s lasts %.2f s, longer than a track buffer of %d s holds; give --seconds %d or more",
                          request.sInPath.c_str(), static_cast<double>(format.nFrames) / format.nSampleRate,
                          start.nBufferSeconds, needed));
    if (needed > kMaxBufferSeconds)
        ThrowFailure(Printf("%s is too long to track in one pass (at most %d s)", request.sInPath.c_str(),
                            kMaxBufferSeconds));

    CGraphWorkspace workspace;
    workspace.Start(start);
    CDspObject& dsp = workspace.Controller();
    StreamPlan plan;
    plan.path = path;
    plan.channels = channels;
    plan.bKeepLatency = true; // the sound is not kept; nothing to line up
    plan.nBlockFrames = request.nBlockFrames;
    Play(workspace, reader, nullptr, plan, request,
         [&dsp] {
             dsp.SetParameter(PARAM_TRACK_PITCH, 1);
             dsp.ResetEngine();
         },
         nullptr, "; " + request.sSessionPath + " was not written");
    // The filter's Stop ended the pass; a filter in another mode would not have.
    if (workspace.Main().IsTracking())
        dsp.SetParameter(PARAM_TRACK_PITCH, 0);

    GraphSession session = workspace.Capture();
    session.sSourcePath = std::filesystem::absolute(request.sInPath).lexically_normal().string();
    session.nSourceFrames = format.nFrames;
    session.nSampleRate = format.nSampleRate;
    session.nSourceBytes = FileBytes(request.sInPath);
    WriteSession(session, request.sSessionPath);

    GraphTrackSummary summary;
    summary.sInPath = request.sInPath;
    summary.sSessionPath = request.sSessionPath;
    summary.dSeconds = static_cast<double>(format.nFrames) / format.nSampleRate;
    summary.nSampleRate = format.nSampleRate;
    summary.nTrackedFrames = session.nTrackedFrames;
    int voiced = 0;
    for (int i = 0; i < session.nTrackedFrames; ++i)
        voiced += static_cast<int32_t>(session.records[5 * static_cast<size_t>(i) + 3]) != kUnvoicedMark ? 1 : 0;
    summary.dVoicedShare = session.nTrackedFrames > 0 ? static_cast<double>(voiced) / session.nTrackedFrames : 0.0;
    summary.nBufferSeconds = start.nBufferSeconds;
    summary.dWallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

std::string FormatTrackSummary(const GraphTrackSummary& s)
{
    std::string line = Printf("tracked %s into %s: %.1f s at %d Hz, %d frames, %.0f%% voiced; took %.2f s",
                              s.sInPath.c_str(), s.sSessionPath.c_str(), s.dSeconds, s.nSampleRate, s.nTrackedFrames,
                              100.0 * s.dVoicedShare, s.dWallSeconds);
    if (s.dWallSeconds > 0.0)
        line += Printf(", %.0fx real time", s.dSeconds / s.dWallSeconds);
    return line;
}

CorrectionSummary CorrectFromSession(const GraphPassRequest& request)
{
    const auto started = std::chrono::steady_clock::now();
    if (request.sInPath == kStandardStream)
        ThrowUsage("graph correct reads the file its session was tracked from, not standard input");
    const GraphSession session = ReadSession(request.sSessionPath);
    CorrectionRequest plan;
    plan.sInPath = request.sInPath;
    plan.sOutPath = request.sOutPath;
    plan.output = request.output;
    plan.bKeepLatency = request.bKeepLatency;
    plan.nBlockFrames = request.nBlockFrames;
    CheckRequest(plan);
    CSoundReader reader(request.sInPath);
    const SoundFormat& format = reader.Format();
    if (format.nFrames != session.nSourceFrames || format.nSampleRate != session.nSampleRate)
        ThrowFailure(Printf("%s is not the file %s was tracked from: it has %lld frames at %d Hz, %s had %lld at %d Hz",
                            request.sInPath.c_str(), request.sSessionPath.c_str(),
                            static_cast<long long>(format.nFrames), format.nSampleRate, session.sSourcePath.c_str(),
                            static_cast<long long>(session.nSourceFrames), session.nSampleRate));
    plan.channels = OneTrack(request.channels, format);
    CorrectionSummary summary = PlanCorrection(plan, format);
    summary.nLatency = CPitchEngine::kLatency;

    CGraphWorkspace workspace;
    workspace.Open(session, request.sSessionPath, PassSettings(request));
    CDspObject& dsp = workspace.Controller();

    const std::string out = DisplayName(request.sOutPath, true);
    COutputTarget output(request.sOutPath);
    CSoundWriter writer(output.Descriptor(), out, summary.nOutputFormat, format.nSampleRate, summary.nChannels);
    CLowPitchCheck pitchCheck(format.nSampleRate);
    StreamPlan stream;
    stream.path = summary.path;
    stream.channels = plan.channels;
    stream.bKeepLatency = plan.bKeepLatency;
    stream.nLatency = summary.nLatency;
    stream.nBlockFrames = plan.nBlockFrames;
    const StreamResult result = Play(workspace, reader, &writer, stream, request,
                                     [&dsp] {
                                         dsp.SetParameter(PARAM_CORRECT_PITCH, 1);
                                         dsp.ResetEngine();
                                     },
                                     &pitchCheck, "; " + out + " was not written");
    summary.nFrames = result.nFramesOut;
    summary.sWarning = pitchCheck.Warning();
    dsp.GetAutomaticSettings(summary.applied.data());
    writer.Close();
    output.Commit();
    summary.dWallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

std::string FormatGraphCorrectSummary(const CorrectionSummary& s, const std::string& sessionPath)
{
    const int rate = s.input.nSampleRate;
    const double seconds = rate > 0 ? static_cast<double>(s.nFrames) / rate : 0.0;
    std::string line = Printf("corrected %s into %s along the curves of %s: %.1f s of %s at %d Hz",
                              s.sInPath.c_str(), DisplayName(s.sOutPath, true).c_str(), sessionPath.c_str(), seconds,
                              DescribeFormat(s.input).c_str(), rate);
    line += DescribeOutput(s) + Printf("; took %.2f s", s.dWallSeconds);
    if (s.dWallSeconds > 0.0 && seconds > 0.0)
        line += ", " + Speed(seconds / s.dWallSeconds) + " real time";
    return line;
}

} // namespace job
