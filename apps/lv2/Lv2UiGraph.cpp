// Graphical mode's track and curves between the panel's views and the
// plug-in's saved state. The views draw from the playing processor's own
// track buffer; the curves live in the main view, so the plug-in keeps them
// as the session bytes the views were last seen holding. Everything here
// runs on the host's user-interface thread; the plug-in's state functions
// take the bytes under its own lock.

#include "Lv2Ui.h"

#include "Lv2Plugin.h"

#include "engine/TrackRecord.h"
#include "graph/MainGraphView.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "job/JobError.h"
#include "panel/IntonaraDialog.h"
#include "settings/ParameterIds.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>

namespace {

// Input samples per track frame.
constexpr int kSamplesPerFrame = 200;

}  // namespace

CMainGraphView* CIntonaraLv2Ui::MainView() const
{
    CIntonaraDialog* panel = Panel();
    return panel != nullptr ? dynamic_cast<CMainGraphView*>(panel->GetMainGraphView()) : nullptr;
}

void CIntonaraLv2Ui::ShowSavedGraph()
{
    CMainGraphView* main = m_pInstance != nullptr ? MainView() : nullptr;
    if (main == nullptr) {
        return;
    }
    m_nGraphShown = m_pInstance->GraphGeneration();
    const std::vector<uint8_t> bytes = m_pInstance->GraphState();
    job::GraphSession session;
    if (!bytes.empty()) {
        try {
            session = job::DecodeSession(bytes, "the saved graph");
        } catch (const job::CJobError&) {
            // Restore refuses a damaged graph; nothing else writes one.
            return;
        }
    }
    // A state without a graph leaves the views empty.
    main->ResetGraph();
    if (!bytes.empty()) {
        int held = 0;
        m_pDsp->GetParameter(PARAM_BUFFER_SIZE, &held);
        if (held != session.Parameter(PARAM_BUFFER_SIZE)) {
            m_pDsp->SetParameter(PARAM_BUFFER_SIZE, session.Parameter(PARAM_BUFFER_SIZE));
        }
        // The engine may be reading the buffer: every slot is written as it
        // writes them, one float at a time.
        TrackRecord* records = main->TrackBuffer();
        const int count = records != nullptr ? std::min(session.RecordCount(), main->BufferFrames()) : 0;
        for (int i = 0; i < count; ++i) {
            float* slots[] = {&records[i].fMinSample, &records[i].fMaxSample, &records[i].fMinPeriod,
                              &records[i].fMaxPeriod, &records[i].fTargetPeriod};
            for (std::size_t k = 0; k < std::size(slots); ++k) {
                const uint32_t word = session.records[5 * static_cast<std::size_t>(i) + k];
                std::atomic_ref<float>(*slots[k]).store(std::bit_cast<float>(word), std::memory_order_relaxed);
            }
        }
        main->SetTrackedFrames(session.nTrackedFrames);
        main->LoadState(session.viewState.data(), static_cast<int>(session.viewState.size()));
    }
    main->Redraw(nullptr, nullptr);
    // What the views now hold is what the plug-in has: nothing to hand back.
    m_keptView.assign(static_cast<std::size_t>(main->GetStateSize()), 0);
    main->SaveState(m_keptView.data());
    m_nKeptFrames = main->TrackedFrames();
    m_bKeptStale = false;
}

void CIntonaraLv2Ui::KeepGraph()
{
    CMainGraphView* main = m_pInstance != nullptr ? MainView() : nullptr;
    if (main == nullptr) {
        return;
    }
    // A pass writes records without changing the view's state: they are
    // taken once it ends.
    if (main->IsTracking()) {
        m_bKeptStale = true;
        return;
    }
    std::vector<uint8_t> view(static_cast<std::size_t>(main->GetStateSize()));
    main->SaveState(view.data());
    if (!m_bKeptStale && view == m_keptView && main->TrackedFrames() == m_nKeptFrames) {
        return;
    }
    m_keptView = std::move(view);
    m_nKeptFrames = main->TrackedFrames();
    m_bKeptStale = false;
    if (m_nKeptFrames == 0 && main->Curves() == nullptr && main->UndoCurves() == nullptr &&
        main->Clipboard() == nullptr) {
        m_pInstance->SetGraphState({});
        return;
    }
    job::GraphSession base;
    base.nSampleRate = static_cast<int32_t>(std::lround(m_pDsp->GetSampleRate()));
    base.nSourceFrames = static_cast<int64_t>(m_nKeptFrames) * kSamplesPerFrame;
    for (int id = 1; id <= job::kSessionParameters; ++id) {
        m_pDsp->GetParameter(id, &base.Parameter(id));
    }
    m_pInstance->SetGraphState(job::EncodeSession(job::CaptureSession(*m_pDsp, *main, std::move(base))));
}
