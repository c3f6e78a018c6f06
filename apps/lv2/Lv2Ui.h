#pragma once

// The plug-in's own window inside an LV2 host: the control panel of the
// property page, embedded in the host's X window (ui:parent) and driven by
// the host's idle calls.
//
// With instance-access the page connects to the running plug-in's filter,
// exactly as it connects to a filter in a graph: the panel works on the
// processor that plays, graphical mode included. Without it the page gets
// a filter of its own that never plays; the control ports then carry every
// automatic-mode setting, and graphical mode shows a line saying why it
// cannot work instead of the graph.
//
// Either way the ports follow the panel: settings the panel changes are
// written to the control ports so the host records and automates them, and
// port values from the host reach the panel as host changes.
//
// Everything here runs on the host's user-interface thread.

#include "Lv2Ports.h"

#include "modes/DspObject.h"
#include "platform/com/Com.h"
#include "platform/media/PropertyPage.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <array>
#include <cstdint>
#include <vector>

class CIntonaraLv2;
class CIntonaraDialog;
class CIntonaraPropertyPage;
class CMainGraphView;

class CIntonaraLv2Ui
{
public:
    // Null when the host gave no parent window, no X server answers or the
    // page cannot be made.
    static CIntonaraLv2Ui* Create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                                  const LV2_Feature* const* features);
    ~CIntonaraLv2Ui();
    CIntonaraLv2Ui(const CIntonaraLv2Ui&) = delete;
    CIntonaraLv2Ui& operator=(const CIntonaraLv2Ui&) = delete;

    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Runs the window system's waiting messages and shows what changed;
    // non-zero once the panel is gone.
    int Idle();

    // The text graphical mode shows without access to the playing plug-in.
    static constexpr char kNoGraphText[] =
        "Graphical mode needs a host that lets this window reach the plug-in (LV2 instance access).";
    // The control that shows it, over the graph area.
    static constexpr int kNoGraphId = 2099;

    HWND PanelWindow() const;
    CIntonaraDialog* Panel() const;

private:
    CIntonaraLv2Ui() = default;
    bool Open(IUnknown* pFilter, uintptr_t parent, const LV2_Feature* const* features);
    // Settings the panel changed since the ports last showed them.
    void WriteChangedSettings();
    void ShowGraphOrExplanation();
    // With instance-access the panel's graph views work on the plug-in's own
    // track buffer, and the plug-in's saved graph follows what they hold:
    // the saved graph is put into the views when the window opens and again
    // whenever the host restores a state; edits are handed back to the
    // plug-in at the next idle call and when the window closes.
    CMainGraphView* MainView() const;
    void ShowSavedGraph();
    void KeepGraph();

    LV2UI_Write_Function m_pfnWrite = nullptr;
    LV2UI_Controller m_controller = nullptr;
    bool m_bInstanceAccess = false;
    CIntonaraLv2* m_pInstance = nullptr;
    bool m_bDisplayHeld = false;
    CComPtr<IUnknown> m_filter;
    CComPtr<IPropertyPage> m_page;
    CIntonaraPropertyPage* m_pPage = nullptr;
    CDspObject* m_pDsp = nullptr;
    HWND m_hFrame = nullptr;
    HWND m_hNoGraph = nullptr;
    const CLv2PortMap m_PortMap;
    // The settings as the ports now show them, in the panel's units.
    std::array<int, kSettingsCount> m_nShown{};
    int m_nBypassShown = 0;
    // The plug-in's graph generation the views show, and what they held
    // when their graph was last handed to the plug-in.
    unsigned m_nGraphShown = 0;
    std::vector<uint8_t> m_keptView;
    int m_nKeptFrames = 0;
    bool m_bKeptStale = false;
};
