#pragma once
// Test doubles: a store whose hooks only record that they ran, and views and
// a panel that record what the store asks of them, all into one log so the
// order of hooks and view calls shows.

#include <cstdio>
#include <string>
#include <vector>

#include "settings/ParameterStore.h"
#include "settings/ViewLinks.h"

using CallLog = std::vector<std::string>;

inline std::string Call(const char* name, const char* args = "")
{
    return std::string(name) + "(" + args + ")";
}
inline std::string Call(const char* name, double a)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", a);
    return Call(name, text);
}
inline std::string Call(const char* name, int a, int b)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d", a, b);
    return Call(name, text);
}

class CRecordingStore : public CParameterStore
{
public:
    CallLog log;

    // As the controller does, so tests reach graphical mode through ID 1.
    void OnModeChanged() override
    {
        log.push_back(Call("OnModeChanged"));
        SetRelaxed(m_nActiveMode, Relaxed(m_nMode));
    }
    void UpdateEngine() override { log.push_back(Call("UpdateEngine")); }
    void OnScaleChanged() override { log.push_back(Call("OnScaleChanged")); }
    void OnDetuneChanged() override { log.push_back(Call("OnDetuneChanged")); }
    void OnRetuneSpeedChanged(double ms) override { log.push_back(Call("OnRetuneSpeedChanged", ms)); }
    void OnVibratoChanged() override { log.push_back(Call("OnVibratoChanged")); }
    void OnThresholdChanged(int v) override { log.push_back(Call("OnThresholdChanged", double(v))); }
    void SetEngineFlag(int bit, int on) override { log.push_back(Call("SetEngineFlag", bit, on)); }

    void Reserved1() override {}
    void Reserved2() override {}
    void UpdateTuning() override {}
    int PollStatus() override { return 0; }
    void ApplyModeSettings() override {}
    int GetPrerollFrames() override { return 0; }
    void SetPrerollFrames(int) override {}
    void StartTracking(TrackRecord*, int) override {}
    int GetTrackingStatus(unsigned*, short*, int, IStatusWindow*) override { return -1; }
    void FinishTracking(int*, int*, int*, int*, int, TrackRecord*) override {}
    void StartCorrecting(TrackRecord*, int) override {}
    void GetCorrectingStatus(unsigned*, short*, int, int*, IStatusWindow*) override {}
    void Reserved3() override {}
    void Reserved4(int, int, int) override {}
    void Reserved5(int, int, int) override {}
    void Reserved6(int, int, int) override {}
    void Reserved7(int, int, int, int, int) override {}
    void ResetEngine() override {}

    // Fields without a parameter ID of their own.
    int RetuneMs() const { return Relaxed(m_nRetuneMs); }
    int GraphRetuneMs() const { return Relaxed(m_nGraphRetuneMs); }
    int Detune() const { return Relaxed(m_nDetune); }
    int RequestedState() const { return Relaxed(m_nRequestedState); }
    int StateDelay() const { return Relaxed(m_nStateDelay); }
    void SetRequestedState(int v) { SetRelaxed(m_nRequestedState, v); }
    void SetStateDelay(int v) { SetRelaxed(m_nStateDelay, v); }
    void SetEnvScaleAvailable(int v) { SetRelaxed(m_bEnvScaleAvailable, v); }
};

class CFakeMainView : public IMainGraphView
{
public:
    explicit CFakeMainView(CallLog& log) : m_log(log) {}
    CParameterStore* pController = nullptr;
    float fFrameRate = 0.0f;
    int nMaxSeconds = 1000;  // what "fits in the buffer"

    void SetController(CParameterStore* p) override { pController = p; m_log.push_back(Call("Main.SetController")); }
    void SetFrameRate(float f) override { fFrameRate = f; }
    int SetBufferSeconds(int s) override
    {
        m_log.push_back(Call("Main.SetBufferSeconds", double(s)));
        return s < nMaxSeconds ? s : nMaxSeconds;
    }
    void SetTracking(int on) override { m_log.push_back(Call("Main.SetTracking", double(on))); }
    void SetCorrecting(int on) override { m_log.push_back(Call("Main.SetCorrecting", double(on))); }
    void ZoomTimeIn() override { m_log.push_back(Call("Main.ZoomTimeIn")); }
    void ZoomTimeOut() override { m_log.push_back(Call("Main.ZoomTimeOut")); }
    void ZoomPitchIn() override { m_log.push_back(Call("Main.ZoomPitchIn")); }
    void ZoomPitchOut() override { m_log.push_back(Call("Main.ZoomPitchOut")); }
    int PeriodToCents(float) override { return 0; }
    bool IsLive() override { return true; }
    void IdleUpdate() override {}
    bool IsEnvScaleAvailable() override { return true; }
    bool ContainsPointer() override { return false; }
    CursorHandle UpdateCursor() override { return nullptr; }

private:
    CallLog& m_log;
};

class CFakeEnvelopeView : public IEnvelopeView
{
public:
    explicit CFakeEnvelopeView(CallLog& log) : m_log(log) {}
    CParameterStore* pController = nullptr;
    float fFrameRate = 0.0f;

    void SetController(CParameterStore* p) override { pController = p; m_log.push_back(Call("Env.SetController")); }
    void SetFrameRate(float f) override { fFrameRate = f; }
    void SetTied(int tied) override { m_log.push_back(Call("Env.SetTied", double(tied))); }
    void ZoomAmplitudeIn() override { m_log.push_back(Call("Env.ZoomAmplitudeIn")); }
    void ZoomAmplitudeOut() override { m_log.push_back(Call("Env.ZoomAmplitudeOut")); }
    bool IsLive() override { return true; }
    void IdleUpdate() override {}
    bool ContainsPointer() override { return false; }
    CursorHandle UpdateCursor() override { return nullptr; }

private:
    CallLog& m_log;
};

class CFakeDialog : public IIntonaraDialog
{
public:
    CFakeDialog(IMainGraphView* main, IEnvelopeView* envelope) : m_pMain(main), m_pEnvelope(envelope) {}
    IMainGraphView* GetMainGraphView() override { return m_pMain; }
    IEnvelopeView* GetEnvelopeView() override { return m_pEnvelope; }
    void SetChangeMeter(int) override {}
    void EnableControl(int, bool) override {}
    bool IsVisible() override { return true; }
    bool IsPointerOverGraph() override { return false; }
    int GetTool() override { return -1; }
    bool IsActive() override { return true; }
    void SetCursor(CursorHandle) override {}

private:
    IMainGraphView* m_pMain;
    IEnvelopeView* m_pEnvelope;
};
