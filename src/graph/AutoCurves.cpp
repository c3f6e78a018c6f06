// "make curve" and "make auto": freehand curves over the voiced runs of the
// tracked pitch in the selected time range, the second with every frame
// pulled to the nearest note of the current scale and key at the retune
// speed, with the automatic mode's vibrato on top.

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "graph/BlockTable.h"
#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"
#include "settings/ParameterIds.h"
#include "settings/ParameterStore.h"
#include "settings/RetuneTaper.h"

namespace {

// A run longer than this (after its first frame) ends the command.
constexpr int kLongestRun = 4096;
// A run needs more than this many frames after its first to become a curve.
constexpr int kShortestRun = 3;
// Octave wraps of one frame never need more than this; a table that asks
// for more is not a table.
constexpr int kMaxOctaveWraps = 64;

int Parameter(CParameterStore* store, int id)
{
    int value = 0;
    store->GetParameter(id, &value);
    return value;
}

} // namespace

void CMainGraphView::MakeCurveFromTrack()
{
    MakeCurvesFromRuns(false);
}

void CMainGraphView::MakeAutoCurve()
{
    MakeCurvesFromRuns(true);
}

void CMainGraphView::MakeCurvesFromRuns(bool bAuto)
{
    int start = std::min(m_nSelStart, m_nSelEnd);
    int end = std::max(m_nSelStart, m_nSelEnd);
    start = std::clamp(start, 0, std::max(0, m_nTrackedFrames));
    end = std::clamp(end, 0, std::max(0, m_nTrackedFrames));
    if (m_nSelStart == m_nSelEnd) {
        start = 0;
        end = m_nTrackedFrames;
    }
    end = std::min(end, m_nBufferFrames);
    TrackRecord* records = TrackBuffer();
    if (!IsButtonEnabled(bAuto ? m_hMakeAuto : m_hMakeCurve) || start >= end || records == nullptr ||
        m_bTracking != 0 || m_bCorrecting != 0 || m_pController == nullptr) {
        ::MessageBeep(graph::kRefusalBeep);
        return;
    }

    AutoTarget state;
    if (bAuto) {
        const short key = static_cast<short>(Parameter(m_pController, PARAM_KEY));
        if (m_pController->GetScaleSet().ComputeTargets(key, 200.0 * m_fFrameRate, &state.nNotes, &state.pTargets,
                                                        &state.pBounds) != 0 ||
            state.nNotes <= 0)
            return;
    }

    auto pitchOf = [&](int frame) {
        const int cents = (std::bit_cast<int32_t>(records[frame].fMinPeriod) +
                           std::bit_cast<int32_t>(records[frame].fMaxPeriod)) / 2;
        return bAuto ? AutoTargetFrame(state, cents) : cents;
    };

    bool made = false;
    int i = start;
    for (;;) {
        while (i < end - 1 && !IsVoiced(i))
            ++i;
        if (i >= end - 1)
            break;
        const int first = i;
        int n = 0;
        while (first + n + 1 < end && IsVoiced(first + n + 1)) {
            if (++n > kLongestRun)
                return;
        }
        if (n > kShortestRun) {
            if (!made) {
                SaveUndo();
                SelectAllNodes(m_pCurves, 0);
                made = true;
            }
            state.fSmoothed = 0.0f;
            FreehandData* data = AllocFreehand(1, n);
            if (data == nullptr)
                return;
            const int base = pitchOf(first);
            for (int k = 0; k < n; ++k)
                data->Offsets()[k] = pitchOf(first + 1 + k) - base;
            MakeFreehandCurve(data, base, base + data->Offsets()[n - 1], first, first + n);
        }
        i = first + n + 1;
    }

    SelectAllNodes(m_pCurves, 0);
    ToggleTimeRange(std::max(start - 1, 0), end);
    if (!made) {
        ::MessageBeep(graph::kRefusalBeep);
        return;
    }
    UpdateTotalLength();
    UpdateSelectionButtons();
    EnableButton(m_hUndo, true);
    EnableButton(m_hSelectAll, true);
    Redraw(nullptr, nullptr);
}

int CMainGraphView::AutoTargetFrame(AutoTarget& state, int cents)
{
    const float period = CentsToPeriod(cents);
    const int n = state.nNotes;
    const int* bounds = state.pBounds;
    if (!state.bStarted) {
        state.bStarted = true;
        state.dDetune = std::pow(2.0, (Parameter(m_pController, PARAM_DETUNE) - 100) / 1200.0);
        const double ms = retune_taper::IndexToValue(Parameter(m_pController, PARAM_RETUNE), retune_taper::kSteps,
                                                     retune_taper::kLowMs, retune_taper::kMiddleMs,
                                                     retune_taper::kHighMs);
        state.fCoefficient = static_cast<float>(std::pow(0.5, 1.0 / (m_fFrameRate * ms / 1000.0)));
        int64_t x = static_cast<int64_t>(period);
        state.dOctave = 1.0;
        for (int wraps = 0; x > 0 && x < bounds[1] && wraps < kMaxOctaveWraps; ++wraps) {
            state.dOctave *= 2.0;
            x *= 2;
        }
        state.nNote = 0;
        state.nCounter = 0;
    }

    int64_t value = static_cast<int64_t>(state.dDetune * period * state.dOctave);
    int note = std::clamp(state.nNote, 0, n - 1);
    for (int wraps = 0; value > bounds[note + 1] && wraps < kMaxOctaveWraps;) {
        ++note;
        state.nCounter = 0;
        if (note >= n) {
            note = 0;
            value /= 2;
            state.dOctave /= 2.0;
            ++wraps;
        }
    }
    for (int wraps = 0; value < bounds[note] && wraps < kMaxOctaveWraps;) {
        --note;
        state.nCounter = 0;
        if (note < 0) {
            note = n - 1;
            value *= 2;
            state.dOctave *= 2.0;
            ++wraps;
        }
    }
    state.nNote = note;

    const int target = state.pTargets[note];
    float ratio = 1.0f;
    float vibrato = 1.0f;
    if (target != 0) {
        ratio = static_cast<float>(value) / static_cast<float>(target);
        vibrato = VibratoFactor(state);
    }
    if (state.fSmoothed == 0.0f) {
        state.fSmoothed = 1.0f;
        state.nCounter = 0;
    } else {
        const float a = state.fCoefficient;
        state.fSmoothed = (1.0f - a) * ratio + a * state.fSmoothed;
    }
    const float corrected = period / (vibrato * state.fSmoothed);
    ++state.nCounter;
    return PeriodToCents(corrected);
}

float CMainGraphView::VibratoFactor(AutoTarget& state)
{
    if (!state.bVibratoRead) {
        state.bVibratoRead = true;
        state.nVibratoType = Parameter(m_pController, PARAM_VIBRATO_TYPE);
        state.nVibratoDepth = Parameter(m_pController, PARAM_VIBRATO_DEPTH);
        const int rate = Parameter(m_pController, PARAM_VIBRATO_RATE);
        const int delay = Parameter(m_pController, PARAM_VIBRATO_DELAY);
        state.nDelayFrames = static_cast<int>(delay * 0.001 * m_fFrameRate);
        const double cycle = rate > 0 ? m_fFrameRate * 10.0 / rate : 0.0;
        state.nCycleFrames = std::max(1, static_cast<int>(std::min(cycle, 1e9)));
    }
    const int n = state.nCounter;
    const int d = state.nDelayFrames;
    if (n < d / 2)
        return 1.0f;
    const int cycle = state.nCycleFrames;
    const int phase = (n - d / 2) % cycle;
    const double ramp = n < d ? 2.0 * n / d - 1.0 : 1.0;
    double wave = 0.0;
    switch (state.nVibratoType) {
    case 1: wave = std::sin(2.0 * std::numbers::pi * phase / cycle); break;
    case 2: wave = 2 * phase < cycle ? 1.0 : -1.0; break;
    case 3: wave = 2.0 * phase / cycle - 1.0; break;
    default: break;
    }
    return static_cast<float>(std::pow(2.0, state.nVibratoDepth * ramp * wave / 1200.0));
}
