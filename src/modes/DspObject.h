#pragma once
// The processing controller: the parameter store plus the one pitch engine it
// drives. The store calls the hooks below whenever a setting changes; they
// turn settings (milliseconds, cents, hertz, scale and key) into the sample
// units and plain factors the engine works with, and switch the engine
// between automatic correction and the two graphical passes.
//
// Threads: everything here runs on the UI side (panel, property page,
// control interface, UI timer) or in the filter's state changes; only
// m_Engine.Process runs on the streaming thread. No lock: every value reaches
// the engine as one aligned 32-bit store, and the fields of this class that
// another thread reads are relaxed atomics.

#include <atomic>
#include <cstdint>

#include "engine/PitchEngine.h"
#include "engine/TrackRecord.h"
#include "settings/ParameterStore.h"
#include "settings/ViewLinks.h"

class CDspObject : public CParameterStore
{
public:
    // Texts of the pass status window.
    static constexpr const char* kTrackingText = "Tracking...";
    static constexpr const char* kCorrectingText = "Correcting...";
    // Track record slots of frames in which no period was ever found, after
    // FinishTracking has turned the rest into cents.
    static constexpr int32_t kUnvoicedCents = 30000;
    // The envelope scale buttons "All" and "Tie" of the control panel.
    static constexpr int kEnvScaleAllControl = 1080;
    static constexpr int kEnvScaleTieControl = 1081;

    CDspObject();
    ~CDspObject() override;

    // --- Overrides of the store's first virtual operations ------------------
    // The bypass switch; when the store accepts it the engine follows.
    int SetControlValue(int which, int value) override;
    // The control panel's 50 ms timer.
    void OnTimer() override;
    void UpdateCursor() override;
    // Store defaults at 44100 Hz, then everything the engine needs before
    // the first block.
    void Initialise() override;

    // --- The store's hooks and the pass operations, in table order ---------
    void Reserved1() override {}
    void Reserved2() override {}
    void UpdateTuning() override;
    void UpdateEngine() override;
    void OnScaleChanged() override;
    void OnDetuneChanged() override;
    void OnRetuneSpeedChanged(double ms) override;
    void OnVibratoChanged() override;
    void OnThresholdChanged(int value) override;
    void SetEngineFlag(int bit, int on) override;
    // Feeds the panel's pitch-change meter; returns the engine's frame count.
    int PollStatus() override;
    void OnModeChanged() override;
    void ApplyModeSettings() override;
    int GetPrerollFrames() override;
    void SetPrerollFrames(int n) override;
    void StartTracking(TrackRecord* p, int nCapacity) override;
    // Shows the pass status in pWindow (null: nowhere) and returns the
    // engine's record index, -1 while the pass waits for audio.
    int GetTrackingStatus(unsigned* pLastToggle, short* pBlink, int nCapacity,
                          IStatusWindow* pWindow) override;
    // Ends the tracking pass and turns the periods of the records tracked so
    // far into cents (see TrackRecord). Only *pCount is written.
    void FinishTracking(int* pUnused1, int* pUnused2, int* pUnused3, int* pCount,
                        int nCapacity, TrackRecord* p) override;
    // A null p leaves everything as it was.
    void StartCorrecting(TrackRecord* p, int nCapacity) override;
    void GetCorrectingStatus(unsigned* pLastToggle, short* pBlink, int nUnused,
                             int* pIndex, IStatusWindow* pWindow) override;
    void Reserved3() override {}
    void Reserved4(int, int, int) override {}
    void Reserved5(int, int, int) override {}
    void Reserved6(int, int, int) override {}
    void Reserved7(int, int, int, int, int) override {}
    // Clears the input ring and the pitch state; pass flags and the record
    // index stay as they are.
    void ResetEngine() override;

    // --- Non-virtual --------------------------------------------------------
    // The pitch-change meter: the engine's present shift in whole cents.
    int PitchChangeCents() const;
    // Fills m_fVibratoTable with the waveform of the current vibrato type.
    void BuildVibratoTable();
    void SetStartTick(int nTick);
    int GetStartTick() const;

    // The filter streams through it directly (Process), so it is public.
    CPitchEngine m_Engine;

protected:
    // A pass still running on the old buffer ends: the engine can no longer
    // reach its records.
    void OnTrackBufferReplaced(TrackBufferHandle previous) override;

    // Milliseconds into the current UTC hour; the blinking status text runs
    // on it. Tests override it to drive the blink without waiting.
    virtual unsigned StatusClockMs() const;

private:
    int PassStatus(unsigned* pLastToggle, short* pBlink, IStatusWindow* pWindow,
                   const char* text);
    void ApplyGraphicalPassBookkeeping();
    int32_t TrackedPeriodToCents(float period) const;

    std::atomic<int32_t> m_nPrerollFrames{0};
    // Set once FinishTracking has turned the records' periods into cents;
    // cleared when a tracking pass starts writing periods again.
    std::atomic<int32_t> m_bRecordsInCents{0};
};
