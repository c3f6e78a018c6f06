// The store's hooks: settings in their user units turned into the engine's
// sample-based values, and the switch between automatic and graphical mode.

#include <climits>
#include <cmath>

#include "modes/DspObject.h"

namespace {

// The engine advances its vibrato clock and counts the onset delay once per
// frame of this many samples.
constexpr double kFrameSamples = 200.0;
// Period updates happen on every fifth sample, so the retune smoothing runs
// at sample rate / 5 steps per second.
constexpr double kSamplesPerUpdate = 5.0;
// Thresholds arrive on a 0..100 scale (plus one when just changed).
constexpr double kThresholdScale = 500.0;
constexpr double kAcceptOffset = 0.5;
constexpr double kTrackFactor = 1.1;

enum VibratoType : int
{
    VIBRATO_NONE = 0,
    VIBRATO_SINE = 1,
    VIBRATO_SQUARE = 2,
    VIBRATO_SAWTOOTH = 3,
};

// The table's shape value s at entry i, in semitones; the type's own
// arithmetic decides the last bits of each entry, so it is kept as given
// (the sine in single precision).
double VibratoShape(int type, int i)
{
    switch (type) {
    case VIBRATO_SINE: {
        const float angle = static_cast<float>(i) * 6.2831855f / 1000.0f;
        return static_cast<double>(std::sin(angle));
    }
    case VIBRATO_SQUARE:
        return i <= 499 ? 1.0 : -1.0;
    case VIBRATO_SAWTOOTH:
        return i * 0.002 - 1.0;
    default:
        return 0.0;
    }
}

// The onset delay in frames; only absurd stored delays come near the ends.
int ClampToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

void CDspObject::OnScaleChanged()
{
    short count = 0;
    const int* targets = nullptr;
    const int* bounds = nullptr;
    const double rate = static_cast<double>(m_fSampleRate.load(std::memory_order_relaxed));
    // A failed lookup (bad key, no notes left) keeps the engine's last table,
    // so the voice is still corrected to something sensible.
    if (m_pScale->ComputeTargets(static_cast<short>(Relaxed(m_nKey)), rate, &count, &targets, &bounds) == 0)
        m_Engine.SetScaleTable(count, targets, bounds);
}

void CDspObject::OnDetuneChanged()
{
    // Stored as cents + 100. The subtraction is done in double so that no
    // stored value can overflow it.
    const double cents = static_cast<double>(Relaxed(m_nDetune)) - 100.0;
    m_Engine.SetDetune(static_cast<float>(std::pow(2.0, cents / 1200.0)));
}

void CDspObject::OnRetuneSpeedChanged(double ms)
{
    // k = 0.5^(1/N) with N the number of period updates in ms milliseconds:
    // the smoothed ratio covers half the way to a new target in ms. 0 ms
    // means no smoothing; a negative time has no meaning and is taken as 0
    // rather than giving a coefficient above 1, which would diverge.
    const double fs = static_cast<double>(m_fSampleRate.load(std::memory_order_relaxed));
    const double updates = (fs / kSamplesPerUpdate) * (ms / 1000.0);
    double coef = 0.0;
    if (updates > 0.0)
        coef = std::pow(0.5, 1.0 / updates);
    m_Engine.SetRetuneCoefficient(static_cast<float>(coef));
}

void CDspObject::OnThresholdChanged(int value)
{
    const double u = value / kThresholdScale;
    m_Engine.SetThresholds(static_cast<float>(u), static_cast<float>(u - kAcceptOffset),
                           static_cast<float>(u * kTrackFactor));
}

void CDspObject::BuildVibratoTable()
{
    const int type = Relaxed(m_nVibratoType);
    for (int i = 0; i < kVibratoTableSize; ++i) {
        const double s = VibratoShape(type, i);
        // s semitones as a relative frequency change.
        const float entry = static_cast<float>(std::pow(2.0, s * 100.0 / 1200.0) - 1.0);
        // The engine holds a pointer to this table; its vibrato is switched
        // off while the table is rebuilt, and each entry is still written in
        // one piece.
        std::atomic_ref<float>(m_fVibratoTable[i]).store(entry, std::memory_order_relaxed);
    }
}

void CDspObject::OnVibratoChanged()
{
    m_Engine.EnableVibrato(0);
    BuildVibratoTable();
    if (Relaxed(m_nVibratoType) == VIBRATO_NONE || Relaxed(m_nMode) != 0)
        return;

    const double fs = static_cast<double>(m_fSampleRate.load(std::memory_order_relaxed));
    // One cycle lasts (frames per second) / (rate in Hz) frames; the rate is
    // stored in tenths of a hertz.
    const double cycleFrames = (fs * 10.0 / kFrameSamples) / Relaxed(m_nVibratoRate);
    const double increment = kVibratoTableSize / cycleFrames;
    const double depth = Relaxed(m_nVibratoDepth) / 100.0;
    const double delayFrames = std::trunc(Relaxed(m_nVibratoDelay) * 0.001 * fs / kFrameSamples);

    m_Engine.SetVibrato(m_fVibratoTable, kVibratoTableSize, static_cast<float>(increment),
                        static_cast<float>(depth), ClampToInt(delayFrames));
    m_Engine.EnableVibrato(1);
}

void CDspObject::OnModeChanged()
{
    const int mode = Relaxed(m_nMode);
    if (Relaxed(m_nActiveMode) == mode)
        return;
    SetRelaxed(m_nActiveMode, mode);
    if (mode == 0) {
        // Automatic mode has no passes: whatever graphical pass was armed or
        // running ends here, and the graph is told so.
        SetRelaxed(m_bCorrectPitch, 0);
        SetRelaxed(m_bTrackPitch, 0);
        if (IMainGraphView* view = MainView()) {
            view->SetTracking(0);
            view->SetCorrecting(0);
        }
    }
    ApplyModeSettings();
}

void CDspObject::ApplyModeSettings()
{
    const int mode = Relaxed(m_nMode);
    if (mode == 0) {
        OnThresholdChanged(Relaxed(m_nThreshold));
        OnRetuneSpeedChanged(static_cast<double>(Relaxed(m_nRetuneMs)));
        m_Engine.EnableTracking(0);
        m_Engine.EnableCorrecting(0);
        m_Engine.EnableAutoCorrect(1);
        // OnVibratoChanged rebuilds the table itself, with the engine's
        // vibrato off while it does, so the table is not rebuilt beforehand
        // under a running vibrato.
        if (Relaxed(m_nVibratoType) != VIBRATO_NONE) {
            OnVibratoChanged();
        } else {
            m_Engine.EnableVibrato(0);
        }
        // Audio of the other mode must not be spliced into this one.
        m_Engine.ClearBuffer();
        m_Engine.Reset();
    } else if (mode == 1) {
        m_Engine.ClearBuffer();
        OnThresholdChanged(Relaxed(m_nGraphThreshold));
        OnRetuneSpeedChanged(static_cast<double>(Relaxed(m_nGraphRetuneMs)));
        m_Engine.EnableVibrato(0);
        m_Engine.EnableAutoCorrect(0);
        ApplyGraphicalPassBookkeeping();
    }
}
