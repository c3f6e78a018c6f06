#pragma once
// Read-only look at the engine values the controller hands over. The engine
// keeps them private and offers no getters (it only ever needs to use them),
// so the tests reach them through the engine's white-box friend. This
// program is separate from the engine's own tests, which define that friend
// for their own purposes.

#include <vector>

#include "engine/PitchEngine.h"

struct CEngineProbe
{
    using E = CPitchEngine;
    static constexpr auto kRelaxed = std::memory_order_relaxed;

    static float RetuneCoef(const E& e) { return e.m_fRetuneCoef.load(kRelaxed); }
    static float Detune(const E& e) { return e.m_fDetune.load(kRelaxed); }
    static float AcceptThreshold(const E& e) { return e.m_fAcceptThreshold.load(kRelaxed); }
    static float TrackThreshold(const E& e) { return e.m_fTrackThreshold.load(kRelaxed); }
    static float RatioSmoothed(const E& e) { return e.m_fRatioSmoothed.load(kRelaxed); }
    static int ResetPending(const E& e) { return e.m_bResetDetectorPending.load(kRelaxed); }
    static int ClearPending(const E& e) { return e.m_bClearPending.load(kRelaxed); }

    static const float* VibTable(const E& e) { return e.m_pVibTable.load(kRelaxed); }
    static int VibLength(const E& e) { return e.m_nVibLength.load(kRelaxed); }
    static float VibIncrement(const E& e) { return e.m_fVibIncrement.load(kRelaxed); }
    static float VibDepth(const E& e) { return e.m_fVibDepth.load(kRelaxed); }
    static int VibDelay(const E& e) { return e.m_nVibDelay.load(kRelaxed); }

    // Puts the shifter's ratio where a test wants it.
    static void SetRatio(E& e, float r)
    {
        e.m_fRatio.store(r, kRelaxed);
        e.m_fRatioSmoothed.store(r, kRelaxed);
    }

    static int NoteCount(const E& e) { return e.m_nNotes.load(kRelaxed); }
    static std::vector<int> Targets(const E& e)
    {
        std::vector<int> v;
        for (int i = 0; i < NoteCount(e); ++i)
            v.push_back(e.m_nTarget[i].load(kRelaxed));
        return v;
    }
    static std::vector<int> Bounds(const E& e)
    {
        std::vector<int> v;
        for (int i = 0; i <= NoteCount(e); ++i)
            v.push_back(e.m_nBound[i].load(kRelaxed));
        return v;
    }
};
