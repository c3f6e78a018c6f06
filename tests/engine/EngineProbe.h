#pragma once

#include "engine/PitchEngine.h"

// White-box access to the engine's private state, for tests that need to
// place the shifter by hand or watch the detector's bookkeeping.
struct CEngineProbe
{
    using E = CPitchEngine;
    static constexpr auto kRelaxed = std::memory_order_relaxed;

    static int Read(const E& e) { return e.m_nRead; }
    static float ReadFrac(const E& e) { return e.m_fReadFrac; }
    static int Write(const E& e) { return e.m_nWrite; }
    static int BaseLag(const E& e) { return e.m_nBaseLag; }
    static int ZeroRun(const E& e) { return e.m_nZeroRun; }
    static int CoarseCount(const E& e) { return e.m_nCoarseCount; }
    static int ResetPending(const E& e) { return e.m_bResetDetectorPending.load(kRelaxed); }
    static float Ratio(const E& e) { return e.m_fRatio.load(kRelaxed); }
    static float RatioSmoothed(const E& e) { return e.m_fRatioSmoothed.load(kRelaxed); }
    static int NoteFrames(const E& e) { return e.m_nNoteFrames; }
    static int Note(const E& e) { return e.m_nNote; }
    static float AcceptThreshold(const E& e) { return e.m_fAcceptThreshold.load(kRelaxed); }
    static float TrackThreshold(const E& e) { return e.m_fTrackThreshold.load(kRelaxed); }
    static float FineEnergy(const E& e, int j) { return e.m_fFineEnergy[j]; }

    // Which build of the block loop Process runs (see ProcessWide).
    static bool UsesWideCode() { return E::s_bWideCode.load(); }
    static void UseWideCode(bool on) { E::s_bWideCode.store(on); }

    static void SetPeriod(E& e, float p)
    {
        e.m_fPeriod.store(p, kRelaxed);
        e.m_bPeriodValid.store(p > 0.0f ? 1 : 0, kRelaxed);
    }
    static void SetRatio(E& e, float r)
    {
        e.m_fRatio.store(r, kRelaxed);
        e.m_fRatioSmoothed.store(r, kRelaxed);
    }
    static void SetReadFrac(E& e, float f) { e.m_fReadFrac = f; }
    static void SetNoteFrames(E& e, int n) { e.m_nNoteFrames = n; }

    // Runs the coarse candidate scan over hand-made sums.
    static bool FindCandidate(E& e, const float* energy, const float* corr, int maxLag, int& start, int& index,
        int& period)
    {
        for (int k = 0; k < E::kCoarseLags; ++k) {
            e.m_fCoarseEnergy[k] = energy[k];
            e.m_fCoarseCorr[k] = corr[k];
        }
        return e.FindCandidate(maxLag, start, index, period);
    }

    // Puts the engine straight into locked state with the given fine bank,
    // one sample before a period update. With an all-zero ring the next
    // sample (a zero) leaves the sums as they are.
    static void PlantBank(E& e, int base, const float (&energy)[8], const float (&corr)[8])
    {
        e.m_nBaseLag = base;
        for (int j = 0; j < 8; ++j) {
            e.m_fFineEnergy[j] = energy[j];
            e.m_fFineCorr[j] = corr[j];
        }
        e.m_nUpdateCount = E::kUpdateInterval - 1;
        e.m_bSearching.store(0, kRelaxed);
    }
    static float VibPhase(const E& e) { return e.m_fVibPhase; }

    // The target logic and the smoothing on their own, without a detector.
    static float TargetRatio(E& e, float fPeriod) { return e.TargetRatio(fPeriod); }
    static void ApplyRatio(E& e, float fTarget) { e.ApplyRatio(fTarget); }
};
