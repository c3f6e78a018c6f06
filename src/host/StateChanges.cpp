// Stop, Pause and Run: processor resets, the pre-roll count and, in
// graphical mode, the automatic start and end of the passes with the
// matching changes on the control panel. Nothing may escape to the graph:
// a failure becomes a message box and E_INVALIDARG.

#include "host/ActvPlug.h"

#include "log/Elog.h"
#include "settings/ParameterIds.h"

void CIntonaraPlugIn::StartCorrectionAutomatically()
{
    if (!InGraphicalMode()) {
        return;
    }
    int tracking = 0;
    m_DspObject->GetParameter(PARAM_TRACK_PITCH, &tracking);
    if (tracking != 0) {
        return;
    }
    m_DspObject->SetParameter(PARAM_CORRECT_PITCH, 1);
    if (IIntonaraDialog* pPanel = m_DspObject->AttachedDialog()) {
        pPanel->SetCorrectPitchState(1);
        pPanel->CheckControl(kCorrectPitchCheckBox, true);
        // The buffer length cannot change under a running pass.
        pPanel->EnableControl(kBufferLengthEdit, !pPanel->IsControlChecked(kCorrectPitchCheckBox));
    }
}

HRESULT CIntonaraPlugIn::Pause()
{
    try {
        StartCorrectionAutomatically();
        if (m_DspObject != nullptr) {
            m_DspObject->ResetEngine();
        }
        m_Paused.store(TRUE, std::memory_order_relaxed);
        return CTransformFilter::Pause();
    } catch (...) {
        AfxMessageBox("An unknown DirectX error occurred in Intonara Plugin in Pause.");
        return E_INVALIDARG;
    }
}

HRESULT CIntonaraPlugIn::Run(REFERENCE_TIME tStart)
{
    try {
        const bool bFromPause = m_Paused.load(std::memory_order_relaxed) != FALSE;
        if (!bFromPause) {
            StartCorrectionAutomatically();
        }
        if (m_DspObject != nullptr) {
            m_DspObject->SetPrerollFrames(static_cast<int>(m_nPrerollFrames.load(std::memory_order_relaxed)));
            m_DspObject->SetStartTick(static_cast<int>(GetTickCount()));
            if (!bFromPause) {
                m_DspObject->ResetEngine();
            }
        }
        m_Paused.store(FALSE, std::memory_order_relaxed);
        m_nPrerollFrames.store(0, std::memory_order_relaxed);
        // From stopped the base has to pause first. It would do that through
        // this class's Pause, resetting the engine a second time and leaving
        // the filter marked as paused while it runs; the base's own Pause
        // does only the base's part.
        if (IsStopped()) {
            const HRESULT hr = CTransformFilter::Pause();
            if (FAILED(hr)) {
                return hr;
            }
        }
        return CTransformFilter::Run(tStart);
    } catch (...) {
        AfxMessageBox("An unknown DirectX error occurred in Intonara Plugin in Run.");
        return E_INVALIDARG;
    }
}

HRESULT CIntonaraPlugIn::Stop()
{
    try {
        TraceSource("ActvPlug", 869, "CIntonaraPlugIn::Stop, %p.\nm_Paused = %d, m_DspObject = %p",
                    static_cast<void*>(this), m_Paused.load(std::memory_order_relaxed),
                    static_cast<void*>(m_DspObject));
        if (InGraphicalMode()) {
            IIntonaraDialog* pPanel = m_DspObject->AttachedDialog();
            int tracking = 0;
            int correcting = 0;
            m_DspObject->GetParameter(PARAM_TRACK_PITCH, &tracking);
            m_DspObject->GetParameter(PARAM_CORRECT_PITCH, &correcting);
            if (tracking != 0) {
                m_DspObject->SetParameter(PARAM_TRACK_PITCH, 0);
                if (pPanel != nullptr) {
                    pPanel->CheckControl(kTrackPitchCheckBox, false);
                    pPanel->SetTrackPitchState(0);
                }
            } else if (correcting != 0) {
                m_DspObject->SetParameter(PARAM_CORRECT_PITCH, 0);
                if (pPanel != nullptr) {
                    pPanel->CheckControl(kCorrectPitchCheckBox, false);
                    pPanel->SetCorrectPitchState(0);
                }
            }
            if (pPanel != nullptr) {
                pPanel->EnableControl(kBufferLengthEdit, true);
            }
        }
        if (m_DspObject != nullptr) {
            m_DspObject->ResetEngine();
        }
        m_Paused.store(FALSE, std::memory_order_relaxed);
        m_nPrerollFrames.store(0, std::memory_order_relaxed);
        return CTransformFilter::Stop();
    } catch (...) {
        AfxMessageBox("An unknown DirectX error occurred in Intonara Plugin in Stop.");
        return E_INVALIDARG;
    }
}
