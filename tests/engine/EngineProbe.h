#pragma once

#include <algorithm>
#include <vector>

#include "engine/PitchEngine.h"

// White-box access for the engine's tests: placing the shifter or the bank
// by hand, running one piece of the update alone, watching bookkeeping.
struct CEngineProbe
{
    using E = CPitchEngine;
    static constexpr auto kRelaxed = std::memory_order_relaxed;

    static int Read(const E& e) { return e.m_nRead; }
    static float ReadFrac(const E& e) { return e.m_fReadFrac; }
    static int Write(const E& e) { return e.m_nWrite; }
    static int BaseLag(const E& e) { return e.m_nBaseLag; }
    static int CoarseCount(const E& e) { return e.m_nCoarseCount; }
    static int ResetPending(const E& e) { return e.m_bResetDetectorPending.load(kRelaxed); }
    static float Ratio(const E& e) { return e.m_fRatio.load(kRelaxed); }
    static float RatioSmoothed(const E& e) { return e.m_fRatioSmoothed.load(kRelaxed); }
    static int NoteFrames(const E& e) { return e.m_nNoteFrames; }
    static float VibPhase(const E& e) { return e.m_fVibPhase; }

    // Which build of the block loop Process runs.
    static bool UsesWideCode() { return E::s_bWideCode.load(); }
    static void UseWideCode(bool on) { E::s_bWideCode.store(on); }

    static void SetPeriod(E& e, float p)
    {
        e.m_fPeriod.store(p, kRelaxed);
        e.m_bPeriodValid.store(p > 0.0f, kRelaxed);
    }
    static void SetRatio(E& e, float r)
    {
        e.m_fRatio.store(r, kRelaxed);
        e.m_fRatioSmoothed.store(r, kRelaxed);
    }
    static void SetReadFrac(E& e, float f) { e.m_fReadFrac = f; }
    static void SetNoteFrames(E& e, int n) { e.m_nNoteFrames = n; }

    // As inside a block: with the loan of records in force.
    static float TargetRatio(E& e, float fPeriod)
    {
        e.BeginBlock();
        const float r = e.TargetRatio(fPeriod);
        e.EndBlock();
        return r;
    }
    static void ApplyRatio(E& e, float fTarget) { e.ApplyRatio(fTarget); }

    static bool FindCandidate(E& e, const std::vector<float>& energy, const std::vector<float>& corr, int maxLag,
        int& start, int& index, int& period)
    {
        std::copy(energy.begin(), energy.end(), e.m_fCoarseEnergy);
        std::copy(corr.begin(), corr.end(), e.m_fCoarseCorr);
        return e.FindCandidate(maxLag, start, index, period);
    }

    // Locked state with a hand-made bank, one sample before a period update;
    // with the all-zero ring of a new engine a zero sample changes no sum.
    static void PlantBank(E& e, int base, const float* energy, const float* corr)
    {
        e.m_nBaseLag = base;
        std::copy(energy, energy + 8, e.m_fFineEnergy);
        std::copy(corr, corr + 8, e.m_fFineCorr);
        e.m_nUpdateCount = E::kUpdateInterval - 1;
        e.m_bSearching.store(0, kRelaxed);
    }
};
