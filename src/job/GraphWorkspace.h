#pragma once
// Graphical mode without a screen: the plug-in's filter made in this
// process, its processor started the way `intonara correct` starts it, and
// the graph views attached to it in a window on the headless display, so
// that tracking, curve commands and correcting run the same code as the
// control panel. Sessions (job/GraphSession.h) carry the state from one
// run of the tool to the next.
//
// Start-up order, fixed because it is part of the output: the filter's own
// start (Initialise, the "(Default)" preset), the automatic-mode settings
// given, in ascending ID order, through the control interface; Graph
// Threshold (31) and Graphical Retune Speed (32); the sample rate; Mode 1;
// the views attached and the buffer length (33); then the pass switch,
// which is the caller's.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "host/IIntonaraControl.h"
#include "platform/Messages.h"
#include "job/GraphSession.h"

class CDspObject;
class CGraphHostWindow;
class CIntonaraPlugIn;
class CMainGraphView;
class CEnvelopeGraphView;
struct IBaseFilter;
namespace platform::display {
class CHeadlessDisplay;
}
namespace platform::gdi {
class Surface;
}

namespace job {

struct GraphStart
{
    // IDs 2..10 in settings-block form; those not given keep the preset's.
    std::array<std::optional<int>, kSettingsCount> automatic;
    std::optional<int> nGraphThreshold;    // ID 31, 0..100
    std::optional<int> nGraphRetuneIndex;  // ID 32, taper index 0..400
    int nSampleRate = 44100;
    int nBufferSeconds = 200;
};

// The main view's size in the panel.
inline constexpr int kPanelGraphWidth = 380;
inline constexpr int kPanelGraphHeight = 230;

class CGraphWorkspace
{
public:
    // With bOwnDisplay the workspace installs a headless display of its own
    // for its life (a program's case); without, the caller has one. A
    // hidden workspace draws nothing.
    CGraphWorkspace(int mainWidth = kPanelGraphWidth, int mainHeight = kPanelGraphHeight, bool bVisible = false,
                    bool bOwnDisplay = true);
    ~CGraphWorkspace();
    CGraphWorkspace(const CGraphWorkspace&) = delete;
    CGraphWorkspace& operator=(const CGraphWorkspace&) = delete;

    // The start-up order above. Throws CJobError when the filter refuses.
    void Start(const GraphStart& start);
    // Starts from a session: its settings, unless overridden in `start`
    // (whose automatic settings replace the session's one by one), its
    // buffer, records and curves. Throws a failure naming `name` when the
    // session's contents do not fit together.
    void Open(const GraphSession& session, const std::string& name, const GraphStart& overrides = {});
    // The session as it stands now: settings as applied, records, curves.
    GraphSession Capture() const;

    CDspObject& Controller() const { return *m_pDsp; }
    IBaseFilter* Filter() const;
    CMainGraphView& Main() const;
    CEnvelopeGraphView& Envelope() const;
    CGraphHostWindow& Host() const { return *m_pHost; }
    // The values the settings were given, by ID (session form).
    std::array<int32_t, kSessionParameters>& Parameters() { return m_Parameters; }

    // Sets a parameter through the store and keeps it for the session.
    void SetParameter(int id, int value);
    // Frames of the session's rate for a time in seconds, rounded.
    int FrameAt(double seconds) const;
    double SecondsAt(int frame) const;
    // What the two views show now: the main view's client area with the
    // envelope view's under it, after every pending paint.
    platform::gdi::Surface Picture() const;

private:
    std::unique_ptr<platform::display::CHeadlessDisplay> m_pDisplay;
    // Nobody can click a box on a display nobody sees: with a display of
    // its own the workspace prints what a box would say.
    std::optional<MessageBoxSink> m_PreviousBoxes;
    CComPtr<CIntonaraPlugIn> m_pFilter;
    CComPtr<IIntonaraControl> m_pControl;
    CDspObject* m_pDsp = nullptr;
    std::unique_ptr<CGraphHostWindow> m_pHost;
    std::array<int32_t, kSessionParameters> m_Parameters{};
    // The source of the session this workspace was opened from.
    GraphSession m_Source;
};

} // namespace job
