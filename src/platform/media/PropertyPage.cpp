#include "platform/media/PropertyPage.h"

#include "platform/ui/Dialogs.h"

#include <cstring>

LPOLESTR CoTaskMemWideString(const char* text, std::size_t capacity)
{
    const std::size_t length = std::strlen(text);
    if (capacity == 0) {
        capacity = length + 1;
    }
    auto* wide = static_cast<LPOLESTR>(CoTaskMemAlloc(capacity * sizeof(OLECHAR)));
    if (wide == nullptr) {
        return nullptr;
    }
    const std::size_t copied = length < capacity ? length : capacity - 1;
    for (std::size_t i = 0; i < copied; ++i) {
        wide[i] = static_cast<OLECHAR>(static_cast<unsigned char>(text[i]));
    }
    wide[copied] = 0;
    return wide;
}

CBasePropertyPage::CBasePropertyPage(const char* pName, LPUNKNOWN pUnk, int dialogId, int titleId,
                                     HINSTANCE module)
    : CUnknown(pName, pUnk), m_DialogId(dialogId), m_TitleId(titleId), m_hModule(module)
{
}

CBasePropertyPage::~CBasePropertyPage()
{
    if (m_pPageSite != nullptr) {
        m_pPageSite->Release();
    }
}

HRESULT CBasePropertyPage::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IPropertyPage) {
        return GetInterface(static_cast<IPropertyPage*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CBasePropertyPage::SetPageSite(IPropertyPageSite* pPageSite)
{
    if (pPageSite == nullptr) {
        if (m_pPageSite != nullptr) {
            m_pPageSite->Release();
            m_pPageSite = nullptr;
        }
        return NOERROR;
    }
    if (m_pPageSite != nullptr) {
        return E_UNEXPECTED;
    }
    m_pPageSite = pPageSite;
    m_pPageSite->AddRef();
    return NOERROR;
}

HRESULT CBasePropertyPage::Activate(HWND hwndParent, const RECT* pRect, BOOL /*bModal*/)
{
    if (pRect == nullptr) {
        return E_POINTER;
    }
    if (!m_bObjectSet || m_Dlg != nullptr) {
        return E_UNEXPECTED;
    }
    m_Dlg = CreateDialogParamA(m_hModule, MAKEINTRESOURCEA(m_DialogId), hwndParent, &DialogProc,
                               reinterpret_cast<LPARAM>(this));
    if (m_Dlg == nullptr) {
        return E_OUTOFMEMORY;
    }
    // The host's keyboard navigation goes into the page's controls.
    const LONG_PTR exStyle = GetWindowLongPtrA(m_Dlg, GWL_EXSTYLE);
    SetWindowLongPtrA(m_Dlg, GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
    OnActivate();
    Move(pRect);
    return Show(SW_SHOWNORMAL);
}

HRESULT CBasePropertyPage::Deactivate()
{
    if (m_Dlg == nullptr) {
        return E_UNEXPECTED;
    }
    const LONG_PTR exStyle = GetWindowLongPtrA(m_Dlg, GWL_EXSTYLE);
    SetWindowLongPtrA(m_Dlg, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CONTROLPARENT));
    OnDeactivate();
    DestroyWindow(m_Dlg);
    m_Dlg = nullptr;
    return NOERROR;
}

HRESULT CBasePropertyPage::SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk)
{
    if (cObjects == 1) {
        if (ppUnk == nullptr || *ppUnk == nullptr) {
            return E_POINTER;
        }
        m_bObjectSet = TRUE;
        return OnConnect(*ppUnk);
    }
    if (cObjects == 0) {
        m_bObjectSet = FALSE;
        return OnDisconnect();
    }
    return E_UNEXPECTED;
}

HRESULT CBasePropertyPage::Show(UINT nCmdShow)
{
    if (m_Dlg == nullptr) {
        return E_UNEXPECTED;
    }
    const int command = static_cast<int>(nCmdShow);
    if (command != SW_HIDE && command != SW_SHOWNORMAL && command != SW_SHOW) {
        return E_INVALIDARG;
    }
    ShowWindow(m_Dlg, command);
    InvalidateRect(m_Dlg, nullptr, TRUE);
    return NOERROR;
}

HRESULT CBasePropertyPage::Move(const RECT* pRect)
{
    if (pRect == nullptr) {
        return E_POINTER;
    }
    if (m_Dlg == nullptr) {
        return E_UNEXPECTED;
    }
    MoveWindow(m_Dlg, pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top, TRUE);
    return NOERROR;
}

HRESULT CBasePropertyPage::IsPageDirty()
{
    return m_bDirty ? S_OK : S_FALSE;
}

HRESULT CBasePropertyPage::Apply()
{
    if (!m_bObjectSet || m_pPageSite == nullptr) {
        return E_UNEXPECTED;
    }
    if (!m_bDirty) {
        return NOERROR;
    }
    const HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr)) {
        m_bDirty = FALSE;
    }
    return hr;
}

INT_PTR CBasePropertyPage::OnReceiveMessage(HWND /*hwnd*/, UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    return FALSE;
}

INT_PTR CBasePropertyPage::DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CBasePropertyPage* page = nullptr;
    if (uMsg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWL_USER, lParam);
        page = reinterpret_cast<CBasePropertyPage*>(lParam);
        if (page == nullptr) {
            return TRUE;
        }
        page->m_hwnd = hwnd;
    }
    page = reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtrA(hwnd, DWL_USER));
    if (page == nullptr) {
        // Before WM_INITDIALOG: the window is still being made, and the
        // dialog's own handling must make it.
        return FALSE;
    }
    return page->OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}
