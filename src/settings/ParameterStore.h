#pragma once
// Every user setting, addressed by parameter ID 1..34. The store keeps the
// values and turns each change into a call of a hook that the processing
// controller (the derived class) implements; the store itself never talks
// to the engine.
//
// Threads: the property page writes, the host's control interface reads
// (under its own lock) and the controller reads while audio streams. Every
// field that can be seen by more than one thread is a relaxed atomic.

#include <atomic>
#include <cstdint>
#include <memory>

#include "settings/ParameterIds.h"
#include "settings/ScaleSet.h"
#include "settings/ViewLinks.h"

struct TrackRecord;  // one per 200-sample frame; defined with the engine

// The graphical-mode track buffer as the store sees it: an opaque handle
// that the main graph view allocates and resizes.
using TrackBufferHandle = void*;

class CParameterStore
{
public:
    static constexpr int kAutomaticSettingsCount = 9;  // IDs 2..10
    static constexpr int kVibratoTableSize = 1000;

    CParameterStore();
    CParameterStore(const CParameterStore&) = delete;
    CParameterStore& operator=(const CParameterStore&) = delete;

    // --- Virtual operations; their order is the table layout callers rely on
    virtual ~CParameterStore();
    // The bypass switch. Returns -1 and changes nothing unless which is 0.
    virtual int SetControlValue(int which, int value);
    virtual void OnTimer() {}
    virtual void UpdateCursor() {}
    virtual void Initialise();

    // Implemented by the processing controller. The Reserved entries have
    // no role; they keep the later operations at their places in the table.
    virtual void Reserved1() = 0;
    virtual void Reserved2() = 0;
    virtual void UpdateTuning() = 0;
    virtual void UpdateEngine() = 0;
    virtual void OnScaleChanged() = 0;
    virtual void OnDetuneChanged() = 0;
    virtual void OnRetuneSpeedChanged(double ms) = 0;
    virtual void OnVibratoChanged() = 0;
    virtual void OnThresholdChanged(int value) = 0;
    virtual void SetEngineFlag(int bit, int on) = 0;
    virtual int PollStatus() = 0;
    virtual void OnModeChanged() = 0;
    virtual void ApplyModeSettings() = 0;
    virtual int GetPrerollFrames() = 0;
    virtual void SetPrerollFrames(int n) = 0;
    virtual void StartTracking(TrackRecord* p, int nCapacity) = 0;
    virtual int GetTrackingStatus(unsigned* pLastToggle, short* pBlink, int nCapacity,
                                  IStatusWindow* pWindow) = 0;
    virtual void FinishTracking(int* pUnused1, int* pUnused2, int* pUnused3, int* pCount,
                                int nCapacity, TrackRecord* p) = 0;
    virtual void StartCorrecting(TrackRecord* p, int nCapacity) = 0;
    virtual void GetCorrectingStatus(unsigned* pLastToggle, short* pBlink, int nUnused,
                                     int* pIndex, IStatusWindow* pWindow) = 0;
    virtual void Reserved3() = 0;
    virtual void Reserved4(int, int, int) = 0;
    virtual void Reserved5(int, int, int) = 0;
    virtual void Reserved6(int, int, int) = 0;
    virtual void Reserved7(int, int, int, int, int) = 0;
    virtual void ResetEngine() = 0;

    // --- By parameter ID. IDs outside 1..34 write nothing; all return 0. ---
    int GetParameter(int id, int* value);
    int SetParameter(int id, int value);
    int GetParameterSteps(int id, int* steps);
    // Fills the outputs only for IDs 1..10, 31 and 32.
    int GetParameterRange(int id, int* firstEnd, int* secondEnd, int* defaultValue);

    // Back to the initial values, without notifying the controller.
    void ResetToDefaults();

    // The control interface's block form: IDs 2..10 in order, the retune
    // speed as a taper index. Setting it ends any graphical pass first.
    void SetAutomaticSettings(const int block[kAutomaticSettingsCount]);
    void GetAutomaticSettings(int block[kAutomaticSettingsCount]);

    // The panel links itself and its views while the property page is open,
    // and passes null before it destroys them.
    void AttachDialog(IIntonaraDialog* pDialog);

    void SetSampleRate(float hz);
    float GetSampleRate() const { return m_fSampleRate.load(std::memory_order_relaxed); }

    int SetControlValue2(int which, int value);
    int GetControlValue(int which, int* value);
    int GetControlValue2(int which, int* value);

    // Whoever replaces the buffer frees the old one only after this call:
    // by then the controller has taken it back from the engine.
    void SetTrackBuffer(TrackBufferHandle handle);
    TrackBufferHandle GetTrackBuffer() const
    {
        return m_hTrackBuffer.load(std::memory_order_relaxed);
    }

    CScaleSet& GetScaleSet() { return *m_pScale; }

    // Whether the panel shows the controller idle: no pass has been asked
    // for, or the last switch-off has shown (the timer's state delay).
    bool IsShowingIdle() const { return Relaxed(m_nShownState) == 1; }

protected:
    // The buffer the store named until now is being replaced; the
    // controller makes sure the engine no longer reads it.
    virtual void OnTrackBufferReplaced(TrackBufferHandle /*previous*/) {}

    static int32_t Relaxed(const std::atomic<int32_t>& field)
    {
        return field.load(std::memory_order_relaxed);
    }
    static void SetRelaxed(std::atomic<int32_t>& field, int32_t value)
    {
        field.store(value, std::memory_order_relaxed);
    }
    IMainGraphView* MainView() const { return m_pMainGraphView.load(std::memory_order_relaxed); }
    IEnvelopeView* EnvelopeView() const { return m_pEnvelopeView.load(std::memory_order_relaxed); }
    IIntonaraDialog* Dialog() const { return m_pDialog.load(std::memory_order_relaxed); }

    std::atomic<int32_t> m_nMode{0};
    std::atomic<int32_t> m_nKey{0};
    std::atomic<int32_t> m_nDetune{0};  // cents + 100
    std::atomic<int32_t> m_nRetuneMs{0};
    std::atomic<int32_t> m_nGraphRetuneMs{0};
    std::atomic<int32_t> m_nVibratoType{0};
    std::atomic<int32_t> m_nVibratoDepth{0};  // cents
    std::atomic<int32_t> m_nVibratoRate{0};  // tenths of a hertz
    std::atomic<int32_t> m_nVibratoDelay{0};  // milliseconds
    std::atomic<int32_t> m_nThreshold{0};
    std::atomic<int32_t> m_nGraphThreshold{0};
    std::atomic<int32_t> m_nGraph{0};
    std::atomic<int32_t> m_bTrackPitch{0};
    std::atomic<int32_t> m_bTrackHigh{0};
    std::atomic<int32_t> m_bCorrectPitch{0};
    std::atomic<int32_t> m_nBufferSize{0};  // seconds
    std::atomic<int32_t> m_bEnvScaleL{0};
    std::atomic<int32_t> m_bEnvScaleR{0};
    std::atomic<int32_t> m_bUseCursors{0};
    std::atomic<int32_t> m_nRequestedState{0};
    std::atomic<int32_t> m_nShownState{0};
    std::atomic<int32_t> m_nStateDelay{0};
    std::atomic<int32_t> m_nActiveMode{0};
    std::atomic<int32_t> m_bBypass{0};
    std::atomic<int32_t> m_nControlValue2{0};
    std::atomic<IMainGraphView*> m_pMainGraphView{nullptr};
    std::atomic<IEnvelopeView*> m_pEnvelopeView{nullptr};
    std::unique_ptr<CScaleSet> m_pScale;
    std::atomic<int32_t> m_bEnvScaleAvailable{0};
    // Built by the controller and read by the engine through a pointer; the
    // controller switches the engine's vibrato off while it rebuilds it.
    float m_fVibratoTable[kVibratoTableSize] = {};
    std::atomic<float> m_fSampleRate{0.0f};
    std::atomic<int32_t> m_nStartTick{0};
    std::atomic<IIntonaraDialog*> m_pDialog{nullptr};
    std::atomic<TrackBufferHandle> m_hTrackBuffer{nullptr};

private:
    void SetPassSwitch(int id, int value);
    void SetRetune(std::atomic<int32_t>& field, int index);
};
