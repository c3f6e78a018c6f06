#include "job/GraphPasses.h"

#include <sys/stat.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "graph/MainGraphView.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/PluginModule.h"
#include "job/SoundFilters.h"
#include "job/SoundIo.h"
#include "job/TextFormat.h"
#include "modes/DspObject.h"
#include "platform/media/FilterGraph.h"
#include "settings/ParameterIds.h"
#include "settings/RetuneTaper.h"

#include <sndfile.h>

namespace job {

namespace {

constexpr int kFrameSamples = 200;
constexpr int kMaxBufferSeconds = 3 * 3600;

// {5B0C7E23-6A94-4F3D-8E15-2D7A90C4B613}
constexpr CLSID CLSID_DiscardSink = {0x5B0C7E23, 0x6A94, 0x4F3D, {0x8E, 0x15, 0x2D, 0x7A, 0x90, 0xC4, 0xB6, 0x13}};

// What a tracking pass plays into: the audio is not kept.
class CDiscardSink : public CSinkFilter
{
public:
    CDiscardSink() : CSinkFilter("Discarding renderer", nullptr, CLSID_DiscardSink) {}

protected:
    HRESULT OnReceive(IMediaSample*) override { return S_OK; }
};

// One filter for the whole file: mono files as they are, anything else
// averaged to mono first.
ProcessingPath GraphPath(const SoundFormat& format, const std::string& in)
{
    const int encoding = format.nFormat & SF_FORMAT_SUBMASK;
    const bool direct = format.nChannels == 1 && (encoding == SF_FORMAT_PCM_16 || encoding == SF_FORMAT_FLOAT);
    return ChoosePath(format, !direct, in);
}

// Plays the whole file through the workspace's filter in a filter graph,
// from stopped to stopped: the filter's Stop ends whichever pass runs.
void Play(CGraphWorkspace& workspace, CSoundReader& reader, CSoundFileSource* pSource, CSinkFilter* pSink,
          const GraphPassRequest& request, const std::string& failureTail)
{
    const SoundFormat& format = reader.Format();
    HRESULT hr = S_OK;
    {
        CFilterGraph graph;
        hr = graph.ConnectChain({pSource, workspace.Filter(), pSink});
        if (FAILED(hr))
            ThrowFailure("the plug-in's filter does not take " + DescribeFormat(format) + " (" + FormatResult(hr) +
                         ")");
        hr = graph.Run();
        while (SUCCEEDED(hr)) {
            if (request.pCancel && request.pCancel->load(std::memory_order_relaxed))
                ThrowFailure("interrupted" + failureTail);
            int delivered = 0;
            hr = graph.Step(1, &delivered);
            if (hr != S_OK || delivered == 0)
                break;
            if (request.progress && format.nFrames > 0)
                request.progress(std::min(1.0, static_cast<double>(pSource->FramesDelivered()) /
                                                   static_cast<double>(format.nFrames)));
        }
        if (hr == S_OK && FAILED(graph.AbortResult()))
            hr = graph.AbortResult();
        else if (hr == S_OK && !graph.IsComplete())
            hr = S_FALSE;
        graph.Stop();
    }
    pSource->RethrowError();
    if (hr != S_OK)
        ThrowFailure("streaming " + request.sInPath + " through the plug-in failed (" + FormatResult(hr) + ")" +
                     failureTail);
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
    const ProcessingPath path = GraphPath(format, request.sInPath);

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
    dsp.SetParameter(PARAM_TRACK_PITCH, 1);
    dsp.ResetEngine();
    CComPtr<CSoundFileSource> source(new CSoundFileSource(reader, path, request.nBlockFrames));
    CComPtr<CDiscardSink> sink(new CDiscardSink());
    Play(workspace, reader, source, sink, request, "; " + request.sSessionPath + " was not written");
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
    const GraphSession session = ReadSession(request.sSessionPath);
    CorrectionRequest plan;
    plan.sInPath = request.sInPath;
    plan.sOutPath = request.sOutPath;
    plan.nBlockFrames = request.nBlockFrames;
    CheckRequest(plan);
    CSoundReader reader(request.sInPath);
    const SoundFormat& format = reader.Format();
    if (format.nFrames != session.nSourceFrames || format.nSampleRate != session.nSampleRate)
        ThrowFailure(Printf("%s is not the file %s was tracked from: it has %lld frames at %d Hz, %s had %lld at %d Hz",
                            request.sInPath.c_str(), request.sSessionPath.c_str(),
                            static_cast<long long>(format.nFrames), format.nSampleRate, session.sSourcePath.c_str(),
                            static_cast<long long>(session.nSourceFrames), session.nSampleRate));
    plan.bMixdown = GraphPath(format, request.sInPath) == ProcessingPath::Mixdown;
    CorrectionSummary summary = PlanCorrection(plan, format);

    CGraphWorkspace workspace;
    workspace.Open(session, request.sSessionPath, PassSettings(request));
    CDspObject& dsp = workspace.Controller();
    dsp.SetParameter(PARAM_CORRECT_PITCH, 1);
    dsp.ResetEngine();

    CPendingOutput output(request.sOutPath);
    CSoundWriter writer(output.Descriptor(), request.sOutPath, summary.nOutputFormat, format.nSampleRate);
    CComPtr<CSoundFileSource> source(new CSoundFileSource(reader, summary.path, request.nBlockFrames));
    CComPtr<CSoundFileSink> sink(new CSoundFileSink(writer, summary.path));
    Play(workspace, reader, source, sink, request, "; " + request.sOutPath + " was not written");
    sink->RethrowError();
    summary.nFrames = sink->FramesWritten();
    dsp.GetAutomaticSettings(summary.applied.data());
    writer.Close();
    output.Commit();
    summary.dWallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

std::string FormatGraphCorrectSummary(const CorrectionSummary& s, const std::string& sessionPath)
{
    const double seconds = s.input.nSampleRate > 0 ? static_cast<double>(s.nFrames) / s.input.nSampleRate : 0.0;
    std::string line = Printf("corrected %s into %s along the curves of %s: %.1f s of %s at %d Hz; took %.2f s",
                              s.sInPath.c_str(), s.sOutPath.c_str(), sessionPath.c_str(), seconds, DescribePath(s.path),
                              s.input.nSampleRate, s.dWallSeconds);
    if (s.dWallSeconds > 0.0 && seconds > 0.0)
        line += Printf(", %.0fx real time", seconds / s.dWallSeconds);
    return line;
}

} // namespace job
