#include "job/GraphCorrection.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/PitchEngine.h"
#include "host/IIntonaraControl.h"
#include "host/StreamStart.h"
#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/PitchRange.h"
#include "job/PluginModule.h"
#include "job/SoundIo.h"
#include "job/TextFormat.h"
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

namespace {

// A descriptor closed when the run ends, however it ends.
struct CDescriptor
{
    int fd = -1;
    ~CDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

CPlugInFilter StartPlugInFilter(CModule& module, const CorrectionSettings& s, const std::string& presetIn)
{
    CPlugInFilter f;
    f.filter = CreatePlugInFilter(module);
    if (FAILED(f.filter->QueryInterface(IID_IIntonaraControl, f.control.ReceiveVoid())) ||
        FAILED(f.filter->QueryInterface(IID_IPersistStream, f.persist.ReceiveVoid())))
        ThrowFailure("the plug-in module " + module.Path() + " serves a filter without its control interface");
    // The start of the stream as host/StreamStart.h describes it.
    if (!presetIn.empty())
        LoadPresetFile(f.persist, presetIn);
    CStartSettings start;
    start.values = {s.nScale,        s.nKey,          s.nDetune,        s.nRetuneIndex, s.nVibratoType,
                    s.nVibratoDepth, s.nVibratoRate,  s.nVibratoDelay, s.nThreshold};
    start.bBypass = s.bBypass;
    if (FAILED(ApplyStartSettings(f.control, start)))
        ThrowFailure("the plug-in module " + module.Path() + " refused the settings");
    return f;
}

CorrectionSummary RunGraphCorrection(const CorrectionRequest& request, const GraphOptions& options)
{
    const auto started = std::chrono::steady_clock::now();
    CheckRequest(request);
    const std::string in = DisplayName(request.sInPath, false);
    const std::string out = DisplayName(request.sOutPath, true);
    CDescriptor spooled;
    std::unique_ptr<CSoundReader> reader;
    if (request.sInPath == kStandardStream) {
        spooled.fd = SpoolStandardInput();
        reader = std::make_unique<CSoundReader>(spooled.fd, in);
    } else {
        reader = std::make_unique<CSoundReader>(request.sInPath);
    }
    const SoundFormat& format = reader->Format();
    CorrectionSummary summary = PlanCorrection(request, format);

    // Declared first, so that it is unloaded only after everything it made
    // has been released.
    const std::unique_ptr<CModule> module = LoadPluginModule(options.sModulePath);
    if (options.bLog)
        EnableModuleLog(*module);

    // Every channel's filter starts the same way.
    std::vector<CPlugInFilter> filters;
    std::vector<IBaseFilter*> chain;
    for (int c = 0; c < summary.nChannels; ++c) {
        filters.push_back(StartPlugInFilter(*module, request.settings, options.sPresetIn));
        chain.push_back(filters.back().filter);
    }
    filters.front().control->GetSettings(summary.applied.data());

    COutputTarget output(request.sOutPath);
    CSoundWriter writer(output.Descriptor(), out, summary.nOutputFormat, format.nSampleRate, summary.nChannels);
    CLowPitchCheck pitchCheck(format.nSampleRate);
    StreamPlan plan;
    plan.path = summary.path;
    plan.channels = request.channels;
    plan.bKeepLatency = request.bKeepLatency;
    plan.nLatency = CPitchEngine::kLatency;
    plan.nBlockFrames = request.nBlockFrames;
    plan.nMaxThreads = request.nMaxThreads;
    StreamHooks hooks;
    hooks.progress = request.progress;
    hooks.pCancel = request.pCancel;
    hooks.pPitchCheck = &pitchCheck;
    StreamResult result;
    try {
        result = StreamThroughFilters(*reader, &writer, chain, plan, hooks);
    } catch (const CJobError& e) {
        if (request.pCancel && request.pCancel->load(std::memory_order_relaxed))
            ThrowFailure("interrupted; " + out + " was not written");
        ThrowFailure(std::string(e.what()) + "; " + out + " was not written");
    }
    summary.nFrames = result.nFramesOut;
    summary.nThreads = result.nThreads;
    summary.nLatency = plan.nLatency;
    summary.sWarning = pitchCheck.Warning();

    writer.Close();
    output.Commit();
    if (!options.sPresetOut.empty())
        SavePresetFile(filters.front().persist, options.sPresetOut);
    summary.dWallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

} // namespace job
