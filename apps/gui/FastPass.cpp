// The fast pass: the graphical pass the panel has armed runs over the whole
// file as fast as the processor goes, with nothing played, and ends as a
// played pass ends at the end of the file (the filter's Stop ends it and
// releases the switch).

#include "HostWindow.h"

#include "job/ChannelStream.h"
#include "job/CorrectionJob.h"
#include "job/SoundIo.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

#include <chrono>
#include <cstdio>

bool CHostWindow::PassArmed(int* tracking, int* correcting) const
{
    CDspObject* pDsp = nullptr;
    if (!m_pControl || FAILED(m_pControl->GetDspObject(&pDsp)) || pDsp == nullptr || !IsGraphical()) {
        return false;
    }
    pDsp->GetParameter(PARAM_TRACK_PITCH, tracking);
    pDsp->GetParameter(PARAM_CORRECT_PITCH, correcting);
    return *tracking != 0 || *correcting != 0;
}

void CHostWindow::OnFastPass()
{
    int tracking = 0;
    int correcting = 0;
    CDspObject* pDsp = nullptr;
    if (!m_pPlayback->IsOpen() || !PassArmed(&tracking, &correcting) ||
        FAILED(m_pControl->GetDspObject(&pDsp))) {
        Say("The fast pass runs an armed pass: choose Graphical and press Track Pitch or Correct Pitch first.");
        return;
    }
    if (m_bExporting.load()) {
        Say("An export is running; the fast pass waits for it.");
        return;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::string path = m_strFile;
    const int pass = tracking != 0 ? PARAM_TRACK_PITCH : PARAM_CORRECT_PITCH;
    // The filter leaves the playback graph for a graph that pushes the file
    // through it, and comes back afterwards.
    m_pPlayback->Close();
    std::string failure;
    try {
        job::CSoundReader reader(path);
        const job::SoundFormat& format = reader.Format();
        job::StreamPlan plan;
        // One track, as the played pass hears it: several channels averaged.
        plan.channels.eMode = format.nChannels > 1 ? job::ChannelMode::Mixdown : job::ChannelMode::Each;
        plan.path = job::ChooseProcessing(format, plan.channels, path);
        plan.bKeepLatency = true;
        job::StreamHooks hooks;
        // Armed again once the filter is connected and running, as the tool
        // arms it, whatever the connection did to the switch.
        hooks.started = [pDsp, pass] {
            pDsp->SetParameter(pass, 1);
            pDsp->ResetEngine();
        };
        job::StreamThroughFilters(reader, nullptr, {m_pFilter.Get()}, plan, hooks);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    try {
        m_pPlayback->Open(path, m_pFilter, m_options.nBufferMs, m_options.bSilent);
    } catch (const std::exception& e) {
        failure += (failure.empty() ? "" : "; ") + std::string("cannot play the file again: ") + e.what();
    }
    if (!failure.empty()) {
        Say("The fast pass failed: " + failure);
    } else {
        char text[96];
        std::snprintf(text, sizeof text, "%s the whole file in %.2f s.",
                      pass == PARAM_TRACK_PITCH ? "Tracked" : "Corrected",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        Say(text);
    }
    UpdateTransport();
}
