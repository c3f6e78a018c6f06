#pragma once

// Dialog window objects: a dialog made from a template of the module's
// resources (AfxGetResourceHandle), run modally with DoModal or shown
// modeless with Create, whose messages go through the message maps of the
// derived class.
//
//   class CEntryDialog : public CDialog {
//   public:
//       CEntryDialog(CWnd* parent) : CDialog(158, parent) {}
//   protected:
//       BOOL OnInitDialog() override;   // controls exist; TRUE focuses the first
//       void OnOK() override;           // Enter, or the IDOK button
//       void OnMore();
//       DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CEntryDialog, CDialog)
//       ON_BN_CLICKED(1049, &CEntryDialog::OnMore)
//   END_MESSAGE_MAP()
//
//   CEntryDialog dialog(this);
//   if (dialog.DoModal() == IDOK) ...

#include "platform/ui/AfxWin.h"
#include "platform/ui/Dialogs.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr);

    // Runs the dialog modally with its parent (else the active window)
    // disabled; returns what EndDialog was given, -1 when the dialog could
    // not be made.
    virtual INT_PTR DoModal();
    // A modeless dialog: a child of `parent` when the template says
    // WS_CHILD, else a pop-up it owns. Its keyboard works in any loop that
    // gives framework windows PreTranslateMessage.
    using CWnd::Create;
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);

    // Ends DoModal with `result`; hides a modeless dialog.
    void EndDialog(int result);
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // The dialog's keyboard for its own messages and its controls'.
    BOOL PreTranslateMessage(MSG* msg) override;

    void MapDialogRect(RECT* rc) const { ::MapDialogRect(m_hWnd, rc); }
    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* control) const
    {
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE);
    }
    void SetDefID(UINT id) { ::SendMessageA(m_hWnd, DM_SETDEFID, id, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0)); }

protected:
    LPCSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }

private:
    HWND MakeWindow(LPCSTR name, HWND parent);

    DECLARE_MESSAGE_MAP()
};
