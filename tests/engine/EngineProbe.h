#pragma once

#include "engine/PitchEngine.h"

// White-box access for the engine's tests: placing the shifter by hand,
// asking for one target ratio alone, watching what the public calls hide.
struct CEngineProbe
{
    using E = CPitchEngine;
    static constexpr auto kRelaxed = std::memory_order_relaxed;

    // How far the read position trails the write position.
    static double Trailing(const E& e) { return ((e.m_nWrite - e.m_nRead) & E::kRingMask) - double(e.m_fReadFrac); }
    static float ReadFrac(const E& e) { return e.m_fReadFrac; }
    static int ResetPending(const E& e) { return e.m_bResetDetectorPending.load(kRelaxed); }
    static float Ratio(const E& e) { return e.m_fRatio.load(kRelaxed); }
    static float RatioSmoothed(const E& e) { return e.m_fRatioSmoothed.load(kRelaxed); }
    static float VibPhase(const E& e) { return e.m_fVibPhase; }

    // Which build of the block loop Process runs.
    static bool UsesWideCode() { return E::s_bWideCode.load(); }
    static void UseWideCode(bool on) { E::s_bWideCode.store(on); }

    static void SetPeriodAndRatio(E& e, float period, float ratio)
    {
        e.m_fPeriod.store(period, kRelaxed);
        e.m_bPeriodValid.store(period > 0.0f, kRelaxed);
        e.m_fRatio.store(ratio, kRelaxed);
        e.m_fRatioSmoothed.store(ratio, kRelaxed);
    }

    // As inside a block: with the loan of records in force.
    static float TargetRatio(E& e, float fPeriod)
    {
        e.BeginBlock();
        const float r = e.TargetRatio(fPeriod);
        e.EndBlock();
        return r;
    }
};
