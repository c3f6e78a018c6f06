#pragma once
// What the parameter store and the processing controller need from the
// control panel and its two graph views. The panel and the views live in
// subsystems built on top of this one and implement these interfaces; the
// store holds them by these pointers only, and skips every call while a
// pointer is null (no property page open).

class CParameterStore;

// A platform cursor, opaque here.
using CursorHandle = void*;

// Where a pass shows its "Tracking..." / "Correcting..." status.
class IStatusWindow
{
public:
    virtual ~IStatusWindow() = default;
    virtual void SetStatusText(const char* text) = 0;
};

class IMainGraphView
{
public:
    virtual ~IMainGraphView() = default;

    // Registers the store (in practice the processing controller) with the view.
    virtual void SetController(CParameterStore* pController) = 0;
    virtual void SetFrameRate(float framesPerSecond) = 0;
    // Takes a buffer length in seconds and returns the length actually held.
    virtual int SetBufferSeconds(int seconds) = 0;
    virtual void SetTracking(int on) = 0;
    virtual void SetCorrecting(int on) = 0;

    // The time zooms also bring a tied envelope view along.
    virtual void ZoomTimeIn() = 0;
    virtual void ZoomTimeOut() = 0;
    virtual void ZoomPitchIn() = 0;
    virtual void ZoomPitchOut() = 0;

    // Period in samples to cents relative to middle C, at the view's frame rate.
    virtual int PeriodToCents(float period) = 0;

    // Timer-driven work of the controller.
    virtual bool IsLive() = 0;                   // the window still exists
    virtual void IdleUpdate() = 0;               // periodic refresh
    virtual bool IsEnvScaleAvailable() = 0;      // whether tied/untied matters now
    virtual bool ContainsPointer() = 0;          // mouse inside the view's rectangle
    virtual CursorHandle UpdateCursor() = 0;     // cursor offered there, or null
};

class IEnvelopeView
{
public:
    virtual ~IEnvelopeView() = default;

    virtual void SetController(CParameterStore* pController) = 0;
    virtual void SetFrameRate(float framesPerSecond) = 0;
    // Tied: follows the main view's time zoom and position.
    virtual void SetTied(int tied) = 0;
    virtual void ZoomAmplitudeIn() = 0;
    virtual void ZoomAmplitudeOut() = 0;

    virtual bool IsLive() = 0;
    virtual void IdleUpdate() = 0;
    virtual bool ContainsPointer() = 0;
    virtual CursorHandle UpdateCursor() = 0;
};

// One host-side change for the control panel: a parameter ID and its value.
struct PARAM_CHANGE
{
    int nId;
    int nValue;
};

class IIntonaraDialog
{
public:
    virtual ~IIntonaraDialog() = default;

    virtual IMainGraphView* GetMainGraphView() = 0;
    virtual IEnvelopeView* GetEnvelopeView() = 0;

    // The pitch-change meter of automatic mode, in cents.
    virtual void SetChangeMeter(int cents) = 0;
    // Used for the envelope scale buttons "All" (1080) and "Tie" (1081).
    virtual void EnableControl(int controlId, bool enable) = 0;

    // Cursor handling of the controller's timer.
    virtual bool IsVisible() = 0;
    virtual bool IsPointerOverGraph() = 0;  // over one of the two graph areas
    virtual int GetTool() = 0;              // current graph tool, -1 none
    // The layout shown: 1 automatic mode, 2 graphical mode (the graph).
    virtual int GetPanelMode() { return 2; }
    virtual bool IsActive() = 0;            // the panel or a window containing it is active
    virtual void SetCursor(CursorHandle cursor) = 0;

    // What the host side (the filter's Stop, Pause and Run, and the control
    // interface) does to the panel. They have bodies so that a panel or a
    // test double that has no use for them need not spell them out.
    // Check boxes and other controls by their control identifier.
    virtual void CheckControl(int /*controlId*/, bool /*checked*/) {}
    virtual bool IsControlChecked(int /*controlId*/) { return false; }
    // The panel's own copies of the two pass switches (Track Pitch, Correct
    // Pitch), which its buttons toggle.
    virtual void SetTrackPitchState(int /*on*/) {}
    virtual void SetCorrectPitchState(int /*on*/) {}
    // Applies host-side settings through the panel's controls, so that they
    // show the new values; each change then reaches the store as if the
    // user had made it. 0, or -1 at the first ID the panel does not handle.
    virtual int ApplyParameterChanges(const PARAM_CHANGE* /*changes*/, int /*count*/) { return 0; }
    // A command chosen from the graph's context menu (0 Select All, 1 Copy,
    // 2 Cut, 3 Paste, 4 Undo, 5 Make Curve, 6 Make Auto), run the way the
    // panel's own button runs it. False leaves it to the view.
    virtual bool RunGraphCommand(int /*command*/) { return false; }
};
