#include <climits>

#include "settings/ParameterStore.h"
#include "settings/RetuneTaper.h"

namespace {

// Stored values are not range-checked, so a host can hand over INT_MAX;
// the "+1" conventions must not overflow on it.
int PlusOne(int value)
{
    return value == INT_MAX ? INT_MAX : value + 1;
}

} // namespace

void CParameterStore::SetRetune(std::atomic<int32_t>& field, int index)
{
    SetRelaxed(field, retune_taper::IndexToMs(index));
    OnRetuneSpeedChanged(static_cast<double>(Relaxed(field)));
}

int CParameterStore::SetParameter(int id, int value)
{
    switch (id) {
    case PARAM_MODE:
        SetRelaxed(m_nMode, value);
        OnModeChanged();
        break;
    case PARAM_SCALE:
        m_pScale->SetScale(static_cast<short>(value));
        OnScaleChanged();
        break;
    case PARAM_KEY:
        SetRelaxed(m_nKey, value);
        OnScaleChanged();
        break;
    case PARAM_DETUNE:
        // Stored 1 and -1 collapse to 0; every other value, including 99
        // and 101 (one cent either side of no detune), is kept as sent, so
        // a one-cent detune means what it says.
        SetRelaxed(m_nDetune, (value == 1 || value == -1) ? 0 : value);
        OnDetuneChanged();
        break;
    case PARAM_RETUNE:
        SetRetune(m_nRetuneMs, value);
        break;
    case PARAM_VIBRATO_TYPE:
        SetRelaxed(m_nVibratoType, value);
        // In graphical mode the vibrato stays off whatever the type; the
        // mode switch re-applies it.
        if (value != 0 && Relaxed(m_nActiveMode) == 0) {
            OnVibratoChanged();
            SetEngineFlag(ENGINE_FLAG_WAIT_FOR_SIGNAL, 1);
        } else {
            SetEngineFlag(ENGINE_FLAG_VIBRATO, 0);
        }
        break;
    case PARAM_VIBRATO_DEPTH:
        SetRelaxed(m_nVibratoDepth, value);
        OnVibratoChanged();
        break;
    case PARAM_VIBRATO_RATE:
        SetRelaxed(m_nVibratoRate, value);
        OnVibratoChanged();
        break;
    case PARAM_VIBRATO_DELAY:
        SetRelaxed(m_nVibratoDelay, value);
        OnVibratoChanged();
        break;
    case PARAM_THRESHOLD:
        SetRelaxed(m_nThreshold, value);
        OnThresholdChanged(PlusOne(Relaxed(m_nThreshold)));
        break;
    case PARAM_EDIT_SCALE:
        m_pScale->EditScale(static_cast<short>(Relaxed(m_nKey)));
        OnScaleChanged();
        break;
    case PARAM_TRACK_HIGH:
        SetRelaxed(m_bTrackHigh, value);
        SetEngineFlag(ENGINE_FLAG_TRACK_HIGH, Relaxed(m_bTrackHigh));
        break;
    case PARAM_ZOOM_TIME_OUT:
    case PARAM_ZOOM_PITCH_IN:
    case PARAM_ZOOM_PITCH_OUT:
    case PARAM_ZOOM_TIME_IN:
        if (value != 0) {
            if (IMainGraphView* view = MainView()) {
                if (id == PARAM_ZOOM_TIME_OUT)
                    view->ZoomTimeOut();
                else if (id == PARAM_ZOOM_PITCH_IN)
                    view->ZoomPitchIn();
                else if (id == PARAM_ZOOM_PITCH_OUT)
                    view->ZoomPitchOut();
                else
                    view->ZoomTimeIn();
            }
        }
        break;
    case PARAM_ENV_UNTIED:
        if (Relaxed(m_bEnvScaleAvailable)) {
            if (value != 0) {
                SetRelaxed(m_bEnvScaleL, 1);
                SetRelaxed(m_bEnvScaleR, 0);
            }
            if (Relaxed(m_bEnvScaleL))
                if (IEnvelopeView* view = EnvelopeView())
                    view->SetTied(0);
        }
        break;
    case PARAM_ENV_TIED:
        if (Relaxed(m_bEnvScaleAvailable)) {
            if (value != 0) {
                SetRelaxed(m_bEnvScaleL, 0);
                SetRelaxed(m_bEnvScaleR, 1);
            }
            if (Relaxed(m_bEnvScaleR))
                if (IEnvelopeView* view = EnvelopeView())
                    view->SetTied(1);
        }
        break;
    case PARAM_ENV_ZOOM_IN:
    case PARAM_ENV_ZOOM_OUT:
        if (value != 0) {
            if (IEnvelopeView* view = EnvelopeView()) {
                if (id == PARAM_ENV_ZOOM_IN)
                    view->ZoomAmplitudeIn();
                else
                    view->ZoomAmplitudeOut();
            }
        }
        break;
    case PARAM_TRACK_PITCH:
    case PARAM_CORRECT_PITCH:
        SetPassSwitch(id, value);
        break;
    case PARAM_GRAPH_THRESHOLD:
        SetRelaxed(m_nGraphThreshold, value);
        OnThresholdChanged(PlusOne(Relaxed(m_nGraphThreshold)));
        break;
    case PARAM_GRAPH_RETUNE:
        SetRetune(m_nGraphRetuneMs, value);
        break;
    case PARAM_BUFFER_SIZE: {
        // Takes the same 0..199 that GetParameter reports, so reading a
        // value and writing it back leaves the buffer as it was.
        const int seconds = PlusOne(value);
        if (IMainGraphView* view = MainView())
            SetRelaxed(m_nBufferSize, view->SetBufferSeconds(seconds));
        else
            SetRelaxed(m_nBufferSize, seconds);  // the view re-checks it when attached
        break;
    }
    case PARAM_USE_CURSORS:
        SetRelaxed(m_bUseCursors, value);
        break;
    default:
        // Graph (17), the curve commands (18..24) and unknown IDs.
        break;
    }
    return 0;
}

// Track Pitch and Correct Pitch exclude each other. The engine sees both
// passes stopped before either starts, and a starting pass waits for the
// first non-silent sample, so frame 0 of the pass is where the audio begins.
void CParameterStore::SetPassSwitch(int id, int value)
{
    const bool tracking = id == PARAM_TRACK_PITCH;
    const bool graphical = Relaxed(m_nActiveMode) == 1;

    if (tracking) {
        SetRelaxed(m_bTrackPitch, value);
        SetRelaxed(m_bCorrectPitch, 0);
        if (value != 0 && graphical) {
            SetRelaxed(m_nRequestedState, 0);
            SetRelaxed(m_nStateDelay, 0);
        }
    } else {
        SetRelaxed(m_bCorrectPitch, value);
        SetRelaxed(m_bTrackPitch, 0);
    }

    SetEngineFlag(ENGINE_FLAG_TRACKING, 0);
    SetEngineFlag(ENGINE_FLAG_CORRECTING, 0);

    // The view hears about the switch being cleared before the one being set.
    if (IMainGraphView* view = MainView()) {
        if (tracking) {
            view->SetCorrecting(Relaxed(m_bCorrectPitch));
            view->SetTracking(Relaxed(m_bTrackPitch));
        } else {
            view->SetTracking(Relaxed(m_bTrackPitch));
            view->SetCorrecting(Relaxed(m_bCorrectPitch));
        }
    }

    if (graphical && (!tracking || value == 0)) {
        SetRelaxed(m_nRequestedState, 1);
        SetRelaxed(m_nStateDelay, 0);
    }

    const int ownFlag = tracking ? ENGINE_FLAG_TRACKING : ENGINE_FLAG_CORRECTING;
    const int otherFlag = tracking ? ENGINE_FLAG_CORRECTING : ENGINE_FLAG_TRACKING;
    if (value != 0) {
        SetEngineFlag(otherFlag, 0);
        SetEngineFlag(ENGINE_FLAG_WAIT_FOR_SIGNAL, 1);
        SetEngineFlag(ownFlag, 1);
    } else {
        SetEngineFlag(ENGINE_FLAG_WAIT_FOR_SIGNAL, 0);
        SetEngineFlag(ownFlag, 0);
    }
}
