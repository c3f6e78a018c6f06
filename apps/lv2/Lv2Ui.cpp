#include "Lv2Ui.h"

#include "Lv2Plugin.h"

#include "host/HostIds.h"
#include "host/IntonaraPropertyPage.h"
#include "host/Registration.h"
#include "panel/IntonaraDialog.h"
#include "platform/com/Module.h"
#include "platform/display/x11/X11Display.h"
#include "settings/ParameterIds.h"
#include "shell/IntonaraApp.h"

#include <lv2/instance-access/instance-access.h>

#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr char kFrameClass[] = "IntonaraLv2Frame";
constexpr int kBypassCheckBox = 1155;
// The graph area's windows: the two views and their scroll bars.
constexpr int kGraphWindows[] = {panel::kMainViewId, panel::kEnvelopeViewId, panel::kHorzBarId, panel::kVertBarId};

// One X connection serves every panel the process shows; the first panel's
// thread is the window system's input thread.
struct CSharedDisplay {
    std::unique_ptr<platform::display::CX11Display> pDisplay;
    int nUsers = 0;
};

CSharedDisplay& SharedDisplay()
{
    static CSharedDisplay shared;
    return shared;
}

platform::display::CX11Display* AcquireDisplay()
{
    CSharedDisplay& shared = SharedDisplay();
    if (shared.pDisplay == nullptr) {
        shared.pDisplay = platform::display::CX11Display::Open(nullptr);
        if (shared.pDisplay == nullptr) {
            return nullptr;
        }
    }
    ++shared.nUsers;
    return shared.pDisplay.get();
}

void ReleaseDisplay()
{
    CSharedDisplay& shared = SharedDisplay();
    if (--shared.nUsers == 0) {
        shared.pDisplay.reset();
    }
}

// The shell's fonts and bitmaps, made when the first panel opens: a host
// that never shows the panel never makes them.
void StartShellOnce()
{
    static const bool started = [] {
        theApp.InitInstance();
        WNDCLASSA frame{};
        frame.lpfnWndProc = DefWindowProcA;
        frame.lpszClassName = kFrameClass;
        frame.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        RegisterClassA(&frame);
        return true;
    }();
    (void)started;
}

const void* FeatureData(const LV2_Feature* const* features, std::string_view uri)
{
    for (const LV2_Feature* const* p = features; p != nullptr && *p != nullptr; ++p) {
        if (uri == (*p)->URI) {
            return (*p)->data;
        }
    }
    return nullptr;
}

template <class T>
CComPtr<T> CreateObject(REFCLSID clsid, REFIID iid)
{
    CComPtr<T> object;
    for (int i = 0; i < g_cTemplates; ++i) {
        if (*g_Templates[i].m_ClsID == clsid) {
            CreateFromTemplate(g_Templates[i], nullptr, iid, object.ReceiveVoid());
            break;
        }
    }
    return object;
}

}  // namespace

CIntonaraLv2Ui* CIntonaraLv2Ui::Create(LV2UI_Write_Function write, LV2UI_Controller controller,
                                       LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const void* parent = FeatureData(features, LV2_UI__parent);
    if (parent == nullptr || write == nullptr) {
        return nullptr;
    }
    StartShellOnce();
    std::unique_ptr<CIntonaraLv2Ui> ui(new CIntonaraLv2Ui());
    ui->m_pfnWrite = write;
    ui->m_controller = controller;
    // The playing plug-in's filter when the host lets us reach it,
    // otherwise one of our own.
    CComPtr<IUnknown> filter;
    if (auto* pInstance = static_cast<CIntonaraLv2*>(const_cast<void*>(FeatureData(features, LV2_INSTANCE_ACCESS_URI)))) {
        filter = pInstance->Filter();
        ui->m_bInstanceAccess = true;
        ui->m_pInstance = pInstance;
    } else {
        filter = CreateObject<IUnknown>(CLSID_IntonaraPlugIn, IID_IUnknown);
    }
    if (filter.Get() == nullptr || !ui->Open(filter.Get(), reinterpret_cast<uintptr_t>(parent), features)) {
        return nullptr;
    }
    auto* display = SharedDisplay().pDisplay.get();
    *widget = reinterpret_cast<LV2UI_Widget>(display->WindowId(ui->m_hFrame));
    return ui.release();
}

bool CIntonaraLv2Ui::Open(IUnknown* pFilter, uintptr_t parent, const LV2_Feature* const* features)
{
    m_filter = pFilter;
    CComPtr<IIntonaraControl> control;
    if (FAILED(pFilter->QueryInterface(IID_IIntonaraControl, control.ReceiveVoid())) ||
        FAILED(control->GetDspObject(&m_pDsp)) || m_pDsp == nullptr) {
        return false;
    }
    m_page = CreateObject<IPropertyPage>(CLSID_IntonaraPropertyPage, IID_IPropertyPage);
    m_pPage = dynamic_cast<CIntonaraPropertyPage*>(m_page.Get());
    if (m_pPage == nullptr) {
        return false;
    }
    platform::display::CX11Display* display = AcquireDisplay();
    if (display == nullptr) {
        return false;
    }
    m_bDisplayHeld = true;
    PROPPAGEINFO info{};
    if (FAILED(m_page->GetPageInfo(&info))) {
        return false;
    }
    // The page's title names the window on the X server, where tools and
    // window lists find it.
    std::string title;
    for (const OLECHAR* c = info.pszTitle; c != nullptr && *c != 0; ++c) {
        title += static_cast<char>(*c < 0x100 ? *c : '?');
    }
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszHelpFile);
    IUnknown* objects[] = {pFilter};
    if (FAILED(m_page->SetObjects(1, objects))) {
        return false;
    }
    m_hFrame = CreateWindowExA(0, kFrameClass, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0, info.size.cx, info.size.cy,
                               nullptr, nullptr, nullptr, nullptr);
    if (m_hFrame == nullptr) {
        return false;
    }
    display->Embed(m_hFrame, parent);
    // Shown before the page goes in, as a host's frame is: the panel then
    // paints as it is made.
    ShowWindow(m_hFrame, SW_SHOWNOACTIVATE);
    RECT rc{0, 0, info.size.cx, info.size.cy};
    if (FAILED(m_page->Activate(m_hFrame, &rc, FALSE))) {
        return false;
    }
    UpdateWindow(m_hFrame);
    // The ports start out showing what the panel shows.
    for (int i = 0; i < kSettingsCount; ++i) {
        m_pDsp->GetParameter(PARAM_SCALE + i, &m_nShown[static_cast<std::size_t>(i)]);
    }
    m_pDsp->GetControlValue(0, &m_nBypassShown);
    ShowGraphOrExplanation();
    ShowSavedGraph();
    display->Present();
    if (const auto* resize = static_cast<const LV2UI_Resize*>(FeatureData(features, LV2_UI__resize))) {
        resize->ui_resize(resize->handle, info.size.cx, info.size.cy);
    }
    return display->WindowId(m_hFrame) != 0;
}

CIntonaraLv2Ui::~CIntonaraLv2Ui()
{
    if (m_page.Get() != nullptr) {
        if (m_hFrame != nullptr) {
            KeepGraph();
            m_page->Deactivate();
        }
        m_page->SetObjects(0, nullptr);
        m_page.Release();
    }
    if (m_hFrame != nullptr) {
        DestroyWindow(m_hFrame);
    }
    m_filter.Release();
    if (m_bDisplayHeld) {
        ReleaseDisplay();
    }
}

HWND CIntonaraLv2Ui::PanelWindow() const
{
    return m_pPage != nullptr ? m_pPage->Panel().m_hWnd : nullptr;
}

CIntonaraDialog* CIntonaraLv2Ui::Panel() const
{
    return m_pPage != nullptr ? &m_pPage->Panel() : nullptr;
}

void CIntonaraLv2Ui::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (format != 0 || size != sizeof(float) || buffer == nullptr) {
        return;
    }
    const float value = *static_cast<const float*>(buffer);
    if (port >= kFirstSettingPort && port < kFirstSettingPort + kSettingsCount) {
        const int index = static_cast<int>(port - kFirstSettingPort);
        const int setting = m_PortMap.ToSetting(index, value);
        int& shown = m_nShown[static_cast<std::size_t>(index)];
        int now = 0;
        m_pDsp->GetParameter(PARAM_SCALE + index, &now);
        shown = setting;
        if (setting != now) {
            const PARAM_CHANGE change{PARAM_SCALE + index, setting};
            m_pPage->Panel().ApplyParameterChanges(&change, 1);
        }
        return;
    }
    if (port == PORT_ENABLED) {
        const int bypass = value < 0.5f ? 1 : 0;
        m_nBypassShown = bypass;
        int now = 0;
        m_pDsp->GetControlValue(0, &now);
        if (bypass != now) {
            m_pPage->Panel().OnBypass(bypass);
            if (HWND panel = PanelWindow()) {
                CheckDlgButton(panel, kBypassCheckBox, bypass != 0 ? BST_CHECKED : BST_UNCHECKED);
            }
        }
    }
}

void CIntonaraLv2Ui::WriteChangedSettings()
{
    for (int i = 0; i < kSettingsCount; ++i) {
        int value = 0;
        m_pDsp->GetParameter(PARAM_SCALE + i, &value);
        int& shown = m_nShown[static_cast<std::size_t>(i)];
        if (value != shown) {
            shown = value;
            const float port = m_PortMap.ToPort(i, value);
            m_pfnWrite(m_controller, kFirstSettingPort + static_cast<uint32_t>(i), sizeof port, 0, &port);
        }
    }
    int bypass = 0;
    m_pDsp->GetControlValue(0, &bypass);
    if (bypass != m_nBypassShown) {
        m_nBypassShown = bypass;
        const float enabled = bypass != 0 ? 0.0f : 1.0f;
        m_pfnWrite(m_controller, PORT_ENABLED, sizeof enabled, 0, &enabled);
    }
}

void CIntonaraLv2Ui::ShowGraphOrExplanation()
{
    HWND panel = PanelWindow();
    if (m_bInstanceAccess || panel == nullptr) {
        return;
    }
    const bool graphical = m_pPage->Panel().GetPanelModeShown() == 2;
    if (m_hNoGraph == nullptr) {
        const RECT& at = panel::kMainViewRect;
        m_hNoGraph = CreateWindowExA(0, "STATIC", kNoGraphText, WS_CHILD | SS_LEFT, at.left, at.top,
                                     at.right - at.left, 40, panel,
                                     reinterpret_cast<HMENU>(static_cast<intptr_t>(kNoGraphId)), nullptr, nullptr);
    }
    if (graphical) {
        for (int id : kGraphWindows) {
            if (HWND view = GetDlgItem(panel, id); view != nullptr && IsWindowVisible(view)) {
                ShowWindow(view, SW_HIDE);
            }
        }
    }
    if (m_hNoGraph != nullptr && (IsWindowVisible(m_hNoGraph) != FALSE) != graphical) {
        ShowWindow(m_hNoGraph, graphical ? SW_SHOWNA : SW_HIDE);
    }
}

int CIntonaraLv2Ui::Idle()
{
    if (m_hFrame == nullptr || !IsWindow(m_hFrame)) {
        return 1;
    }
    // Bounded, so that a panel that keeps posting never starves the host.
    for (int i = 0; i < 1000 && platform::ui::PumpOne(); ++i) {
    }
    ShowGraphOrExplanation();
    if (m_pInstance != nullptr && m_pInstance->GraphGeneration() != m_nGraphShown) {
        ShowSavedGraph();
    } else {
        KeepGraph();
    }
    WriteChangedSettings();
    platform::ui::GetDisplay()->Present();
    return 0;
}
