#pragma once

// The plug-in's property page: the control panel inside the host's frame.
// The page connects to the filter through its control interface, hands the
// panel the filter's processor, and lets the filter notify the panel window
// by posted commands.

#include "host/IIntonaraControl.h"
#include "panel/IntonaraDialog.h"
#include "platform/media/PropertyPage.h"

class CIntonaraPropertyPage : public CBasePropertyPage {
public:
    static constexpr int kDialogId = 102;
    static constexpr int kTitleId = 2;
    // The command the filter posts to the page window; the panel has no
    // control with this number and ignores it.
    static constexpr int kNotifyCommand = 32700;

    CIntonaraPropertyPage(LPUNKNOWN pUnk, HINSTANCE module);
    ~CIntonaraPropertyPage() override;

    HRESULT GetPageInfo(PROPPAGEINFO* pPageInfo) override;
    HRESULT OnConnect(IUnknown* pUnknown) override;
    HRESULT OnDisconnect() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    CIntonaraDialog& Panel() { return m_panel; }

private:
    CIntonaraDialog m_panel;
    IIntonaraControl* m_pControl = nullptr;
    CDspObject* m_pDsp = nullptr;
    BOOL m_bLargeFonts = FALSE;
};
