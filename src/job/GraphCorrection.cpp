#include "job/GraphCorrection.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "host/IIntonaraControl.h"
#include "host/StreamStart.h"
#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/PitchRange.h"
#include "job/PluginModule.h"
#include "job/SoundFilters.h"
#include "job/SoundIo.h"
#include "job/TextFormat.h"
#include "platform/media/FilterGraph.h"
#include "platform/com/Stream.h"
#include "settings/ScaleSet.h"

namespace job {

namespace {

// A settings stream: size, identifier, nine 32-bit settings.
constexpr size_t kPresetBytes = 56;
constexpr size_t kPresetHeaderBytes = 20;

const char* const kSettingNames[kSettingsCount] = {"scale",         "key",          "detune",
                                                   "retune index",  "vibrato type", "vibrato depth",
                                                   "vibrato rate",  "vibrato delay", "threshold"};

int32_t ReadLittleEndian32(const unsigned char* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The values a host could have put; anything else means the file was not
// written by the plug-in.
void CheckPresetValues(const std::vector<unsigned char>& bytes, const std::string& path)
{
    for (int i = 0; i < kSettingsCount; ++i) {
        const int32_t value = ReadLittleEndian32(&bytes[kPresetHeaderBytes + 4 * static_cast<size_t>(i)]);
        int high = kSettingRanges[i].nHigh;
        if (i == SETTING_SCALE)
            high = CScaleSet::kScaleCount - 1;
        if (value < kSettingRanges[i].nLow || value > high)
            ThrowFailure(Printf("%s is damaged: its %s is %d, outside %d to %d", path.c_str(), kSettingNames[i],
                                value, kSettingRanges[i].nLow, high));
    }
}

std::vector<unsigned char> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        ThrowFailure("cannot read the preset " + path + ": " + std::strerror(errno));
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        ThrowFailure("cannot read the preset " + path);
    return bytes;
}

} // namespace

void LoadPresetFile(IPersistStream* pPersist, const std::string& path)
{
    const std::vector<unsigned char> bytes = ReadWholeFile(path);
    if (bytes.size() != kPresetBytes)
        ThrowFailure(Printf("%s is not an Intonara settings file: it has %zu bytes, a settings file has %zu",
                            path.c_str(), bytes.size(), kPresetBytes));
    CheckPresetValues(bytes, path);
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(bytes.data(), bytes.size(), stream.GetAddressOf())))
        ThrowFailure("out of memory");
    const HRESULT hr = pPersist->Load(stream);
    if (hr == E_FAIL)
        ThrowFailure(path + " is not an Intonara settings file: its header does not name Intonara settings");
    if (FAILED(hr))
        ThrowFailure("loading the preset " + path + " failed (" + FormatResult(hr) + ")");
}

void SavePresetFile(IPersistStream* pPersist, const std::string& path)
{
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, stream.GetAddressOf())))
        ThrowFailure("out of memory");
    HRESULT hr = pPersist->Save(stream, TRUE);
    STATSTG stat{};
    if (SUCCEEDED(hr))
        hr = stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<unsigned char> bytes(static_cast<size_t>(SUCCEEDED(hr) ? stat.cbSize.QuadPart : 0));
    ULONG cbRead = 0;
    if (SUCCEEDED(hr))
        hr = stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr))
        hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead);
    if (FAILED(hr) || cbRead != bytes.size())
        ThrowFailure("the plug-in did not save its settings (" + FormatResult(hr) + ")");

    // Written beside the target and renamed over it, like the sound output.
    CPendingOutput output(path);
    if (::write(output.Descriptor(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        ThrowFailure("cannot write " + output.TemporaryPath() + ": " + std::strerror(errno));
    output.Commit();
}

CorrectionSummary RunGraphCorrection(const CorrectionRequest& request, const GraphOptions& options)
{
    const auto started = std::chrono::steady_clock::now();
    CheckRequest(request);
    CSoundReader reader(request.sInPath);
    const SoundFormat& format = reader.Format();
    CorrectionSummary summary = PlanCorrection(request, format);

    // Declared first, so that it is unloaded only after everything it made
    // has been released.
    const std::unique_ptr<CModule> module = LoadPluginModule(options.sModulePath);
    if (options.bLog)
        EnableModuleLog(*module);

    // The start of the stream as host/StreamStart.h describes it.
    CComPtr<IBaseFilter> filter = CreatePlugInFilter(*module);
    CComPtr<IIntonaraControl> control;
    CComPtr<IPersistStream> persist;
    if (FAILED(filter->QueryInterface(IID_IIntonaraControl, control.ReceiveVoid())) ||
        FAILED(filter->QueryInterface(IID_IPersistStream, persist.ReceiveVoid())))
        ThrowFailure("the plug-in module " + module->Path() + " serves a filter without its control interface");
    if (!options.sPresetIn.empty())
        LoadPresetFile(persist, options.sPresetIn);
    const CorrectionSettings& s = request.settings;
    CStartSettings start;
    start.values = {s.nScale,        s.nKey,          s.nDetune,        s.nRetuneIndex, s.nVibratoType,
                    s.nVibratoDepth, s.nVibratoRate,  s.nVibratoDelay, s.nThreshold};
    start.bBypass = s.bBypass;
    if (FAILED(ApplyStartSettings(control, start)))
        ThrowFailure("the plug-in module " + module->Path() + " refused the settings");
    control->GetSettings(summary.applied.data());

    CPendingOutput output(request.sOutPath);
    CSoundWriter writer(output.Descriptor(), request.sOutPath, summary.nOutputFormat, format.nSampleRate);
    CComPtr<CSoundFileSource> source(new CSoundFileSource(reader, summary.path, request.nBlockFrames));
    CLowPitchCheck pitchCheck(format.nSampleRate);
    source->SetPitchCheck(&pitchCheck);
    CComPtr<CSoundFileSink> sink(new CSoundFileSink(writer, summary.path));

    HRESULT hr = S_OK;
    {
        CFilterGraph graph;
        hr = graph.ConnectChain({source, filter, sink});
        if (FAILED(hr))
            ThrowFailure("the plug-in's filter does not take " + DescribeFormat(format) + " (" + FormatResult(hr) +
                         ")");
        hr = graph.Run();
        while (SUCCEEDED(hr)) {
            if (request.pCancel && request.pCancel->load(std::memory_order_relaxed))
                ThrowFailure("interrupted; " + request.sOutPath + " was not written");
            int delivered = 0;
            hr = graph.Step(1, &delivered);
            if (hr != S_OK || delivered == 0)
                break;
            if (request.progress && format.nFrames > 0)
                request.progress(std::min(1.0, static_cast<double>(source->FramesDelivered()) /
                                                   static_cast<double>(format.nFrames)));
        }
        if (hr == S_OK && FAILED(graph.AbortResult()))
            hr = graph.AbortResult();
        else if (hr == S_OK && !graph.IsComplete())
            hr = S_FALSE;
        graph.Stop();
    }
    // The file library's own message says more than the graph's code.
    source->RethrowError();
    sink->RethrowError();
    if (hr != S_OK)
        ThrowFailure("streaming " + request.sInPath + " through the plug-in failed (" + FormatResult(hr) + "); " +
                     request.sOutPath + " was not written");
    summary.nFrames = sink->FramesWritten();
    summary.sWarning = pitchCheck.Warning();

    writer.Close();
    output.Commit();
    if (!options.sPresetOut.empty())
        SavePresetFile(persist, options.sPresetOut);
    summary.dWallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

} // namespace job
