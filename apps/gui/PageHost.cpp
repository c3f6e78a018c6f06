#include "PageHost.h"

#include "host/ModuleExports.h"

#include <cstdio>

namespace {

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

}  // namespace

CPageHost::~CPageHost()
{
    Close();
}

HRESULT CPageHost::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IPropertyPageSite) {
        *ppv = static_cast<IPropertyPageSite*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CPageHost::GetLocaleID(DWORD* pLocaleID)
{
    if (pLocaleID == nullptr) {
        return E_POINTER;
    }
    *pLocaleID = 0x0409;
    return S_OK;
}

bool CPageHost::Create(IBaseFilter* filter, std::string* error)
{
    CComPtr<ISpecifyPropertyPages> pages;
    HRESULT hr = filter->QueryInterface(IID_ISpecifyPropertyPages, pages.ReceiveVoid());
    CAUUID ids{0, nullptr};
    if (SUCCEEDED(hr)) {
        hr = pages->GetPages(&ids);
    }
    if (FAILED(hr) || ids.cElems == 0) {
        CoTaskMemFree(ids.pElems);
        *error = "the filter offers no property page (" + Hex(hr) + ")";
        return false;
    }
    const CLSID clsid = ids.pElems[0];
    CoTaskMemFree(ids.pElems);

    CComPtr<IClassFactory> factory;
    hr = DllGetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid());
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, IID_IPropertyPage, m_pPage.ReceiveVoid());
    }
    if (FAILED(hr)) {
        *error = "the plug-in's class factory made no property page (" + Hex(hr) + ")";
        return false;
    }
    m_pPage->SetPageSite(this);
    IUnknown* objects[] = {filter};
    hr = m_pPage->SetObjects(1, objects);
    if (FAILED(hr)) {
        *error = "the property page does not take the filter (" + Hex(hr) + ")";
        m_pPage->SetPageSite(nullptr);
        m_pPage = CComPtr<IPropertyPage>();
        return false;
    }
    m_bConnected = true;
    PROPPAGEINFO info{};
    info.cb = kPropPageInfoSize;
    if (SUCCEEDED(m_pPage->GetPageInfo(&info))) {
        m_size = info.size;
        CoTaskMemFree(info.pszTitle);
        CoTaskMemFree(info.pszHelpFile);
        CoTaskMemFree(info.pszDocString);
    }
    return true;
}

bool CPageHost::Activate(HWND parent)
{
    if (!m_pPage || m_bActive) {
        return false;
    }
    const RECT rc{0, 0, m_size.cx, m_size.cy};
    m_bActive = SUCCEEDED(m_pPage->Activate(parent, &rc, FALSE));
    return m_bActive;
}

void CPageHost::Close()
{
    if (!m_pPage) {
        return;
    }
    if (m_bActive) {
        m_pPage->Deactivate();
        m_bActive = false;
    }
    if (m_bConnected) {
        m_pPage->SetObjects(0, nullptr);
        m_bConnected = false;
    }
    m_pPage->SetPageSite(nullptr);
    m_pPage = CComPtr<IPropertyPage>();
}
