#pragma once
// The plug-in's property page as the app hosts it: asked of the filter
// (ISpecifyPropertyPages), made by the plug-in's class factory, given the
// filter (SetObjects) and shown inside a window of the app (Activate) at
// its own size, until the window closes.

#include "platform/media/FilterTypes.h"
#include "platform/media/PropertyPage.h"

#include <string>

class CPageHost final : public IPropertyPageSite {
public:
    CPageHost() = default;
    ~CPageHost();
    CPageHost(const CPageHost&) = delete;
    CPageHost& operator=(const CPageHost&) = delete;

    // Makes the filter's first page and connects it; false (with `error`
    // saying why) when the filter offers none or it cannot be made.
    bool Create(IBaseFilter* filter, std::string* error);
    // The page's size in pixels (0 x 0 before Create).
    SIZE Size() const { return m_size; }
    // Shows the page in `parent` with its top-left corner at the client
    // origin.
    bool Activate(HWND parent);
    // Takes the window down and lets the filter go.
    void Close();
    bool IsDirty() const { return m_pPage && m_pPage->IsPageDirty() == S_OK; }

    // IPropertyPageSite: the site lives as long as the app's window, so its
    // references are not counted.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT OnStatusChange(DWORD) override { return S_OK; }
    HRESULT GetLocaleID(DWORD* pLocaleID) override;
    HRESULT GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    CComPtr<IPropertyPage> m_pPage;
    SIZE m_size{0, 0};
    bool m_bConnected = false;
    bool m_bActive = false;
};
