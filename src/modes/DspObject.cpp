// Life cycle of the controller, the push of the whole state to the engine,
// the engine flag table and the timer work of the property page.

#include "modes/DspObject.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// 100 * 1200 / ln 2, rounded: ln(ratio) times this is the shift in
// hundredths of a cent.
constexpr double kHundredthCentsPerNeper = 173120.0;

// The panel's graph tool whose cursor the views choose themselves.
constexpr int kViewCursorTool = 2;

// The state change requested by a pass switch shows after this many
// further timer ticks.
constexpr int kStateDelayTicks = 5;

} // namespace

CDspObject::CDspObject() = default;

CDspObject::~CDspObject() = default;

int CDspObject::SetControlValue(int which, int value)
{
    const int result = CParameterStore::SetControlValue(which, value);
    if (result == 0) {
        m_Engine.SetBypass(value);
        if (IIntonaraDialog* dialog = Dialog())
            dialog->SetChangeMeter(0);
    }
    return result;
}

void CDspObject::Initialise()
{
    CParameterStore::Initialise();
    // The store leaves the Scale setting to the scale object, which starts
    // on its first scale; the setting's default is the chromatic scale, and
    // the engine's first note table should be that one.
    int scale = 0;
    m_pScale->SelectDefaultScale(&scale);
    ApplyModeSettings();
    UpdateTuning();
}

void CDspObject::UpdateTuning()
{
    OnScaleChanged();
    OnDetuneChanged();
}

void CDspObject::UpdateEngine()
{
    OnScaleChanged();
    OnDetuneChanged();
    SetEngineFlag(ENGINE_FLAG_TRACK_HIGH, Relaxed(m_bTrackHigh));

    if (Relaxed(m_nActiveMode) == 1) {
        OnRetuneSpeedChanged(static_cast<double>(Relaxed(m_nGraphRetuneMs)));
        OnThresholdChanged(Relaxed(m_nGraphThreshold));
    } else {
        OnRetuneSpeedChanged(static_cast<double>(Relaxed(m_nRetuneMs)));
        OnThresholdChanged(Relaxed(m_nThreshold));
    }

    const int mode = Relaxed(m_nMode);
    if (mode == 0) {
        SetEngineFlag(ENGINE_FLAG_TRACKING, 0);
        SetEngineFlag(ENGINE_FLAG_CORRECTING, 0);
        SetEngineFlag(ENGINE_FLAG_WAIT_FOR_SIGNAL, 0);
        SetEngineFlag(ENGINE_FLAG_AUTO_CORRECT, 1);
        if (Relaxed(m_nVibratoType) == 0) {
            SetEngineFlag(ENGINE_FLAG_VIBRATO, 0);
        } else {
            OnVibratoChanged();
            SetEngineFlag(ENGINE_FLAG_WAIT_FOR_SIGNAL, 1);
        }
        m_Engine.Reset();
    } else if (mode == 1) {
        const int tracking = Relaxed(m_bTrackPitch);
        const int correcting = Relaxed(m_bCorrectPitch);
        SetEngineFlag(ENGINE_FLAG_VIBRATO, 0);
        SetEngineFlag(ENGINE_FLAG_AUTO_CORRECT, 0);
        if (tracking != 0 || correcting != 0)
            SetEngineFlag(ENGINE_FLAG_WAIT_FOR_SIGNAL, 1);
        SetEngineFlag(ENGINE_FLAG_TRACKING, tracking);
        SetEngineFlag(ENGINE_FLAG_CORRECTING, correcting);
    }
}

void CDspObject::SetEngineFlag(int bit, int on)
{
    switch (bit) {
    case ENGINE_FLAG_TRACK_HIGH:
        m_Engine.SetTrackHigh(on);
        break;
    case ENGINE_FLAG_AUTO_CORRECT:
        m_Engine.EnableAutoCorrect(on);
        break;
    case ENGINE_FLAG_TRACKING:
        // A new tracking pass writes periods into the records again.
        if (on != 0)
            m_bRecordsInCents.store(0, std::memory_order_relaxed);
        m_Engine.EnableTracking(on);
        break;
    case ENGINE_FLAG_CORRECTING:
        m_Engine.EnableCorrecting(on);
        break;
    case ENGINE_FLAG_VIBRATO:
        m_Engine.EnableVibrato(on);
        break;
    case ENGINE_FLAG_WAIT_FOR_SIGNAL:
        m_Engine.SetWaitForSignal(on);
        break;
    default:
        // Bit 10 (the second control value) and unknown bits have no
        // counterpart in the engine.
        break;
    }
}

void CDspObject::ResetEngine()
{
    m_Engine.ClearBuffer();
    m_Engine.Reset();
}

int CDspObject::PitchChangeCents() const
{
    float ratio = 1.0f;
    m_Engine.GetStatus(&ratio, nullptr);
    // The engine never produces a ratio that is not positive and finite; if
    // it ever did, the meter shows no shift instead of a conversion of an
    // infinity. Truncated toward zero twice: to hundredths, then to cents.
    double hundredths = 0.0;
    if (ratio > 0.0f && std::isfinite(ratio))
        hundredths = std::trunc(std::log(static_cast<double>(ratio)) * kHundredthCentsPerNeper);
    constexpr double kIntMax = std::numeric_limits<int>::max();
    hundredths = std::clamp(hundredths, -kIntMax, kIntMax);
    return static_cast<int>(hundredths) / 100;
}

int CDspObject::PollStatus()
{
    int frames = 0;
    m_Engine.GetStatus(nullptr, &frames);
    IIntonaraDialog* dialog = Dialog();
    if (Relaxed(m_nActiveMode) == 0 && dialog != nullptr)
        dialog->SetChangeMeter(PitchChangeCents());
    return frames;
}

void CDspObject::OnTimer()
{
    IMainGraphView* main = MainView();
    IEnvelopeView* envelope = EnvelopeView();
    if (main == nullptr || envelope == nullptr || !main->IsLive() || !envelope->IsLive())
        return;

    if (Relaxed(m_nActiveMode) == 1) {
        main->IdleUpdate();
        envelope->IdleUpdate();
    }
    if (Relaxed(m_bUseCursors) == 0)
        UpdateCursor();
    PollStatus();

    // A pass switch asks for a new state; it shows only after a few ticks so
    // that a quick off-and-on does not flicker the panel.
    const int requested = Relaxed(m_nRequestedState);
    if (Relaxed(m_nShownState) != requested) {
        const int delay = Relaxed(m_nStateDelay) + 1;
        SetRelaxed(m_nStateDelay, delay);
        if (delay > kStateDelayTicks)
            SetRelaxed(m_nShownState, requested);
    }

    if (IIntonaraDialog* dialog = Dialog()) {
        const int available = main->IsEnvScaleAvailable() ? 1 : 0;
        if (available != Relaxed(m_bEnvScaleAvailable)) {
            SetRelaxed(m_bEnvScaleAvailable, available);
            dialog->EnableControl(kEnvScaleAllControl, available != 0);
            dialog->EnableControl(kEnvScaleTieControl, available != 0);
        }
    }
}

void CDspObject::UpdateCursor()
{
    IIntonaraDialog* dialog = Dialog();
    if (dialog == nullptr || !dialog->IsVisible())
        return;

    CursorHandle cursor = nullptr;
    IMainGraphView* main = MainView();
    IEnvelopeView* envelope = EnvelopeView();
    if (main != nullptr && main->ContainsPointer())
        cursor = main->UpdateCursor();
    else if (envelope != nullptr && envelope->ContainsPointer())
        cursor = envelope->UpdateCursor();

    if (cursor != nullptr && dialog->IsPointerOverGraph() && dialog->GetTool() == kViewCursorTool
        && dialog->IsActive())
        dialog->SetCursor(cursor);
}
