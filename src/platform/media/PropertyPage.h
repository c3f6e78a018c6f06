#pragma once

// Property pages: a COM object whose window a host shows in its own frame to
// let the user change an object's settings. The host hands the page a site,
// the objects to edit (SetObjects), then asks it for its title and size
// (GetPageInfo), creates its window inside a parent (Activate), moves and
// shows it, and finally takes it down (Deactivate, SetObjects with none).
//
// CBasePropertyPage does that bookkeeping for a page made from a dialog
// template; a derived page answers OnConnect/OnDisconnect for its objects
// and handles its dialog's messages in OnReceiveMessage.

#include "platform/com/Com.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WinUser.h"

// Text exchanged with hosts is 16-bit.
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// {B196B28C-BAB4-101A-B69C-00AA00341D07}
constexpr IID IID_IPropertyPageSite = {
    0xB196B28C, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// {B196B28D-BAB4-101A-B69C-00AA00341D07}
constexpr IID IID_IPropertyPage = {
    0xB196B28D, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

// What a page tells its host about itself. The strings come from
// CoTaskMemAlloc and the host frees them.
struct PROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle;
    SIZE size;  // in pixels
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

// The record's size as hosts know it (32-bit pointers).
inline constexpr ULONG kPropPageInfoSize = 28;

struct IPropertyPageSite : IUnknown {
    virtual HRESULT OnStatusChange(DWORD dwFlags) = 0;
    virtual HRESULT GetLocaleID(DWORD* pLocaleID) = 0;
    virtual HRESULT GetPageContainer(IUnknown** ppUnk) = 0;
    virtual HRESULT TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~IPropertyPageSite() = default;
};

struct IPropertyPage : IUnknown {
    virtual HRESULT SetPageSite(IPropertyPageSite* pPageSite) = 0;
    virtual HRESULT Activate(HWND hwndParent, const RECT* pRect, BOOL bModal) = 0;
    virtual HRESULT Deactivate() = 0;
    virtual HRESULT GetPageInfo(PROPPAGEINFO* pPageInfo) = 0;
    virtual HRESULT SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk) = 0;
    virtual HRESULT Show(UINT nCmdShow) = 0;
    virtual HRESULT Move(const RECT* pRect) = 0;
    virtual HRESULT IsPageDirty() = 0;
    virtual HRESULT Apply() = 0;
    virtual HRESULT Help(LPCOLESTR pszHelpDir) = 0;
    virtual HRESULT TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~IPropertyPage() = default;
};

// A 16-bit copy of `text` in a CoTaskMemAlloc block of `capacity`
// characters (0: just enough); null when memory runs out.
LPOLESTR CoTaskMemWideString(const char* text, std::size_t capacity = 0);

class CBasePropertyPage : public IPropertyPage, public CUnknown {
public:
    // A page from dialog template `dialogId` of `module`, titled by its
    // string `titleId`.
    CBasePropertyPage(const char* pName, LPUNKNOWN pUnk, int dialogId, int titleId, HINSTANCE module);
    ~CBasePropertyPage() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPropertyPage
    HRESULT SetPageSite(IPropertyPageSite* pPageSite) override;
    HRESULT Activate(HWND hwndParent, const RECT* pRect, BOOL bModal) override;
    HRESULT Deactivate() override;
    // GetPageInfo is the derived page's: only it knows its title and size.
    HRESULT SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk) override;
    HRESULT Show(UINT nCmdShow) override;
    HRESULT Move(const RECT* pRect) override;
    HRESULT IsPageDirty() override;
    HRESULT Apply() override;
    HRESULT Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*) override { return E_NOTIMPL; }

    // What a derived page answers.
    virtual HRESULT OnConnect(IUnknown* /*pUnknown*/) { return NOERROR; }
    virtual HRESULT OnDisconnect() { return NOERROR; }
    virtual HRESULT OnActivate() { return NOERROR; }
    virtual HRESULT OnDeactivate() { return NOERROR; }
    virtual HRESULT OnApplyChanges() { return NOERROR; }
    virtual INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND Window() const { return m_Dlg; }
    bool ObjectSet() const { return m_bObjectSet; }

protected:
    // Stores the page (the creation parameter) with its window and hands
    // every message to the page's OnReceiveMessage.
    static INT_PTR DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void SetDirty() { m_bDirty = TRUE; }

    HWND m_hwnd = nullptr;  // the window while it exists
    HWND m_Dlg = nullptr;   // the window Activate made
    IPropertyPageSite* m_pPageSite = nullptr;
    BOOL m_bObjectSet = FALSE;
    BOOL m_bDirty = FALSE;
    int m_DialogId;
    int m_TitleId;
    HINSTANCE m_hModule;
};
