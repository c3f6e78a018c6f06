#include "settings/ParameterStore.h"

namespace {

constexpr int kDefaultBufferSeconds = 200;

} // namespace

CParameterStore::CParameterStore() : m_pScale(std::make_unique<CScaleSet>()) {}

// The track buffer belongs to the graph's block table, which this library
// cannot reach; whoever owns that table releases the buffer (see
// GetTrackBuffer) before the store goes away.
CParameterStore::~CParameterStore() = default;

int CParameterStore::SetControlValue(int which, int value)
{
    if (which != 0)
        return -1;
    SetRelaxed(m_bBypass, value);
    return 0;
}

int CParameterStore::SetControlValue2(int which, int value)
{
    if (which != 0)
        return -1;
    SetRelaxed(m_nControlValue2, value);
    SetEngineFlag(ENGINE_FLAG_CONTROL_VALUE2, value);
    return 0;
}

int CParameterStore::GetControlValue(int /*which*/, int* value)
{
    if (value)
        *value = Relaxed(m_bBypass);
    return 0;
}

int CParameterStore::GetControlValue2(int /*which*/, int* value)
{
    if (value)
        *value = Relaxed(m_nControlValue2);
    return 0;
}

void CParameterStore::Initialise()
{
    m_fSampleRate.store(44100.0f, std::memory_order_relaxed);
    ResetToDefaults();
}

void CParameterStore::ResetToDefaults()
{
    SetRelaxed(m_nMode, 0);
    SetRelaxed(m_nKey, 0);
    SetRelaxed(m_nDetune, 100);
    SetRelaxed(m_nRetuneMs, 20);
    SetRelaxed(m_nGraphRetuneMs, 20);
    SetRelaxed(m_nVibratoType, 0);
    SetRelaxed(m_nVibratoDepth, 30);
    SetRelaxed(m_nVibratoRate, 55);
    SetRelaxed(m_nVibratoDelay, 300);
    SetRelaxed(m_nThreshold, 25);
    SetRelaxed(m_nGraphThreshold, 25);
    SetRelaxed(m_nGraph, 0);
    SetRelaxed(m_bTrackPitch, 0);
    SetRelaxed(m_bTrackHigh, 0);
    SetRelaxed(m_bCorrectPitch, 0);
    SetRelaxed(m_nBufferSize, kDefaultBufferSeconds);
    SetRelaxed(m_bEnvScaleL, 0);
    SetRelaxed(m_bEnvScaleR, 1);
    SetRelaxed(m_bUseCursors, 0);
    SetRelaxed(m_nRequestedState, 1);
    SetRelaxed(m_nShownState, 1);
    SetRelaxed(m_nStateDelay, 0);
    SetRelaxed(m_bEnvScaleAvailable, 1);
    SetRelaxed(m_bBypass, 0);
    SetRelaxed(m_nControlValue2, 1);
    SetRelaxed(m_nActiveMode, 0);
    // The view knows how many whole seconds fit the buffer at the current
    // frame rate.
    if (IMainGraphView* view = MainView())
        SetRelaxed(m_nBufferSize, view->SetBufferSeconds(kDefaultBufferSeconds));
}

void CParameterStore::SetAutomaticSettings(const int block[kAutomaticSettingsCount])
{
    // A host applying a settings block means automatic-mode values; a pass
    // armed in the graph would otherwise keep running underneath them.
    SetRelaxed(m_bTrackPitch, 0);
    SetRelaxed(m_bCorrectPitch, 0);
    if (IMainGraphView* view = MainView()) {
        view->SetTracking(0);
        view->SetCorrecting(0);
    }
    for (int i = 0; i < kAutomaticSettingsCount; ++i)
        SetParameter(PARAM_SCALE + i, block[i]);
}

void CParameterStore::GetAutomaticSettings(int block[kAutomaticSettingsCount])
{
    for (int i = 0; i < kAutomaticSettingsCount; ++i)
        GetParameter(PARAM_SCALE + i, &block[i]);
}

void CParameterStore::AttachDialog(IIntonaraDialog* pDialog)
{
    m_pDialog.store(pDialog, std::memory_order_relaxed);
    if (!pDialog) {
        m_pMainGraphView.store(nullptr, std::memory_order_relaxed);
        m_pEnvelopeView.store(nullptr, std::memory_order_relaxed);
        return;
    }
    IMainGraphView* main = pDialog->GetMainGraphView();
    IEnvelopeView* envelope = pDialog->GetEnvelopeView();
    m_pMainGraphView.store(main, std::memory_order_relaxed);
    m_pEnvelopeView.store(envelope, std::memory_order_relaxed);
    if (main)
        main->SetController(this);
    if (envelope)
        envelope->SetController(this);
    if (main)
        SetRelaxed(m_nBufferSize, main->SetBufferSeconds(Relaxed(m_nBufferSize)));
}

void CParameterStore::SetTrackBuffer(TrackBufferHandle handle)
{
    const TrackBufferHandle previous = m_hTrackBuffer.exchange(handle, std::memory_order_relaxed);
    if (previous != nullptr && previous != handle)
        OnTrackBufferReplaced(previous);
}

void CParameterStore::SetSampleRate(float hz)
{
    // A format without a usable rate would leave the note table and every
    // time constant undefined; keep the last good rate instead.
    if (!(hz > 0.0f) || hz > 1e9f)
        return;
    const float framesPerSecond = hz / 200.0f;
    if (IMainGraphView* view = MainView())
        view->SetFrameRate(framesPerSecond);
    if (IEnvelopeView* view = EnvelopeView())
        view->SetFrameRate(framesPerSecond);
    if (hz != m_fSampleRate.load(std::memory_order_relaxed)) {
        m_fSampleRate.store(hz, std::memory_order_relaxed);
        UpdateEngine();
    }
}
