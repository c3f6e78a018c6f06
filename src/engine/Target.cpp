// From a measured period to the shifter's read speed: the target ratio of
// the current pass or of the note table, the retune smoothing toward it, and
// the synthetic vibrato on top.

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "engine/PitchEngine.h"

namespace {

// A valid table never needs more than about 31 octave wraps in either
// direction; the cap only keeps a corrupt table from hanging the stream.
constexpr int kMaxOctaveWraps = 64;
constexpr float kLargestScaledPeriod = 1073741824.0f; // 2^30

// The shifter takes at most one extra step per sample and at least none, so
// it can follow any read speed in (0, 2]; real targets stay well inside
// (an octave either way, a semitone of detune, a semitone of vibrato).
// Settings far outside their ranges (a vibrato thousands of cents deep) can
// ask for more: the fastest speed it can follow is used then, and a speed
// that is not a positive number means no shift at all.
constexpr float kFastestRatio = 2.0f;

inline float ShifterSafeRatio(float r)
{
    if (!(r > 0.0f && r <= FLT_MAX))
        return 1.0f;
    return r > kFastestRatio ? kFastestRatio : r;
}

} // namespace

float CPitchEngine::TargetRatio(float fPeriod)
{
    const bool waiting = m_Now.bWaitForSignal != 0;
    if (m_Now.bTracking != 0 && !waiting) {
        FoldPeriodIntoRecord(fPeriod);
        return 1.0f;
    }
    if (Load(m_bCorrecting) != 0 && !waiting)
        return CorrectionRatio(fPeriod);
    if (Load(m_bAutoCorrect) != 0 && Load(m_nNotes) > 0)
        return NoteRatio(fPeriod);
    return 1.0f;
}

// Toward the period drawn for the current frame, in whichever octave of it
// lies nearest.
float CPitchEngine::CorrectionRatio(float fPeriod) const
{
    const float target = CurrentTargetPeriod();
    // 0.0 means "leave alone"; anything else that is not a positive finite
    // period could not be folded into an octave, so it is treated alike.
    if (!(target > 0.0f && std::isfinite(target)))
        return 1.0f;
    float r = fPeriod / target;
    // A target so small (or so large) that the quotient leaves the float
    // range has no octave to fold into: doubling 0 or halving infinity
    // would never end.
    if (!(r > 0.0f && r <= FLT_MAX))
        return 1.0f;
    while (r >= 2.0f)
        r *= 0.5f;
    while (r <= 0.5f)
        r *= 2.0f;
    return r;
}

// Nearest note of the table. The note index moves one zone at a time from
// where it was, so the comparisons being strict keeps a period sitting on a
// boundary with the note it came from.
float CPitchEngine::NoteRatio(float fPeriod)
{
    int n = Load(m_nNotes);
    if (n > kMaxNotes)
        n = kMaxNotes;

    if (Load(m_bNoteSearchReady) == 0) {
        Store(m_bNoteSearchReady, 1);
        m_nNote = 0;
        m_fOctave = 1.0f;
        m_nNoteFrames = 0;
        int64_t p = static_cast<int64_t>(fPeriod);
        if (p < 1)
            p = 1;
        const int64_t lowest = Load(m_nBound[1]);
        for (int wraps = 0; p < lowest && wraps < kMaxOctaveWraps; ++wraps) {
            m_fOctave *= 2.0f;
            p *= 2;
        }
    }

    const float scaled = Load(m_fDetune) * fPeriod * m_fOctave;
    if (!(scaled >= 1.0f && scaled < kLargestScaledPeriod))
        return 1.0f;
    int64_t q = static_cast<int64_t>(scaled);

    // The table may have shrunk under a note index taken from the old one.
    int note = m_nNote;
    if (note < 0 || note >= n)
        note = 0;

    int wraps = 0;
    while (q > Load(m_nBound[note + 1]) && wraps < kMaxOctaveWraps) {
        ++note;
        m_nNoteFrames = 0;
        if (note >= n) {
            note = 0;
            m_fOctave *= 0.5f;
            q >>= 1;
            ++wraps;
        }
    }
    wraps = 0;
    while (q < Load(m_nBound[note]) && wraps < kMaxOctaveWraps) {
        --note;
        m_nNoteFrames = 0;
        if (note < 0) {
            note = n - 1;
            m_fOctave *= 2.0f;
            q *= 2;
            ++wraps;
        }
    }
    m_nNote = note;

    // Target 0 marks a do-not-track note; a negative one can only come from
    // a corrupt table and is left alone the same way.
    const int32_t target = Load(m_nTarget[note]);
    if (target <= 0)
        return 1.0f;
    return static_cast<float>(q) / static_cast<float>(target);
}

// One-pole smoothing toward the target, then the vibrato, which rides on the
// smoothed ratio without feeding back into it.
void CPitchEngine::ApplyRatio(float fTarget)
{
    const float k = Load(m_fRetuneCoef);
    float smoothed = k * Load(m_fRatioSmoothed) + (1.0f - k) * fTarget;
    // A coefficient from outside [0, 1) makes the smoothing diverge; once
    // it has, start again from no shift rather than carry the overflow on.
    if (!std::isfinite(smoothed))
        smoothed = 1.0f;
    Store(m_fRatioSmoothed, smoothed);

    float ratio = smoothed;
    if (Load(m_bAutoCorrect) != 0 && Load(m_bVibrato) != 0 && Load(m_bPeriodValid) != 0) {
        float* table = Load(m_pVibTable);
        const int length = Load(m_nVibLength);
        // The phase is kept inside the table (AdvanceVibratoClock), but the
        // table may have been swapped for a shorter one since.
        if (table != nullptr && m_fVibPhase >= 0.0f && m_fVibPhase < static_cast<float>(length)) {
            const int index = static_cast<int>(m_fVibPhase);
            // The controller may be rebuilding the table while we read it;
            // it stores every entry whole, and so must this load be.
            const float entry = std::atomic_ref<float>(table[index]).load(std::memory_order_relaxed);
            ratio = ratio * (VibratoGain() * Load(m_fVibDepth) * entry + 1.0f);
        }
    }
    PublishRatio(ShifterSafeRatio(ratio));
}

// Silent for the first half of the onset delay, a linear fade-in over the
// second half, full depth from the delay on.
float CPitchEngine::VibratoGain() const
{
    const int64_t n = m_nNoteFrames;
    const int64_t delay = Load(m_nVibDelay);
    if (2 * n < delay)
        return 0.0f;
    if (n < delay)
        return static_cast<float>(2 * n - delay) / static_cast<float>(delay);
    return 1.0f;
}

void CPitchEngine::AdvanceVibratoClock()
{
    m_fVibPhase += Load(m_fVibIncrement);
    const float length = static_cast<float>(Load(m_nVibLength));
    if (m_fVibPhase >= length)
        m_fVibPhase -= length;
    // One wrap is all a sensible rate ever needs. An increment of a table
    // length or more per frame, a negative one, or a length that changed
    // under the phase would leave it outside the table for good (and, grown
    // far enough, outside what an index can hold).
    if (!(m_fVibPhase >= 0.0f && m_fVibPhase < length)) {
        m_fVibPhase = length > 0.0f ? std::fmod(m_fVibPhase, length) : 0.0f;
        if (m_fVibPhase < 0.0f)
            m_fVibPhase += length;
        if (!(m_fVibPhase >= 0.0f && m_fVibPhase < length))
            m_fVibPhase = 0.0f;
    }
    if (m_nNoteFrames < INT32_MAX)
        ++m_nNoteFrames;
}
