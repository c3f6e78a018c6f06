#pragma once

// The control panel: one dialog for both operating modes. Automatic mode
// shows the scale, key, detune, retune and tracking controls, the vibrato
// and the pitch-change meter; graphical mode the pitch graph and envelope
// views with their zoom, tool and editing buttons and the Track Pitch /
// Correct Pitch switches. Every control writes through the parameter store;
// host-side changes come in through ApplyParameterChanges and show on the
// controls.
//
// The panel runs either as a dialog of its own (Create with template 101 or
// 102) or inside a window that somebody else made from template 102 (the
// property page): AttachPanel wraps that window, the page forwards the
// messages the panel handles to OnWndMsg and calls DetachPanel when the
// window goes.
//
// Threads: the window's thread runs every handler, the 50 ms timer and the
// painting; the host's thread may call ApplyParameterChanges; a worker
// woken by the named event "Velmora/Event/UIUpdateThread" redraws the
// fader value fields after host changes.

#include "graph/EnvelopeGraphView.h"
#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"
#include "panel/ScaleEditDialog.h"
#include "panel/SliderControl.h"
#include "platform/kernel/Kernel.h"
#include "platform/ui/AfxDialog.h"
#include "settings/ViewLinks.h"
#include "shell/BitmapPushButton.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class CParameterStore;

namespace panel {

// From this many pixels per inch the screen has large fonts, and the page
// asks for fewer dialog units.
inline constexpr int kLargeFontDpi = 110;
inline constexpr SIZE kPageSize = {322, 210};
inline constexpr SIZE kLargePageSize = {250, 170};

// Controls the panel's code reaches by ID from more than one file.
inline constexpr int kScaleList = 1023;
inline constexpr int kKeyList = 1024;
inline constexpr int kVibratoList = 1027;
inline constexpr int kAllBox = 1080;
inline constexpr int kTieBox = 1081;

inline constexpr int kSliderCount = 8;
inline constexpr int kButtonCount = 10;
inline constexpr int kTimerId = 1;
inline constexpr UINT kTimerMs = 50;
// The panel's own command: lay out the mode a host change put in force.
inline constexpr UINT kShowModeCommand = 32701;
// ... and open the buffer-length box.
inline constexpr UINT kBufferBoxCommand = 32702;
inline constexpr char kUpdateEventName[] = "Velmora/Event/UIUpdateThread";
inline constexpr char kAutomaticTitle[] = "Intonara - Automatic Mode";
inline constexpr char kGraphicalTitle[] = "Intonara - Graphical Mode";
inline constexpr char kTimerMissingText[] = "Intonara: Timer not available.  Unable to insert.";

// The meter's bar: x 324 to 337, zero at y 223, drawn between y 135 and 311.
inline constexpr RECT kMeterRect = {324, 135, 337, 311};
inline constexpr int kMeterZeroY = 223;

// The graph area of graphical mode: the graph code's own IDs and pixels.
inline constexpr int kMainViewId = graph::kMainGraphViewId;
inline constexpr int kEnvelopeViewId = graph::kEnvelopeViewId;
inline constexpr int kHorzBarId = graph::kHorizontalScrollBarId;
inline constexpr int kVertBarId = graph::kVerticalScrollBarId;
inline constexpr RECT kMainViewRect = graph::kMainGraphRect;
inline constexpr RECT kEnvelopeViewRect = graph::kEnvelopeRect;

// Which layout a control belongs to.
enum class Layout { Both, Automatic, Graphical };

// One control of a layout and where it goes, in pixels.
struct PlacedControl {
    int id;
    RECT rect;
};

// The controls of each mode at their places; the first four (mode switch and
// brand panel) belong to both.
extern const PlacedControl kAutomaticControls[];
extern const int kAutomaticControlCount;
extern const PlacedControl kGraphicalControls[];
extern const int kGraphicalControlCount;

// Slider index -> parameter ID, value field, and the slider's rectangle.
struct SliderSpec {
    int parameterId;
    int valueField;
    RECT rect;
};
extern const SliderSpec kSliders[kSliderCount];

// The ten picture buttons: control ID, rectangle, bitmap slot, latching
// (the four tools).
struct ButtonSpec {
    int id;
    RECT rect;
    int picture;
    int latchedPicture;
    bool latching;
};
extern const ButtonSpec kButtons[kButtonCount];

// The tool buttons in tool order (line, freehand, select and move, zoom box).
inline constexpr int kToolButtons[4] = {1092, 1093, 1096, 1094};

}  // namespace panel

class CIntonaraDialog : public CDialog, public IIntonaraDialog {
public:
    // Empty exception thrown inside a handler to give up on it; the
    // handler's catch discards it.
    class localException {};

    explicit CIntonaraDialog(CParameterStore* store = nullptr);
    ~CIntonaraDialog() override;

    // The store the panel reads and writes; set before the window exists.
    void SetStore(CParameterStore* store) { m_pStore = store; }
    // The page's measurement of the screen, kept for the panel's start.
    void SetLargeFonts(BOOL large) { m_bLargeFonts = large; }

    // Wraps a window made from template 102 by somebody else and runs the
    // panel's initialisation on it; FALSE when the panel cannot be shown.
    BOOL AttachPanel(HWND hwnd);
    // The panel's teardown, then the window is let go (not destroyed).
    void DetachPanel();

    BOOL OnInitDialog() override;
    // A panel stays open: Enter and Escape close nothing.
    void OnOK() override {}
    void OnCancel() override {}
    // Teardown in the documented order; safe to call twice.
    void Teardown();

    // 1 automatic, 2 graphical, 0 before initialisation.
    int GetPanelModeShown() const { return m_nPanelMode.load(std::memory_order_relaxed); }
    int GetPageWidth() const { return m_nPageWidth; }
    int GetPageHeight() const { return m_nPageHeight; }
    BOOL HasLargeFonts() const { return m_bLargeFonts; }
    int GetChangeMeter() const { return m_nChangeCents.load(std::memory_order_relaxed); }
    const std::string& GetComposedTitle() const { return m_strTitle; }
    CSliderControl* GetSlider(int index) const;
    CBitmapPushButton* GetButton(int id);
    CParameterStore* GetStore() const { return m_pStore; }
    // Whether the UI update worker runs.
    bool UpdateThreadRunning() const { return m_worker.joinable(); }

    // Lays out one mode's controls; without force nothing happens when that
    // mode is shown already.
    void SwitchToAutomatic(bool force);
    void SwitchToGraphical(bool force);

    // The faders' change callback: index -> parameter.
    void OnSliderChanged(int sliderIndex, int value);
    virtual void OnBypass(BOOL on);
    BOOL IsTool(int tool) const { return m_nTool == tool ? TRUE : FALSE; }

    // IIntonaraDialog
    IMainGraphView* GetMainGraphView() override { return m_pMainGraphView.get(); }
    IEnvelopeView* GetEnvelopeView() override { return m_pEnvelopeView.get(); }
    int GetPanelMode() override { return m_nPanelMode.load(std::memory_order_relaxed); }
    bool RunGraphCommand(int command) override;
    void SetChangeMeter(int cents) override;
    void EnableControl(int controlId, bool enable) override;
    bool IsVisible() override { return m_hWnd != nullptr && ::IsWindowVisible(m_hWnd); }
    bool IsPointerOverGraph() override;
    int GetTool() override { return m_nTool; }
    bool IsActive() override;
    void SetCursor(CursorHandle cursor) override { ::SetCursor(static_cast<HCURSOR>(cursor)); }
    void CheckControl(int controlId, bool checked) override;
    bool IsControlChecked(int controlId) override;
    void SetTrackPitchState(int on) override { m_bTrackPitch = on; }
    void SetCorrectPitchState(int on) override { m_bCorrectPitch = on; }
    int ApplyParameterChanges(const PARAM_CHANGE* changes, int count) override;

protected:
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);

    void OnScaleSelected();
    void OnKeySelected();
    void OnVibratoSelected();
    void OnVibratoDropDown();
    void OnEditScale();
    void OnAutomaticClicked();
    void OnGraphicalClicked();
    void OnBypassClicked();
    void OnTrackPitchClicked();
    void OnCorrectPitchClicked();
    void OnGraphCommand(UINT id);
    void OnEnvelopeAll();
    void OnEnvelopeTie();
    void OnZoomButton(UINT id);
    void OnToolButton(UINT id);
    void OnBufferFocus();
    void OnShowMode();
    void OnBufferBox();

    DECLARE_MESSAGE_MAP()

private:
    static void SliderCallback(void* context, int index, int value, int dragging);
    static void TimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

    // Initialisation steps.
    void MeasureScreen();
    void CreateGraphArea();
    void FillLists();
    void FillVibratoList();
    void CreateSliders();
    void CreateButtons();
    void ConfigureSliders();
    void StartUpdateThread();
    void StopUpdateThread();
    void UpdateThreadMain();

    // Moves every control of the list to its place (with `font` when not
    // null) and shows it.
    void ShowControls(const panel::PlacedControl* controls, int count, HFONT font);
    // The graph views and their bars (graphical mode only).
    void ShowGraphViews(bool show);
    void DestroyGraphViews();
    // After the store knows the panel: the views' scroll bars and a fresh graph.
    void StartGraphViews();
    // The main view's part of an editing command (IDs 18 to 24).
    void RunViewCommand(int parameterId);
    void ScrollView(bool horizontal, UINT code, UINT pos, CScrollBar* bar);
    void ShowTitle();
    // Puts `mode` (1 or 2) in force on the panel, from any thread.
    void ShowModeOf(int mode);
    // One of the two pass switches was clicked: `clicked`/`clickedId`, and
    // the other one is switched off first.
    void PassSwitch(int clicked, int clickedId, int other, int otherId);
    void ShowBufferSeconds(int seconds);
    int ParameterFor(int sliderIndex) const;
    void SelectListItem(int listId, int value);
    void DrawBrand(CDC& dc);
    void DrawMeter(CDC& dc);

    CParameterStore* m_pStore;
    std::unique_ptr<CMainGraphView> m_pMainGraphView;
    std::unique_ptr<CEnvelopeGraphView> m_pEnvelopeView;
    CScrollBar m_horzBar;
    CScrollBar m_vertBar;

    std::unique_ptr<CSliderControl> m_sliders[panel::kSliderCount];
    CBitmapPushButton m_buttons[panel::kButtonCount];

    std::atomic<int> m_nPanelMode{0};
    int m_nTool = -1;
    int m_bTrackPitch = 0;
    int m_bCorrectPitch = 0;
    BOOL m_bLargeFonts = FALSE;
    HFONT m_hLargeFont = nullptr;
    int m_nPageWidth = panel::kPageSize.cx;
    int m_nPageHeight = panel::kPageSize.cy;
    HBRUSH m_hBackground = nullptr;
    std::atomic<int> m_nChangeCents{0};
    UINT_PTR m_nTimer = 0;
    std::string m_strTitle;

    CPanelScaleEditor m_scaleEditor;

    // The UI update worker.
    HANDLE m_hUpdateEvent = nullptr;
    std::atomic<int> m_bStopUpdate{0};
    std::atomic<int> m_bUpdateRunning{0};
    std::thread m_worker;

    bool m_bAttachedByPage = false;
    bool m_bTornDown = true;
};
