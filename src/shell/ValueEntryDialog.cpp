#include "shell/ValueEntryDialog.h"

CValueEntryDialog::CValueEntryDialog(int initialValue, const RECT& screenRect, CWnd* parent)
    : CDialog(kTemplateId, parent), m_nValue(initialValue), m_rcPlace(screenRect)
{
}

BOOL CValueEntryDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A pop-up's position is in screen coordinates already.
    SetWindowPos(nullptr, m_rcPlace.left, m_rcPlace.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;  // the edit field, the first stop, has the focus
}

void CValueEntryDialog::OnOK()
{
    BOOL translated = FALSE;
    const int typed = static_cast<int>(GetDlgItemInt(kFieldId, &translated, TRUE));
    if (translated && typed != 0) {
        m_nValue = typed;
    }
    CDialog::OnOK();
}
