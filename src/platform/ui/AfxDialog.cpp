#include "platform/ui/AfxDialog.h"

#include "platform/ui/dialogs/DialogInternal.h"

namespace {

// Everything reaches CDialog through its message maps; the dialog
// procedure leaves all to the dialog's default handling.
INT_PTR FrameworkDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
    ON_COMMAND(IDOK, &CDialog::OnOKCommand)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCEA(templateId)), m_pParentWnd(parent)
{
}

CDialog::CDialog(LPCSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

HWND CDialog::MakeWindow(LPCSTR name, HWND parent)
{
    if (m_hWnd != nullptr || name == nullptr) {
        return nullptr;
    }
    HINSTANCE instance = AfxGetResourceHandle();
    DialogTemplate dialog;
    if (!LoadDialogTemplate(instance, name, &dialog)) {
        return nullptr;
    }
    return platform::ui::dialogs::CreateFromTemplate(instance, dialog, parent, &FrameworkDialogProc, 0,
                                                     &afx::AttachOnCreate, this);
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    HWND hwnd = MakeWindow(m_lpszTemplateName, owner);
    return hwnd != nullptr ? platform::ui::dialogs::RunModal(hwnd, owner) : -1;
}

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent)
{
    m_lpszTemplateName = templateName;
    m_pParentWnd = parent;
    return MakeWindow(templateName, parent != nullptr ? parent->m_hWnd : nullptr) != nullptr ? TRUE : FALSE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    return Create(MAKEINTRESOURCEA(templateId), parent);
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

LRESULT CDialog::HandleInitDialog(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    return OnInitDialog();
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || m_hWnd == nullptr ||
        (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))) {
        return FALSE;
    }
    return ::IsDialogMessageA(m_hWnd, msg);
}
