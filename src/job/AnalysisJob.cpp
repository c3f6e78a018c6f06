#include "job/AnalysisJob.h"

#include <unistd.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/PitchEngine.h"
#include "engine/TrackRecord.h"
#include "job/GraphCorrection.h"
#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/PitchRange.h"
#include "job/PluginModule.h"
#include "job/SoundIo.h"
#include "modes/DspObject.h"
#include "settings/ScaleSet.h"

namespace job {

namespace {

// The engine's bit for "start the pass at the first sound".
constexpr int kWaitForSignalFlag = 15;

} // namespace

PitchAnalysis RunAnalysis(const AnalysisRequest& request, const std::string& modulePath, std::string* pWarning)
{
    const std::string in = DisplayName(request.sInPath, false);
    int spooled = -1;
    struct CCloser
    {
        int& fd;
        ~CCloser()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } closer{spooled};
    std::unique_ptr<CSoundReader> reader;
    if (request.sInPath == kStandardStream) {
        spooled = SpoolStandardInput();
        reader = std::make_unique<CSoundReader>(spooled, in);
    } else {
        CheckInputAndOutput(request.sInPath, "");
        reader = std::make_unique<CSoundReader>(request.sInPath);
    }
    const SoundFormat& format = reader->Format();
    CheckCorrectable(format, in);
    ChannelChoice channels = request.channels;
    if (channels.eMode == ChannelMode::Each && format.nChannels > 1)
        channels.eMode = ChannelMode::Mixdown;

    const std::unique_ptr<CModule> module = LoadPluginModule(modulePath);
    const CPlugInFilter plugIn = StartPlugInFilter(*module, request.settings, "");
    SettingsBlock applied{};
    plugIn.control->GetSettings(applied.data());
    CDspObject* dsp = nullptr;
    if (FAILED(plugIn.control->GetDspObject(&dsp)) || dsp == nullptr)
        ThrowFailure("the plug-in module " + module->Path() + " serves a filter without its processor");

    // One record per 200 input frames, with room to spare: a full array
    // would end the pass early.
    const int frameLength = CPitchEngine::kFrameLength;
    const int64_t records = format.nFrames / frameLength + 4;
    if (records > (1 << 30))
        ThrowFailure(in + " is too long to analyse in one pass");
    std::vector<TrackRecord> track(static_cast<size_t>(records));
    const int capacity = static_cast<int>(records);

    CLowPitchCheck pitchCheck(format.nSampleRate);
    StreamPlan plan;
    plan.path = ChooseProcessing(format, channels, in);
    plan.channels = channels;
    plan.bKeepLatency = true; // the output is not kept; nothing to line up
    plan.nBlockFrames = request.nBlockFrames;
    StreamHooks hooks;
    hooks.progress = request.progress;
    hooks.pCancel = request.pCancel;
    hooks.pPitchCheck = &pitchCheck;
    // Armed once the filter has its format, which would end a pass armed
    // before; the pass's frame 0 starts at the first sound.
    hooks.started = [&] {
        dsp->StartTracking(track.data(), capacity);
        dsp->SetEngineFlag(kWaitForSignalFlag, 1);
    };
    StreamResult result;
    try {
        result = StreamThroughFilters(*reader, nullptr, {plugIn.filter}, plan, hooks);
    } catch (const CJobError&) {
        if (request.pCancel && request.pCancel->load(std::memory_order_relaxed))
            ThrowFailure("interrupted");
        throw;
    }
    unsigned toggle = 0;
    short blink = 0;
    // The record being written is incomplete; those before it are whole.
    const int complete = dsp->GetTrackingStatus(&toggle, &blink, capacity, nullptr);

    PitchAnalysis analysis;
    analysis.sPath = in;
    analysis.nSampleRate = format.nSampleRate;
    analysis.dSeconds = static_cast<double>(result.nFramesIn) / format.nSampleRate;
    CScaleSet scales;
    analysis.scale = ListNotes(scales, applied[SETTING_SCALE], applied[SETTING_KEY], format.nSampleRate,
                               applied[SETTING_DETUNE] - 100);
    if (result.nFirstSound >= 0) {
        const double rate = format.nSampleRate;
        for (int k = 0; k < complete; ++k) {
            const TrackRecord& r = track[static_cast<size_t>(k)];
            TrackedFrame frame;
            frame.dSeconds = static_cast<double>(result.nFirstSound + static_cast<int64_t>(k) * frameLength) / rate;
            // No period all frame leaves the maximum at its mark, -1.
            if (r.fMaxPeriod > 0.0f && r.fMinPeriod > 0.0f)
                frame.dHz = rate / std::sqrt(static_cast<double>(r.fMinPeriod) * r.fMaxPeriod);
            analysis.frames.push_back(frame);
        }
    }
    analysis.notes = FindSungNotes(analysis.frames, frameLength / static_cast<double>(format.nSampleRate),
                                   analysis.scale);
    if (pWarning)
        *pWarning = pitchCheck.Warning();
    return analysis;
}

} // namespace job
