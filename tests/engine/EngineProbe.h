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
    static void SetNoteFrames(E& e, int n) { e.m_nNoteFrames = n; }

    // As inside a block: with the loan of records in force.
    static float TargetRatio(E& e, float fPeriod)
    {
        e.BeginBlock();
        const float r = e.TargetRatio(fPeriod);
        e.EndBlock();
        return r;
    }


};
