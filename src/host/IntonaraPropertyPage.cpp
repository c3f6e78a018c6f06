#include "host/IntonaraPropertyPage.h"

#include "host/Registration.h"
#include "modes/DspObject.h"
#include "platform/com/Module.h"
#include "platform/resources/Resources.h"
#include "platform/ui/AfxWin.h"
#include "shell/HelpFile.h"

namespace {

HINSTANCE ThisModule()
{
    return GetModuleHandleFromAddress(reinterpret_cast<const void*>(&CreatePropertyPage));
}

}  // namespace

CUnknown* CreatePropertyPage(LPUNKNOWN pUnkOuter, HRESULT* phr)
{
    auto* page = new (std::nothrow) CIntonaraPropertyPage(pUnkOuter, ThisModule());
    if (page == nullptr && phr != nullptr) {
        *phr = E_OUTOFMEMORY;
    }
    return page;
}

CIntonaraPropertyPage::CIntonaraPropertyPage(LPUNKNOWN pUnk, HINSTANCE module)
    : CBasePropertyPage(kPropertyPageName, pUnk, kDialogId, kTitleId, module)
{
}

CIntonaraPropertyPage::~CIntonaraPropertyPage()
{
    if (m_pControl != nullptr) {
        m_pControl->Release();
    }
}

HRESULT CIntonaraPropertyPage::GetPageInfo(PROPPAGEINFO* pPageInfo)
{
    if (pPageInfo == nullptr) {
        return E_POINTER;
    }
    char title[128] = {};
    LoadStringA(m_hModule, kTitleId, title, sizeof title);
    LPOLESTR pszTitle = CoTaskMemWideString(title);
    if (pszTitle == nullptr) {
        return E_OUTOFMEMORY;
    }
    LPOLESTR pszHelp = CoTaskMemWideString(GetHelpFilePath(m_hModule).c_str(), MAX_PATH);
    if (pszHelp == nullptr) {
        CoTaskMemFree(pszTitle);
        return E_OUTOFMEMORY;
    }

    HWND active = GetActiveWindow();
    HDC screen = GetDC(active);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(active, screen);
    m_bLargeFonts = dpi >= panel::kLargeFontDpi ? TRUE : FALSE;
    m_panel.SetLargeFonts(m_bLargeFonts);
    const SIZE page = m_bLargeFonts ? panel::kLargePageSize : panel::kPageSize;
    const LONG units = GetDialogBaseUnits();

    pPageInfo->cb = kPropPageInfoSize;
    pPageInfo->pszTitle = pszTitle;
    pPageInfo->size.cx = page.cx * LOWORD(units) / 4;
    pPageInfo->size.cy = page.cy * HIWORD(units) / 8;
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = pszHelp;
    pPageInfo->dwHelpContext = 0;
    return NOERROR;
}

HRESULT CIntonaraPropertyPage::OnConnect(IUnknown* pUnknown)
{
    if (pUnknown == nullptr) {
        return E_POINTER;
    }
    if (m_pControl != nullptr) {
        OnDisconnect();
    }
    void* control = nullptr;
    if (FAILED(pUnknown->QueryInterface(IID_IIntonaraControl, &control))) {
        return E_NOINTERFACE;
    }
    m_pControl = static_cast<IIntonaraControl*>(control);
    m_pControl->GetDspObject(&m_pDsp);
    m_panel.SetStore(m_pDsp);
    if (m_hwnd != nullptr) {
        m_pControl->SetNotifyWindow(m_hwnd, kNotifyCommand);
    }
    return NOERROR;
}

HRESULT CIntonaraPropertyPage::OnDisconnect()
{
    if (m_pControl == nullptr) {
        return E_UNEXPECTED;
    }
    if (m_hwnd != nullptr) {
        m_pControl->SetNotifyWindow(m_hwnd, 0);
    }
    m_pControl->Release();
    m_pControl = nullptr;
    return NOERROR;
}

INT_PTR CIntonaraPropertyPage::OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    LRESULT result = 0;
    switch (uMsg) {
    case WM_INITDIALOG:
        m_hwnd = hwnd;
        m_panel.SetStore(m_pDsp);
        m_panel.SetLargeFonts(m_bLargeFonts);
        m_panel.AttachPanel(hwnd);
        if (m_pControl != nullptr) {
            m_pControl->SetNotifyWindow(hwnd, kNotifyCommand);
        }
        return TRUE;
    case WM_DESTROY:
        if (m_pControl != nullptr) {
            m_pControl->SetNotifyWindow(hwnd, 0);
        }
        // The panel's teardown also closes its help.
        m_panel.DetachPanel();
        m_hwnd = nullptr;
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (m_panel.m_hWnd != nullptr) {
            m_panel.OnWndMsg(uMsg, wParam, lParam, &result);
        }
        return static_cast<INT_PTR>(result);
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_DRAWITEM:
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (m_panel.m_hWnd != nullptr) {
            m_panel.OnWndMsg(uMsg, wParam, lParam, &result);
        }
        return TRUE;
    case WM_SIZE:
        return TRUE;
    default:
        return FALSE;
    }
}
